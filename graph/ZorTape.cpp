#include "graph/ZorTape.h"

#include <limits>

namespace vx {

TZorTape::TZorTape(int /*unused*/, std::uint32_t numRecords) : numRecords_(numRecords) {}

int TZorTape::GetNumChannels() const { return Channels.Count(); }

void TZorTape::SetNumChannels(int n) {
    // Only room is made; a failed reservation leaves the channels to grow when used.
    Channels.ReserveRight(n);
}

void TZorTape::SetNumRecords(std::uint32_t n) {
    // Reserving is only a head start: a channel that cannot get the room now
    // grows when its records are written.
    if (n <= std::uint32_t(std::numeric_limits<int>::max()) && Channels.Count() > 0) {
        for (int ch = Channels.Low(); ch <= Channels.High(); ++ch) Channels[ch].Data.ReserveRight(int(n));
    }
    if (recordsUsed_ > n) SetRecordsUsed(n);
    numRecords_ = n;
}

void TZorTape::SetRecordsUsed(std::uint32_t n) {
    if (n > numRecords_) throw Exception("Vanto TZorTape::SetRecordsUsed -- exceeds NumRecords");
    recordsUsed_ = n;
}

void TZorTape::SetThisRecord(std::uint32_t n) {
    if (Wrap) {
        // A tape of no length has no ring to run round: the cursor stays at record 0.
        thisRecord_ = numRecords_ == 0 ? 0 : n % numRecords_;
        return;
    }
    if (n >= numRecords_) throw Exception("Vanto TZorTape::SetThisRecord -- exceeds NumRecords");
    thisRecord_ = n;
}

void TZorTape::ResetCursor() {
    thisChannel_ = 0;
    thisRecord_ = 0;
    recordsUsed_ = 0;
}

TColor TZorTape::GetPlotColor() { return Channels[int(thisChannel_)].PlotColor; }

void TZorTape::SetPlotColor(TColor color) { Channels[int(thisChannel_)].PlotColor = color; }

bool TZorTape::GetThisChannelEnabled() { return Channels[int(thisChannel_)].Enabled; }

void TZorTape::SetThisChannelEnabled(bool enabled) { Channels[int(thisChannel_)].Enabled = enabled; }

void TZorTape::DataPointCh(std::uint32_t ch, std::int32_t value) {
    thisChannel_ = ch;
    GraphChannel& channel = Channels[int(ch)];

    // A channel switched on by its first value starts as a flat line at that
    // value. One that was only hidden keeps the readings it holds.
    if (!channel.Enabled && !channel.Data.InUse()) channel.Data.Fill(value);
    channel.Enabled = true;

    // A channel's second value for the current record opens the next record.
    if (channel.PointInRecord) {
        const std::uint32_t next = thisRecord_ + 1;
        if (recordsUsed_ < next) SetRecordsUsed(next);
        SetThisRecord(next);
        for (int c = Channels.Low(); c <= Channels.High(); ++c) Channels[c].PointInRecord = false;
    }

    channel.Data[int(thisRecord_)] = value;
    channel.PointInRecord = true;
}

void TZorTape::DataPoint(TColor color, std::int32_t value) {
    if (Channels.Count() == 0) return;
    for (int c = Channels.Low(); c <= Channels.High(); ++c) {
        if (Channels[c].PlotColor == color) {
            DataPointCh(std::uint32_t(c), value);
            return;
        }
    }
}

}  // namespace vx
