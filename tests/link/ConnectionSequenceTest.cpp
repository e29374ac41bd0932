// The connection sequence against the simulated kit, in virtual time: the
// timer fires when the sequence says the next tick is due, or at once when a
// tick overran it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <regex>

#include "link/AppQuery.h"
#include "link/ConnectionSequence.h"
#include "link/PortSwitch.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"
#include "support/SpyDevice.h"

namespace vx {

namespace {

const std::string Kit = SimulatedKit::PortName;
const std::string LoaderDir = VX_LOADER_DIR;
const std::string Esc(1, '\x1B');

// How many lines of the history start so (received text may follow).
long linesStarting(const History& history, const std::string& start) {
    const auto& lines = history.lines();
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

struct Rig {
    explicit Rig(ModuleKind kind = ModuleKind::Arbord, std::vector<std::string> portList = {Kit},
                 const std::string& loader = LoaderDir + "/KIT7318.ARB")
        : kit(clock, kind), spy(kit) {
        ports.add(Kit, spy);
        seq.setPortList(portList);
        seq.SelectFilename(loader);
        seq.setOnChange([this] {
            const std::pair<int, std::string> step{seq.view().MainProgressBar.Position, seq.view().LabelState};
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
    bool runToState(ConnectionState state) {
        return runUntil([&] { return seq.ConnState() == state; });
    }
    // Up to the firmware prompt, the user choosing rate and load.
    void toFirmwareCommand() {
        seq.setFastestBaud(false);
        seq.setAutoDownload(false);
        ok();
        ASSERT_TRUE(runToState(ConnectionState::FirmwareCommand));
        spy.forget();
    }
    void ok() {
        steps.clear();
        lastTickMicros = clock.micros();
        seq.btnOkClick();
    }

    VirtualClock clock{uint64_t(0xFFFFFFFFu - 2000) * 1000};
    SimulatedKit kit;
    SpyDevice spy;
    PortSwitch ports{clock};
    SerialPortLayer port{ports, clock};
    AppQueryProtocol query{port};
    ScriptedDialogs dialogs;
    ConnectionSequence seq{port, query, dialogs};
    std::vector<std::pair<int, std::string>> steps;
    uint64_t lastTickMicros = 0;
};

}  // namespace

// Every kind from Ok to its running application, at its fastest rate.
TEST(ConnectionSequence, OkWithAutomaticReachesTheRunningApplicationOfEveryKind) {
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "attempting to locate the correct port"},  {3, "we have opened a port; need to check RTS-CTS"},
        {4, "expecting module to send 0xAA"},          {5, "expecting module to send firmware banner"},
        {6, "module is expecting a firmware command"}, {6, "module is expecting a firmware command (baud rate)"},
        {6, "module is expecting a firmware command"}, {6, "module is expecting a firmware command (loader)"},
        {7, "module is receiving a hex file"},         {8, "module is expecting jump command"},
        {9, "module application is running"},
    };
    for (auto [kind, loader, fastestRate] : {std::tuple{ModuleKind::Arbord, "KIT7318.ARB", 9600u},
                                             {ModuleKind::Brant, "KIT7318.BRT", 9600u},
                                             {ModuleKind::Cobalt, "KIT7318.COB", 115200u},
                                             {ModuleKind::Cobalt16Wide, "KIT7318.CWD", 115200u}}) {
        SCOPED_TRACE(loader);
        Rig rig(kind, {Kit}, LoaderDir + "/" + loader);
        rig.ok();
        ASSERT_TRUE(rig.runUntil([&] { return rig.seq.view().ModalResult == FormResult::Ok; }));
        EXPECT_EQ(rig.steps, expected);  // a misidentified kind would have stopped at the wrong-loader warning
        EXPECT_TRUE(rig.kit.moduleBaud() == fastestRate && rig.port.cbSkipNulls() && rig.seq.view().btnAppQueryEnabled);
        // Lines go back to back at the line's pace: the banner's quiet time, the
        // rate change and the download fit well within nine seconds.
        EXPECT_LT(rig.seq.SetupTimeMs(), 9000u);
        EXPECT_TRUE(std::regex_match(rig.seq.view().LabelStatus, std::regex(R"(total setup time: \d\.\d seconds)")));
    }
}

TEST(ConnectionSequence, AutomaticTriesEachPortOnceInListOrderANamedPortAlone) {
    // Second port: a board whose cable lacks the loopback.
    Rig rig(ModuleKind::Arbord, {"/dev/vx-no-such-port", "Board without loopback", Kit, "/dev/vx-never-tried"});
    SimulatedKit noLoopback(rig.clock);
    noLoopback.setCable(Cable::NoLoopback);
    rig.ports.add("Board without loopback", noLoopback, Kit);
    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionState::Banner));
    std::vector<int> states;
    for (const auto& step : rig.steps)
        if (states.empty() || states.back() != step.first) states.push_back(step.first);
    EXPECT_EQ(states, (std::vector<int>{1, 2, 1, 3, 2, 1, 3, 4}));
    EXPECT_LT(0, linesStarting(rig.port.MemoHistory(), "Rejected; no RTS-CTS loopback."));

    // Nothing answers (the simulation never stands in for a board): the search
    // ends after the last port, and the history keeps what was tried.
    for (auto [list, tried] : {std::pair{std::vector<std::string>{"/dev/vx-no-such-port", Kit, "/dev/vx-other"},
                                         "/dev/vx-no-such-port, /dev/vx-other"},
                               {std::vector<std::string>{Kit}, "none"}}) {
        Rig none(ModuleKind::Arbord, list);
        none.seq.setExcludedFromAutomatic({Kit});
        none.ok();
        ASSERT_TRUE(none.runToState(ConnectionState::Idle));
        EXPECT_EQ(none.port.MemoHistory().lastLine(),
                  std::string("Not found on any port. Check connections. Ports tried: ") + tried);
    }

    // An empty choice means Automatic, and is shown so (a named port alone: the window's tests).
    Rig named;
    named.seq.setFriendlyPort("");
    named.ok();
    EXPECT_EQ(named.seq.view().cbxFriendlyPort.text, "Automatic");
}

TEST(ConnectionSequence, BeaconWaitPromptsForResetAndEndsWithStopOrAGoneDevice) {
    Rig rig;
    // The board was powered earlier and has long sent its beacon.
    ASSERT_TRUE(rig.kit.open(Kit));
    rig.clock.advance(1000);
    ASSERT_TRUE(rig.kit.close());

    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionState::Beacon));
    const uint32_t start = rig.seq.BeaconStartTick();
    rig.runUntil([&] { return rig.clock.ticks() - start > 3000; });
    rig.tick();
    EXPECT_EQ(rig.seq.view().LabelStatus, "Please press and release the module's reset button.");

    rig.seq.btnStopClick();
    EXPECT_FALSE(rig.port.isPortOpen());
    EXPECT_EQ(rig.spy.written.find(Esc + "R"), std::string::npos);  // no application to reset

    // The adapter pulled out while the PC waits: one failed read, then idle.
    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionState::Beacon));
    rig.kit.faults().unplugged = true;
    for (int i = 0; i < 5; ++i) rig.tick();
    EXPECT_EQ(rig.seq.ConnState(), ConnectionState::Idle);
    EXPECT_EQ(rig.seq.view().LabelStatus, "The serial port is gone. Check connections.");
    EXPECT_EQ(linesStarting(rig.port.MemoHistory(), "Error 5: ReadFile failed"), 1);
}

// The simulated kit presses its own reset button for a user who has none to press.
TEST(ConnectionSequence, TheAttendedSimulatedKitConnectsAgainAfterStop) {
    Rig rig;
    rig.kit.setAttended(true);
    for (int round = 0; round < 2; ++round) {
        rig.ok();
        ASSERT_TRUE(rig.runToState(ConnectionState::Running)) << round;
        rig.seq.btnStopClick();
        EXPECT_TRUE(rig.seq.ConnState() == ConnectionState::Idle && !rig.seq.cbAppEnabled());
        EXPECT_EQ(rig.seq.view().LabelStatus, "Disconnected.");
    }
    EXPECT_EQ(countOf(rig.spy.written, Esc + "R"), 2u);
}

TEST(ConnectionSequence, AnUnknownModuleIsLoadedAtTheRateOfItsBeacon) {
    Rig rig(ModuleKind::Unknown);
    rig.kit.sendFromModule("noise before the banner ");
    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionState::FirmwareCommand));
    EXPECT_EQ(rig.seq.view().LabelFirmware.rfind("VANTO VX7318", 0), 0u) << rig.seq.view().LabelFirmware;

    // Each kind's own banner is identified end to end; here, the first keyword wins.
    EXPECT_EQ(ConnectionSequence::IdentifyModule("VANTO COBALT BRANT ARBOR"), ModuleKind::Arbord);
    EXPECT_EQ(ConnectionSequence::IdentifyModule("VANTO COBALT 16 BIT BUS BRANT"), ModuleKind::Brant);

    // No rate command exists for it, so neither end moves.
    rig.spy.forget();
    EXPECT_FALSE(rig.seq.ChangeFirmwareBaud(4800));
    EXPECT_EQ(rig.port.MemoHistory().lastLine(), "Baud rate 4800 not legal for an unknown module");
    EXPECT_EQ(rig.spy.written, "");
    ASSERT_TRUE(rig.runToState(ConnectionState::Running));
    EXPECT_EQ(rig.port.PortDcb().baud, 1200u);
}

TEST(ConnectionSequence, MissingLoaderFileIsReportedAndReturnsToIdle) {
    Rig rig(ModuleKind::Arbord, {Kit}, "");
    EXPECT_TRUE(rig.seq.view().cbDLerror);
    EXPECT_LT(0, linesStarting(rig.port.MemoHistory(), "No Loader file specified."));

    rig.seq.SelectFilename("/tmp/vx-no-such-dir/kit7318.arb");
    EXPECT_LT(0, linesStarting(rig.port.MemoHistory(), "Loader cannot read file."));
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Error: Cannot find required file /TMP/VX-NO-SUCH-DIR/KIT7318.ARB");

    // The sequence reaches the download and finds the file still missing.
    rig.seq.setFastestBaud(false);
    rig.ok();
    ASSERT_TRUE(rig.runUntil([&] { return rig.dialogs.messages.size() == 2; }));
    EXPECT_EQ(rig.seq.ConnState(), ConnectionState::Idle);
    EXPECT_EQ(rig.spy.written.find(Esc + "L"), std::string::npos);
}

TEST(ConnectionSequence, RateCommandsFollowTheModuleKind) {
    Rig arbord;
    arbord.toFirmwareCommand();
    EXPECT_FALSE(arbord.seq.ChangeFirmwareBaud(19200));
    EXPECT_EQ(arbord.port.MemoHistory().lastLine(), "Baud rate 19200 not legal for ARBORD module");
    EXPECT_EQ(arbord.spy.written, "");
    const uint32_t before = arbord.clock.ticks();
    EXPECT_TRUE(arbord.seq.ChangeFirmwareBaud(4800));
    EXPECT_EQ(arbord.spy.written, Esc + "B4" + "   >");
    EXPECT_GE(arbord.clock.ticks() - before, 2000u);
    EXPECT_EQ(arbord.seq.view().LabelStatus, "Firmware baud rate set.");

    // A module that stops answering: the probe gives up after ten seconds,
    // the PC left at the new rate.
    arbord.kit.faults().silent = true;
    arbord.spy.forget();
    const uint32_t start = arbord.clock.ticks();
    EXPECT_FALSE(arbord.seq.ChangeFirmwareBaud(9600));
    EXPECT_TRUE(arbord.clock.ticks() - start >= 12000u && arbord.clock.ticks() - start <= 18000u);
    EXPECT_EQ(arbord.seq.view().LabelStatus, "Could not set hardware baud rate.");
    EXPECT_EQ(arbord.port.PortDcb().baud, 9600u);
    EXPECT_EQ(arbord.spy.written, Esc + " >>>");  // each character waits for its echo in vain

    Rig brant(ModuleKind::Brant, {Kit}, LoaderDir + "/KIT7318.BRT");
    brant.toFirmwareCommand();
    EXPECT_TRUE(brant.seq.ChangeFirmwareBaud(2400));
    EXPECT_EQ(brant.spy.written, Esc + "Q\xF4" + "   >");
    // Sent in one piece without waiting; the history line carries the echoes that followed.
    EXPECT_LT(0, linesStarting(brant.port.MemoHistory(), "{0x1B}Q{0xF4}"));
    EXPECT_EQ(brant.kit.moduleBaud(), 2400u);
}

// A download that fails is marked, repeated once, and then given up: the
// sequence never claims a running application it did not start.
TEST(ConnectionSequence, AFailedDownloadIsRepeatedOnceThenGivenUp) {
    // The loader; the fault and the state in which it strikes; the state at the
    // end; the history line that says what went wrong; the status (empty: the
    // running application's); Load commands sent whole; downloads the history
    // reports as failed.
    struct Case {
        const char* loader;
        ConnectionState faultAt;
        std::function<void(Rig&)> fault;
        ConnectionState endState;
        const char *history, *status;
        size_t loads;
        long failures;
    };
    const std::string retry = "Download failed. Press the module's reset button, then Ok to try again.";
    const std::string arb = LoaderDir + "/KIT7318.ARB";
    const Case cases[] = {
        {arb.c_str(), ConnectionState::Loading, [](Rig& r) { r.seq.btnDownloadClick(); }, ConnectionState::Running,
         "DoDownload called before module ready.", "", 2, 0},
        {arb.c_str(), ConnectionState::Loading, [](Rig& r) { r.kit.faults().wrongEchoes = 1; },
         ConnectionState::Running, "Loader line 3 failed: no echo within 3000 ms", "", 2, 1},
        {arb.c_str(), ConnectionState::Loading, [](Rig& r) { r.kit.faults().echoesLeft = 0; }, ConnectionState::Idle,
         "Load command not sent: no echo within 3000 ms", retry.c_str(), 1, 2},
        {arb.c_str(), ConnectionState::Jump, [](Rig& r) { r.kit.faults().echoesLeft = 0; }, ConnectionState::Idle,
         "Jump command not sent: no echo within 3000 ms", retry.c_str(), 1, 2},
        {arb.c_str(), ConnectionState::Loading, [](Rig& r) { r.kit.faults().unplugged = true; }, ConnectionState::Idle,
         "Loader line 3 failed: the serial port is gone",
         "Download failed: the serial port is gone. Check connections.", 1, 1},
        // A file that opens but cannot be read.
        {"/proc/self/mem", ConnectionState::Idle, [](Rig&) {}, ConnectionState::Idle,
         "Loader cannot read file /PROC/SELF/MEM: Input/output error", retry.c_str(), 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.history);
        Rig rig(ModuleKind::Arbord, {Kit}, c.loader);
        rig.dialogs.messageAnswers = {MsgAnswer::Ok};  // to the wrong-loader warning
        rig.ok();
        if (c.faultAt != ConnectionState::Idle) {
            ASSERT_TRUE(rig.runToState(c.faultAt));
            if (c.faultAt == ConnectionState::Loading) rig.tick();
            c.fault(rig);
        }
        ASSERT_TRUE(rig.runUntil([&] {
            return rig.seq.view().ModalResult == FormResult::Ok || rig.seq.ConnState() == ConnectionState::Idle;
        }));
        EXPECT_EQ(rig.seq.ConnState(), c.endState);
        EXPECT_LT(0, linesStarting(rig.port.MemoHistory(), c.history));
        if (c.endState == ConnectionState::Running) {
            EXPECT_TRUE(rig.kit.programValid());
        } else {
            EXPECT_EQ(rig.seq.view().LabelStatus, c.status);
            EXPECT_EQ(rig.seq.view().ModalResult, FormResult::None);
            EXPECT_FALSE(rig.port.isPortOpen() || rig.seq.cbAppEnabled());
        }
        EXPECT_EQ(countOf(rig.spy.written, Esc + "L"), c.loads);
        long failures = 0;
        for (const char* start : {"Loader line", "Load command", "Jump command", "Loader cannot read file "})
            failures += linesStarting(rig.port.MemoHistory(), start);
        EXPECT_EQ(failures, c.failures);
    }
}

TEST(ConnectionSequence, NoLoadRunsAtOnceAndTheRunningStateTrimsTheHistory) {
    Rig rig;
    rig.seq.menuAdvNoDownloadClick();
    EXPECT_FALSE(rig.seq.view().menuAdvAutoDownload);

    History& history = rig.port.MemoHistory();
    history.clear();
    for (int i = 0; i < 201; ++i) history.addLine(std::to_string(i));
    rig.tick();
    EXPECT_EQ(history.count(), 200u);
    EXPECT_EQ(history.line(0), "1");
    for (int i = 0; i < 3; ++i) history.addLine("more");
    rig.tick();
    EXPECT_TRUE(history.empty());
}

TEST(ConnectionSequence, LoaderLinesGoOutAsTheFileHoldsThem) {
    const std::string dir = testing::TempDir();
    const std::string mixed = dir + "/vx-mixed.arb";
    std::ofstream(mixed, std::ios::binary) << "S0030000FC\r\n\nS9030000FC\rS5030000FC";

    Rig rig(ModuleKind::Arbord, {Kit}, mixed);
    rig.seq.setFastestBaud(false);
    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionState::Loading));
    rig.spy.forget();
    rig.tick();
    EXPECT_EQ(rig.seq.view().LabelStatus, "Loading software... 4");
    ASSERT_TRUE(rig.runUntil([&] { return rig.seq.ConnState() != ConnectionState::Loading; }));
    // The tick that sends the last line moves on: the count never shows 0.
    EXPECT_EQ(rig.seq.view().LabelStatus, "Loading software... 1");
    EXPECT_EQ(rig.spy.written, "S0030000FC\r\rS9030000FC\rS5030000FC\r");
    EXPECT_EQ(rig.seq.view().LoaderProgressBar.Position, 4);
}

}  // namespace vx
