// The connection sequence against the simulated kit, in virtual time: the
// timer fires when the sequence says the next tick is due, or at once when a
// tick overran it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <regex>
#include <utility>

#include "link/AppQuery.h"
#include "link/ConnectionSequence.h"
#include "link/PortSwitch.h"
#include "support/SpyDevice.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"

namespace {

using S = ConnectionSequence;
const std::string Kit = SimulatedKit::PortName;
const std::string LoaderDir = VX_LOADER_DIR;
const std::string Esc(1, '\x1B');

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// A line of the history starts with text (received text may follow it).
bool historyHas(const History& history, const std::string& text) {
    const auto& lines = history.lines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(text, 0) == 0; });
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Every line of the file reached the board, each with a valid checksum.
void expectLoaded(const SimulatedKit& kit, const std::string& loader) {
    const auto sent = fileLines(loader);
    const auto loaded = kit.loadedLines();
    ASSERT_EQ(loaded.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(loaded[i].text, sent[i]) << i;
        EXPECT_TRUE(loaded[i].valid) << i;
    }
}

// Notes whether the timer ran while a message box was up.
struct TimerWatchingDialogs : ScriptedDialogs {
    const ConnectionSequence* seq = nullptr;
    std::vector<bool> timerDuringMessage;
    MsgAnswer message(const MessageRequest& request) override {
        timerDuringMessage.push_back(seq->Timer1Enabled);
        return ScriptedDialogs::message(request);
    }
};

struct Rig {
    explicit Rig(ModuleKind kind = ModuleKind::Arbord, std::vector<std::string> portList = {Kit})
        : kit(clock, kind), spy(kit) {
        ports.add(Kit, spy);
        dialogs.seq = &seq;
        seq.setPortList(portList);
        seq.setOnChange([this] {
            const std::pair<int, std::string> step{seq.MainProgressBar.Position, seq.LabelState};
            if (steps.empty() || steps.back() != step) steps.push_back(step);
        });
    }

    // One timer tick, when the timer would deliver it.
    void tick() {
        clock.sleepUntil(lastTickMicros + uint64_t(seq.nextTickMs()) * 1000);
        lastTickMicros = clock.micros();
        seq.Timer1Timer();
    }
    template <class Done>
    bool runUntil(Done done, int maxTicks = 2000) {
        for (int i = 0; i < maxTicks && !done(); ++i) tick();
        return done();
    }
    bool runToState(uint8_t state, int maxTicks = 2000) {
        return runUntil([&] { return seq.ConnState == state; }, maxTicks);
    }
    // Up to the firmware prompt, the user choosing rate and load.
    void toFirmwareCommand(const std::string& loader) {
        seq.SelectFilename(LoaderDir + "/" + loader);
        seq.menuAdvFastestBaud = seq.menuAdvAutoDownload = false;
        ok();
        ASSERT_TRUE(runToState(S::FirmwareCommand));
        spy.forget();
    }
    void ok() {
        steps.clear();
        lastTickMicros = clock.micros();
        seq.btnOkClick();
    }

    VirtualClock clock;
    SimulatedKit kit;
    SpyDevice spy;
    PortSwitch ports{clock};
    SerialPortLayer port{ports, clock};
    AppQueryProtocol query{port};
    TimerWatchingDialogs dialogs;
    ConnectionSequence seq{port, query, dialogs};
    std::vector<std::pair<int, std::string>> steps;
    uint64_t lastTickMicros = 0;
};

struct KindCase {
    ModuleKind kind;
    const char* loader;
    uint32_t fastestRate;
};

class EndToEnd : public testing::TestWithParam<KindCase> {};

}  // namespace

TEST_P(EndToEnd, OkWithAutomaticReachesTheRunningApplication) {
    const KindCase& c = GetParam();
    Rig rig(c.kind);
    const std::string loader = LoaderDir + "/" + c.loader;
    rig.seq.SelectFilename(loader);

    rig.ok();
    ASSERT_TRUE(rig.runUntil([&] { return rig.seq.ModalResult == FormResult::Ok; }));

    const std::vector<std::pair<int, std::string>> expected = {
        {1, "attempting to locate the correct port"},
        {3, "we have opened a port; need to check RTS-CTS"},
        {4, "expecting module to send 0xAA"},
        {5, "expecting module to send firmware banner"},
        {6, "module is expecting a firmware command"},
        {6, "module is expecting a firmware command (baud rate)"},
        {6, "module is expecting a firmware command"},
        {6, "module is expecting a firmware command (loader)"},
        {7, "module is receiving a hex file"},
        {8, "module is expecting jump command"},
        {9, "module application is running"},
    };
    EXPECT_EQ(rig.steps, expected);
    EXPECT_EQ(rig.seq.ModuleKind, uint8_t(c.kind));
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_EQ(rig.kit.moduleBaud(), c.fastestRate);
    EXPECT_EQ(rig.port.PortDcb.baud, c.fastestRate);
    expectLoaded(rig.kit, loader);
    EXPECT_TRUE(rig.kit.programValid());

    // Lines go back to back at the line's pace: the banner's quiet time, the
    // rate change and the download fit well within nine seconds.
    EXPECT_LT(rig.seq.SetupTimeMs, 9000u);
    EXPECT_TRUE(std::regex_match(rig.seq.LabelStatus, std::regex(R"(total setup time: \d\.\d seconds)")))
        << rig.seq.LabelStatus;
    const std::string reply = rig.query.AppQuery(std::string("R"));
    EXPECT_TRUE(std::regex_match(reply, std::regex("[0-9A-F]{4}"))) << reply;
}

INSTANTIATE_TEST_SUITE_P(EveryKind, EndToEnd,
                         testing::Values(KindCase{ModuleKind::Arbord, "KIT7318.ARB", 9600},
                                         KindCase{ModuleKind::Brant, "KIT7318.BRT", 9600},
                                         KindCase{ModuleKind::Cobalt, "KIT7318.COB", 115200},
                                         KindCase{ModuleKind::Cobalt16Wide, "KIT7318.CWD", 115200}),
                         [](const auto& info) { return std::string(info.param.loader).substr(8); });

TEST(ConnectionSequence, AutomaticTriesEachPortOnceInListOrder) {
    // Second port: a board whose cable lacks the loopback.
    Rig rig(ModuleKind::Arbord, {"/dev/vx-no-such-port", "Board without loopback", Kit, "/dev/vx-never-tried"});
    SimulatedKit noLoopback(rig.clock);
    noLoopback.setCable(Cable::NoLoopback);
    rig.ports.add("Board without loopback", noLoopback, Kit);
    rig.seq.SelectFilename(LoaderDir + "/KIT7318.ARB");

    std::vector<int> states;
    rig.seq.setOnChange([&] {
        if (states.empty() || states.back() != rig.seq.MainProgressBar.Position)
            states.push_back(rig.seq.MainProgressBar.Position);
    });
    rig.ok();
    ASSERT_TRUE(rig.runToState(S::Banner));
    EXPECT_EQ(states, (std::vector<int>{1, 2, 1, 3, 2, 1, 3, 4}));
    EXPECT_EQ(rig.port.cbxHwPort, Kit);
    EXPECT_TRUE(historyHas(rig.port.MemoHistory,
                           "Error 2: Cannot open /dev/vx-no-such-port: No such file or directory"));
    EXPECT_TRUE(historyHas(rig.port.MemoHistory, "Rejected; no RTS-CTS loopback."));
    EXPECT_FALSE(noLoopback.isOpen());

    // Nothing answers: the search ends after the last port, and the history
    // keeps what was tried.
    Rig none(ModuleKind::Arbord, {"/dev/vx-no-such-port", Kit, "/dev/vx-other"});
    none.seq.ExcludedFromAutomatic = {Kit};  // the simulation never stands in for a board
    none.ok();
    ASSERT_TRUE(none.runToState(S::Idle));
    EXPECT_EQ(none.seq.LabelStatus, "Not found on any port. Check connections.");
    EXPECT_EQ(none.port.MemoHistory.lastLine(),
              "Not found on any port. Check connections. Ports tried: /dev/vx-no-such-port, /dev/vx-other");
    EXPECT_EQ(none.kit.moduleState(), ModuleState::Off);

    // A machine without serial ports: nothing is tried, and the history says so.
    Rig bare(ModuleKind::Arbord, {Kit});
    bare.seq.ExcludedFromAutomatic = {Kit};
    bare.ok();
    ASSERT_TRUE(bare.runToState(S::Idle));
    EXPECT_EQ(bare.port.MemoHistory.lines(),
              std::vector<std::string>{"Not found on any port. Check connections. Ports tried: none"});
}

TEST(ConnectionSequence, NamedPortIsTheOnlyOneTried) {
    Rig rig;
    rig.seq.cbxFriendlyPort.text.clear();
    rig.ok();
    EXPECT_EQ(rig.seq.cbxFriendlyPort.text, "Automatic");
    EXPECT_EQ(rig.seq.ConnState, S::Idle);

    rig.seq.cbxFriendlyPort.text = "/dev/vx-com7";
    rig.ok();
    EXPECT_EQ(rig.seq.cbxFriendlyPort.items.back(), "/dev/vx-com7");
    ASSERT_TRUE(rig.runToState(S::Idle));
    EXPECT_EQ(rig.seq.LabelStatus, "Not found on specified port. Check connections.");
    EXPECT_TRUE(historyHas(rig.port.MemoHistory, "Error 2: Cannot open /dev/vx-com7: No such file or directory"));
    EXPECT_EQ(rig.kit.moduleState(), ModuleState::Off);
}

TEST(ConnectionSequence, BeaconWaitPromptsForResetAndEndsWithStopOrAGoneDevice) {
    Rig rig;
    rig.seq.SelectFilename(LoaderDir + "/KIT7318.ARB");
    // The board was powered earlier and has long sent its beacon.
    ASSERT_TRUE(rig.kit.open(Kit));
    rig.clock.advance(1000);
    ASSERT_TRUE(rig.kit.close());

    rig.ok();
    ASSERT_TRUE(rig.runToState(S::Beacon));
    const uint32_t start = rig.seq.BeaconStartTick;
    rig.runUntil([&] { return rig.clock.ticks() - start >= 2900; });
    EXPECT_EQ(rig.seq.LabelStatus, "Connected...");
    rig.runUntil([&] { return rig.clock.ticks() - start > 3000; });
    rig.tick();
    EXPECT_EQ(rig.seq.LabelStatus, "Please press and release the module's reset button.");
    EXPECT_EQ(rig.seq.ConnState, S::Beacon);

    rig.seq.btnStopClick();
    EXPECT_FALSE(rig.port.isPortOpen());
    EXPECT_EQ(rig.seq.ConnState, S::Idle);
    EXPECT_EQ(rig.seq.LabelStatus, "Disconnected.");
    EXPECT_EQ(rig.spy.written.find(Esc + "R"), std::string::npos);  // no application to reset

    // The adapter pulled out while the PC waits: one failed read, then idle.
    rig.ok();
    ASSERT_TRUE(rig.runToState(S::Beacon));
    rig.kit.faults().unplugged = true;
    for (int i = 0; i < 5; ++i) rig.tick();
    EXPECT_EQ(rig.seq.ConnState, S::Idle);
    EXPECT_FALSE(rig.port.isPortOpen());
    EXPECT_EQ(rig.seq.LabelStatus, "The serial port is gone. Check connections.");
    const auto& lines = rig.port.MemoHistory.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("ReadFile failed") != line.npos; }),
              1);
}

TEST(ConnectionSequence, TheAttendedSimulatedKitConnectsAgainAfterStop) {
    Rig rig;
    rig.kit.setAttended(true);
    rig.seq.SelectFilename(LoaderDir + "/KIT7318.ARB");
    for (int round = 0; round < 2; ++round) {
        rig.ok();
        ASSERT_TRUE(rig.runToState(S::Running)) << round;
        rig.seq.btnStopClick();
        EXPECT_EQ(rig.seq.ConnState, S::Idle);
    }
    EXPECT_EQ(countOf(rig.spy.written, Esc + "R"), 2u);

    // A PC that talks is using the port by hand: nobody presses the button.
    ASSERT_TRUE(rig.kit.open(Kit));
    ASSERT_EQ(rig.kit.write(" ", 1), 1);
    rig.clock.advance(SimulatedKit::AttendantResetMs + 1000);
    char received[512];
    const long count = rig.kit.read(received, sizeof received);
    ASSERT_GT(count, 0);
    EXPECT_EQ(std::string(received, size_t(count)).find('\xAA'), std::string::npos);
}

// Each kind's own banner is identified end to end; here, the first keyword wins.
TEST(ConnectionSequence, TheFirstKeywordInOrderDecidesTheKind) {
    EXPECT_EQ(S::IdentifyModule("VANTO COBALT BRANT ARBOR"), S::KindArbord);
    EXPECT_EQ(S::IdentifyModule("VANTO COBALT 16 BIT BUS BRANT"), S::KindBrant);
}

TEST(ConnectionSequence, AnUnknownModuleIsLoadedAtTheRateOfItsBeacon) {
    Rig rig(ModuleKind::Unknown);
    rig.kit.sendFromModule("noise before the banner ");
    const std::string loader = LoaderDir + "/KIT7318.ARB";
    rig.seq.SelectFilename(loader);
    rig.ok();
    ASSERT_TRUE(rig.runToState(S::FirmwareCommand));
    EXPECT_EQ(rig.seq.ModuleKind, S::KindUnknown);
    EXPECT_EQ(rig.seq.LabelFirmware.rfind("VANTO VX7318", 0), 0u) << rig.seq.LabelFirmware;
    EXPECT_EQ(rig.seq.cbxFwBaud.items, (std::vector<std::string>{"1200", "4800", "9600", "19200"}));
    EXPECT_TRUE(rig.dialogs.messages.empty());

    // No rate command exists for it, so neither end moves.
    rig.spy.forget();
    EXPECT_FALSE(rig.seq.ChangeFirmwareBaud(4800));
    EXPECT_EQ(rig.port.MemoHistory.lastLine(), "Baud rate 4800 not legal for an unknown module");
    EXPECT_EQ(rig.spy.written, "");

    const uint32_t start = rig.clock.ticks();
    ASSERT_TRUE(rig.runToState(S::Running));
    EXPECT_LT(rig.clock.ticks() - start, 30000u);
    EXPECT_EQ(rig.port.PortDcb.baud, 1200u);
    EXPECT_EQ(rig.kit.moduleBaud(), 1200u);
    EXPECT_EQ(rig.seq.cbxFwBaud.text, "1200");
    expectLoaded(rig.kit, loader);
}

TEST(ConnectionSequence, WrongLoaderWarningCancelStopsAndOkGoesOn) {
    for (MsgAnswer answer : {MsgAnswer::Cancel, MsgAnswer::Ok}) {
        Rig rig(ModuleKind::Cobalt16Wide);
        rig.seq.SelectFilename(LoaderDir + "/KIT7318.ARB");
        rig.seq.menuAdvFastestBaud = rig.seq.menuAdvAutoDownload = false;
        rig.dialogs.messageAnswers = {answer};
        rig.ok();
        ASSERT_TRUE(rig.runUntil([&] { return rig.seq.ConnState == 0 || rig.seq.ConnState == 6; }));
        ASSERT_EQ(rig.dialogs.messages.size(), 1u);
        const MessageRequest& warning = rig.dialogs.messages[0];
        EXPECT_EQ(warning.text, "Warning: this software is not for the COBALT-16WIDE module.");
        EXPECT_EQ(warning.buttons, MsgButtons::OkCancel);
        EXPECT_EQ(rig.dialogs.timerDuringMessage, std::vector<bool>{false});
        EXPECT_TRUE(rig.seq.Timer1Enabled);
        EXPECT_TRUE(rig.port.isPortOpen());
        EXPECT_EQ(rig.seq.ConnState, answer == MsgAnswer::Ok ? 6 : 0);
    }
}

TEST(ConnectionSequence, MissingLoaderFileIsReportedAndReturnsToIdle) {
    Rig rig;
    rig.seq.SelectFilename("");
    EXPECT_TRUE(rig.seq.cbDLerror);
    EXPECT_TRUE(historyHas(rig.port.MemoHistory, "No Loader file specified."));
    EXPECT_TRUE(rig.dialogs.messages.empty());

    rig.seq.SelectFilename("/tmp/vx-no-such-dir/kit7318.arb");
    EXPECT_EQ(rig.seq.EditDLfilename, "/TMP/VX-NO-SUCH-DIR/KIT7318.ARB");
    EXPECT_TRUE(historyHas(rig.port.MemoHistory, "Loader cannot read file."));
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Error: Cannot find required file /TMP/VX-NO-SUCH-DIR/KIT7318.ARB");
    EXPECT_EQ(rig.dialogs.timerDuringMessage, std::vector<bool>{false});

    // The sequence reaches the download and finds the file still missing.
    rig.seq.menuAdvFastestBaud = false;
    rig.ok();
    ASSERT_TRUE(rig.runUntil([&] { return rig.dialogs.messages.size() == 2; }));
    EXPECT_EQ(rig.seq.ConnState, S::Idle);
    EXPECT_EQ(rig.spy.written.find(Esc + "L"), std::string::npos);
}

TEST(ConnectionSequence, RateCommandsFollowTheModuleKind) {
    Rig arbord;
    arbord.toFirmwareCommand("KIT7318.ARB");
    EXPECT_FALSE(arbord.seq.ChangeFirmwareBaud(19200));
    EXPECT_EQ(arbord.port.MemoHistory.lastLine(), "Baud rate 19200 not legal for ARBORD module");
    EXPECT_EQ(arbord.seq.LabelStatus, "Could not set hardware baud rate.");
    EXPECT_EQ(arbord.spy.written, "");
    const uint32_t before = arbord.clock.ticks();
    EXPECT_TRUE(arbord.seq.ChangeFirmwareBaud(4800));
    EXPECT_EQ(arbord.spy.written, Esc + "B4" + "   >");
    EXPECT_GE(arbord.clock.ticks() - before, 2000u);
    EXPECT_EQ(arbord.seq.LabelStatus, "Firmware baud rate set.");
    EXPECT_EQ(arbord.kit.moduleBaud(), 4800u);

    // A module that stops answering: the probe gives up after ten seconds,
    // the PC left at the new rate.
    arbord.kit.faults().silent = true;
    arbord.spy.forget();
    const uint32_t start = arbord.clock.ticks();
    EXPECT_FALSE(arbord.seq.ChangeFirmwareBaud(9600));
    EXPECT_GE(arbord.clock.ticks() - start, 2000u + 10000u);
    EXPECT_LE(arbord.clock.ticks() - start, 3000u + 2000u + 13000u);
    EXPECT_EQ(arbord.seq.LabelStatus, "Could not set hardware baud rate.");
    EXPECT_EQ(arbord.port.PortDcb.baud, 9600u);
    EXPECT_EQ(arbord.spy.written, Esc + " >>>");  // each character waits for its echo in vain

    Rig brant(ModuleKind::Brant);
    brant.toFirmwareCommand("KIT7318.BRT");
    EXPECT_TRUE(brant.seq.ChangeFirmwareBaud(2400));
    EXPECT_EQ(brant.spy.written, Esc + "Q\xF4" + "   >");
    // Sent in one piece without waiting; the history line carries the echoes that followed.
    EXPECT_TRUE(std::any_of(brant.port.MemoHistory.lines().begin(), brant.port.MemoHistory.lines().end(),
                            [](const std::string& line) { return line.rfind("{0x1B}Q{0xF4}", 0) == 0; }));
    EXPECT_EQ(brant.kit.moduleBaud(), 2400u);
}

// A download that fails is marked, repeated once, and then given up: the
// sequence never claims a running application it did not start.
TEST(ConnectionSequence, AFailedDownloadIsRepeatedOnceThenGivenUp) {
    struct Case {
        const char* name;
        const char* loader;
        uint8_t faultAt;  // the state in which the fault strikes
        std::function<void(Rig&)> fault;
        uint8_t endState;
        const char* history;  // the line that says what went wrong
        const char* status;   // empty: the running application's
        size_t loads;         // Load commands sent whole
        long failures;        // downloads the history reports as failed
    };
    const std::string retry = "Download failed. Press the module's reset button, then Ok to try again.";
    const Case cases[] = {
        {"Load pressed meanwhile", "KIT7318.ARB", S::Loading, [](Rig& r) { r.seq.btnDownloadClick(); }, S::Running,
         "DoDownload called before module ready.", "", 2, 0},
        {"one echo wrong", "KIT7318.ARB", S::Loading, [](Rig& r) { r.kit.faults().wrongEchoes = 1; }, S::Running,
         "Loader line 3 failed: no echo within 3000 ms", "", 2, 1},
        {"echoes stop", "KIT7318.ARB", S::Loading, [](Rig& r) { r.kit.faults().echoesLeft = 0; }, S::Idle,
         "Load command not sent: no echo within 3000 ms", retry.c_str(), 1, 2},
        {"jump unechoed", "KIT7318.ARB", S::Jump, [](Rig& r) { r.kit.faults().echoesLeft = 0; }, S::Idle,
         "Jump command not sent: no echo within 3000 ms", retry.c_str(), 1, 2},
        {"unplugged", "KIT7318.ARB", S::Loading, [](Rig& r) { r.kit.faults().unplugged = true; }, S::Idle,
         "Loader line 3 failed: the serial port is gone",
         "Download failed: the serial port is gone. Check connections.", 1, 1},
        // A file that opens but cannot be read.
        {"unreadable file", "/proc/self/mem", S::Idle, [](Rig&) {}, S::Idle,
         "Loader cannot read file /PROC/SELF/MEM: Input/output error", retry.c_str(), 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.dialogs.messageAnswers = {MsgAnswer::Ok};  // to the wrong-loader warning
        rig.seq.SelectFilename(c.loader[0] == '/' ? c.loader : LoaderDir + "/" + c.loader);
        rig.ok();
        if (c.faultAt != S::Idle) {
            ASSERT_TRUE(rig.runToState(c.faultAt));
            if (c.faultAt == S::Loading) rig.tick();
            c.fault(rig);
        }
        ASSERT_TRUE(rig.runUntil([&] { return rig.seq.ModalResult == FormResult::Ok || rig.seq.ConnState == S::Idle; }));
        EXPECT_EQ(rig.seq.ConnState, c.endState);
        EXPECT_TRUE(historyHas(rig.port.MemoHistory, c.history));
        if (c.endState == S::Running) {
            EXPECT_EQ(rig.seq.ModalResult, FormResult::Ok);
            EXPECT_TRUE(rig.kit.programValid());
        } else {
            EXPECT_EQ(rig.seq.LabelStatus, c.status);
            EXPECT_EQ(rig.seq.ModalResult, FormResult::None);
            EXPECT_FALSE(rig.port.isPortOpen());
            EXPECT_FALSE(rig.seq.cbAppEnabled());
        }
        EXPECT_EQ(countOf(rig.spy.written, Esc + "L"), c.loads);
        const std::regex failure("(Loader line|Load command|Jump command|Loader cannot read file ).*");
        const auto& lines = rig.port.MemoHistory.lines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& line) { return std::regex_match(line, failure); }),
                  c.failures);
    }
}

TEST(ConnectionSequence, NoLoadRunsAtOnceAndTheRunningStateTrimsTheHistory) {
    Rig rig;
    rig.seq.menuAdvNoDownloadClick();
    EXPECT_EQ(rig.seq.ConnState, S::Running);
    EXPECT_TRUE(rig.seq.cbAppEnabled());

    History& history = rig.port.MemoHistory;
    history.clear();
    for (int i = 0; i < 201; ++i) history.addLine(std::to_string(i));
    rig.tick();
    EXPECT_EQ(rig.seq.ModalResult, FormResult::Ok);
    EXPECT_EQ(history.count(), 200u);
    EXPECT_EQ(history.line(0), "1");
    for (int i = 0; i < 3; ++i) history.addLine("more");
    rig.tick();
    EXPECT_TRUE(history.empty());

    // Stop while the application runs: reset the module, close, idle.
    rig.port.cbxHwPort = Kit;
    ASSERT_TRUE(rig.port.DoOpenPort());
    rig.clock.advance(1000);
    rig.seq.btnStopClick();
    EXPECT_EQ(countOf(rig.spy.written, Esc + "R"), 1u);
    EXPECT_EQ(rig.seq.ConnState, S::Idle);
    EXPECT_FALSE(rig.seq.cbAppEnabled());
}

TEST(ConnectionSequence, LoaderLinesGoOutAsTheFileHoldsThem) {
    const std::string dir = testing::TempDir();
    const std::string mixed = dir + "/vx-mixed.arb", empty = dir + "/vx-empty.arb";
    std::ofstream(mixed, std::ios::binary) << "S0030000FC\r\n\nS9030000FC\rS5030000FC";
    std::ofstream(empty, std::ios::binary) << "";

    Rig rig;
    rig.seq.menuAdvFastestBaud = false;
    rig.seq.SelectFilename(mixed);
    EXPECT_FALSE(rig.seq.cbDLerror);
    rig.ok();
    ASSERT_TRUE(rig.runToState(S::Loading));
    EXPECT_EQ(rig.seq.DownloadMemo, (std::deque<std::string>{"S0030000FC", "", "S9030000FC", "S5030000FC"}));
    std::vector<std::string> countdown;
    rig.seq.setOnChange([&] {
        if (countdown.empty() || countdown.back() != rig.seq.LabelStatus) countdown.push_back(rig.seq.LabelStatus);
    });
    rig.spy.forget();
    ASSERT_TRUE(rig.runUntil([&] { return rig.seq.ConnState != S::Loading; }));
    // The tick that sends the last line moves on: the count never shows 0.
    EXPECT_EQ(countdown, (std::vector<std::string>{"", "Loading software... 4", "Loading software... 3",
                                                   "Loading software... 2", "Loading software... 1"}));
    EXPECT_EQ(rig.seq.ConnState, S::Jump);
    EXPECT_EQ(rig.spy.written, "S0030000FC\r\rS9030000FC\rS5030000FC\r");
    EXPECT_EQ(rig.seq.LoaderProgressBar.Position, 4);

    // An empty file: Load, straight on to the jump, which is still sent.
    Rig none;
    none.seq.menuAdvFastestBaud = false;
    none.seq.SelectFilename(empty);
    none.ok();
    ASSERT_TRUE(none.runToState(S::Loading));
    none.tick();
    EXPECT_EQ(none.seq.LabelStatus, "Loading software... 0");
    EXPECT_EQ(none.seq.ConnState, S::Jump);
    none.tick();
    EXPECT_EQ(none.seq.ConnState, S::Running);
    EXPECT_EQ(countOf(none.spy.written, Esc + "L" + Esc + "J"), 1u);
}
