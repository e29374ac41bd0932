// The serial window on the offscreen platform, against the simulated kit, in
// virtual time. What the sequence and the port layer decide is seen in their
// own tests; here, that the window's controls reach them and show their texts.
#include <gtest/gtest.h>

#include <QtWidgets>
#include <cstring>
#include <regex>

#include "link/PortSwitch.h"
#include "link/SerialForm.h"
#include "support/SpyDevice.h"
#include "support/WidgetApp.h"
#include "platform/LibraryLoader.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"

namespace {

const std::string Kit = SimulatedKit::PortName;

std::vector<std::string> historyRows(const QListWidget& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.count(); ++i) rows.push_back(list.item(i)->text().toStdString());
    return rows;
}

// Notes whether the window's timer ran while a message box was up.
struct WatchingDialogs : ScriptedDialogs {
    QTimer* timer = nullptr;
    std::vector<bool> timerActive;
    MsgAnswer message(const MessageRequest& request) override {
        if (timer) timerActive.push_back(timer->isActive());
        return ScriptedDialogs::message(request);
    }
};

struct Rig {
    explicit Rig(ModuleKind kind = ModuleKind::Arbord, PortChoices choices = {{Kit}, {}},
                 const std::string& debuggerLibrary = "/nonexistent/libLinkProbe.so", bool manualTicks = true)
        : kit(clock, kind), spy(kit) {
        widgetApp();
        TSerialForm::setWarningDialogs(&dialogs);
        ports.add(Kit, spy);
        form = std::make_unique<TSerialForm>(ports, clock, dialogs, choices, debuggerLibrary);
        dialogs.timer = form->Timer1;
        if (manualTicks) form->driveTimerManually();
        form->show();  // a hidden window leaves its history list alone
    }
    ~Rig() { TSerialForm::setWarningDialogs(nullptr); }

    // Opens the kit with the Open button and puts its board into the
    // application, with what it said meanwhile read away.
    void openOnRunningApplication() {
        form->cbxHwPort->setEditText(QString::fromStdString(Kit));
        form->btnHwOpen->click();
        clock.sleep(1000);
        kit.runApplication();
        clock.sleep(1000);
        char drain[SerialPortLayer::RxBufferSize];
        while (TSerialForm::ReadString(drain, sizeof drain)) {
        }
    }

    VirtualClock clock;
    SimulatedKit kit;
    SpyDevice spy;
    PortSwitch ports{clock};
    WatchingDialogs dialogs;
    std::unique_ptr<TSerialForm> form;
};

}  // namespace

// Automatic passes over the simulated kit, so a missing board is never
// silently replaced; named, the kit runs its application; a typed path joins both lists.
TEST(SerialForm, OkRunsTheApplicationAndATypedPortJoinsBothLists) {
    Rig rig(ModuleKind::Arbord, {{"/dev/vx-listed", Kit}, {Kit}});
    TSerialForm& f = *rig.form;
    TSerialForm::SelectFilename(std::string(VX_LOADER_DIR) + "/KIT7318.ARB");
    f.btnOk->click();
    EXPECT_EQ(f.runSequence(), QDialog::Rejected);
    EXPECT_EQ(f.LabelStatus->text(), "Not found on any port. Check connections.");
    f.runSequence(1);  // the idle tick enables Ok again
    f.cbxFriendlyPort->setEditText(QString::fromStdString(Kit));
    f.btnOk->click();
    EXPECT_EQ(f.runSequence(), QDialog::Accepted);
    EXPECT_EQ(f.LabelState->text(), "module application is running");
    EXPECT_TRUE(std::regex_match(f.LabelStatus->text().toStdString(), std::regex(R"(total setup time: \d\.\d seconds)")));

    // Other windows query through the guarded operation.
    const std::string reply = TSerialForm::AppQuery(std::string("R"));
    EXPECT_TRUE(std::regex_match(reply, std::regex("[0-9A-F]{4}"))) << reply;

    // The list shows the history line for line, also across the trim.
    for (int i = 0; i < 250; ++i) f.port().MemoHistory().addLine("filler " + std::to_string(i));
    f.runSequence(1);
    EXPECT_EQ(historyRows(*f.MemoHistory), f.port().MemoHistory().lines());

    f.btnStop->click();
    f.runSequence(1);  // the idle tick enables Ok again
    f.cbxFriendlyPort->setEditText("/dev/vx-typed");
    f.btnOk->click();
    f.runSequence();
    EXPECT_EQ(f.LabelStatus->text(), "Not found on specified port. Check connections.");
    EXPECT_EQ(f.cbxFriendlyPort->findText("/dev/vx-typed"), 3);
    EXPECT_EQ(f.cbxHwPort->findText("/dev/vx-typed"), 2);
    EXPECT_EQ(*(historyRows(*f.MemoHistory).end() - 2), "Error 2: Cannot open /dev/vx-typed: No such file or directory");
}

// "No Load" with the port closed: a running window whose queries get empty
// replies (nothing can be written) until the port is opened.
TEST(SerialForm, NoLoadThenTheApplicationAndHardwarePanelsByHand) {
    Rig rig;
    TSerialForm& f = *rig.form;
    f.menuAdvNoDownload->trigger();
    // Shown modally, Cancel ends the display with Cancel.
    QTimer::singleShot(0, &f, [&] { f.btnCancel->click(); });
    EXPECT_EQ(f.exec(), QDialog::Rejected);
    f.show();
    EXPECT_EQ(TSerialForm::AppQuery(std::string("R")), "") << "nothing written, and no failure";
    rig.openOnRunningApplication();

    // The query button takes the typed query and its framing boxes.
    f.cbxAppQuery->setEditText("XA");
    f.btnAppQuery->click();
    EXPECT_EQ(f.cbxAppQuery->count(), 4) << "XA is listed already";
    f.cbxAppQuery->setEditText("?");
    f.cbPostCR->setChecked(true);
    rig.spy.forget();
    f.btnAppQuery->click();
    EXPECT_EQ(rig.spy.written, "?\r");

    // The send buttons read the whole reply, in the quiet time set.
    f.EditHwSend->setText("R");
    f.query().setAppQueryTimeoutMs(500);
    for (QPushButton* send : {f.btnHwSend, f.btnHwSendwEcho}) {
        rig.spy.forget();
        f.port().MemoHistory().endLine();
        send->click();
        EXPECT_EQ(rig.spy.written, "R");
        EXPECT_EQ(f.EditHwRecv->text(), ">") << "the last piece";
        // The sent text's line (no echo wait only), then the echo and the reply.
        EXPECT_TRUE(std::regex_match(f.port().MemoHistory().lastLine(),
                                     std::regex(send == f.btnHwSend ? "RR[0-9A-F]{4}>" : "R[0-9A-F]{4}>")));
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
        EXPECT_EQ(f.port().PortDcb().baud, 4800u);
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
    rig.openOnRunningApplication();
    f.port().MemoHistory().clear();

    f.hide();
    EXPECT_EQ(TSerialForm::AppQuery(std::string(">")), "");
    EXPECT_EQ(f.MemoHistory->count(), 0) << "a hidden window shows nothing";
    f.show();
    EXPECT_EQ(historyRows(*f.MemoHistory), (std::vector<std::string>{">", ">"}));

    f.menuViewTimeStamps->trigger();
    f.port().MemoHistory().addLine("a");
    f.port().MemoHistory().appendToLast("b");
    const std::regex stamped(R"(\d\d:\d\d:\d\d\.\d{3} (>|ab))");
    for (const std::string& row : historyRows(*f.MemoHistory)) EXPECT_TRUE(std::regex_match(row, stamped)) << row;

    // Opening the quiet-time menu checks the item in use; an item sets it.
    f.menuAppQueryTimeout->actions()[3]->trigger();
    f.menuAppQueryTimeoutClick();
    for (QAction* item : f.menuAppQueryTimeout->actions())
        EXPECT_EQ(item->isChecked(), item->text() == "100 msec") << item->text().toStdString();
    EXPECT_EQ(f.query().AppQueryTimeoutMs(), 100u);
    f.menuAdvEndReplyAtPrompt->trigger();
    EXPECT_FALSE(f.query().EndReplyAtPrompt());
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
    clear();
    Rig rig(ModuleKind::Arbord, {{Kit}, {}}, PROBE_FULL);
    TSerialForm& f = *rig.form;
    const std::vector<std::pair<std::function<void()>, std::string>> steps = {
        {[] {}, "SetTitle VX7318 Evaluation Kit;"},
        {[&] { f.Timer1Timer(); }, "SetEnable 0;"},  // every idle tick
        {[&] { f.menuAdvancedDebugger->trigger(); }, "Show;"},
        {[&] {
             f.cbxHwPort->setEditText(QString::fromStdString(Kit));
             f.btnHwOpen->click();
         },
         "OpenedSerialPort -1;SetEnable 0;"},  // the kit has no file descriptor
        {[&] { f.menuAdvNoDownload->trigger(); }, "SetEnable 1;"},
        {[&] { f.btnHwClose->click(); }, "ClosedSerialPort;SetEnable 0;"},  // closing returns the sequence to idle
        {[&] { f.btnStop->click(); }, "ClosedSerialPort;SetEnable 0;"},     // also with no port open
    };
    for (const auto& [action, calls] : steps) {
        action();
        EXPECT_EQ(log(), calls);
        clear();
    }
}

TEST(SerialForm, NoTickRunsWhileASequenceMessageWaits) {
    Rig rig(ModuleKind::Cobalt, {{Kit}, {}}, "/nonexistent/libLinkProbe.so", false);  // the timer runs from creation
    TSerialForm& f = *rig.form;
    f.cbxFriendlyPort->setEditText(QString::fromStdString(Kit));
    // The ARBORD loader for a COBALT board: the warning, answered Cancel.
    TSerialForm::SelectFilename(std::string(VX_LOADER_DIR) + "/KIT7318.ARB");
    rig.dialogs.messageAnswers = {MsgAnswer::Cancel};
    f.btnOk->click();
    f.runSequence();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Warning: this software is not for the COBALT module.");
    EXPECT_EQ(rig.dialogs.timerActive, std::vector<bool>{false});
    EXPECT_TRUE(f.Timer1->isActive());
}
