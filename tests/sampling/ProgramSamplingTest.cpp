// The sampling tool inside the program: "&Sample!" on the main window opens
// it with the reading timer paused, a run uploads into a window of its own,
// and readings go on afterwards as before.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/DesktopLauncher.h"
#include "app/MainForm.h"
#include "app/ProgramWindows.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "link/PortSwitch.h"
#include "link/SerialForm.h"
#include "sampling/SamplingApp.h"
#include "sampling/SampleForm.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"

namespace {

class NoLauncher : public Launcher {
public:
    int openDocument(const std::string&) override { return ENOENT; }
    int start(const std::vector<std::string>&) override { return ENOENT; }
};

TEST(ProgramSampling, SampleMenuRunsTheToolBetweenReadings) {
    widgetApp();
    VirtualClock clock;
    SimulatedKit kit{clock};
    kit.inputs().setLevel(5, 1.5);  // code 1500
    PortSwitch ports{clock};
    ports.add(SimulatedKit::PortName, kit);
    ScriptedDialogs dialogs;
    NoLauncher launcher;
    ProgramWindows windows({clock, dialogs, launcher, ports, {{SimulatedKit::PortName}, {}}, "/nowhere/vx7318kit"});
    TMainForm& main = *windows.main;
    main.driveTimerManually();
    SerialForm->driveTimerManually();
    main.loaderFileName = VX_LOADER_DIR "/KIT7318.ARB";

    auto* tool = dynamic_cast<TSampleForm*>(SampleForm);
    ASSERT_NE(tool, nullptr);
    bool timerOffInRun = true;
    tool->onProcessMessages = [&] { timerOffInRun = timerOffInRun && !main.Timer1().Enabled(); };
    main.showModal = [&](QDialog& window) {
        if (&window == SerialForm) {
            SerialForm->cbxFriendlyPort->setEditText(SimulatedKit::PortName);
            SerialForm->btnOkClick();
            return SerialForm->runSequence();
        }
        tool->show();
        tool->SampleSizeComboBox->setCurrentText("64");
        tool->SampleButton->click();
        return tool->result();
    };
    main.show();
    QApplication::processEvents();
    ASSERT_TRUE(main.Timer1().Enabled());

    main.menuInputCH[5]->trigger();
    main.menuSample1->trigger();
    ASSERT_EQ(tool->uploadGraphs().size(), 1u);
    TGraphForm& upload = *tool->uploadGraphs()[0];
    EXPECT_EQ(UploadGraphForm, &upload);
    TZorTape& tape = *upload.Painter()->DisplayZorTape();
    EXPECT_EQ(tape.ThisRecord(), 63u);
    for (int r = 0; r < 64; ++r) EXPECT_EQ(tape.Channels[5].Data[r], 1500) << r;
    EXPECT_TRUE(upload.windowTitle().startsWith("(Sample Run 1) 6.000000 ksps "));
    EXPECT_TRUE(timerOffInRun);
    EXPECT_TRUE(main.Timer1().Enabled()) << "reading again once the tool has closed";
    EXPECT_EQ(tool->result(), QDialog::Accepted);
    EXPECT_FALSE(tool->isVisible());

    // The next reading goes to the real-time graph again.
    const uint32_t uploaded = tape.ThisRecord();
    clock.sleepUntil(main.Timer1().dueMicros());
    main.Timer1Timer();
    EXPECT_EQ(tape.ThisRecord(), uploaded);
    EXPECT_EQ(main.Code[5]->text(), "1500");
}

}  // namespace
