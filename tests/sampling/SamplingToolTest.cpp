// The sampling run without a window, against the simulated kit in virtual
// time: whole runs, the ways a run ends early, and the upload step's checks
// of each reply (scripted there: the kit's own are always well formed).
#include <gtest/gtest.h>

#include "app/ReadingLoop.h"
#include "link/RunningKit.h"
#include "sampling/SampleLink.h"
#include "sampling/SamplingTool.h"
#include "support/ScriptedDialogs.h"

namespace vx {

namespace {

struct RecordingTarget : ReadingTarget {
    void showStatus(const std::string&) override {}
    void Graph_Data_Point(int, int32_t code) override { codes.push_back(code); }
    bool AutoScale() override { return false; }
    void SetAutoScale(bool) override {}
    std::vector<int32_t> codes;
};

// Keeps each new caption, each upload window's caption and the summary.
struct RecordingScreen : SampleScreen {
    void Refresh(bool) override {
        if (captions.empty() || captions.back() != *caption) captions.push_back(*caption);
    }
    void ProcessMessages() override { onMessages(); }
    void OpenUploadGraph(const std::string& caption, uint16_t, int channel) override {
        graphs.push_back(caption + " ch" + std::to_string(channel));
    }
    void FeedUploadGraph(bool on) override { feeding = on; }
    void AutoScaleUploadGraph() override { ++autoScaleOn; }
    void RescaleUploadGraph() override { ++rescales; }
    void ShowSummary(const std::string& text) override { summary += text; }
    void ShowReadings() override {}
    std::string DateTimeText() override { return "06.12.26 19:00:00"; }

    std::vector<std::string> captions, graphs;
    std::string summary;
    std::function<void()> onMessages = [] {};
    bool feeding = false;
    int autoScaleOn = 0, rescales = 0;
    const std::string* caption = nullptr;
};

// The kit's own replies, or where a test scripts them, these: the kit's
// replies are always well formed.
struct KitLink : PortSampleLink {
    using PortSampleLink::PortSampleLink;
    std::string AppQuery(const std::string& query) override {
        queries.push_back(query);
        if (replies.empty()) return PortSampleLink::AppQuery(query);
        return std::exchange(replies, {replies.begin() + 1, replies.end()})[0];
    }
    std::deque<std::string> replies;
    std::vector<std::string> queries;
};

// A run against the simulated kit at 9600 baud, the converter on channel 5
// with a 250 Hz sine around 2 V.
struct KitRig {
    RunningKit kit;
    KitLink link{kit.port, kit.protocol};
    ScriptedDialogs dialogs;
    RecordingTarget target;
    ConversionControl control{kit.protocol, dialogs};
    ReadingLoop readings{control, kit.protocol, target, kit.clock};
    SamplingTool tool{link, screen, control, readings, kit.clock};
    RecordingScreen screen;

    KitRig() {
        screen.caption = &tool.view().Caption;
        kit.kit.inputs()[5] = InputSignal{2.0, 0, 1.5, 250, 0};
        control.menuInputChannelClick(5);
        tool.setTimeStamp(false);
        tool.FormShow();
    }
    // A run of `size` samples whose "U" replies are these; the codes they gave.
    std::vector<int32_t> run(uint16_t size, std::deque<std::string> replies) {
        tool.setRunForTest(size, tool.SampleRateKsps(), tool.NextAddress());
        link.replies = std::move(replies);
        tool.SampleButtonClick();
        return target.codes;
    }
};

TEST(SamplingTool, SampleSizeSetsTheModuleCountAndTheEstimate) {
    KitRig r;
    r.tool.SampleSizeComboBoxChange("1024");
    EXPECT_EQ(r.kit.kit.sampleCount(), 1024);
    EXPECT_EQ(r.tool.view().LabelSampleTime, "0.171 seconds worth of data, plus approx. 66.6 seconds to transfer data");

    // Text that is no count, and a count of 65536, mean no run at all.
    const std::pair<const char*, int> sizes[] = {{"?", 0}, {"65536", 0},     {"-1", 0},   {"12x", 0},
                                                 {"", 0},  {" 8192 ", 8192}, {"65537", 1}};
    for (const auto& [text, size] : sizes) EXPECT_EQ(SamplingTool::SampleSizeFromText(text), size) << text;
    const std::string before = r.kit.kit.receivedByModule();
    r.tool.SampleSizeComboBoxChange("65536");
    r.tool.SampleButtonClick();
    EXPECT_EQ(r.kit.kit.receivedByModule(), before);

    r.tool.setRunForTest(10, 0, 0);
    EXPECT_EQ(r.tool.SampleTimeText() + r.tool.RateText(),
              "unknown sample rate; approx.  0.7 seconds to transfer data(unknown sample rate)");
    r.tool.setRunForTest(10, 0.5, 0);
    EXPECT_EQ(r.tool.RateText(), "500.000000 sps");
}

TEST(SamplingTool, RunLearnsTheTransferTime) {
    KitRig r;
    r.kit.protocol.setEndReplyAtPrompt(false);  // every exchange ends after the 50 ms quiet time
    r.tool.setSummary(true);
    r.tool.setEditSampleTitle("Noise");
    r.tool.SampleSizeComboBoxChange("100");
    r.tool.SampleButtonClick();
    EXPECT_EQ(r.screen.rescales, 1);
    EXPECT_FALSE(r.screen.feeding) << "readings go to the real-time graph again";
    EXPECT_EQ(r.kit.kit.receivedByModule().find('>'), std::string::npos) << "no stop sent";
    EXPECT_EQ(r.screen.captions,
              (std::vector<std::string>{SamplingTool::Idle, SamplingTool::Acquiring, SamplingTool::Transferring}))
        << "too short for a countdown";
    // 100 exchanges of "U", its echo, six digits and ">" at 9600 baud plus
    // 50 ms quiet each take 5.9 s: 5 whole seconds, 50 ms per sample.
    EXPECT_NE(r.screen.summary.find("\n5.00 sec transfer time; 50.000 msec per sample"), std::string::npos)
        << r.screen.summary;
    EXPECT_NEAR(r.tool.TransferSecondsPerSample(), 0.2 * 0.065 + 0.8 * 0.05, 1e-12);

    // A one-sample run takes under a second: the learned time drops to a fifth.
    const double learned = r.tool.TransferSecondsPerSample();
    r.tool.SampleSizeComboBoxChange("1");
    r.tool.SampleButtonClick();
    EXPECT_NEAR(r.tool.TransferSecondsPerSample(), learned / 5, 1e-12);
    EXPECT_EQ(r.screen.graphs.back(), "Noise (Sample Run 2) 6.000000 ksps ch5");
}

// A run that cannot go on ends with the reason in the caption, the reading
// timer as before, the tool ready again, and no window beyond what came.
TEST(SamplingTool, RunThatCannotGoOnSaysWhy) {
    // What happens, what to do before "C" and at each round of messages; the caption, the windows.
    using Act = std::function<void(KitRig&)>;
    using Case = std::tuple<const char*, Act, Act, const char*, size_t>;
    const auto unplug = [](KitRig& r) { r.kit.kit.faults().unplugged = true; };
    const std::vector<Case> cases{
        {"no application", [](KitRig& r) { r.kit.protocol.setAppEnabled(false); }, nullptr, SamplingTool::NoApplication,
         0},
        {"no echo of C", [](KitRig& r) { r.kit.kit.faults().echoesLeft = 0; }, nullptr, SamplingTool::NotStarted, 0},
        {"unplugged before", unplug, nullptr, SamplingTool::DeviceGone, 0},
        {"unplugged acquiring", nullptr, unplug, SamplingTool::DeviceGone, 0},
        {"unplugged uploading", nullptr, [](KitRig& r) { r.kit.kit.faults().unplugged = r.target.codes.size() >= 10; },
         SamplingTool::DeviceGone, 1},
    };
    for (const auto& [what, arrange, during, caption, graphs] : cases) {
        KitRig r;
        r.readings.Timer1().SetEnabled(true);
        r.tool.SampleSizeComboBoxChange("8192");
        if (arrange) arrange(r);
        int rounds = 0;
        r.screen.onMessages = [&] {
            ++rounds;
            if (during) during(r);
        };
        r.tool.SampleButtonClick();
        EXPECT_EQ(r.tool.view().Caption, caption) << what;
        EXPECT_EQ(r.screen.graphs.size(), graphs) << what;
        EXPECT_TRUE(rounds <= 16 && r.kit.port.MemoHistory().count() <= 51) << what;
        EXPECT_TRUE(r.readings.Timer1().Enabled() && r.tool.view().SampleButtonEnabled &&
                    r.tool.view().SampleSizeComboBoxEnabled && !r.screen.feeding)
            << what;
        EXPECT_EQ(r.tool.ModalResult(), FormResult::None) << what << ": the tool stays open";
    }
}

TEST(SamplingTool, UploadStepChecksEveryReply) {
    {
        KitRig r;
        EXPECT_EQ(r.run(3, {"00123456", "033E80", "053E80"}), (std::vector<int32_t>{291, 1000, 1000}));
        EXPECT_EQ(r.tool.NextAddress(), 7);
        EXPECT_EQ(r.tool.ModalResult(), FormResult::Ok);
        // "<<" has the module step back one sample; from 00 the address wraps.
        r.tool.BacktrackButtonClick();
        EXPECT_EQ(r.link.queries.back(), "-");
        EXPECT_EQ(r.tool.view().NextAddrLabel, "05");
        EXPECT_EQ(r.tool.view().ProgressBarUpload.Position, 2);
        r.tool.setRunForTest(r.tool.SampleSize(), r.tool.SampleRateKsps(), 0);
        r.tool.BacktrackButtonClick();
        EXPECT_EQ(r.tool.view().NextAddrLabel, "FE");
        // With no size, neither ">>" nor "<<" sends anything.
        const size_t sent = r.link.queries.size();
        r.tool.setRunForTest(0, r.tool.SampleRateKsps(), r.tool.NextAddress());
        r.tool.UploadButtonClick();
        r.tool.BacktrackButtonClick();
        EXPECT_EQ(r.link.queries.size(), sent);
    }
    // Each of these halts the run after the first sample, which stays, and
    // nothing is learned; "." ends the data early and rescales the graph first.
    for (const char* bad : {"023E8", "023E800", "023E80000", "FAILURE", "02 3E80", "02G3E8", "043E80", "."}) {
        KitRig r;
        EXPECT_EQ(r.run(3, {"003E80", bad, "043E80"}), std::vector<int32_t>{1000}) << bad;
        EXPECT_EQ(r.tool.view().Caption, "Sampling Tool: Canceled") << bad;
        EXPECT_EQ(r.screen.autoScaleOn, std::string(bad) == "." ? 1 : 0) << bad;
        EXPECT_DOUBLE_EQ(r.tool.TransferSecondsPerSample(), 0.065) << bad;
    }
}

}  // namespace

}  // namespace vx
