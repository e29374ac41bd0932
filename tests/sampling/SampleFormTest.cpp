// The sampling tool's window end to end on the offscreen platform: the serial
// window connected to the simulated kit, the real-time graph, and the reading
// path that the upload shares with live readings, all in virtual time.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "app/ReadingLoop.h"
#include "graph/SpectrumView.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "link/PortSwitch.h"
#include "link/SerialForm.h"
#include "sampling/SamplingApp.h"
#include "sampling/SampleForm.h"
#include "sim/InputSpec.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"

namespace {

const std::string Kit = SimulatedKit::PortName;

// Readings go where the program sends them: into the graph being fed.
class GraphTarget : public ReadingTarget {
public:
    void showStatus(const std::string&) override {}
    void Graph_Data_Point(int channel, int32_t code) override { ::Graph_Data_Point(channel, code); }
    bool AutoScale() override { return fed() && fed()->Painter()->AutoScale(); }
    void SetAutoScale(bool on) override {
        if (fed()) fed()->Painter()->SetAutoScale(on);
    }

private:
    static TGraphForm* fed() { return UseUploadGraph ? UploadGraphForm : GraphForm; }
};

// The windows the program makes, in its order, with the kit's application
// running on channel 5 and a 250 Hz sine on that input.
struct Rig {
    Rig() {
        widgetApp();
        TSerialForm::setWarningDialogs(&dialogs);
        GraphWindowHost& host = GraphHost();
        host.dialogs = &dialogs;
        host.clock = &clock;
        host.limits = &control.Limits;
        host.readingTimerEnabled = [this] { return readings.Timer1.Enabled(); };
        host.setReadingTimerEnabled = [this](bool on) { readings.Timer1.SetEnabled(on); };
        kit.inputs()[5] = InputSignal{2.0, 0, 1.5, 250, 0};
        ports.add(Kit, kit);

        graph = std::make_unique<TGraphForm>();
        GraphForm = graph.get();
        sample = std::make_unique<TSampleForm>(SamplingServices{control, readings, clock, dialogs});
        serial = std::make_unique<TSerialForm>(ports, clock, dialogs, PortChoices{{Kit}, {}});
        serial->driveTimerManually();
        TSerialForm::SelectFilename(VX_LOADER_DIR "/KIT7318.ARB");
        serial->cbxFriendlyPort->setEditText(QString::fromStdString(Kit));
        serial->btnOkClick();
        connected = serial->runSequence() == QDialog::Accepted;
        control.menuInputChannelClick(5);
        readings.Timer1.SetEnabled(true);
    }
    ~Rig() {
        serial.reset();
        sample.reset();
        GraphForm = nullptr;
        graph.reset();
        GraphWindowHost& host = GraphHost();
        host.readingTimerEnabled = nullptr;
        host.setReadingTimerEnabled = nullptr;
        host.limits = nullptr;
        TSerialForm::setWarningDialogs(nullptr);
    }

    // Opens the tool as "&Sample!" does and chooses a size.
    TSampleForm& open(const char* size) {
        sample->show();
        sample->SampleSizeComboBox->setCurrentText(size);
        return *sample;
    }
    std::vector<int> storedCodes(size_t count) const {
        std::vector<int> codes;
        for (uint16_t word : kit.storedSamples()) codes.push_back(word >> 4);
        codes.resize(std::min(count, codes.size()));
        return codes;
    }
    static std::vector<int> channelCodes(TGraphForm& window, int channel) {
        TZorTape& tape = *window.Painter()->DisplayZorTape();
        std::vector<int> codes;
        if (channel < tape.Channels.Low() || channel > tape.Channels.High() || !tape.Channels[channel].Enabled) return codes;
        for (uint32_t r = 0; r <= tape.ThisRecord(); ++r) codes.push_back(tape.Channels[channel].Data[int(r)]);
        return codes;
    }
    size_t stopsSinceLastCapture() const {
        const std::string seen = kit.receivedByModule();
        return size_t(std::count(seen.begin() + long(seen.rfind('C')), seen.end(), '>'));
    }
    // The upload's samples so far, counted as the loop lets messages run.
    size_t uploaded() const { return UseUploadGraph && UploadGraphForm ? channelCodes(*UploadGraphForm, 5).size() : 0; }

    VirtualClock clock;
    SimulatedKit kit{clock};
    PortSwitch ports{clock};
    ScriptedDialogs dialogs;
    GraphTarget target;
    ConversionControl control{TSerialForm::querySender(), dialogs};
    ReadingLoop readings{control, TSerialForm::querySender(), target, clock};
    std::unique_ptr<TGraphForm> graph;
    std::unique_ptr<TSampleForm> sample;
    std::unique_ptr<TSerialForm> serial;
    bool connected = false;
};

// Shots of the windows for a person to look at, when VX_WINDOW_SHOTS names a folder.
void shot(QWidget& window, const char* name) {
    const char* dir = std::getenv("VX_WINDOW_SHOTS");
    if (!dir) return;
    QApplication::processEvents();
    window.grab().save(QString("%1/%2.png").arg(dir, name));
}

TEST(SampleForm, RunFillsANewUploadWindowInTheChannelsColour) {
    Rig r;
    ASSERT_TRUE(r.connected);
    r.graph->Painter()->SetThisChannel(5);
    r.graph->Painter()->SetThisPlotColor(0x00C0FF);
    r.graph->Painter()->SetThisChannel(0);

    r.sample->show();
    EXPECT_EQ(r.sample->windowTitle(), "Sampling Tool: Idle");
    EXPECT_LT(r.sample->ProgressBarUpload->minimum(), r.sample->ProgressBarUpload->maximum())
        << "no size yet, and no busy animation either";
    TSampleForm& f = r.open("1024");
    EXPECT_EQ(r.kit.sampleCount(), 1024);
    EXPECT_FALSE(f.HaltButton->isEnabled());
    f.EditSampleTitle->setText("Sine");
    f.cbTimeStamp->setChecked(false);
    const uint32_t liveRecord = r.graph->Painter()->ThisRecord();
    bool timerOffDuringRun = true;
    f.onProcessMessages = [&] { timerOffDuringRun = timerOffDuringRun && !r.readings.Timer1.Enabled(); };
    f.SampleButton->click();

    ASSERT_EQ(f.uploadGraphs().size(), 1u);
    TGraphForm& upload = *f.uploadGraphs()[0];
    EXPECT_FALSE(UseUploadGraph);
    EXPECT_EQ(upload.windowTitle(), "Sine (Sample Run 1) 6.000000 ksps");
    EXPECT_TRUE(upload.isVisible());
    EXPECT_EQ(Rig::channelCodes(upload, 5), r.storedCodes(1024));
    EXPECT_EQ(Rig::channelCodes(upload, 5).size(), 1024u);
    upload.Painter()->SetThisChannel(5);
    EXPECT_EQ(upload.Painter()->GetThisPlotColor(), 0x00C0FFu);
    EXPECT_LE(upload.Painter()->XLeft(), 0) << "rescaled once over the whole run";
    EXPECT_GE(upload.Painter()->XRight(), 1024);
    EXPECT_TRUE(upload.ToolButtonChannel[5]->isChecked());
    EXPECT_EQ(r.graph->Painter()->ThisRecord(), liveRecord) << "the real-time graph got none of it";
    EXPECT_TRUE(timerOffDuringRun);
    EXPECT_TRUE(r.readings.Timer1.Enabled()) << "back on once the run is over";
    EXPECT_LE(r.serial->MemoHistory->count(), 51);
    // The tool closed itself; the row of channel 5 shows the last sample.
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(r.readings.Code[5], std::to_string(r.storedCodes(1024).back()));
    shot(upload, "sampling-upload-graph");

    // Closing the upload window asks to save it; "No" lets it go.
    r.dialogs.messageAnswers = {MsgAnswer::No};
    upload.close();
    ASSERT_EQ(r.dialogs.messages.size(), 1u);
    EXPECT_EQ(r.dialogs.messages[0].text, "Do you want to save this Graph?");
    EXPECT_EQ(r.dialogs.messages[0].caption, "Sine (Sample Run 1) 6.000000 ksps");
    EXPECT_FALSE(upload.isVisible());
}

TEST(SampleForm, CancelsKeepTheToolOpenAndWhatCame) {
    Rig r;
    ASSERT_TRUE(r.connected);
    TSampleForm& f = r.open("8192");
    shot(f, "sampling-tool-idle");

    // During the acquisition: ">" goes to the board once, the tool stays.
    bool clicked = false;
    f.onProcessMessages = [&] {
        if (clicked) return;
        clicked = true;
        EXPECT_TRUE(f.HaltButton->isEnabled());
        EXPECT_FALSE(f.SampleButton->isEnabled());
        shot(f, "sampling-tool-acquiring");
        f.HaltButton->click();
    };
    f.SampleButton->click();
    EXPECT_EQ(r.stopsSinceLastCapture(), 1u);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), "Sampling Tool: Ready");
    EXPECT_TRUE(f.SampleButton->isEnabled());
    EXPECT_FALSE(f.HaltButton->isEnabled());
    EXPECT_TRUE(f.uploadGraphs().empty());
    EXPECT_TRUE(r.readings.Timer1.Enabled());

    // During the upload: the samples received stay in the window.
    f.SampleSizeComboBox->setCurrentText("256");
    f.onProcessMessages = [&] {
        if (r.uploaded() == 60) {
            shot(f, "sampling-tool-transferring");
            f.HaltButton->click();
        }
    };
    f.SampleButton->click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), "Sampling Tool: Canceled");
    ASSERT_EQ(f.uploadGraphs().size(), 1u);
    EXPECT_EQ(Rig::channelCodes(*f.uploadGraphs()[0], 5), r.storedCodes(60));
    EXPECT_FALSE(UseUploadGraph);
    EXPECT_TRUE(f.uploadGraphs()[0]->DataUnsaved);

    // The board resets in the middle of the upload: the run halts, the
    // samples before stay, and this run had a window of its own.
    std::vector<int> before;  // the reset clears the board's memory
    f.onProcessMessages = [&] {
        if (r.uploaded() != 30 || !before.empty()) return;
        before = r.storedCodes(30);
        r.kit.faults().resetAfterReceived = 1;
    };
    f.SampleButton->click();
    EXPECT_EQ(f.windowTitle(), "Sampling Tool: Canceled");
    ASSERT_EQ(f.uploadGraphs().size(), 2u);
    EXPECT_EQ(Rig::channelCodes(*f.uploadGraphs()[1], 5), before);
    EXPECT_EQ(before.size(), 30u);
    EXPECT_EQ(Rig::channelCodes(*f.uploadGraphs()[0], 5).size(), 60u) << "the earlier window keeps its samples";
    const QString caption = f.uploadGraphs()[1]->windowTitle();
    EXPECT_TRUE(caption.startsWith("(Sample Run 2) 6.000000 ksps ")) << caption.toStdString();
    EXPECT_GT(caption.size(), QString("(Sample Run 2) 6.000000 ksps ").size()) << "with its time stamp";

    // "Cancel" with no run under way closes the tool.
    f.onProcessMessages = nullptr;
    f.HaltButton->setEnabled(true);
    f.HaltButton->click();
    EXPECT_FALSE(f.isVisible());
}

// A run of a known sine read back through the spectrum view: the frequency
// from the run's rate, and the resolution that the input's noise leaves.
TEST(SampleForm, SpectrumOfAnUploadedSineShowsItsFrequencyAndNoise) {
    Rig r;
    ASSERT_TRUE(r.connected);
    std::string error;
    r.kit.inputs()[5] = ParseInputSpec("5=sine:1000Hz,-1dBFS,noise=2", error)->signal;
    TSampleForm& f = r.open("1024");
    f.SampleButton->click();
    ASSERT_EQ(f.uploadGraphs().size(), 1u);
    TGraphForm& upload = *f.uploadGraphs()[0];
    upload.resize(1600, 900);
    upload.ToolButtonSpectrum->click();

    const SpectrumResult& s = upload.Painter()->Spectrum().result();
    ASSERT_TRUE(s.valid);
    EXPECT_NEAR(s.fundamental.frequency, 1000, 6000.0 / 1024);
    const double amplitude = 2048 * std::pow(10, -1.0 / 20);
    const double sinad = 10 * std::log10(amplitude * amplitude / 2 / (1.0 / 12 + 2 * 2));
    EXPECT_NEAR(s.enob, (sinad - 1.76) / 6.02, 0.2);
    shot(upload, "sampling-upload-spectrum");
}

}  // namespace
