// The reading loop against scripted replies: statuses, statistics, tare, the
// scan of all channels and the reading timer's rhythm, in virtual time.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/ReadingLoop.h"
#include "link/AppQuery.h"
#include "support/ScriptedDialogs.h"

namespace {

// Replies in order; every query is kept. "R" with no scripted reply gets the
// steady reply.
class ScriptedModule : public QuerySender {
public:
    std::string AppQuery(const std::string& query) override {
        queries.push_back(query);
        if (replies.empty()) return steady;
        std::string reply = replies.front();
        replies.pop_front();
        return reply;
    }
    std::deque<std::string> replies;
    std::string steady = "3E80";  // code 1000
    std::vector<std::string> queries;
};

class RecordingTarget : public ReadingTarget {
public:
    void showStatus(const std::string& status) override { statuses.push_back(status); }
    void Graph_Data_Point(int channel, int32_t code) override {
        points.push_back({channel, code});
        if (autoScale) ++rescales;  // a point that may rescale the graph
    }
    bool AutoScale() override { return autoScale; }
    void SetAutoScale(bool on) override {
        if (on && !autoScale) ++rescales;
        autoScale = on;
    }
    std::vector<std::string> statuses;
    std::vector<std::pair<int, int32_t>> points;
    bool autoScale = true;
    int rescales = 0;
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
    void readSteady(int code, int times) {
        module.steady = word(code);
        for (int i = 0; i < times; ++i) loop.UpdateButtonClick();
    }
};

TEST(ReadingLoop, SingleReadingShowsRowStatisticsAndGraph) {
    Rig rig;
    rig.control.SetChannel(3);
    rig.loop.Timer1.SetEnabled(true);
    rig.module.replies = {"3E80"};
    rig.loop.UpdateButtonClick();

    EXPECT_EQ(rig.module.queries, std::vector<std::string>{"R"});
    EXPECT_EQ(rig.target.statuses, (std::vector<std::string>{"*", " "}));
    EXPECT_EQ(rig.loop.Vin[3], "  1.0000V");
    EXPECT_EQ(rig.loop.Code[3], "1000");
    EXPECT_EQ(rig.target.points, (std::vector<std::pair<int, int32_t>>{{3, 1000}}));
    // Fresh statistics: the first reading sets both the minimum and the maximum.
    EXPECT_EQ(rig.loop.VMin, "  1.0000V");
    EXPECT_EQ(rig.loop.VMax, "  1.0000V");
    EXPECT_EQ(rig.loop.CodeMin, "1000");
    EXPECT_EQ(rig.loop.CodeMax, "1000");
    // Ten slots, nine of them zeros.
    EXPECT_EQ(rig.loop.VAvg, " 0.1000V");
    EXPECT_EQ(rig.loop.CodeRms, " 0.3162V");
    EXPECT_EQ(rig.loop.CodeAvg, "50");
    EXPECT_TRUE(rig.loop.Timer1.Enabled()) << "given back its state";

    // A lower reading moves only the minimum, with the text of that reading.
    rig.module.replies = {"1F40"};  // 500
    rig.loop.UpdateButtonClick();
    EXPECT_EQ(rig.loop.CodeMin, "500");
    EXPECT_EQ(rig.loop.VMin, "  0.5000V");
    EXPECT_EQ(rig.loop.CodeMax, "1000");
}

TEST(ReadingLoop, FilteredCodeTruncatesTowardZero) {
    Rig rig;
    rig.readSteady(100, 3);
    EXPECT_EQ(rig.loop.FilteredCode, 13);  // 5, 9, 13

    Rig fromBelow;
    fromBelow.readSteady(1000, 400);
    EXPECT_EQ(fromBelow.loop.FilteredCode, 981);
    EXPECT_EQ(fromBelow.loop.CodeAvg, "981");

    Rig fromAbove;
    fromAbove.readSteady(2000, 1);
    fromAbove.loop.ClearStatisticsButtonClick();
    EXPECT_EQ(fromAbove.loop.FilteredCode, 2000);
    fromAbove.readSteady(1000, 400);
    EXPECT_EQ(fromAbove.loop.FilteredCode, 1000);
}

TEST(ReadingLoop, ClearStatisticsAndTare) {
    Rig rig;
    rig.readSteady(1000, 5);
    rig.loop.ClearStatisticsButtonClick();
    EXPECT_EQ(rig.loop.FilteredCode, 1000);
    EXPECT_EQ(rig.loop.VAvg, "+?.???V");
    EXPECT_EQ(rig.loop.CodeRms, "???");
    EXPECT_EQ(rig.loop.CodeMax, "???");
    // The queue holds ten copies of the last voltage.
    EXPECT_DOUBLE_EQ(rig.loop.Queue.GetMin(), 1.0);

    rig.readSteady(1000, 1);
    EXPECT_EQ(rig.loop.CodeAvg, "1000");
    EXPECT_EQ(rig.loop.VAvg, " 1.0000V");

    rig.loop.TareCheckBoxClick(true);
    EXPECT_EQ(rig.loop.TareCheckBoxCaption, "Tare Offset = 1000");
    EXPECT_EQ(rig.control.TareOffset, 1000);
    EXPECT_EQ(rig.loop.VAvg, "+?.???V") << "tare clears the statistics";
    EXPECT_DOUBLE_EQ(rig.loop.Queue.GetMax(), 0.0) << "restarting from the tared last reading";
    rig.readSteady(1001, 1);
    EXPECT_EQ(rig.loop.Vin[0], "  0.0010V");
    EXPECT_EQ(rig.loop.CodeMax, "1001") << "minimum and maximum stay untared";

    rig.loop.TareCheckBoxClick(false);
    EXPECT_EQ(rig.control.TareOffset, 0);
}

TEST(ReadingLoop, ScanAllReadsEightChannelsFromOneReplyAndRescalesOnce) {
    Rig rig;
    rig.control.menuInputScanAll1Click();
    rig.control.SetChannel(2);
    rig.module.queries.clear();
    std::string reply;
    for (int c = 0; c < 8; ++c) reply += Rig::word(100 * (c + 1)) + "x";
    rig.module.replies = {reply};
    rig.loop.UpdateButtonClick();

    EXPECT_EQ(rig.module.queries, std::vector<std::string>{"A"});
    EXPECT_EQ(rig.target.statuses, (std::vector<std::string>{"^", "-", " "}));
    for (int c = 0; c < 8; ++c) EXPECT_EQ(rig.loop.Code[c], std::to_string(100 * (c + 1)));
    EXPECT_EQ(rig.target.points.size(), 8u);
    EXPECT_EQ(rig.target.rescales, 1) << "once, after the eighth point";
    EXPECT_TRUE(rig.target.autoScale);
    EXPECT_EQ(rig.control.CurrentChannel, 7);
    EXPECT_EQ(rig.loop.CodeMin, "100");
    EXPECT_EQ(rig.loop.CodeMax, "800");

    // One character short: only the status changes.
    rig.module.replies = {reply.substr(0, 39)};
    rig.target.statuses.clear();
    rig.loop.UpdateButtonClick();
    EXPECT_EQ(rig.target.statuses, (std::vector<std::string>{"^", "-", " "}));
    EXPECT_EQ(rig.target.points.size(), 8u);
}

TEST(ReadingLoop, FailureStopsAutomaticReading) {
    for (bool scan : {false, true}) {
        Rig rig;
        if (scan) rig.control.menuInputScanAll1Click();
        rig.readSteady(1000, 1);
        rig.loop.AUTOREADcheckboxClick(true);
        rig.module.replies = {"FAILURE"};
        rig.loop.UpdateButtonClick();
        EXPECT_EQ(rig.loop.StatusLabel, "!");
        EXPECT_FALSE(rig.loop.AUTOREADcheckbox);
        EXPECT_FALSE(rig.loop.Timer1.Enabled());
        EXPECT_EQ(rig.control.RawHigh, 0);
        EXPECT_EQ(rig.control.RawLow, 0);
        EXPECT_EQ(rig.loop.Code[0], scan ? "???" : "1000") << "the rows keep their last values";
    }
}

TEST(ReadingLoop, RateListAndTimerRhythm) {
    EXPECT_EQ(ReadingLoop::IntervalFromText("250"), 250);
    // A timer of 0 ms would never fire.
    for (const char* bad : {"fast", "", "0", "-5", "99999999999"}) EXPECT_EQ(ReadingLoop::IntervalFromText(bad), 100) << bad;

    Rig rig;
    ReadingTimer& timer = rig.loop.Timer1;
    rig.loop.UpdateRateComboBoxChange("100");
    rig.loop.AUTOREADcheckboxClick(true);
    EXPECT_EQ(timer.dueMicros(), 100'000u);

    // A reading of 60 ms keeps the rhythm (next due 100 ms after it began);
    // one of 130 ms that overruns the interval is followed at once.
    for (const auto [took, due] : {std::pair{60u, 200'000u}, std::pair{130u, 300'000u}}) {
        rig.clock.sleepUntil(timer.dueMicros());
        timer.fired();
        timer.SetEnabled(false);
        rig.clock.advance(took);
        timer.Restore(true);
        EXPECT_EQ(timer.dueMicros(), due) << took;
    }

    // A tick that comes late keeps the rhythm.
    rig.clock.sleepUntil(timer.dueMicros() + 3000);
    timer.fired();
    EXPECT_EQ(timer.dueMicros(), 400'000u);

    // Switched off and on again: a fresh period.
    timer.SetEnabled(false);
    rig.clock.advance(10);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.dueMicros(), rig.clock.micros() + 100'000u);
}

}  // namespace
