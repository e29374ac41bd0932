#include "app/ReadingLoop.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "link/AppQuery.h"
#include "support/Misc.h"

namespace vx {

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
    : timer1_(clock), control_(control), link_(link), target_(target) {
    Vin.fill(UnknownVolts);
    Code.fill(UnknownCode);
}

void ReadingLoop::setStatus(const char* status) {
    StatusLabel = status;
    target_.showStatus(StatusLabel);
}

void ReadingLoop::UpdateButtonClick() {
    const bool wasEnabled = timer1_.Enabled();
    timer1_.SetEnabled(false);
    StatusVisible = true;
    try {
        // "FAILURE" has switched automatic reading off; anything else goes on.
        if (readOnce()) timer1_.Restore(wasEnabled);
    } catch (...) {
        // The reading broke off: say so, and leave automatic reading off
        // with its box unticked rather than a ticked box and no timer.
        setStatus("!");
        StopAutoRead();
        throw;
    }
}

bool ReadingLoop::readOnce() {
    if (control_.state().ScanAll) {
        setStatus("^");
        const std::string reply = link_.AppQuery("A");
        if (reply == Failure) return fail();
        setStatus("-");
        setStatus(readAllChannels(reply) ? " " : "!");
        return true;
    }
    // The reply belongs to the channel asked, whatever the lists say by the
    // time it is shown.
    const int channel = control_.state().CurrentChannel;
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
        uint8_t high = 0, low = 0;
        if (!ConversionControl::ParseWord(std::string_view(reply).substr(5 * size_t(c), 4), high, low)) {
            all = false;
            continue;
        }
        control_.setRaw(high, low);
        ShowConversion(c);
    }
    return all;
}

bool ReadingLoop::fail() {
    setStatus("!");
    StopAutoRead();
    control_.setRaw(0, 0);
    return false;
}

void ReadingLoop::Timer1Timer() {
    timer1_.fired();
    UpdateButtonClick();
}

void ReadingLoop::AUTOREADcheckboxClick(bool ticked) {
    AUTOREADcheckbox = ticked;
    timer1_.SetEnabled(ticked);
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
    timer1_.SetInterval(IntervalFromText(text));
}

void ReadingLoop::StopAutoRead() {
    timer1_.SetEnabled(false);
    AUTOREADcheckbox = false;
}

int32_t ReadingLoop::RoundedFilteredCode() const { return int32_t(std::lround(filteredCode_)); }

void ReadingLoop::ShowConversion(int channel) {
    control_.DecodeConversion();
    const int32_t code = control_.state().CodeValue;
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
        queue_.Clear(control_.CodeToVolts());
        filteredCode_ = code;
    } else {
        queue_.Add(control_.CodeToVolts());
        filteredCode_ = (1 - FilterWeight) * code + FilterWeight * filteredCode_;
    }
    CodeRms = format("%7.4fV", queue_.Rms());
    VAvg = format("%7.4fV", queue_.Mean());
    if (code < minCodeSeen_) {
        minCodeSeen_ = code;
        VMin = voltsText;
        CodeMin = codeText;
    }
    if (code > maxCodeSeen_) {
        maxCodeSeen_ = code;
        VMax = voltsText;
        CodeMax = codeText;
    }
    CodeAvg = std::to_string(RoundedFilteredCode());
}

void ReadingLoop::TareCheckBoxClick(bool ticked) {
    TareCheckBox = ticked;
    control_.setTareOffset(ticked ? RoundedFilteredCode() : 0);
    TareCheckBoxCaption = "Tare Offset = " + std::to_string(control_.state().TareOffset);
    ClearStatisticsButtonClick();
}

// The statistics restart from the last reading; before any reading, from
// the first one to come.
void ReadingLoop::ClearStatisticsButtonClick() {
    queue_.Clear(control_.CodeToVolts());
    statisticsStarted_ = haveReading_;
    CodeRms = UnknownCode;
    filteredCode_ = control_.state().CodeValue;
    VAvg = ClearedVolts;
    CodeAvg = UnknownCode;
    minCodeSeen_ = control_.state().MaxCode;
    VMin = ClearedVolts;
    CodeMin = UnknownCode;
    maxCodeSeen_ = control_.state().MinCode;
    VMax = ClearedVolts;
    CodeMax = UnknownCode;
}

}  // namespace vx
