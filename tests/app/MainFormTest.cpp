// The program's windows end to end on the offscreen platform, against the
// simulated kit, in virtual time, under a locale with a decimal comma:
// start-up and connection, readings into the rows, the statistics and the
// real-time graph, scan of all channels, an unplugged adapter, the title,
// quitting with an unsaved graph, colours, menus and help.
#include <gtest/gtest.h>

#include <QtWidgets>

#include "app/ProgramApplication.h"
#include "graph/ZrGraphPainter.h"
#include "support/Controls.h"
#include "support/NumericLocale.h"
#include "support/SimulatedProgram.h"

namespace vx {

namespace {

QColor textColour(const QObject& w, const QString& name) {
    return control<QWidget>(w, name)->palette().color(QPalette::WindowText);
}

// The program as main() builds it, with the user's part played by the test:
// the kit chosen and Ok pressed in the serial window, the other modal windows
// closed at once.
struct Program : SimulatedProgram {
    explicit Program(bool connect = true) : SimulatedProgram(VX_APP_DIR "/vx7318kit") {
        board.inputs().setLevel(0, 1.0);  // code 1000
        board.inputs().setLevel(3, 2.0);  // code 2000
        main().showModal = [this, connect](QDialog& window) {
            if (&window != &serial() || !connect) return int(QDialog::Rejected);
            return connectSerialWindow();
        };
        start();
    }
    ZrGraphPainter& painter() { return *feed().GraphForm->Painter(); }

    // Runs the reading timer for ms of virtual time; how often it fired.
    int readFor(uint32_t ms) {
        const uint64_t end = clock.micros() + uint64_t(ms) * 1000;
        int ticks = 0;
        for (; main().Timer1().Enabled() && main().Timer1().dueMicros() <= end; ++ticks) {
            clock.sleepUntil(main().Timer1().dueMicros());
            main().Timer1Timer();
        }
        clock.sleepUntil(end);
        return ticks;
    }
};

TEST(MainForm, ConnectsReadsScansAndStopsWhenUnplugged) {
    Program p;
    TMainForm& f = p.main();
    EXPECT_EQ(f.windowTitle(), "Vanto VX7318 on Simulated kit");
    // The first reading, taken at show time.
    EXPECT_EQ(textOf(f, "StatusLabel") + textOf(f, "Code0") + textOf(f, "Vin0"), " 1000  1.0000V");
    // Only channel 0 is in the graph yet: its row alone took the graph's colour.
    p.painter().SetThisChannel(0);
    p.painter().SetThisPlotColor(0x0000FF);
    f.ApplyChannelColours();
    EXPECT_EQ(textColour(f, "Vin0"), QColor(255, 0, 0));
    EXPECT_EQ(textColour(f, "Vin1"), f.palette().color(QPalette::WindowText));

    EXPECT_EQ(p.readFor(1000), 10);
    // Every number with a decimal point, whatever the locale says.
    EXPECT_EQ(textOf(f, "VAvg") + textOf(f, "CodeRms") + textOf(f, "CodeMin") + textOf(f, "CodeMax"),
              " 1.0000V 1.0000V10001000");
    EXPECT_EQ(textOf(*p.feed().GraphForm, "EditMeanCode"), "1000.000000");
    EXPECT_EQ(p.painter().DisplayZorTape()->ThisRecord(), 10u);  // eleven points in the graph

    // The timer is the test's: the real one stays off.
    EXPECT_FALSE(control<QTimer>(f, "Timer1")->isActive());

    // A selector list composes and sends the word.
    control<QComboBox>(f, "ComboBox3")->setCurrentIndex(0);
    EXPECT_EQ(p.board.controlWord().value, 0x87);
    control<QComboBox>(f, "ComboBox4")->setCurrentIndex(0);
    EXPECT_EQ(p.board.controlWord().value, 0x83);
    control<QComboBox>(f, "ComboBox3")->setCurrentIndex(1);
    control<QComboBox>(f, "ComboBox4")->setCurrentIndex(1);

    // Each item of the Input menu reads its own channel into its own row.
    for (int c = 0; c < 8; ++c) p.board.inputs().setLevel(c, 0.1 + 0.5 * c);
    for (int c = 0; c < 8; ++c) {
        control<QAction>(f, QString("menuInputCH%1").arg(c) + "1")->trigger();
        control<QPushButton>(f, "UpdateButton")->click();
        EXPECT_EQ(textOf(f, QString("Code%1").arg(c)), std::to_string(100 + 500 * c));
    }

    // Scan all: the rows filled, the graph rescaled to take all eight points.
    p.painter().SetAutoScale(true);
    control<QAction>(f, "menuInputScanAll1")->trigger();
    p.readFor(100);
    EXPECT_LE(p.painter().YBottom(), 0);
    EXPECT_GE(p.painter().YTop(), 3600);
    EXPECT_EQ(textOf(f, "Code6"), "3100");

    // "&Sample!" refuses a scan and leaves the timer as it was.
    control<QAction>(f, "menuSample1")->trigger();
    ASSERT_EQ(p.dialogs.messages.size(), 1u);
    EXPECT_EQ(p.dialogs.messages[0].caption + ": " + p.dialogs.messages[0].text,
              "Vanto: Sampling supports only one channel at a time.");

    // Standard colours reach the rows; one channel's through the dialog, cancelled first.
    control<QAction>(f, "menuColorsStandard1")->trigger();
    EXPECT_EQ(textColour(f, "LabelCH6"), QColor(0, 0, 255));
    p.dialogs.colourAnswers = {std::nullopt, 0x00FF00u};
    control<QAction>(f, "menuColorCH51")->trigger();
    EXPECT_EQ(textColour(f, "Code5"), QColor(0, 128, 0));
    control<QAction>(f, "menuColorCH51")->trigger();
    EXPECT_EQ(textColour(f, "Code5"), QColor(0, 255, 0));
    p.painter().SetThisChannel(5);
    EXPECT_EQ(p.painter().GetThisPlotColor(), 0x00FF00u);
    EXPECT_TRUE(f.Timer1().Enabled()) << "given back after the dialog";

    // Statistics cleared; tare on the last reading, channel 7's of the scan.
    control<QPushButton>(f, "ClearStatisticsButton")->click();
    EXPECT_EQ(textOf(f, "VAvg"), "+?.???V");
    control<QCheckBox>(f, "TareCheckBox")->click();
    EXPECT_EQ(textOf(f, "TareCheckBox"), "Tare Offset = 3600");

    // Vref with the user's decimal comma; a bad entry shows the Vref in use.
    for (const auto& [typed, shown] : {std::pair{"2,5", "2,5"}, std::pair{"-1", "2.500"}}) {
        control<QLineEdit>(f, "VrefEdit")->setText(typed);
        control<QPushButton>(f, "SetVrefButton")->click();
        EXPECT_DOUBLE_EQ(f.control().state().Vref, 2.5);
        EXPECT_EQ(textOf(f, "VrefEdit"), shown);
    }
    // A typed rate reaches the timer.
    control<QComboBox>(f, "UpdateRateComboBox")->setEditText("250");
    EXPECT_EQ(f.Timer1().Interval(), 250);

    // An unplugged adapter stops reading; the title says so.
    p.board.faults().unplugged = true;
    p.readFor(300);
    EXPECT_EQ(textOf(f, "StatusLabel"), "!");
    EXPECT_EQ(p.readFor(1000), 0);
    EXPECT_EQ(f.windowTitle(), "VX7318 Evaluation Kit - Not Connected");
}

TEST(MainForm, WithoutConnectionTheWindowStaysUsable) {
    Program p(false);
    TMainForm& f = p.main();
    EXPECT_EQ(f.windowTitle().toStdString() + textOf(f, "StatusLabel"), "VX7318 Evaluation Kit - Not Connected!");
    EXPECT_FALSE(control<QCheckBox>(f, "AUTOREADcheckbox")->isChecked() || f.Timer1().Enabled());

    // View menu: ticks follow the windows; the items show and hide them.
    emit control<QMenu>(f, "menuView1")->aboutToShow();
    for (bool graphShown : {true, false}) {
        EXPECT_EQ(control<QAction>(f, "menuViewRealtimeGraph1")->isChecked(), graphShown);
        EXPECT_EQ(control<QAction>(f, "menuViewCOMPortDebug1")->isChecked(), !graphShown);
        control<QAction>(f, "menuViewCOMPortDebug1")->trigger();
        control<QAction>(f, "menuViewRealtimeGraph1")->trigger();
        emit control<QMenu>(f, "menuView1")->aboutToShow();
    }

    // Connected from the serial window, stopped there: the title follows.
    p.connectSerialWindow();
    EXPECT_EQ(f.windowTitle(), "Vanto VX7318 on Simulated kit");
    control<QPushButton>(p.serial(), "btnStop")->click();
    EXPECT_EQ(f.windowTitle(), "VX7318 Evaluation Kit - Not Connected");

    // "&Sample!" opens the sampling tool modally with the timer paused, and
    // gives the timer back its state.
    control<QCheckBox>(f, "AUTOREADcheckbox")->click();
    bool pausedWhileOpen = false;
    f.showModal = [&](QDialog& window) {
        EXPECT_EQ(&window, p.windows->sample.get());
        pausedWhileOpen = !f.Timer1().Enabled();
        return int(QDialog::Rejected);
    };
    control<QAction>(f, "menuSample1")->trigger();
    EXPECT_TRUE(pausedWhileOpen && f.Timer1().Enabled());

    control<QAction>(f, "menuHelpAbout")->trigger();
    ASSERT_EQ(p.dialogs.messages.size(), 1u);
    EXPECT_EQ(p.dialogs.messages[0].text.rfind("VX7318 Evaluation Software\nLast compiled ", 0), 0u);
    // Help with no browser on the desktop: the program's own window.
    control<QAction>(f, "menuHelpIndex")->trigger();
    EXPECT_EQ(p.dialogs.messages.size(), 1u);
    QTextBrowser* help = control<QTextBrowser>(f, "helpWindow");
    ASSERT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), "VX7318 Evaluation Kit - Help");

    // The window's own timer waits whole milliseconds, never less than the interval.
    TMainForm unmanaged(p.kit, p.feed(), p.clock, p.dialogs, p.launcher, "");
    unmanaged.Timer1().SetEnabled(true);
    EXPECT_EQ(control<QTimer>(unmanaged, "Timer1")->interval(), 1000);
}

TEST(MainForm, AThrowingHandlerOrACancelledCloseLeavesTheProgramRunning) {
    Program p;
    TMainForm& f = p.main();
    auto& app = static_cast<ProgramApplication&>(*QApplication::instance());
    app.setExceptionDialogs(&p.dialogs);
    TGraphForm* graph = p.feed().GraphForm;
    p.feed().GraphForm = nullptr;  // the reading has no graph to go to
    bool later = false;
    QTimer::singleShot(0, &f, [&] { f.Timer1Timer(); });
    QTimer::singleShot(0, &f, [&] { later = true; });
    QApplication::processEvents();
    p.feed().GraphForm = graph;
    app.setExceptionDialogs(nullptr);

    ASSERT_EQ(p.dialogs.messages.size(), 1u);
    EXPECT_EQ(p.dialogs.messages[0].text, "null Target graph in Graph_Data_Point");
    EXPECT_EQ(p.dialogs.messages[0].icon, MsgIcon::Stop);
    EXPECT_TRUE(later);
    // Automatic reading is off, and the window says so.
    EXPECT_EQ(textOf(f, "StatusLabel"), "!");
    EXPECT_FALSE(control<QCheckBox>(f, "AUTOREADcheckbox")->isChecked() || f.Timer1().Enabled());
    control<QPushButton>(f, "UpdateButton")->click();
    EXPECT_EQ(textOf(f, "StatusLabel"), " ");

    // Cancel at an unsaved graph keeps the program, its windows, its reading and its connection.
    control<QCheckBox>(f, "AUTOREADcheckbox")->click();
    TGraphForm upload(p.windows->graphHost);
    upload.DataUnsaved = true;
    upload.show();
    p.dialogs.messageAnswers = {MsgAnswer::Cancel, MsgAnswer::No};
    EXPECT_FALSE(f.close());
    EXPECT_TRUE(f.isVisible() && p.feed().GraphForm->isVisible() && upload.isVisible() && f.Timer1().Enabled());
    EXPECT_EQ(p.kit.sequence().ConnState(), ConnectionState::Running);

    // Closing stops the module application and closes the port.
    EXPECT_TRUE(f.close());
    QApplication::processEvents();
    ASSERT_EQ(p.dialogs.messages.size(), 3u) << "asked once per close";
    EXPECT_EQ(p.dialogs.messages[1].text, "Do you want to save this Graph?");
    EXPECT_EQ(p.kit.sequence().ConnState(), ConnectionState::Idle);
    EXPECT_FALSE(f.Timer1().Enabled());
}

}  // namespace

}  // namespace vx

using namespace vx;

// glibc's newlocale keeps the search path it builds from LOCPATH, which only
// this test program sets: not a leak of the program's.
extern "C" const char* __lsan_default_suppressions() { return "leak:__newlocale\nleak:__argz_add_sep\n"; }

// The one QApplication, on the offscreen platform unless the environment
// names another, torn down before the program's exit handlers run.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The German locale the build made: every number the C library formats
    // with the locale would show a comma.
    setenv("LOCPATH", VX_LOCALE_DIR, 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    if (UserDecimalPoint() != ",") {
        std::fprintf(stderr, "No de_DE.UTF-8 locale in %s (localedef, Debian package locales).\n", VX_LOCALE_DIR);
        return 1;
    }
    ProgramApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
