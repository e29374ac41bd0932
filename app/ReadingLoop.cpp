#include "app/ReadingLoop.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "link/AppQuery.h"
#include "support/Misc.h"

namespace {

constexpr const char* Failure = "FAILURE";

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// Gives the graph its automatic rescale back also when a point throws.
class AutoScaleSuspended {
public:
    explicit AutoScaleSuspended(ReadingTarget& target) : target_(target), was_(target.AutoScale()) {
        target_.SetAutoScale(false);
    }
    ~AutoScaleSuspended() { target_.SetAutoScale(was_); }

private:
    ReadingTarget& target_;
    bool was_;
};

}  // namespace

ReadingLoop::ReadingLoop(ConversionControl& control, QuerySender& link, ReadingTarget& target, Clock& clock)
    : Timer1(clock), control_(control), link_(link), target_(target) {
    Vin.fill(UnknownVolts);
    Code.fill(UnknownCode);
}

void ReadingLoop::setStatus(const char* status) {
    StatusLabel = status;
    target_.showStatus(StatusLabel);
}

void ReadingLoop::UpdateButtonClick() {
    const bool wasEnabled = Timer1.Enabled();
    Timer1.SetEnabled(false);
    StatusVisible = true;
    try {
        // "FAILURE" has switched automatic reading off; anything else goes on.
        if (readOnce()) Timer1.Restore(wasEnabled);
    } catch (...) {
        // The reading broke off: say so, and leave automatic reading off
        // with its box unticked rather than a ticked box and no timer.
        setStatus("!");
        StopAutoRead();
        throw;
    }
}

bool ReadingLoop::readOnce() {
    if (control_.ScanAll) {
        setStatus("^");
        const std::string reply = link_.AppQuery("A");
        if (reply == Failure) return fail();
        setStatus("-");
        setStatus(readAllChannels(reply) ? " " : "!");
        return true;
    }
    // The reply belongs to the channel asked, whatever the lists say by the
    // time it is shown.
    const int channel = control_.CurrentChannel;
    setStatus("*");
    switch (control_.ReadConversion()) {
    case ConversionControl::Reply::Failure: return fail();
    case ConversionControl::Reply::NoConversion: setStatus("!"); break;
    case ConversionControl::Reply::Conversion:
        ShowConversion(channel);
        setStatus(" ");
        break;
    }
    return true;
}

// Eight groups of five characters, the first four of each the 16-bit word;
// the graph rescales once, after the eighth point. A group that carries no
// conversion is skipped, and so is every group of a reply of another length.
bool ReadingLoop::readAllChannels(const std::string& reply) {
    if (reply.size() != ScanReplyLength) return false;
    AutoScaleSuspended suspended(target_);
    bool all = true;
    for (int c = 0; c < Channels; ++c) {
        if (!ConversionControl::ParseWord(std::string_view(reply).substr(5 * size_t(c), 4), control_.RawHigh,
                                          control_.RawLow)) {
            all = false;
            continue;
        }
        ShowConversion(c);
    }
    return all;
}

bool ReadingLoop::fail() {
    setStatus("!");
    StopAutoRead();
    control_.RawHigh = 0;
    control_.RawLow = 0;
    return false;
}

void ReadingLoop::Timer1Timer() {
    Timer1.fired();
    UpdateButtonClick();
}

void ReadingLoop::AUTOREADcheckboxClick(bool ticked) {
    AUTOREADcheckbox = ticked;
    Timer1.SetEnabled(ticked);
}

int ReadingLoop::IntervalFromText(const std::string& text) {
    int ms = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, ms);
    if (result.ec != std::errc{} || result.ptr != end || ms <= 0) return FallbackInterval;
    return ms;
}

void ReadingLoop::UpdateRateComboBoxChange(const std::string& text) {
    UpdateRateComboBox = text;
    Timer1.SetInterval(IntervalFromText(text));
}

void ReadingLoop::StopAutoRead() {
    Timer1.SetEnabled(false);
    AUTOREADcheckbox = false;
}

int32_t ReadingLoop::RoundedFilteredCode() const { return int32_t(std::lround(FilteredCode)); }

void ReadingLoop::ShowConversion(int channel) {
    control_.DecodeConversion();
    const int32_t code = control_.CodeValue;
    const std::string voltsText = control_.VoltsText();
    const std::string codeText = std::to_string(code);
    if (channel >= 0 && channel < Channels) {
        Vin[size_t(channel)] = voltsText;
        Code[size_t(channel)] = codeText;
    }
    target_.Graph_Data_Point(channel, code);

    haveReading_ = true;
    if (!statisticsStarted_) {
        statisticsStarted_ = true;
        Queue.Clear(control_.CodeToVolts());
        FilteredCode = code;
    } else {
        Queue.Add(control_.CodeToVolts());
        FilteredCode = (1 - FilterWeight) * code + FilterWeight * FilteredCode;
    }
    CodeRms = format("%7.4fV", Queue.Rms());
    VAvg = format("%7.4fV", Queue.Mean());
    if (code < MinCodeSeen) {
        MinCodeSeen = code;
        VMin = voltsText;
        CodeMin = codeText;
    }
    if (code > MaxCodeSeen) {
        MaxCodeSeen = code;
        VMax = voltsText;
        CodeMax = codeText;
    }
    CodeAvg = std::to_string(RoundedFilteredCode());
}

void ReadingLoop::TareCheckBoxClick(bool ticked) {
    TareCheckBox = ticked;
    control_.TareOffset = ticked ? RoundedFilteredCode() : 0;
    TareCheckBoxCaption = "Tare Offset = " + std::to_string(control_.TareOffset);
    ClearStatisticsButtonClick();
}

// The statistics restart from the last reading; before any reading, from
// the first one to come.
void ReadingLoop::ClearStatisticsButtonClick() {
    Queue.Clear(control_.CodeToVolts());
    statisticsStarted_ = haveReading_;
    CodeRms = UnknownCode;
    FilteredCode = control_.CodeValue;
    VAvg = ClearedVolts;
    CodeAvg = UnknownCode;
    MinCodeSeen = control_.MaxCode;
    VMin = ClearedVolts;
    CodeMin = UnknownCode;
    MaxCodeSeen = control_.MinCode;
    VMax = ClearedVolts;
    CodeMax = UnknownCode;
}
