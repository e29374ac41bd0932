// "sample": a sampling run of one channel through the sampling tool's own
// run and upload, written with the graph window's measurement writer, or
// as CSV on standard output. Ctrl-C halts the upload; the samples uploaded
// by then are kept.
#include <ctime>
#include <memory>

#include "app/ReadingLoop.h"
#include "cli/ExitCode.h"
#include "cli/OutputCheck.h"
#include "cli/Session.h"
#include "graph/ZorTape.h"
#include "graphwin/MeasurementWriter.h"
#include "sampling/SampleLink.h"
#include "sampling/SamplingTool.h"

namespace vx {

namespace {

// The upload graph of the desktop program, as a tape and a progress bar.
class UploadTape : public SampleScreen, public ReadingTarget {
public:
    explicit UploadTape(Session& session) : session_(session) {}

    const SamplingTool* tool = nullptr;

    std::unique_ptr<TZorTape> tape;
    std::string caption;
    std::vector<double> volts;
    bool stopped = false;

    // SampleScreen
    void Refresh(bool) override {
        if (!tool) return;
        const bool uploading = tool->view().Caption == SamplingTool::Transferring;
        const ProgressBar& bar = uploading ? tool->view().ProgressBarUpload : tool->view().ProgressBarSample;
        session_.progress.show(uploading ? "Uploading" : "Sampling ", uint64_t(bar.Position - bar.Min),
                               uint64_t(bar.Max - bar.Min));
    }
    void ProcessMessages() override {
        if (!stopped && session_.stopAsked()) {
            stopped = true;
            if (halt) halt();
        }
    }
    void OpenUploadGraph(const std::string& text, uint16_t sampleSize, int) override {
        caption = text;
        tape = std::make_unique<TZorTape>(1, sampleSize);
        tape->Wrap = false;
    }
    void FeedUploadGraph(bool on) override { feeding_ = on; }
    void AutoScaleUploadGraph() override {}
    void RescaleUploadGraph() override {}
    void ShowSummary(const std::string&) override {}
    void ShowReadings() override {}
    std::string DateTimeText() override {
        const std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
        return text;
    }

    // ReadingTarget: one uploaded sample, always in the file's first column.
    void showStatus(const std::string&) override {}
    void Graph_Data_Point(int, int32_t code) override {
        if (!feeding_ || !tape || volts.size() >= tape->NumRecords()) return;
        tape->DataPointCh(0, code);
        volts.push_back(session_.control.CodeToVolts());
    }
    bool AutoScale() override { return false; }
    void SetAutoScale(bool) override {}

    std::function<void()> halt;

private:
    Session& session_;
    bool feeding_ = false;
};

}  // namespace

int SampleChannel(Session& session) {
    const Options& o = session.options;
    ToolEnvironment& env = session.environment;
    OutputCheck check;
    if (const int prepared = session.prepareOutputAndConnect(check); prepared != ExitSuccess) return prepared;
    session.setControlWord(o.channel, false);

    PortSampleLink link(session.kit.port(), session.kit.query());
    UploadTape upload(session);
    ReadingLoop readings(session.control, session.kit.query(), upload, env.clock);
    SamplingTool tool(link, upload, session.control, readings, env.clock);
    upload.tool = &tool;
    upload.halt = [&tool] { tool.HaltButtonClick(); };
    tool.setTimeStamp(true);
    tool.setEditSampleTitle("VX7318 CH" + std::to_string(o.channel));
    tool.FormShow();
    tool.SampleSizeComboBoxChange(std::to_string(o.size));
    tool.SampleButtonClick();
    session.progress.finish();

    const size_t taken = upload.volts.size();
    int status = ExitSuccess;
    if (upload.stopped) {
        status = ExitInterrupted;
    } else if (taken < o.size) {
        env.err << "vx7318: the upload stopped after " << taken << " of " << o.size << " samples\n";
        status = ExitLinkFailure;
    }
    if (taken == 0) {
        check.discard();
        return status;
    }
    if (o.out.empty()) {
        env.out << "sample,CH" << o.channel << '\n';
        for (size_t i = 0; i < taken; ++i) env.out << i << ',' << Session::voltsText(upload.volts[i]) << '\n';
        env.out << std::flush;
        return status;
    }
    upload.tape->SetNumRecords(uint32_t(taken));
    SaveSettings settings;
    settings.Caption = upload.caption;
    settings.Limits = session.control.state().Limits;
    settings.Separator = SeparatorFor(o.out);
    const SaveResult saved = WriteMeasurements(o.out, *upload.tape, settings);
    if (!saved.Ok()) {
        env.err << "vx7318: " << saved.Error << '\n';
        return ExitFileError;
    }
    return status;
}

}  // namespace vx
