#include "app/ReadingLoop.h"

#include <charconv>
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
    if (control_.ScanAll) {
        setStatus("^");
        const std::string reply = link_.AppQuery("A");
        if (reply == Failure) return fail();
        setStatus("-");
        // A reply of any other length is no failure; it is left alone.
        if (reply.size() == ScanReplyLength) readAllChannels(reply);
    } else {
        setStatus("*");
        if (!control_.ReadConversion()) return fail();
        ShowConversion();
    }
    setStatus(" ");
    Timer1.Restore(wasEnabled);
}

// Eight groups of five characters, the first four of each the 16-bit word;
// the graph rescales once, after the eighth point.
void ReadingLoop::readAllChannels(const std::string& reply) {
    AutoScaleSuspended suspended(target_);
    for (int c = 0; c < Channels; ++c) {
        const char* group = reply.data() + 5 * c;
        control_.RawHigh = HexPairToByte(group[0], group[1]);
        control_.RawLow = HexPairToByte(group[2], group[3]);
        control_.SetChannel(c);
        ShowConversion();
    }
}

void ReadingLoop::fail() {
    setStatus("!");
    StopAutoRead();
    control_.RawHigh = 0;
    control_.RawLow = 0;
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

void ReadingLoop::ShowConversion() {
    control_.DecodeConversion();
    const int32_t code = control_.CodeValue;
    const std::string voltsText = control_.VoltsText();
    const std::string codeText = std::to_string(code);
    const int channel = control_.CurrentChannel;
    if (channel >= 0 && channel < Channels) {
        Vin[size_t(channel)] = voltsText;
        Code[size_t(channel)] = codeText;
    }
    target_.Graph_Data_Point(channel, code);

    Queue.Add(control_.CodeToVolts());
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
    FilteredCode = int32_t((1 - FilterWeight) * code + FilterWeight * FilteredCode);
    CodeAvg = std::to_string(FilteredCode);
}

void ReadingLoop::TareCheckBoxClick(bool ticked) {
    TareCheckBox = ticked;
    control_.TareOffset = ticked ? FilteredCode : 0;
    TareCheckBoxCaption = "Tare Offset = " + std::to_string(control_.TareOffset);
    ClearStatisticsButtonClick();
}

void ReadingLoop::ClearStatisticsButtonClick() {
    Queue.Clear(control_.CodeToVolts());
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
