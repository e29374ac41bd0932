// The connection sequence against the simulated kit, in virtual time: the
// timer fires every Timer1Interval, or at once when a tick overran it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <regex>
#include <utility>

#include "link/AppQuery.h"
#include "link/ConnectionSequence.h"
#include "link/PortSwitch.h"
#include "support/SpyDevice.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"

namespace {

const std::string Kit = SimulatedKit::PortName;
const std::string LoaderDir = VX_LOADER_DIR;
const std::string Esc(1, '\x1B');

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

bool historyHas(const History& history, const std::string& text) {
    const auto& lines = history.lines();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
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
        clock.sleepUntil(lastTickMicros + uint64_t(seq.Timer1Interval) * 1000);
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
        ASSERT_TRUE(runToState(ConnectionSequence::FirmwareCommand));
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

    // Both ends at the kind's fastest rate.
    EXPECT_EQ(rig.kit.moduleBaud(), c.fastestRate);
    EXPECT_EQ(rig.port.PortDcb.baud, c.fastestRate);

    // Every line of the file arrived, each with a valid checksum.
    const auto sent = fileLines(loader);
    const auto loaded = rig.kit.loadedLines();
    ASSERT_EQ(loaded.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(loaded[i].text, sent[i]) << i;
        EXPECT_TRUE(loaded[i].valid) << i;
    }
    EXPECT_TRUE(rig.kit.programValid());

    EXPECT_TRUE(std::regex_match(rig.seq.LabelStatus, std::regex(R"(total setup time: \d+\.\d seconds)")))
        << rig.seq.LabelStatus;

    const std::string reply = rig.query.AppQuery(std::string("R"));
    EXPECT_TRUE(std::regex_match(reply, std::regex("[0-9A-F]{4}"))) << reply;

    if (c.kind == ModuleKind::Arbord)
        std::cout << "ARBORD default connection: " << rig.seq.LabelStatus << " (virtual time)\n";
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
    ASSERT_TRUE(rig.runToState(ConnectionSequence::Banner));
    EXPECT_EQ(states, (std::vector<int>{1, 2, 1, 3, 2, 1, 3, 4}));
    EXPECT_EQ(rig.port.cbxHwPort, Kit);
    EXPECT_TRUE(historyHas(rig.port.MemoHistory,
                           "Error 2: Cannot open /dev/vx-no-such-port: No such file or directory"));
    EXPECT_TRUE(historyHas(rig.port.MemoHistory, "Rejected; no RTS-CTS loopback."));
    EXPECT_FALSE(noLoopback.isOpen());

    // Nothing answers: the search ends after the last port.
    Rig none(ModuleKind::Arbord, {"/dev/vx-no-such-port", Kit});
    none.seq.ExcludedFromAutomatic = {Kit};  // the simulation never stands in for a board
    none.ok();
    ASSERT_TRUE(none.runToState(ConnectionSequence::Idle));
    EXPECT_EQ(none.seq.LabelStatus, "Not found on any port. Check connections.");
    EXPECT_EQ(none.kit.moduleState(), ModuleState::Off);
}

TEST(ConnectionSequence, NamedPortIsTheOnlyOneTried) {
    Rig rig;
    rig.seq.cbxFriendlyPort.text.clear();
    rig.ok();
    EXPECT_EQ(rig.seq.cbxFriendlyPort.text, "Automatic");
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::Idle);

    rig.seq.cbxFriendlyPort.text = "/dev/vx-com7";
    rig.ok();
    EXPECT_EQ(rig.seq.cbxFriendlyPort.items.back(), "/dev/vx-com7");
    ASSERT_TRUE(rig.runToState(ConnectionSequence::Idle));
    EXPECT_EQ(rig.seq.LabelStatus, "Not found on specified port. Check connections.");
    EXPECT_TRUE(historyHas(rig.port.MemoHistory, "Error 2: Cannot open /dev/vx-com7: No such file or directory"));
    EXPECT_EQ(rig.kit.moduleState(), ModuleState::Off);

    // The kit named without its loopback: rejected, closed, not searched on.
    Rig bare;
    bare.kit.setCable(Cable::NoLoopback);
    bare.seq.cbxFriendlyPort.text = Kit;
    bare.ok();
    ASSERT_TRUE(bare.runToState(ConnectionSequence::Idle));
    EXPECT_TRUE(historyHas(bare.port.MemoHistory, "Rejected; no RTS-CTS loopback."));
    EXPECT_FALSE(bare.port.isPortOpen());
    EXPECT_EQ(bare.seq.LabelStatus, "Not found on specified port. Check connections.");
}

TEST(ConnectionSequence, MissingBeaconPromptsForResetAndStopReturnsToIdle) {
    Rig rig;
    rig.seq.SelectFilename(LoaderDir + "/KIT7318.ARB");
    // The board was powered earlier and has long sent its beacon.
    ASSERT_TRUE(rig.kit.open(Kit));
    rig.clock.advance(1000);
    ASSERT_TRUE(rig.kit.close());

    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionSequence::Beacon));
    const uint32_t start = rig.seq.BeaconStartTick;
    rig.runUntil([&] { return rig.clock.ticks() - start >= 2900; });
    EXPECT_EQ(rig.seq.LabelStatus, "Connected...");
    rig.runUntil([&] { return rig.clock.ticks() - start > 3000; });
    rig.tick();
    EXPECT_EQ(rig.seq.LabelStatus, "Please press and release the module's reset button.");
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::Beacon);

    rig.seq.btnStopClick();
    EXPECT_FALSE(rig.port.isPortOpen());
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::Idle);
    EXPECT_EQ(rig.seq.LabelStatus, "Disconnected.");
    EXPECT_EQ(rig.spy.written.find(Esc + "R"), std::string::npos);  // no application to reset

    // Next time the user presses the reset button while the PC waits.
    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionSequence::Beacon));
    rig.tick();
    rig.kit.resetModule();
    ASSERT_TRUE(rig.runToState(ConnectionSequence::Banner, 5));
    EXPECT_EQ(rig.seq.LabelStatus, "");
}

TEST(ConnectionSequence, BannerKeywordsDecideTheKind) {
    using S = ConnectionSequence;
    for (const auto& [banner, kind] : std::vector<std::pair<const char*, uint8_t>>{
             {"VANTO COBALT ARBOR", S::KindArbord}, {"VANTO BRANT MONITOR", S::KindBrant},
             {"VANTO COBALT MONITOR - 16 BIT BUS", S::KindCobalt16Wide}, {"VANTO COBALT MONITOR", S::KindCobalt},
             {"VANTO MONITOR", S::KindUnknown}})
        EXPECT_EQ(S::IdentifyModule(banner), kind) << banner;

    // A banner without a keyword: unknown kind, rate list kept, no warning.
    Rig rig(ModuleKind::Unknown);
    rig.kit.sendFromModule("noise before the banner ");
    rig.toFirmwareCommand("KIT7318.ARB");
    EXPECT_EQ(rig.seq.ModuleKind, ConnectionSequence::KindUnknown);
    EXPECT_EQ(rig.seq.LabelFirmware.rfind("VANTO VX7318", 0), 0u) << rig.seq.LabelFirmware;
    EXPECT_EQ(rig.seq.cbxFwBaud.items, (std::vector<std::string>{"1200", "4800", "9600", "19200"}));
    EXPECT_TRUE(rig.dialogs.messages.empty());
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::FirmwareCommand);  // waits for the user
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
        EXPECT_EQ(rig.seq.PanelFirmware, answer == MsgAnswer::Ok);
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
    EXPECT_TRUE(rig.seq.Timer1Enabled);

    // The sequence reaches the download and finds the file still missing.
    rig.seq.menuAdvFastestBaud = false;
    rig.ok();
    ASSERT_TRUE(rig.runUntil([&] { return rig.dialogs.messages.size() == 2; }));
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::Idle);
    EXPECT_EQ(rig.dialogs.messages[1].text, rig.dialogs.messages[0].text);
    EXPECT_EQ(rig.spy.written.find(Esc + "L"), std::string::npos);
    EXPECT_TRUE(rig.port.isPortOpen());

    // Asked for outside state 6, a download only marks the error.
    rig.seq.DoDownload();
    EXPECT_EQ(rig.port.MemoHistory.lastLine(), "DoDownload called before module ready.");
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::Idle);
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

    Rig brant(ModuleKind::Brant);
    brant.toFirmwareCommand("KIT7318.BRT");
    EXPECT_TRUE(brant.seq.ChangeFirmwareBaud(2400));
    EXPECT_EQ(brant.spy.written, Esc + "Q\xF4" + "   >");
    // Sent in one piece without waiting; the history line carries the echoes that followed.
    EXPECT_TRUE(std::any_of(brant.port.MemoHistory.lines().begin(), brant.port.MemoHistory.lines().end(),
                            [](const std::string& line) { return line.rfind("{0x1B}Q{0xF4}", 0) == 0; }));
    EXPECT_EQ(brant.kit.moduleBaud(), 2400u);
}

TEST(ConnectionSequence, RateProbeGivesUpAfterTenSecondsWithThePcAtTheNewRate) {
    // The unknown kind gets no rate command, so the board stays at 1200 baud.
    Rig rig(ModuleKind::Unknown);
    rig.seq.SelectFilename(LoaderDir + "/KIT7318.ARB");
    rig.seq.menuAdvAutoDownload = false;
    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionSequence::FirmwareCommand));
    rig.spy.forget();
    const uint32_t start = rig.clock.ticks();
    rig.tick();
    const uint32_t took = rig.clock.ticks() - start;
    EXPECT_EQ(rig.seq.LabelStatus, "Could not set hardware baud rate.");
    EXPECT_GE(took, 200u + 2000u + 10000u);
    EXPECT_LE(took, 200u + 2000u + 13000u + 3000u);
    EXPECT_EQ(rig.port.PortDcb.baud, 19200u);
    EXPECT_EQ(rig.kit.moduleBaud(), 1200u);
    // The first unechoed space ends the three; then ">" until the time is up.
    EXPECT_EQ(rig.spy.written.substr(0, 3), " >>");
    EXPECT_GE(countOf(rig.spy.written, ">"), 3u);
    EXPECT_TRUE(rig.seq.btnFwSetBaudEnabled);
    // The last rate is now selected: the next tick does not try again.
    rig.spy.forget();
    rig.tick();
    EXPECT_EQ(rig.spy.written, "");
}

TEST(ConnectionSequence, LoadFilePressedDuringADownloadRepeatsItOnceThenRuns) {
    Rig rig;
    rig.seq.SelectFilename(LoaderDir + "/KIT7318.ARB");
    rig.ok();
    ASSERT_TRUE(rig.runToState(ConnectionSequence::Loading));
    rig.tick();
    rig.seq.btnDownloadClick();
    EXPECT_EQ(rig.port.MemoHistory.lastLine(), "DoDownload called before module ready.");
    EXPECT_TRUE(rig.seq.cbDLerror);

    std::vector<int> states;
    ASSERT_TRUE(rig.runUntil([&] {
        if (states.empty() || states.back() != rig.seq.ConnState) states.push_back(rig.seq.ConnState);
        return rig.seq.ConnState == ConnectionSequence::Running;
    }));
    EXPECT_EQ(states, (std::vector<int>{7, 8, 6, 7, 8, 9}));
    EXPECT_EQ(countOf(rig.spy.written, Esc + "L"), 2u);
    EXPECT_EQ(countOf(rig.spy.written, Esc + "J"), 1u);
    EXPECT_FALSE(rig.seq.cbDLerror);
    EXPECT_TRUE(rig.kit.programValid());
    EXPECT_EQ(rig.query.AppQuery(std::string("R")).size(), 4u);
}

TEST(ConnectionSequence, NoLoadRunsAtOnceAndTheRunningStateTrimsTheHistory) {
    Rig rig;
    rig.seq.menuAdvNoDownloadClick();
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::Running);
    EXPECT_TRUE(rig.seq.cbAppEnabled());
    EXPECT_FALSE(rig.port.isPortOpen());

    History& history = rig.port.MemoHistory;
    history.clear();
    for (int i = 0; i < 201; ++i) history.addLine(std::to_string(i));
    rig.tick();
    EXPECT_EQ(rig.seq.ModalResult, FormResult::Ok);
    EXPECT_EQ(history.count(), 200u);
    EXPECT_EQ(history.line(0), "1");
    rig.tick();
    EXPECT_EQ(history.count(), 200u);
    for (int i = 0; i < 3; ++i) history.addLine("more");
    rig.tick();
    EXPECT_TRUE(history.empty());

    // Stop while the application runs: reset the module, close, idle.
    rig.port.cbxHwPort = Kit;
    ASSERT_TRUE(rig.port.DoOpenPort());
    rig.clock.advance(1000);
    rig.seq.btnStopClick();
    EXPECT_EQ(countOf(rig.spy.written, Esc + "R"), 1u);
    EXPECT_EQ(rig.seq.ConnState, ConnectionSequence::Idle);
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
    ASSERT_TRUE(rig.runToState(ConnectionSequence::Loading));
    EXPECT_EQ(rig.seq.DownloadMemo, (std::deque<std::string>{"S0030000FC", "", "S9030000FC", "S5030000FC"}));
    std::vector<std::string> countdown;
    rig.spy.forget();
    ASSERT_TRUE(rig.runUntil([&] {
        if (countdown.empty() || countdown.back() != rig.seq.LabelStatus) countdown.push_back(rig.seq.LabelStatus);
        return rig.seq.ConnState != ConnectionSequence::Loading;
    }));
    EXPECT_EQ(countdown, (std::vector<std::string>{"", "Loading software... 4", "Loading software... 3",
                                                   "Loading software... 2", "Loading software... 1",
                                                   "Loading software... 0"}));
    EXPECT_EQ(rig.spy.written, "S0030000FC\r\rS9030000FC\rS5030000FC\r");
    EXPECT_EQ(rig.seq.LoaderProgressBar.Position, 4);

    // An empty file: Load, straight on to the jump, which is still sent.
    Rig none;
    none.seq.menuAdvFastestBaud = false;
    none.seq.SelectFilename(empty);
    none.ok();
    ASSERT_TRUE(none.runToState(ConnectionSequence::Loading));
    none.tick();
    EXPECT_EQ(none.seq.ConnState, ConnectionSequence::Jump);
    none.tick();
    EXPECT_EQ(none.seq.ConnState, ConnectionSequence::Running);
    EXPECT_EQ(countOf(none.spy.written, Esc + "L" + Esc + "J"), 1u);
}
