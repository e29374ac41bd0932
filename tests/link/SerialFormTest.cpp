// The serial window on the offscreen platform, against the simulated kit (or
// a pseudo-terminal), in virtual time.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
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
#include "support/SpyDevice.h"
#include "support/WidgetApp.h"
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
        form->show();  // a hidden window leaves its history list alone
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

// The port lists, Automatic (which passes over the simulated kit, so a
// missing board is never silently replaced), a real pseudo-terminal rejected
// for want of the loopback, and a typed path that joins both lists.
TEST(SerialForm, SearchesThePortsItListsAndLogsWhatItTried) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const std::string pty = ptsname(master);
    Rig rig(ModuleKind::Arbord, {{pty, Kit}, {Kit}});
    TSerialForm& f = *rig.form;
    ASSERT_EQ(f.cbxFriendlyPort->count(), 3);
    EXPECT_EQ(f.cbxFriendlyPort->itemText(2).toStdString(), Kit);
    EXPECT_EQ(f.cbxHwPort->itemText(0).toStdString(), pty);

    f.btnOk->click();
    EXPECT_EQ(f.runSequence(), QDialog::Rejected);
    EXPECT_EQ(f.LabelStatus->text(), "Not found on any port. Check connections.");
    EXPECT_EQ(rig.kit.moduleState(), ModuleState::Off);
    const auto rows = historyRows(*f.MemoHistory);
    auto row = rows.begin();
    for (const std::string& wanted :
         {"Connected to serial port " + pty, "Error " + std::to_string(ENOTTY) + ": EscapeCommFunction failed: " +
                                                 std::strerror(ENOTTY),
          std::string("Rejected; no RTS-CTS loopback."), std::string("Closed serial port")}) {
        row = std::find(row, rows.end(), wanted);
        EXPECT_NE(row, rows.end()) << wanted;
    }
    close(master);

    f.runSequence(1);  // the idle tick enables Ok again
    f.cbxFriendlyPort->setEditText("/dev/vx-typed");
    f.btnOk->click();
    f.runSequence();
    EXPECT_EQ(f.LabelStatus->text(), "Not found on specified port. Check connections.");
    EXPECT_EQ(f.cbxFriendlyPort->findText("/dev/vx-typed"), 3);
    EXPECT_EQ(f.cbxHwPort->findText("/dev/vx-typed"), 2);
    EXPECT_EQ(*(historyRows(*f.MemoHistory).end() - 2), "Error 2: Cannot open /dev/vx-typed: No such file or directory");
}

TEST(SerialForm, OkWithAutomaticRunsTheApplicationAndEndsTheModalDisplay) {
    Rig rig(ModuleKind::Arbord);
    rig.kit.inputs().setLevel(0, 1.0);
    TSerialForm& f = *rig.form;
    TSerialForm::SelectFilename(LoaderDir + "/KIT7318.ARB");

    f.btnOk->click();
    EXPECT_EQ(f.runSequence(), QDialog::Accepted);
    EXPECT_EQ(f.MainProgressBar->value(), 9);
    EXPECT_EQ(f.LabelState->text(), "module application is running");
    EXPECT_TRUE(std::regex_match(f.LabelStatus->text().toStdString(),
                                 std::regex(R"(total setup time: \d+\.\d seconds)")));

    // Other windows query through the guarded operation.
    const std::string reply = TSerialForm::AppQuery(std::string("R"));
    ASSERT_TRUE(std::regex_match(reply, std::regex("[0-9A-F]{4}"))) << reply;
    EXPECT_NEAR(std::stoi(reply, nullptr, 16) >> 4, 1000, 1);

    // The list shows the history line for line, also across the trim.
    for (int i = 0; i < 250; ++i) f.port().MemoHistory.addLine("filler " + std::to_string(i));
    f.runSequence(1);
    EXPECT_EQ(historyRows(*f.MemoHistory), f.port().MemoHistory.lines());
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

// "No Load" with the port closed: a running window whose queries get empty
// replies (nothing can be written) until the port is opened.
TEST(SerialForm, NoLoadThenTheApplicationAndHardwarePanelsByHand) {
    Rig rig;
    TSerialForm& f = *rig.form;
    f.menuAdvNoDownload->trigger();
    EXPECT_EQ(f.sequence().ConnState, ConnectionSequence::Running);
    // Shown modally, the first tick ends the display with OK; Cancel with Cancel.
    QTimer::singleShot(0, &f, [&] { f.Timer1Timer(); });
    EXPECT_EQ(f.exec(), QDialog::Accepted);
    QTimer::singleShot(0, &f, [&] { f.btnCancel->click(); });
    EXPECT_EQ(f.exec(), QDialog::Rejected);
    f.show();
    EXPECT_EQ(TSerialForm::AppQuery(std::string("R")), "") << "nothing written, and no failure";
    openOnRunningApplication(rig);

    // The query button takes the typed query and its framing boxes.
    f.cbxAppQuery->setEditText("XA");
    f.btnAppQuery->click();
    EXPECT_EQ(f.cbxAppQuery->count(), 4) << "XA is listed already";
    f.cbxAppQuery->setEditText("?");
    f.cbPostCR->setChecked(true);
    rig.timed.forget();
    f.btnAppQuery->click();
    EXPECT_EQ(rig.timed.written, "?\r");

    // The send buttons read until the quiet time has passed after the last piece.
    f.EditHwSend->setText("R");
    for (uint32_t quietMs : {50u, 500u}) {
        f.query().AppQueryTimeoutMs = quietMs;
        for (QPushButton* send : {f.btnHwSend, f.btnHwSendwEcho}) {
            rig.timed.forget();
            f.port().MemoHistory.endLine();
            send->click();
            EXPECT_EQ(rig.timed.written, "R");
            const uint64_t quiet = rig.clock.micros() - rig.timed.lastTextMicros;
            EXPECT_TRUE(quiet >= quietMs * 1000ull && quiet < quietMs * 1000ull + 20000) << quiet;
            EXPECT_EQ(f.EditHwRecv->text(), ">") << "the last piece";
            // The sent text's line (no echo wait only), then the echo and the reply.
            EXPECT_TRUE(std::regex_match(f.port().MemoHistory.lastLine(),
                                         std::regex(send == f.btnHwSend ? "RR[0-9A-F]{4}>" : "R[0-9A-F]{4}>")));
        }
    }

    // The modem lines: the kit's cable loops RTS to CTS and DTR to DSR.
    f.cbRTS->click();
    f.cbDTR->click();
    f.Timer1Timer();
    EXPECT_FALSE(f.cbCTS->isChecked());
    EXPECT_TRUE(f.cbDSR->isChecked());

    // The PC's rate box: a number sets the port, anything else is refused.
    for (const char* typed : {"4800", "fast"}) {
        f.cbxHwBaud->setEditText(typed);
        f.cbxHwBaudChange();
        EXPECT_EQ(f.port().PortDcb.baud, 4800u);
    }
    EXPECT_EQ(f.cbxHwBaud->currentText(), "4800");

    // With the port closed the handler still waits the quiet time, and ends.
    f.btnHwClose->click();
    EXPECT_FALSE(f.btnHwSend->isEnabled());
    const uint64_t before = rig.clock.micros();
    f.btnHwSendClick();
    EXPECT_EQ(rig.clock.micros() - before, 500'000u);
}

// The history list: kept up only while the window is shown, time stamps on
// request; and the prompt ending of replies, switched from the Advanced menu.
TEST(SerialForm, HistoryListAndReplyEndingFollowTheirMenus) {
    Rig rig;
    TSerialForm& f = *rig.form;
    f.menuAdvNoDownload->trigger();
    openOnRunningApplication(rig);
    f.port().MemoHistory.clear();

    f.hide();
    EXPECT_EQ(TSerialForm::AppQuery(std::string(">")), "");
    EXPECT_EQ(f.MemoHistory->count(), 0) << "a hidden window shows nothing";
    f.show();
    EXPECT_EQ(historyRows(*f.MemoHistory), (std::vector<std::string>{">", ">"}));

    f.menuViewTimeStamps->trigger();
    const std::regex stamped(R"(\d\d:\d\d:\d\d\.\d{3} >)");
    for (const std::string& row : historyRows(*f.MemoHistory)) EXPECT_TRUE(std::regex_match(row, stamped)) << row;
    f.port().MemoHistory.addLine("a");
    f.port().MemoHistory.appendToLast("b");
    EXPECT_TRUE(std::regex_match(historyRows(*f.MemoHistory).back(), std::regex(R"(.{13}ab)")));

    // Opening the quiet-time menu checks the item in use; an item sets it.
    f.menuAppQueryTimeout->actions()[3]->trigger();
    f.menuAppQueryTimeoutClick();
    for (QAction* item : f.menuAppQueryTimeout->actions())
        EXPECT_EQ(item->isChecked(), item->text() == "100 msec") << item->text().toStdString();
    EXPECT_EQ(f.query().AppQueryTimeoutMs, 100u);
    f.query().AppQueryTimeoutMs = 50;

    for (const bool atPrompt : {true, false}) {
        EXPECT_EQ(f.menuAdvEndReplyAtPrompt->isChecked(), atPrompt);
        const uint64_t start = rig.clock.micros();
        TSerialForm::AppQuery(std::string(">"));
        // At 1200 baud: three characters on the line (25 ms), then the guard (25 ms) or 50 ms.
        EXPECT_EQ(rig.clock.micros() - start < 70'000, atPrompt);
        f.menuAdvEndReplyAtPrompt->trigger();
    }
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
    std::vector<std::string> shown;
    for (const MessageRequest& m : dialogs.messages) {
        shown.push_back(m.text);
        EXPECT_TRUE(m.caption == "VX7318 Evaluation Kit" && m.icon == MsgIcon::Stop && m.buttons == MsgButtons::Ok);
    }
    EXPECT_EQ(shown, expected);

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
    TSerialForm::setWarningDialogs(nullptr);
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
}
