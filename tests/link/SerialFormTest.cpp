// The serial window on the offscreen platform, against the simulated kit (or
// a pseudo-terminal), in virtual time.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <regex>
#include <unistd.h>

#include "link/PortSwitch.h"
#include "link/SerialForm.h"
#include "link/SpyDevice.h"
#include "link/WidgetApp.h"
#include "platform/LibraryLoader.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"

namespace {

const std::string Kit = SimulatedKit::PortName;
const std::string LoaderDir = VX_LOADER_DIR;

// Notes when each read brought text, on the test's clock.
class TimedDevice : public SpyDevice {
public:
    TimedDevice(SerialDevice& inner, Clock& clock) : SpyDevice(inner), clock_(clock) {}
    long read(char* buffer, size_t max) override {
        const long count = SpyDevice::read(buffer, max);
        if (count > 0) lastTextMicros = clock_.micros();
        return count;
    }
    uint64_t lastTextMicros = 0;

private:
    Clock& clock_;
};

std::vector<std::string> historyRows(const QListWidget& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.count(); ++i) rows.push_back(list.item(i)->text().toStdString());
    return rows;
}

struct Rig {
    explicit Rig(ModuleKind kind = ModuleKind::Arbord, PortChoices choices = {{Kit}, {}},
                 const std::string& debuggerLibrary = "/nonexistent/libLinkProbe.so")
        : kit(clock, kind), timed(kit, clock) {
        widgetApp();
        TSerialForm::setWarningDialogs(&dialogs);
        ports.add(Kit, timed);
        form = std::make_unique<TSerialForm>(ports, clock, dialogs, choices, debuggerLibrary);
        form->driveTimerManually();
    }
    ~Rig() { TSerialForm::setWarningDialogs(nullptr); }

    VirtualClock clock;
    SimulatedKit kit;
    TimedDevice timed;
    PortSwitch ports{clock};
    ScriptedDialogs dialogs;
    std::unique_ptr<TSerialForm> form;
};

// Opens the kit with the Open button and puts its board into the
// application, with what it said meanwhile read away.
void openOnRunningApplication(Rig& rig) {
    rig.form->cbxHwPort->setEditText(QString::fromStdString(Kit));
    rig.form->btnHwOpen->click();
    rig.clock.sleep(1000);
    rig.kit.runApplication();
    rig.clock.sleep(1000);
    char drain[SerialPortLayer::RxBufferSize];
    while (TSerialForm::ReadString(drain, sizeof drain)) {
    }
}

}  // namespace

TEST(SerialForm, StartsWithTheFriendlyPanelAndTheHistory) {
    Rig rig(ModuleKind::Arbord, {{"/dev/vx-a", Kit}, {Kit}});
    TSerialForm& f = *rig.form;

    // The port lists: Automatic, then the machine's ports and the simulated kit last.
    ASSERT_EQ(f.cbxFriendlyPort->count(), 3);
    EXPECT_EQ(f.cbxFriendlyPort->itemText(2).toStdString(), Kit);
    ASSERT_EQ(f.cbxHwPort->count(), 2);
    EXPECT_EQ(f.cbxHwPort->itemText(0), "/dev/vx-a");

    // Automatic passes over the simulated kit: a missing board is never
    // silently replaced by the simulation.
    f.btnOk->click();
    EXPECT_EQ(f.runSequence(), QDialog::Rejected);
    EXPECT_EQ(f.LabelStatus->text(), "Not found on any port. Check connections.");
    EXPECT_EQ(rig.kit.moduleState(), ModuleState::Off);

    // A typed device path is tried like any other, and joins both lists.
    f.runSequence(1);  // the idle tick enables Ok again
    f.cbxFriendlyPort->setEditText("/dev/vx-typed");
    f.btnOk->click();
    f.runSequence();
    EXPECT_EQ(f.LabelStatus->text(), "Not found on specified port. Check connections.");
    EXPECT_EQ(f.cbxFriendlyPort->findText("/dev/vx-typed"), 3);
    EXPECT_EQ(f.cbxHwPort->findText("/dev/vx-typed"), 2);
    EXPECT_EQ(f.MemoHistory->item(f.MemoHistory->count() - 2)->text(),
              "Error 2: Cannot open /dev/vx-typed: No such file or directory");
}

TEST(SerialForm, OkWithAutomaticRunsTheApplicationAndEndsTheModalDisplay) {
    Rig rig(ModuleKind::Arbord);
    rig.kit.inputs().setLevel(0, 1.0);
    TSerialForm& f = *rig.form;
    TSerialForm::SelectFilename(LoaderDir + "/KIT7318.ARB");

    std::vector<int> progress;
    f.btnOk->click();
    progress.push_back(f.MainProgressBar->value());
    for (int tick = 0; tick < 5000 && f.sequence().ConnState != ConnectionSequence::Running; ++tick) {
        f.runSequence(1);
        if (progress.back() != f.MainProgressBar->value()) progress.push_back(f.MainProgressBar->value());
    }
    EXPECT_EQ(progress, (std::vector<int>{1, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(f.runSequence(), QDialog::Accepted);
    EXPECT_EQ(f.MainProgressBar->value(), 9);
    EXPECT_EQ(f.LabelState->text(), "module application is running");
    EXPECT_TRUE(std::regex_match(f.LabelStatus->text().toStdString(),
                                 std::regex(R"(total setup time: \d+\.\d seconds)")));
    EXPECT_EQ(rig.kit.moduleBaud(), 9600u);

    // Other windows query through the guarded operation.
    const std::string reply = TSerialForm::AppQuery(std::string("R"));
    ASSERT_TRUE(std::regex_match(reply, std::regex("[0-9A-F]{4}"))) << reply;
    EXPECT_NEAR(std::stoi(reply, nullptr, 16) >> 4, 1000, 1);

    // The list shows the history line for line, also across the trim.
    EXPECT_EQ(historyRows(*f.MemoHistory), f.port().MemoHistory.lines());
    for (int i = 0; i < 250; ++i) f.port().MemoHistory.addLine("filler " + std::to_string(i));
    f.runSequence(1);
    EXPECT_EQ(historyRows(*f.MemoHistory), f.port().MemoHistory.lines());
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(SerialForm, NoLoadWithThePortClosedGivesEmptyRepliesUntilOpen) {
    Rig rig;
    TSerialForm& f = *rig.form;
    f.menuAdvNoDownload->trigger();

    EXPECT_EQ(f.sequence().ConnState, ConnectionSequence::Running);

    // Shown modally, the first tick ends the display with OK; Cancel ends it
    // with Cancel. Neither hides a window shown without exec().
    QTimer::singleShot(0, &f, [&] { f.Timer1Timer(); });
    EXPECT_EQ(f.exec(), QDialog::Accepted);
    QTimer::singleShot(0, &f, [&] { f.btnCancel->click(); });
    EXPECT_EQ(f.exec(), QDialog::Rejected);
    f.show();
    f.Timer1Timer();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    f.hide();

    const std::string reply = TSerialForm::AppQuery(std::string("R"));
    EXPECT_EQ(reply, "") << "nothing could be written, and it is not a failure";

    // Open: the board's application answers.
    openOnRunningApplication(rig);
    EXPECT_TRUE(std::regex_match(TSerialForm::AppQuery(std::string("R")), std::regex("[0-9A-F]{4}")));

    // The query button takes the typed query and its framing boxes.
    f.cbxAppQuery->setEditText("XA");
    f.btnAppQuery->click();
    EXPECT_EQ(f.cbxAppQuery->count(), 4) << "XA is listed already";
    f.cbxAppQuery->setEditText("?");
    f.cbPostCR->setChecked(true);
    rig.timed.forget();
    f.btnAppQuery->click();
    EXPECT_EQ(rig.timed.written, "?\r");
}

TEST(SerialForm, ManualSendWaitsTheQueryQuietTimeAfterTheLastPiece) {
    Rig rig;
    TSerialForm& f = *rig.form;
    f.menuAdvNoDownload->trigger();
    openOnRunningApplication(rig);

    for (uint32_t quietMs : {50u, 500u}) {
        f.query().AppQueryTimeoutMs = quietMs;
        const auto quietAfterLastText = [&] {
            const uint64_t quiet = rig.clock.micros() - rig.timed.lastTextMicros;
            EXPECT_GE(quiet, quietMs * 1000ull);
            EXPECT_LT(quiet, quietMs * 1000ull + 20000);
        };
        // No echo: "R" goes out at once, echo and reply come back meanwhile.
        f.EditHwSend->setText("R");
        rig.timed.forget();
        f.btnHwSend->click();
        EXPECT_EQ(rig.timed.written, "R");
        quietAfterLastText();
        EXPECT_EQ(f.EditHwRecv->text(), ">") << "the last piece";
        EXPECT_TRUE(std::regex_search(f.port().MemoHistory.lastLine(), std::regex("R[0-9A-F]{4}>$")));

        // Wait echo: the echo is taken up by the wait, the reply collected after it.
        rig.timed.forget();
        f.btnHwSendwEcho->click();
        EXPECT_EQ(rig.timed.written, "R");
        quietAfterLastText();
        EXPECT_TRUE(std::regex_search(f.port().MemoHistory.lastLine(), std::regex("R[0-9A-F]{4}>R[0-9A-F]{4}>$")));
    }

    // The modal lines: the kit's cable loops RTS to CTS and DTR to DSR.
    f.cbRTS->click();
    f.cbDTR->click();
    f.Timer1Timer();
    EXPECT_FALSE(f.cbCTS->isChecked());
    EXPECT_TRUE(f.cbDSR->isChecked());
    f.cbRTS->click();
    f.Timer1Timer();
    EXPECT_TRUE(f.cbCTS->isChecked());

    // The PC's rate box: a number sets the port, anything else is refused.
    f.cbxHwBaud->setEditText("4800");
    f.cbxHwBaudChange();
    EXPECT_EQ(f.port().PortDcb.baud, 4800u);
    f.cbxHwBaud->setEditText("fast");
    f.cbxHwBaudChange();
    EXPECT_EQ(f.port().PortDcb.baud, 4800u);
    EXPECT_EQ(f.cbxHwBaud->currentText(), "4800");

    // With the port closed (and the buttons disabled) the handler still
    // waits the quiet time, and ends.
    f.btnHwClose->click();
    EXPECT_FALSE(f.btnHwSend->isEnabled());
    const uint64_t before = rig.clock.micros();
    f.btnHwSendClick();
    EXPECT_EQ(rig.clock.micros() - before, 500'000u);
}

TEST(SerialForm, GuardsWarnWhenTheWindowDoesNotExist) {
    widgetApp();
    ASSERT_EQ(SerialForm, nullptr);
    ScriptedDialogs dialogs;
    TSerialForm::setWarningDialogs(&dialogs);

    char buffer[8];
    // Each call fails with the value its warning names.
    EXPECT_FALSE(TSerialForm::DoOpenPort() || TSerialForm::DoClosePort() || TSerialForm::DoGetBaud() ||
                 TSerialForm::SetCommState() || TSerialForm::DoHwSetBaud(9600) ||
                 TSerialForm::ReadString(buffer, sizeof buffer) || TSerialForm::WriteCharNoEcho('x') ||
                 TSerialForm::WriteStringNoEcho("x") || TSerialForm::WriteStringWaitForEcho("x") ||
                 TSerialForm::RtsCtsLoopbackPresent());
    TSerialForm::SelectFilename("KIT7318.ARB");
    TSerialForm::DoDownload();
    std::vector<std::string> expected;
    for (const char* call : {"DoOpenPort", "DoClosePort", "DoGetBaud", "SetCommState", "DoHwSetBaud", "ReadString",
                             "WriteCharNoEcho", "WriteStringNoEcho", "WriteStringWaitForEcho", "RtsCtsLoopbackPresent"})
        expected.push_back(std::string("Software Developer Warning: TSerialForm::") + call +
                           " was called before SerialForm was created. Returning " +
                           (std::strcmp(call, "DoGetBaud") && std::strcmp(call, "SetCommState") ? "false." : "0."));
    expected.push_back("Software Developer Error: TSerialForm::SelectFilename was called before SerialForm was "
                       "created. Loader filename will be wrong.");
    expected.push_back("Software Developer Error: TSerialForm::DoDownload was called before SerialForm was created.");
    ASSERT_EQ(dialogs.messages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(dialogs.messages[i].text, expected[i]);
        EXPECT_EQ(dialogs.messages[i].caption, "VX7318 Evaluation Kit");
        EXPECT_EQ(dialogs.messages[i].icon, MsgIcon::Stop);
        EXPECT_EQ(dialogs.messages[i].buttons, MsgButtons::Ok);
    }

    // AppQuery asks whether to ignore the call; either way the caller gets
    // "FAILURE", which no reply can be mistaken for.
    dialogs.messages.clear();
    dialogs.messageAnswers = {MsgAnswer::Yes, MsgAnswer::No};
    EXPECT_STREQ(TSerialForm::AppQuery("R"), "FAILURE");
    EXPECT_EQ(TSerialForm::querySender().AppQuery("XX8F"), "FAILURE");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Software Developer Warning: TSerialForm::AppQuery(\"R\") was called before SerialForm was "
              "created. Ignore?");
    EXPECT_EQ(dialogs.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs.messages[1].icon, MsgIcon::Stop);
    TSerialForm::setWarningDialogs(nullptr);
}

TEST(SerialForm, PseudoTerminalIsRejectedForWantOfTheLoopback) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string pty = ptsname(master);

    Rig rig(ModuleKind::Arbord, {{pty, Kit}, {Kit}});
    TSerialForm& f = *rig.form;
    f.cbxFriendlyPort->setCurrentIndex(1);
    ASSERT_EQ(f.cbxFriendlyPort->currentText().toStdString(), pty);

    f.btnOk->click();  // state 1 opens the port
    EXPECT_EQ(f.MainProgressBar->value(), 1);
    EXPECT_EQ(f.LabelState->text(), "attempting to locate the correct port");

    f.runSequence(1);  // state 3: ptys have no modem lines
    EXPECT_EQ(f.MainProgressBar->value(), 3);
    EXPECT_EQ(f.LabelState->text(), "we have opened a port; need to check RTS-CTS");
    const auto rows = historyRows(*f.MemoHistory);
    const std::string ioctlError = "Error " + std::to_string(ENOTTY) +
                                   ": EscapeCommFunction failed: " + std::strerror(ENOTTY);
    const auto at = [&](const std::string& row) { return std::find(rows.begin(), rows.end(), row) - rows.begin(); };
    ASSERT_LT(at("Connected to serial port " + pty), at(ioctlError));
    ASSERT_LT(at(ioctlError), at("Rejected; no RTS-CTS loopback."));
    EXPECT_LT(at("Rejected; no RTS-CTS loopback."), long(rows.size()));
    EXPECT_EQ(rows.back(), "Closed serial port");

    f.runSequence();  // state 2: the one named port is used up
    EXPECT_EQ(f.MainProgressBar->value(), 2);
    EXPECT_EQ(f.LabelStatus->text(), "Not found on specified port. Check connections.");
    EXPECT_EQ(f.sequence().ConnState, ConnectionSequence::Idle);
    EXPECT_EQ(rig.kit.moduleState(), ModuleState::Off);
    close(master);
}

TEST(SerialForm, DebuggerLibraryHearsFromTheWindow) {
    // The test library notes its calls; its own entries read them back.
    LibraryLoader probe;
    ASSERT_TRUE(probe.load(PROBE_FULL));
    const auto log = reinterpret_cast<const char* (*)()>(probe.symbol("probe_log"));
    const auto clear = reinterpret_cast<void (*)()>(probe.symbol("probe_clear"));
    const auto take = [&] {
        std::string calls = log();
        clear();
        return calls;
    };
    clear();

    Rig rig(ModuleKind::Arbord, {{Kit}, {}}, PROBE_FULL);
    TSerialForm& f = *rig.form;
    EXPECT_TRUE(f.menuAdvancedDebugger->isEnabled());
    EXPECT_EQ(take(), "SetTitle VX7318 Evaluation Kit;");

    f.Timer1Timer();
    EXPECT_EQ(take(), "SetEnable 0;") << "every idle tick";
    f.menuAdvancedDebugger->trigger();
    EXPECT_EQ(take(), "Show;");

    f.cbxHwPort->setEditText(QString::fromStdString(Kit));
    f.btnHwOpen->click();
    EXPECT_EQ(take(), "OpenedSerialPort -1;SetEnable 0;") << "the kit has no file descriptor";
    f.menuAdvNoDownload->trigger();
    EXPECT_EQ(take(), "SetEnable 1;");
    f.btnHwClose->click();
    EXPECT_EQ(take(), "ClosedSerialPort;SetEnable 0;") << "closing returned the sequence to idle";
    f.btnStop->click();
    EXPECT_EQ(take(), "ClosedSerialPort;SetEnable 0;") << "also with no port open";
}

TEST(SerialForm, NoTickRunsWhileASequenceMessageWaits) {
    // Notes whether the window's timer ran while the box was up.
    struct WatchingDialogs : ScriptedDialogs {
        QTimer* timer = nullptr;
        std::vector<bool> timerActive;
        MsgAnswer message(const MessageRequest& request) override {
            timerActive.push_back(timer->isActive());
            return ScriptedDialogs::message(request);
        }
    };
    widgetApp();
    VirtualClock clock;
    SimulatedKit kit(clock, ModuleKind::Cobalt);
    PortSwitch ports(clock);
    ports.add(Kit, kit);
    WatchingDialogs dialogs;
    TSerialForm f(ports, clock, dialogs, {{Kit}, {}}, "/nonexistent/libLinkProbe.so");
    dialogs.timer = f.Timer1;
    ASSERT_TRUE(f.Timer1->isActive()) << "running from creation (no event loop runs here)";

    // The ARBORD loader for a COBALT board: the warning, answered Cancel.
    TSerialForm::SelectFilename(LoaderDir + "/KIT7318.ARB");
    dialogs.messageAnswers = {MsgAnswer::Cancel};
    f.btnOk->click();
    f.runSequence();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Warning: this software is not for the COBALT module.");
    EXPECT_EQ(dialogs.timerActive, std::vector<bool>{false});
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_EQ(f.sequence().ConnState, ConnectionSequence::Idle);
    EXPECT_TRUE(f.btnHwClose->isEnabled()) << "Cancel leaves the port open";
}

TEST(SerialForm, EveryModuleKindReachesItsApplicationAtItsFastestRate) {
    struct Case {
        ModuleKind kind;
        const char* loader;
        uint32_t fastest;
    };
    for (const Case& c : {Case{ModuleKind::Brant, "KIT7318.BRT", 9600},
                          Case{ModuleKind::Cobalt, "KIT7318.COB", 115200},
                          Case{ModuleKind::Cobalt16Wide, "KIT7318.CWD", 115200}}) {
        SCOPED_TRACE(c.loader);
        Rig rig(c.kind);
        rig.kit.inputs().setLevel(0, 2.0);
        TSerialForm& f = *rig.form;
        TSerialForm::SelectFilename(LoaderDir + "/" + c.loader);
        f.btnOk->click();
        EXPECT_EQ(f.runSequence(), QDialog::Accepted);
        EXPECT_EQ(f.LabelState->text(), "module application is running");
        EXPECT_TRUE(rig.dialogs.messages.empty()) << "no wrong-loader warning";
        EXPECT_EQ(rig.kit.moduleBaud(), c.fastest);
        EXPECT_GE(rig.kit.loadedLines().size(), 30u);
        for (const auto& line : rig.kit.loadedLines()) EXPECT_TRUE(line.valid) << line.text;

        const std::string reply = TSerialForm::AppQuery(std::string("R"));
        ASSERT_TRUE(std::regex_match(reply, std::regex("[0-9A-F]{4}"))) << reply;
        EXPECT_NEAR(std::stoi(reply, nullptr, 16) >> 4, 2000, 1);
    }
}
