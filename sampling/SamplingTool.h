#pragma once
// The sampling tool's run: the module converts one channel SampleSize times
// at full speed into its memory ("Z" sets the count, "C" acquires), then
// every stored sample is fetched with "U", checked against the memory
// address it must carry, and shown like a live reading, into a graph window
// of the run's own.
//
// The texts and states the tool's window shows live in SamplingToolView
// under the names of the controls that show them; the window copies them on
// every Refresh.
// The window's modal result doubles as the cancel flag of a running loop:
// HaltButtonClick sets Cancel, the acquisition answers with OK once it has
// passed the stop on to the module, and a loop that sees either puts it
// back to 0 so the window stays open.
#include <cstdint>
#include <string>

#include "support/FormState.h"

namespace vx {

class Clock;
class ConversionControl;
class ReadingLoop;
class SampleLink;

// What the run needs from its window and the graph windows.
class SampleScreen {
public:
    virtual ~SampleScreen() = default;
    // The state changed; with drawNow it is on the screen before the run goes on.
    virtual void Refresh(bool drawNow) = 0;
    // Lets pending user input run: this is where "Cancel" is noticed.
    virtual void ProcessMessages() = 0;
    // A new upload graph for the run: caption, painter prepared for
    // sampleSize records with channel's colour from the real-time graph,
    // unsaved; the tool back in front. The feed is not switched yet.
    virtual void OpenUploadGraph(const std::string& caption, uint16_t sampleSize, int channel) = 0;
    // Routes the reading feed to the upload graph (UseUploadGraph).
    virtual void FeedUploadGraph(bool on) = 0;
    // The upload graph's automatic scaling switched on (which rescales it).
    virtual void AutoScaleUploadGraph() = 0;
    // The upload graph rescaled once, its setting left as it is.
    virtual void RescaleUploadGraph() = 0;
    virtual void ShowSummary(const std::string& text) = 0;
    // A sample went through the reading path: the main window shows its row
    // and statistics now, not when the run is over.
    virtual void ShowReadings() = 0;
    // The date and time for a caption, in the locale's short date and long time.
    virtual std::string DateTimeText() = 0;
};

// What the sampling tool's window shows, and the user's choices in it.
struct SamplingToolView {
    std::string Caption = "Sampling Tool [04/30/2003]";
    std::string LabelSampleTime;
    bool SampleButtonEnabled = true;
    bool HaltButtonEnabled = false;
    // A new size would reach a busy module or cut the upload short.
    bool SampleSizeComboBoxEnabled = true;
    bool Timer1Enabled = false;
    bool Data3Visible = false;
    ProgressBar ProgressBarSample{0, 1000, 0};
    ProgressBar ProgressBarUpload{0, 0, 0};
    std::string QueryLabel = "##";
    std::string ReplyLabel = "##";
    std::string AddrLabel = "??";
    std::string Addr = "##";
    std::string DataLabel = "??????";
    std::string Data1 = "##", Data2 = "##", Data3 = "##";
    std::string NextAddrLabel = "##";
    // Set by the user.
    bool cbSummary = false;
    bool cbTimeStamp = true;
    std::string EditSampleTitle;
};

// The shown state is a private base, so that the run writes it by the
// controls' names while callers only read it through view().
class SamplingTool : private SamplingToolView {
public:
    static constexpr int BytesPerSample = 2;
    static constexpr size_t AcquisitionReplyLength = 511;
    static constexpr size_t ReadBufferSize = 256;
    static constexpr uint32_t RefreshMs = 500;
    static constexpr size_t HistoryLimit = 50;
    // During the upload the windows catch up (and the user's input runs) at
    // most this often: the screen's pace, however fast the samples come.
    static constexpr uint32_t FrameMs = 20;

    static constexpr const char* Idle = "Sampling Tool: Idle";
    static constexpr const char* Acquiring = "Sampling Tool: Acquiring Data...";
    static constexpr const char* Transferring = "Sampling Tool: Transferring Data...";
    static constexpr const char* Cancelling = "Sampling Tool: Cancelling, please wait...";
    static constexpr const char* Ready = "Sampling Tool: Ready";
    static constexpr const char* Canceled = "Sampling Tool: Canceled";
    static constexpr const char* SamplingNotice = "*** Sampling, please wait... ***";
    // Why a run ended without its samples; short enough for the title bar.
    static constexpr const char* NoApplication = "Sampling Tool: No module application is running";
    static constexpr const char* NotStarted = "Sampling Tool: The module did not start sampling";
    static constexpr const char* DeviceGone = "Sampling Tool: Stopped, the kit is disconnected";

    SamplingTool(SampleLink& link, SampleScreen& screen, ConversionControl& control, ReadingLoop& readings,
                 Clock& clock);

    // The list's text as a sample count: decimal digits, kept in 16 bits; 0
    // (no run) for anything else.
    static uint16_t SampleSizeFromText(const std::string& text);
    // "%4.3f seconds worth of data, plus approx. %4.1f seconds to transfer data".
    std::string SampleTimeText() const;
    // "(Sample Run 3)", after the title when there is one.
    std::string RunText() const;
    // "6.000000 ksps", "500.000000 sps" or "(unknown sample rate)".
    std::string RateText() const;

    // --- Handlers ---
    void FormShow();
    void SampleSizeComboBoxChange(const std::string& text);
    // A whole run: acquisition, upload and its end.
    void SampleButtonClick();
    void HaltButtonClick();
    // One upload step (also ">>" and the tool's timer).
    void UploadButtonClick();
    // "<<": the module steps back one sample.
    void BacktrackButtonClick();
    void Timer1Timer() { UploadButtonClick(); }
    // A run's loops are under way (a click on "Cancel" then only asks them to stop).
    bool running() const { return running_; }

    const SamplingToolView& view() const { return *this; }
    void setSummary(bool on) { cbSummary = on; }
    void setTimeStamp(bool on) { cbTimeStamp = on; }
    void setEditSampleTitle(const std::string& text) { EditSampleTitle = text; }

    // --- State that outlives an opening of the window ---
    uint16_t SampleSize() const { return sampleSize_; }
    double SampleRateKsps() const { return sampleRateKsps_; }
    // Learned from each whole upload.
    double TransferSecondsPerSample() const { return transferSecondsPerSample_; }
    uint8_t NextAddress() const { return nextAddress_; }
    FormResult ModalResult() const { return modalResult_; }
    // The result that closes the window, once: None afterwards.
    FormResult takeModalResult();

    // Tests only: the size, the module's rate and the next address as a
    // run would leave them, without the module's part.
    void setRunForTest(uint16_t sampleSize, double sampleRateKsps, uint8_t nextAddress);

private:
    // False when a cancel ended it.
    bool acquire();
    void prepareUpload();
    // False when a cancel or a halted step ended it.
    bool uploadAll();
    void finishRun();
    // What a run that ends early leaves behind: the caption, the reading
    // timer as before the run, the window open and ready for the next.
    void endEarly(const char* caption);
    // One upload step without showing it; the upload loop shows a frame's worth at once.
    void uploadStep();
    void show(bool drawNow = false);
    static std::string addressText(uint8_t address);

    SampleLink& link_;
    SampleScreen& screen_;
    ConversionControl& control_;
    ReadingLoop& readings_;
    Clock& clock_;
    uint16_t sampleSize_ = 0;
    double sampleRateKsps_ = 6.0;
    double transferSecondsPerSample_ = 0.065;
    bool savedMainTimerEnabled_ = false;
    std::string acquisitionReply_;
    uint8_t nextAddress_ = 0;
    uint16_t sampleRunNumber_ = 0;
    FormResult modalResult_ = FormResult::None;
    bool running_ = false;
    uint32_t t0_ = 0;
    uint32_t tUp0_ = 0;
};

}  // namespace vx
