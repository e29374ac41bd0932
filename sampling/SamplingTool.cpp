#include "sampling/SamplingTool.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "app/ConversionControl.h"
#include "app/ReadingLoop.h"
#include "platform/Clock.h"
#include "sampling/SampleLink.h"
#include "support/Misc.h"

namespace vx {

namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

bool allHex(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

uint8_t byteAt(const std::string& reply, size_t position) { return StringToByte("0x" + reply.substr(position, 2)); }

}  // namespace

FormResult SamplingTool::takeModalResult() {
    const FormResult result = modalResult_;
    modalResult_ = FormResult::None;
    return result;
}

void SamplingTool::setRunForTest(uint16_t sampleSize, double sampleRateKsps, uint8_t nextAddress) {
    sampleSize_ = sampleSize;
    ProgressBarUpload = {0, sampleSize, 0};
    sampleRateKsps_ = sampleRateKsps;
    nextAddress_ = nextAddress;
}

SamplingTool::SamplingTool(SampleLink& link, SampleScreen& screen, ConversionControl& control, ReadingLoop& readings,
                           Clock& clock)
    : link_(link), screen_(screen), control_(control), readings_(readings), clock_(clock) {}

uint16_t SamplingTool::SampleSizeFromText(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    const size_t last = text.find_last_not_of(" \t");
    const std::string digits = text.substr(first, last - first + 1);
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return 0;
    return uint16_t(std::stoul(digits));
}

std::string SamplingTool::SampleTimeText() const {
    const double transfer = sampleSize_ * transferSecondsPerSample_;
    if (sampleRateKsps_ == 0) return format("unknown sample rate; approx. %4.1f seconds to transfer data", transfer);
    return format("%4.3f seconds worth of data, plus approx. %4.1f seconds to transfer data",
                  sampleSize_ / (sampleRateKsps_ * 1000), transfer);
}

std::string SamplingTool::RunText() const {
    const std::string run = format("(Sample Run %d)", int(sampleRunNumber_));
    return EditSampleTitle.empty() ? run : EditSampleTitle + " " + run;
}

std::string SamplingTool::RateText() const {
    if (sampleRateKsps_ == 0) return "(unknown sample rate)";
    if (sampleRateKsps_ < 1) return format("%f sps", sampleRateKsps_ * 1000);
    return format("%f ksps", sampleRateKsps_);
}

std::string SamplingTool::addressText(uint8_t address) {
    std::string text;
    ByteToHexString(text, address, "");
    return text;
}

void SamplingTool::show(bool drawNow) { screen_.Refresh(drawNow); }

// --- Window and size ---

void SamplingTool::FormShow() {
    Caption = Idle;
    screen_.FeedUploadGraph(false);
    Timer1Enabled = false;
    HaltButtonEnabled = false;
    SampleButtonEnabled = true;
    SampleSizeComboBoxEnabled = true;
    modalResult_ = FormResult::None;
    ProgressBarSample = {0, 1000, 0};
    ProgressBarUpload = {0, sampleSize_, 0};
    LabelSampleTime = SampleTimeText();
    Data3Visible = BytesPerSample == 3;
    show();
}

void SamplingTool::SampleSizeComboBoxChange(const std::string& text) {
    if (!SampleSizeComboBoxEnabled) return;
    sampleSize_ = SampleSizeFromText(text);
    if (sampleSize_ == 0) return show();
    QueryLabel = format("Z%4.4X", unsigned(sampleSize_));
    show(true);
    ReplyLabel = link_.AppQuery(QueryLabel);
    ProgressBarSample = {0, 1000, 0};
    ProgressBarUpload = {0, sampleSize_, 0};
    LabelSampleTime = SampleTimeText();
    show();
}

// --- A run ---

void SamplingTool::SampleButtonClick() {
    if (sampleSize_ == 0) return;
    if (!link_.ApplicationRunning() || link_.DeviceGone()) {
        Caption = link_.DeviceGone() ? DeviceGone : NoApplication;
        return show();
    }
    modalResult_ = FormResult::None;
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{running_};
    if (!acquire()) return;
    prepareUpload();
    if (!uploadAll()) return;
    screen_.RescaleUploadGraph();
    finishRun();
}

bool SamplingTool::acquire() {
    savedMainTimerEnabled_ = readings_.Timer1().Enabled();
    readings_.Timer1().SetEnabled(false);
    HaltButtonEnabled = true;
    SampleButtonEnabled = false;
    SampleSizeComboBoxEnabled = false;
    ProgressBarSample.SetPosition(0);
    ProgressBarUpload.SetPosition(0);
    ReplyLabel = SamplingNotice;
    Caption = Acquiring;
    show(true);
    link_.ClearHistory();
    QueryLabel = "C";

    const double expectedMs = sampleRateKsps_ > 0 ? sampleSize_ / sampleRateKsps_ + 1 : 2000;
    ProgressBarSample = {0, int(expectedMs), 0};
    show(true);
    acquisitionReply_.clear();
    if (!link_.WriteStringWaitForEcho("C")) {
        endEarly(link_.DeviceGone() ? DeviceGone : NotStarted);
        return false;
    }
    t0_ = clock_.ticks();
    uint32_t tLast = t0_;
    const double deadlineMs = link_.AppQueryTimeoutMs() + expectedMs;

    char buffer[ReadBufferSize];
    for (uint32_t elapsed = 0; elapsed < deadlineMs; elapsed = clock_.ticks() - t0_) {
        // Between refreshes only the port is read: wait for it, not spin.
        const uint32_t sinceRefresh = clock_.ticks() - tLast;
        const double untilDeadline = deadlineMs - elapsed;
        const double untilRefresh = sinceRefresh < RefreshMs ? RefreshMs - sinceRefresh : 0;
        if (untilRefresh > 0) link_.waitForInput(uint32_t(std::ceil(std::min(untilDeadline, untilRefresh))));
        if (link_.ReadString(buffer, sizeof buffer)) {
            const size_t room = AcquisitionReplyLength - acquisitionReply_.size();
            acquisitionReply_.append(buffer, std::min(room, std::char_traits<char>::length(buffer)));
        } else if (link_.DeviceGone()) {
            break;  // a gone device reads as always ready: the wait no longer paces the loop
        }
        const uint32_t now = clock_.ticks();
        if (now - tLast < RefreshMs) continue;

        ProgressBarSample.SetPosition(int(now - t0_));
        if (modalResult_ == FormResult::Cancel) {
            link_.WriteStringNoEcho(">");
            modalResult_ = FormResult::Ok;  // the stop has been passed on
        }
        const double leftMs = expectedMs + RefreshMs - double(now - t0_);
        Caption =
            format("Sampling Tool: %s... %d sec left",
                   modalResult_ == FormResult::None ? "Acquiring Data" : "Cancelling, please wait", int(leftMs / 1000));
        show(true);
        screen_.ProcessMessages();
        if (!acquisitionReply_.empty() && acquisitionReply_.back() == '>') {
            acquisitionReply_.pop_back();
            ProgressBarSample.SetPosition(ProgressBarSample.Max);
            break;
        }
        tLast = now;
    }

    if (link_.DeviceGone() || modalResult_ != FormResult::None) {
        endEarly(link_.DeviceGone() ? DeviceGone : Ready);
        return false;
    }
    if (!acquisitionReply_.empty() && acquisitionReply_.back() == '>') acquisitionReply_.pop_back();
    ProgressBarSample.SetPosition(ProgressBarSample.Max);
    ReplyLabel = acquisitionReply_;
    show();
    return true;
}

void SamplingTool::prepareUpload() {
    nextAddress_ = 0;
    Caption = Transferring;
    NextAddrLabel = addressText(nextAddress_);
    show(true);
    ++sampleRunNumber_;
    const std::string run = RunText();
    const std::string caption =
        cbTimeStamp ? run + " " + RateText() + " " + screen_.DateTimeText() : run + " " + RateText();
    screen_.OpenUploadGraph(caption, sampleSize_, control_.state().CurrentChannel);
    screen_.FeedUploadGraph(true);
    tUp0_ = clock_.ticks();
}

bool SamplingTool::uploadAll() {
    uint32_t lastFrame = clock_.ticks();
    while (ProgressBarUpload.Position < ProgressBarUpload.Max) {
        uploadStep();
        if (link_.HistoryLines() > HistoryLimit) link_.ClearHistory();
        // Text layout and painting cost far more than a sample's exchange on
        // a fast line: the windows show the latest sample once a frame.
        const bool last = ProgressBarUpload.Position >= ProgressBarUpload.Max || modalResult_ != FormResult::None;
        if (!last && clock_.ticks() - lastFrame < FrameMs) continue;
        lastFrame = clock_.ticks();
        screen_.ShowReadings();
        show();
        screen_.ProcessMessages();
        if (modalResult_ != FormResult::None) {
            endEarly(link_.DeviceGone() ? DeviceGone : Canceled);
            return false;
        }
    }
    return true;
}

void SamplingTool::finishRun() {
    const uint32_t tEnd = clock_.ticks();
    const double total = double((tEnd - t0_) / 1000);
    const double transfer = double((tEnd - tUp0_) / 1000);
    const double perSample = transfer / sampleSize_;
    if (cbSummary)
        screen_.ShowSummary(format("Total elapsed time %4.2f sec.\n%4.2f sec transfer time; %4.3f msec per sample",
                                   total, transfer, perSample * 1000));
    transferSecondsPerSample_ = 0.2 * transferSecondsPerSample_ + 0.8 * perSample;
    screen_.FeedUploadGraph(false);
    // Every ending gives the reading timer back its state from before the run.
    readings_.Timer1().SetEnabled(savedMainTimerEnabled_);
    SampleSizeComboBoxEnabled = true;
    modalResult_ = FormResult::Ok;  // the tool closes; the upload graph stays
    show();
}

void SamplingTool::endEarly(const char* caption) {
    Caption = caption;
    readings_.Timer1().SetEnabled(savedMainTimerEnabled_);
    modalResult_ = FormResult::None;
    HaltButtonEnabled = false;
    SampleButtonEnabled = true;
    SampleSizeComboBoxEnabled = true;
    show();
}

void SamplingTool::HaltButtonClick() {
    Caption = Cancelling;
    screen_.FeedUploadGraph(false);
    Timer1Enabled = false;
    readings_.Timer1().SetEnabled(savedMainTimerEnabled_);
    HaltButtonEnabled = false;
    modalResult_ = FormResult::Cancel;
    show();
}

// --- Upload ---

void SamplingTool::UploadButtonClick() {
    if (sampleSize_ == 0) {
        Timer1Enabled = false;
        return show();
    }
    uploadStep();
    screen_.ShowReadings();
    show();
}

void SamplingTool::uploadStep() {
    ProgressBarUpload.SetPosition(ProgressBarUpload.Position + 1);
    QueryLabel = "U";
    const std::string reply = link_.AppQuery(QueryLabel);
    if (reply.find('.') != std::string::npos) {
        screen_.AutoScaleUploadGraph();
        return HaltButtonClick();
    }
    if (reply.size() < 6) return HaltButtonClick();
    ReplyLabel = reply;
    AddrLabel = reply.substr(0, 2);
    // A reply garbled on the line would otherwise pass digits of 0 for its
    // bad characters and store a wrong sample.
    if (!allHex(reply)) return HaltButtonClick();
    const uint8_t address = byteAt(reply, 0);
    Addr = addressText(address);
    if (address != nextAddress_) return HaltButtonClick();
    if (reply.size() != 6 && reply.size() != 8) return HaltButtonClick();

    DataLabel = reply.substr(2);
    control_.setRaw(byteAt(reply, 2), byteAt(reply, 4));
    Data1 = format("%2.2X", unsigned(control_.state().RawHigh));
    Data2 = format("%2.2X", unsigned(control_.state().RawLow));
    nextAddress_ = uint8_t(nextAddress_ + (reply.size() == 8 ? 3 : 2));
    readings_.ShowConversion();
    NextAddrLabel = format("%2.2X", unsigned(nextAddress_));
}

void SamplingTool::BacktrackButtonClick() {
    if (sampleSize_ == 0) return;
    QueryLabel = "-";
    show(true);
    ReplyLabel = link_.AppQuery(QueryLabel);
    nextAddress_ = uint8_t(nextAddress_ - BytesPerSample);
    NextAddrLabel = addressText(nextAddress_);
    ProgressBarUpload.SetPosition(ProgressBarUpload.Position - 1);
    show();
}

}  // namespace vx
