// The sampling tool in the program, end to end on the offscreen platform:
// the windows main() makes, connected to the simulated kit, "&Sample!" from
// the main window, and the upload through the path of live readings, all in
// virtual time.
#include <gtest/gtest.h>

#include <QtWidgets>

#include "graph/SpectrumView.h"
#include "graph/ZrGraphPainter.h"
#include "sampling/SampleForm.h"
#include "sampling/SamplingApp.h"
#include "support/Controls.h"
#include "support/SimulatedProgram.h"

namespace vx {

namespace {

// The program connected to the kit, channel 5 chosen, a 250 Hz sine on it.
// "&Sample!" shows the tool and plays the user's part in it (inTool).
struct Program : SimulatedProgram {
    // The application comes first: the windows are made in the base.
    explicit Program(const std::string& placesFile = {})
        : SimulatedProgram((widgetApp(), "/nowhere/vx7318kit"), placesFile) {
        board.inputs()[5] = InputSignal{2.0, 0, 1.5, 250, 0};
        main.showModal = [this](QDialog& window) {
            if (&window != &tool) return connectSerialWindow();
            tool.show();
            inTool();
            return tool.result();
        };
        start();
        control<QAction>(main, "menuInputCH51")->trigger();
    }

    TMainForm& main = *windows->main;
    TSampleForm& tool = dynamic_cast<TSampleForm&>(*windows->sample);
    std::function<void()> inTool = [] {};
};

TEST(SampleForm, SampleMenuRunsTheToolIntoAWindowOfItsOwn) {
    Program p;
    ZrGraphPainter& live = *p.feed().GraphForm->Painter();
    live.SetThisChannel(5);
    live.SetThisPlotColor(0x00C0FF);
    live.SetThisChannel(0);
    const uint32_t liveRecord = live.ThisRecord();
    bool quietRun = true, mainFollows = true;
    p.inTool = [&] {
        control<QComboBox>(p.tool, "SampleSizeComboBox")->setCurrentText("256");
        control<QLineEdit>(p.tool, "EditSampleTitle")->setText("Sine");
        control<QCheckBox>(p.tool, "cbTimeStamp")->setChecked(false);
        p.tool.onProcessMessages = [&] {
            quietRun =
                quietRun && !p.main.Timer1().Enabled() && !control<QWidget>(p.tool, "SampleSizeComboBox")->isEnabled();
            const ReadingsView& shown = p.main.readings().view();
            mainFollows =
                mainFollows && textOf(p.main, "Code5") == shown.Code[5] && textOf(p.main, "VAvg") == shown.VAvg;
            control<QCheckBox>(p.tool, "cbSummary")->setChecked(true);  // read when the run ends
        };
        control<QPushButton>(p.tool, "SampleButton")->click();
    };
    control<QAction>(p.main, "menuSample1")->trigger();

    ASSERT_EQ(p.tool.uploadGraphs().size(), 1u);
    TGraphForm& upload = *p.tool.uploadGraphs()[0];
    EXPECT_EQ(upload.windowTitle(), "Sine (Sample Run 1) 6.000000 ksps");
    const TZorTape& tape = *upload.Painter()->DisplayZorTape();
    std::vector<int> stored, uploaded;
    for (uint32_t r = 0; r <= tape.ThisRecord(); ++r) uploaded.push_back(tape.Channels[5].Data[int(r)]);
    for (uint16_t word : p.board.storedSamples()) stored.push_back(word >> 4);
    stored.resize(256);
    EXPECT_EQ(uploaded, stored);
    EXPECT_TRUE(upload.DataUnsaved) << "closing it asks to save it";
    upload.Painter()->SetThisChannel(5);
    EXPECT_EQ(upload.Painter()->GetThisPlotColor(), 0x00C0FFu);
    EXPECT_TRUE(control<QToolButton>(upload, "ToolButtonChannel5")->isChecked());
    EXPECT_EQ(live.ThisRecord(), liveRecord) << "the real-time graph got none of it";
    EXPECT_TRUE(quietRun) << "no readings, and no new size, while the run is under way";
    EXPECT_TRUE(mainFollows) << "the main window's row and statistics show each sample";
    ASSERT_EQ(p.dialogs.messages.size(), 1u);
    EXPECT_EQ(p.dialogs.messages[0].text.rfind("Total elapsed time", 0), 0u);
    EXPECT_TRUE(!p.tool.isVisible() && p.main.Timer1().Enabled()) << "a completed run closes the tool; reading goes on";
    // The real-time graph beside the main window; the upload window cascaded from it.
    const QRect screen(0, 0, 1600, 1000);
    EXPECT_FALSE(p.feed().GraphForm->frameGeometry().intersects(p.main.frameGeometry()));
    EXPECT_LE((p.tool.frameGeometry().center() - screen.center()).manhattanLength(), 4) << "the tool in the middle";
    EXPECT_EQ(upload.frameGeometry(), p.feed().GraphForm->frameGeometry().translated(24, 24));
    // The spectrum's frequencies come from the run's rate.
    control<QToolButton>(upload, "ToolButtonSpectrum")->click();
    EXPECT_NEAR(upload.Painter()->Spectrum().result().fundamental.frequency, 250, 6000.0 / 256);
}

TEST(SampleForm, HaltDuringTheAcquisitionKeepsTheToolOpen) {
    Program p;
    TSampleForm& f = p.tool;
    // ">" goes to the board once, the tool stays.
    p.inTool = [&f] {
        control<QComboBox>(f, "SampleSizeComboBox")->setCurrentText("8192");
        f.onProcessMessages = [&f] {
            if (control<QPushButton>(f, "HaltButton")->isEnabled()) control<QPushButton>(f, "HaltButton")->click();
        };
        control<QPushButton>(f, "SampleButton")->click();
    };
    control<QAction>(p.main, "menuSample1")->trigger();
    const std::string seen = p.board.receivedByModule();
    EXPECT_EQ(std::count(seen.begin() + long(seen.rfind('C')), seen.end(), '>'), 1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), "Sampling Tool: Ready");
    for (const char* name : {"SampleButton", "SampleSizeComboBox", "HaltButton"})
        EXPECT_EQ(control<QWidget>(f, name)->isEnabled(), name != std::string("HaltButton")) << name;
    EXPECT_TRUE(f.uploadGraphs().empty() && p.main.Timer1().Enabled());

    // "Cancel" with no run under way closes the tool.
    control<QPushButton>(f, "HaltButton")->setEnabled(true);
    control<QPushButton>(f, "HaltButton")->click();
    EXPECT_FALSE(f.isVisible());
}

TEST(SampleForm, WindowsOpenWhereTheUserLeftThemLastTime) {
    QTemporaryDir settings;
    const std::string file = settings.filePath("windows.conf").toStdString();
    const QRect graph(700, 40, 800, 400);
    Program(file).feed().GraphForm->setGeometry(graph);
    EXPECT_EQ(Program(file).feed().GraphForm->geometry(), graph);
}

}  // namespace

}  // namespace vx
