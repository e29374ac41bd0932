// The reading loop against scripted replies: statuses, statistics, tare and
// the scan of all channels.
#include <gtest/gtest.h>

#include "app/ReadingLoop.h"
#include "link/AppQuery.h"
#include "support/ScriptedDialogs.h"
#include "support/ThrownText.h"

namespace vx {

namespace {

// The next reply is scripted; every query is kept.
struct ScriptedModule : QuerySender {
    std::string AppQuery(const std::string& query) override {
        queries.push_back(query);
        std::exchange(duringQuery, [] {})();
        if (query.rfind("XX", 0) == 0) return "";  // a control word's reply is not examined
        return std::exchange(reply, "");
    }
    std::string reply;
    std::vector<std::string> queries;
    std::function<void()> duringQuery = [] {};  // what the user does while the next query blocks
};

using Points = std::vector<std::pair<int, int32_t>>;

// Counts what may rescale the graph: a point while automatic, switching it on.
struct RecordingTarget : ReadingTarget {
    void showStatus(const std::string& status) override { statuses.push_back(status); }
    void Graph_Data_Point(int channel, int32_t code) override {
        points.push_back({channel, code});
        rescales += autoScale;
        onPoint();
    }
    bool AutoScale() override { return autoScale; }
    void SetAutoScale(bool on) override { rescales += !std::exchange(autoScale, on) && on; }
    std::vector<std::string> statuses;
    Points points;
    bool autoScale = true;
    int rescales = 0;
    std::function<void()> onPoint = [] {};  // events handled while the graph draws
};

struct Rig {
    VirtualClock clock;
    ScriptedModule module;
    ScriptedDialogs dialogs;
    RecordingTarget target;
    ConversionControl control{module, dialogs};
    ReadingLoop loop{control, module, target, clock};

    // Hex word of a unipolar code, as "R" answers it.
    static std::string word(int code) {
        char text[8];
        std::snprintf(text, sizeof text, "%04X", unsigned(code) << 4);
        return text;
    }
    // "A" answered with codes 100, 200, ... 800.
    static constexpr const char* ScanReply = "0640x0C80x12C0x1900x1F40x2580x2BC0x3200x";
    void read(const std::vector<int>& codes) {
        for (int code : codes) {
            module.reply = word(code);
            loop.UpdateButtonClick();
        }
    }
};

TEST(ReadingLoop, ReadingsFeedRowStatisticsGraphAndTare) {
    Rig rig;
    const ReadingsView& v = rig.loop.view();
    rig.control.SetChannel(3);
    rig.read({1000});
    EXPECT_EQ(rig.module.queries, std::vector<std::string>{"R"});
    EXPECT_EQ(rig.target.statuses, (std::vector<std::string>{"*", " "}));
    EXPECT_EQ(rig.target.points, (Points{{3, 1000}}));
    // The statistics start from this first reading, not from zeros.
    EXPECT_EQ(v.VMin + v.VMax + v.CodeMin + v.CodeMax, "  1.0000V  1.0000V10001000");
    EXPECT_EQ(v.VAvg + v.CodeRms + v.CodeAvg, " 1.0000V 1.0000V1000");

    // A lower reading moves only the minimum, with the text of that reading.
    rig.read({500});
    EXPECT_EQ(v.CodeMin + v.VMin + v.CodeMax, "500  0.5000V1000");

    // Cleared, the statistics restart from ten copies of the next reading.
    rig.loop.ClearStatisticsButtonClick();
    EXPECT_EQ(v.VAvg + v.CodeRms + v.CodeMax, "+?.???V??????");
    rig.read({500});
    EXPECT_EQ(v.CodeAvg + v.VAvg + v.CodeMax, "500 0.5000V500");

    rig.loop.TareCheckBoxClick(true);
    EXPECT_EQ(v.TareCheckBoxCaption + v.VAvg, "Tare Offset = 500+?.???V") << "tare clears the statistics";
    EXPECT_DOUBLE_EQ(rig.loop.Queue().GetMax(), 0.0) << "restarting from the tared last reading";
    rig.read({501});
    EXPECT_EQ(v.Vin[3] + v.CodeMax, "  0.0010V501") << "minimum and maximum stay untared";
    rig.loop.TareCheckBoxClick(false);
    EXPECT_EQ(v.TareCheckBoxCaption, "Tare Offset = 0");

    // Cleared before any reading: the first one still starts them.
    Rig fresh;
    fresh.loop.ClearStatisticsButtonClick();
    fresh.read({2000});
    EXPECT_EQ(fresh.loop.view().VAvg, " 2.0000V");
}

TEST(ReadingLoop, FilterSettlesOnTheMeanAndTaresToTheNearestCode) {
    // Noise around 1000 and 1001: a filter truncated at every step drifts
    // well below either.
    for (const auto& [low, high, settled] : {std::tuple{999, 1001, 1000}, std::tuple{1000, 1002, 1001}}) {
        Rig rig;
        for (int i = 0; i < 200; ++i) rig.read({i % 2 ? high : low});
        EXPECT_EQ(rig.loop.view().CodeAvg, std::to_string(settled)) << low << ".." << high;
        rig.loop.TareCheckBoxClick(true);
        EXPECT_EQ(rig.loop.view().TareCheckBoxCaption, "Tare Offset = " + std::to_string(settled));
    }
}

// A reply without a conversion shows "!", feeds and counts nothing, and
// reading goes on; "FAILURE" and an exception also stop automatic reading.
// Each case: scan of all channels?, the reply, does drawing a point throw?,
// the points drawn, does automatic reading go on?
TEST(ReadingLoop, FailedReadings) {
    const std::string scan = Rig::ScanReply;
    std::string badGroup = scan;
    badGroup.replace(10, 4, "3Z80");  // channel 2
    const std::tuple<bool, std::string, bool, size_t, bool> cases[] = {
        {false, "3E8", false, 0, true},      {true, scan.substr(0, 39), false, 0, true},
        {true, scan + "x", false, 0, true},  {true, badGroup, false, 7, true},
        {false, "FAILURE", false, 0, false}, {true, "FAILURE", false, 0, false},
        {false, "3E80", true, 1, false},     {true, scan, true, 1, false},
    };
    for (const auto& [scanAll, reply, throws, pointsShown, goesOn] : cases) {
        Rig rig;
        if (scanAll) rig.control.menuInputScanAll1Click();
        rig.loop.AUTOREADcheckboxClick(true);
        rig.module.reply = reply;
        if (throws) rig.target.onPoint = [] { throw std::runtime_error("no graph"); };
        EXPECT_EQ(ThrownText([&] { rig.loop.UpdateButtonClick(); }), throws ? "no graph" : "(nothing thrown)");
        EXPECT_EQ(rig.loop.view().StatusLabel + rig.loop.view().Code[2], "!???") << reply;
        EXPECT_EQ(rig.target.points.size(), pointsShown) << reply;
        EXPECT_EQ(rig.loop.view().CodeAvg, pointsShown ? rig.loop.view().CodeAvg : "???")
            << "nothing counted: " << reply;
        EXPECT_EQ(std::pair(rig.loop.view().AUTOREADcheckbox, rig.loop.Timer1().Enabled()), std::pair(goesOn, goesOn))
            << reply;
    }
}

TEST(ReadingLoop, ScanAllAndReadingsLandInTheRowOfTheChannelAsked) {
    // One "A" fills all eight rows and rescales the graph once, after the
    // eighth point, even when the list changes to channel 3 while the
    // scan's points are drawn: the next readings belong to channel 3.
    Rig rig;
    rig.control.menuInputScanAll1Click();
    rig.module.queries.clear();
    rig.module.reply = Rig::ScanReply;
    rig.target.onPoint = [&] {
        if (rig.target.points.size() == 3) rig.control.menuInputChannelClick(3);
    };
    rig.loop.UpdateButtonClick();
    EXPECT_EQ(rig.module.queries[0], "A");
    EXPECT_EQ(rig.target.statuses, (std::vector<std::string>{"^", "-", " "}));
    for (int c = 0; c < 8; ++c) EXPECT_EQ(rig.target.points[c], std::pair(c, 100 * (c + 1)));
    EXPECT_TRUE(rig.target.rescales == 1 && rig.target.autoScale);
    EXPECT_EQ(rig.loop.view().CodeMin + rig.loop.view().CodeMax, "100800");
    rig.read({1234});
    EXPECT_EQ(rig.target.points.back(), std::pair(3, 1234));

    // The list changes while "R" for channel 3 is under way: the reply is
    // channel 3's, the next reading channel 5's.
    rig.module.duringQuery = [&] { rig.control.menuInputChannelClick(5); };
    rig.read({1500, 1600});
    EXPECT_EQ(rig.loop.view().Code[3] + " " + rig.loop.view().Code[5], "1500 1600");
}

// A rate that is no positive count of milliseconds falls back to 100 ms: a
// timer of 0 ms would never fire.
TEST(ReadingLoop, RateListTakesOnlyAPositiveInterval) {
    for (const char* bad : {"fast", "", "0", "-5", "99999999999"})
        EXPECT_EQ(ReadingLoop::IntervalFromText(bad), 100) << bad;
}

}  // namespace

// A late tick does not shift the next one; a stall of a whole period starts
// the rhythm again from now; a reading's pause keeps it. The window hears of
// every change, so that it re-arms its real timer.
TEST(ReadingTimer, KeepsItsRhythmThroughLateTicksAndPauses) {
    VirtualClock clock;
    ReadingTimer timer(clock);
    int changes = 0;
    timer.setOnChange([&] { ++changes; });
    timer.SetInterval(100);
    timer.SetEnabled(true);
    const std::pair<uint64_t, uint64_t> ticks[] = {{130'000, 200'000}, {450'000, 550'000}};
    for (const auto& [at, next] : ticks) {
        clock.sleepUntil(at);
        timer.fired();
        EXPECT_EQ(timer.dueMicros(), next);
    }
    timer.SetEnabled(false);
    timer.Restore(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.dueMicros(), 550'000u);
    EXPECT_EQ(changes, 6);
}

}  // namespace vx
