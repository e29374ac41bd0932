// The serial window on the offscreen platform, against the simulated kit, in
// virtual time. What the sequence and the port layer decide is seen in their
// own tests; here, that the window's controls reach them and show their texts.
#include <gtest/gtest.h>

#include <QtWidgets>
#include <regex>

#include "link/SerialForm.h"
#include "platform/LibraryLoader.h"
#include "platform/QtDialogs.h"
#include "sim/SimulatedKit.h"
#include "support/Controls.h"
#include "support/OffscreenApp.h"
#include "support/ScriptedDialogs.h"
#include "support/SpyDevice.h"

namespace vx {

namespace {

const std::string KitPort = SimulatedKit::PortName;

std::vector<std::string> historyRows(const TSerialForm& window) {
    const auto& list = *control<QListWidget>(window, "MemoHistory");
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
    explicit Rig(ModuleKind kind = ModuleKind::Arbord, PortChoices choices = {{KitPort}, {}},
                 const std::string& debuggerLibrary = "/nonexistent/libLinkProbe.so", bool manualTicks = true)
        : board(clock, kind), spy(board) {
        link.addDevice(KitPort, spy);
        form = std::make_unique<TSerialForm>(link, choices, debuggerLibrary);
        dialogs.timer = control<QTimer>(*form, "Timer1");
        if (manualTicks) form->driveTimerManually();
        form->show();  // a hidden window leaves its history list alone
    }

    // Opens the kit with the Open button and puts its board into the
    // application, with what it said meanwhile read away.
    void openOnRunningApplication() {
        control<QComboBox>(*form, "cbxHwPort")->setEditText(QString::fromStdString(KitPort));
        control<QPushButton>(*form, "btnHwOpen")->click();
        clock.sleep(1000);
        board.runApplication();
        clock.sleep(1000);
        char drain[SerialPortLayer::RxBufferSize];
        while (link.port().ReadString(drain, sizeof drain)) {
        }
    }

    VirtualClock clock;
    SimulatedKit board;
    SpyDevice spy;
    WatchingDialogs dialogs;
    Kit link{clock, dialogs};
    std::unique_ptr<TSerialForm> form;
};

// Shows the request and lets `act` handle the box once it is open.
MsgAnswer ask(const MessageRequest& request, std::function<void(QMessageBox&)> act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
    QtDialogs dialogs;
    return dialogs.message(request);
}

}  // namespace

// The history list: line for line with the history, also across the running
// state's trim, kept up only while the window is shown, time stamps on request;
// the Advanced menu's choices; a typed port joins both port lists.
TEST(SerialForm, HistoryListMenusAndATypedPort) {
    Rig rig(ModuleKind::Arbord, {{"/dev/vx-listed", KitPort}, {KitPort}});
    TSerialForm& f = *rig.form;
    History& history = rig.link.port().MemoHistory();
    control<QAction>(f, "menuAdvNoDownload")->trigger();
    rig.openOnRunningApplication();
    for (int i = 0; i < 250; ++i) history.addLine("filler " + std::to_string(i));
    f.runSequence(1);
    EXPECT_EQ(historyRows(f), history.lines());

    history.clear();
    f.hide();
    EXPECT_EQ(rig.link.query().AppQuery(std::string(">")), "");
    EXPECT_EQ(control<QListWidget>(f, "MemoHistory")->count(), 0) << "a hidden window shows nothing";
    f.show();
    EXPECT_EQ(historyRows(f), (std::vector<std::string>{">", ">"}));

    control<QAction>(f, "menuViewTimeStamps")->trigger();
    history.addLine("a");
    history.appendToLast("b");
    const std::regex stamped(R"(\d\d:\d\d:\d\d\.\d{3} (>|ab))");
    for (const std::string& row : historyRows(f)) EXPECT_TRUE(std::regex_match(row, stamped)) << row;

    // An item of a menu of choices sets its value; opening the menu checks the item in use.
    for (const char* name : {"menuTimer", "menuAppQueryTimeout"}) {
        QMenu& menu = *control<QMenu>(f, name);
        menu.actions()[2]->trigger();
        menu.actions()[1]->trigger();
        emit menu.aboutToShow();
        for (QAction* item : menu.actions()) EXPECT_EQ(item->isChecked(), item == menu.actions()[1]) << name;
    }
    EXPECT_EQ(rig.link.sequence().view().Timer1Interval, 1000u);
    EXPECT_EQ(rig.link.query().AppQueryTimeoutMs(), 20u);
    control<QAction>(f, "menuAdvEndReplyAtPrompt")->trigger();
    EXPECT_FALSE(rig.link.query().EndReplyAtPrompt());

    control<QPushButton>(f, "btnStop")->click();
    f.runSequence(1);  // the idle tick enables Ok again
    f.chooseFriendlyPort("/dev/vx-typed");
    control<QPushButton>(f, "btnOk")->click();
    f.runSequence();
    EXPECT_EQ(textOf(f, "LabelStatus"), "Not found on specified port. Check connections.");
    EXPECT_EQ(history.lastLine(), "Not found on specified port. Check connections. Ports tried: /dev/vx-typed");
    EXPECT_EQ(control<QComboBox>(f, "cbxFriendlyPort")->findText("/dev/vx-typed"), 3);
    EXPECT_EQ(control<QComboBox>(f, "cbxHwPort")->findText("/dev/vx-typed"), 2);
}

// "No Load" with the port closed: a running window whose queries get empty
// replies (nothing can be written) until the port is opened.
TEST(SerialForm, NoLoadThenTheApplicationAndHardwarePanelsByHand) {
    Rig rig;
    TSerialForm& f = *rig.form;
    control<QAction>(f, "menuAdvNoDownload")->trigger();
    // Shown modally, Cancel ends the display with Cancel.
    QTimer::singleShot(0, &f, [&] { control<QPushButton>(f, "btnCancel")->click(); });
    EXPECT_EQ(f.exec(), QDialog::Rejected);
    f.show();
    rig.openOnRunningApplication();

    // The query button takes the typed query and its framing boxes.
    control<QComboBox>(f, "cbxAppQuery")->setEditText("XA");
    control<QPushButton>(f, "btnAppQuery")->click();
    EXPECT_EQ(control<QComboBox>(f, "cbxAppQuery")->count(), 4) << "XA is listed already";
    control<QComboBox>(f, "cbxAppQuery")->setEditText("?");
    control<QCheckBox>(f, "cbPostCR")->setChecked(true);
    rig.spy.forget();
    control<QPushButton>(f, "btnAppQuery")->click();
    EXPECT_EQ(rig.spy.written, "?\r");

    // The send buttons read the whole reply, in the quiet time set.
    control<QLineEdit>(f, "EditHwSend")->setText("R");
    rig.link.query().setAppQueryTimeoutMs(500);
    auto* sendNoEcho = control<QPushButton>(f, "btnHwSend");
    for (QPushButton* send : {sendNoEcho, control<QPushButton>(f, "btnHwSendwEcho")}) {
        rig.spy.forget();
        rig.link.port().MemoHistory().endLine();
        send->click();
        EXPECT_EQ(rig.spy.written, "R");
        EXPECT_EQ(textOf(f, "EditHwRecv"), ">") << "the last piece";
        // The sent text's line (no echo wait only), then the echo and the reply.
        EXPECT_TRUE(std::regex_match(rig.link.port().MemoHistory().lastLine(),
                                     std::regex(send == sendNoEcho ? "RR[0-9A-F]{4}>" : "R[0-9A-F]{4}>")));
    }

    // The modem lines: the kit's cable loops RTS to CTS and DTR to DSR.
    control<QCheckBox>(f, "cbRTS")->click();
    control<QCheckBox>(f, "cbDTR")->click();
    f.Timer1Timer();
    EXPECT_FALSE(control<QCheckBox>(f, "cbCTS")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(f, "cbDSR")->isChecked());

    // The PC's rate box: a number sets the port, anything else is refused.
    for (const char* typed : {"4800", "fast"}) {
        control<QComboBox>(f, "cbxHwBaud")->setEditText(typed);
        f.cbxHwBaudChange();
        EXPECT_EQ(rig.link.port().PortDcb().baud, 4800u);
    }
    EXPECT_EQ(control<QComboBox>(f, "cbxHwBaud")->currentText(), "4800");

    // With nothing coming, open or closed, the handler waits the quiet time, and ends.
    control<QLineEdit>(f, "EditHwSend")->setText("");
    for (const bool open : {true, false}) {
        if (!open) control<QPushButton>(f, "btnHwClose")->click();
        const uint64_t before = rig.clock.micros();
        f.btnHwSendClick();
        EXPECT_EQ(rig.clock.micros() - before, 500'000u) << open;
    }
    for (const auto& [item, panel] :
         {std::pair{"menuViewHardware", "PanelHardware"}, {"menuViewDownloader", "PanelDownloader"}})
        for (int i = 0; i < 2; ++i) {  // a View item shows or hides its panel, and is ticked while it shows
            control<QAction>(f, item)->trigger();
            EXPECT_EQ(std::pair(control<QWidget>(f, panel)->isVisible(), control<QAction>(f, item)->isChecked()),
                      std::pair(i == 0, i == 0))
                << item;
        }
    EXPECT_FALSE(control<QAction>(f, "menuAdvancedDebugger")->isEnabled()) << "no debugger library";
}

// The test libraries note their calls; their own entry reads them back.
// What a library lacks is skipped without a word.
TEST(SerialForm, DebuggerLibraryHearsFromTheWindow) {
    for (auto [library, calls] : {std::pair{PROBE_FULL,
                                            "SetTitle VX7318 Evaluation Kit;SetEnable 0;Show;"
                                            "OpenedSerialPort -1;SetEnable 0;SetEnable 1;"
                                            "ClosedSerialPort;SetEnable 0;"},
                                  {PROBE_SHOW_ONLY, "Show;"}}) {
        LibraryLoader probe;
        ASSERT_TRUE(probe.load(library));
        reinterpret_cast<void (*)()>(probe.symbol("probe_clear"))();
        Rig rig(ModuleKind::Arbord, {{KitPort}, {}}, library);
        TSerialForm& f = *rig.form;
        f.Timer1Timer();  // every idle tick tells whether the application runs
        control<QAction>(f, "menuAdvancedDebugger")->trigger();
        control<QComboBox>(f, "cbxHwPort")->setEditText(QString::fromStdString(KitPort));
        control<QPushButton>(f, "btnHwOpen")->click();  // the kit has no file descriptor to pass on
        control<QAction>(f, "menuAdvNoDownload")->trigger();
        control<QPushButton>(f, "btnHwClose")->click();  // and the sequence goes back to idle
        EXPECT_STREQ(reinterpret_cast<const char* (*)()>(probe.symbol("probe_log"))(), calls);
    }
}

TEST(SerialForm, NoTickRunsWhileASequenceMessageWaits) {
    Rig rig(ModuleKind::Cobalt, {{KitPort}, {}}, "/nonexistent/libLinkProbe.so",
            false);  // the timer runs from creation
    TSerialForm& f = *rig.form;
    // The ARBORD loader for a COBALT board: the warning, answered Cancel, stops
    // the sequence (Ok goes on: the sequence's failed-download test).
    rig.link.sequence().SelectFilename(std::string(VX_LOADER_DIR) + "/KIT7318.ARB");
    f.chooseFriendlyPort(QString::fromStdString(KitPort));
    rig.dialogs.messageAnswers = {MsgAnswer::Cancel};
    control<QPushButton>(f, "btnOk")->click();
    f.runSequence();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Warning: this software is not for the COBALT module.");
    EXPECT_EQ(rig.link.sequence().ConnState(), ConnectionState::Idle);
    EXPECT_EQ(rig.dialogs.timerActive, std::vector<bool>{false});
    EXPECT_TRUE(control<QTimer>(f, "Timer1")->isActive());
}

// The Qt message box behind the Dialogs seam, answered by a "user" who acts
// as soon as the box is up.
TEST(QtDialogs, MessageBoxShowsTheRequestAndReturnsTheButtonPressed) {
    const MessageRequest warning{"Warning: this software is not for the ARBORD module.", "VX7318 Evaluation Kit",
                                 MsgButtons::OkCancel, MsgIcon::Stop, MsgAnswer::Cancel};
    const MsgAnswer pressedDefault = ask(warning, [](QMessageBox& box) {
        EXPECT_EQ(box.text().toStdString() + " " + box.windowTitle().toStdString(),
                  "Warning: this software is not for the ARBORD module. VX7318 Evaluation Kit");
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
        box.defaultButton()->click();
    });
    EXPECT_EQ(pressedDefault, MsgAnswer::Cancel);

    EXPECT_EQ(ask(warning, [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); }), MsgAnswer::Ok);

    // Closed without a button: the box's escape answer.
    const MessageRequest question{"Ignore?", "VX7318 Evaluation Kit", MsgButtons::YesNo, MsgIcon::Stop, MsgAnswer::Yes};
    EXPECT_EQ(ask(question, [](QMessageBox& box) { box.reject(); }), MsgAnswer::No);
    EXPECT_EQ(ask(question, [](QMessageBox& box) { box.defaultButton()->click(); }), MsgAnswer::Yes);
}

}  // namespace vx
