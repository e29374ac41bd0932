#include "link/History.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"

using Lines = std::vector<std::string>;

TEST(History, AppendsToTheLastLineStartsTheFirstAndReportsEachChange) {
    VirtualClock clock(5000);
    History history;
    history.setClock(&clock);
    std::vector<History::Change> changes;
    std::string added;
    history.setOnChange([&](History::Change change, std::string_view text) {
        changes.push_back(change);
        added += text;
    });

    history.appendToLast("OK");  // no line yet: this starts one
    history.appendToLast(">");
    history.endLine();  // the next text is a line of its own
    clock.advance(7);
    history.appendToLast("R");
    history.addLine("Closed serial port");
    history.deleteFirstLine();
    EXPECT_EQ(history.lines(), (Lines{"R", "Closed serial port"}));
    EXPECT_EQ(history.stampMicros(0), 12000u);
    EXPECT_EQ(added, ">");

    history.clear();
    history.deleteFirstLine();  // nothing left to delete: no change
    EXPECT_TRUE(history.empty());
    using C = History::Change;
    EXPECT_EQ(changes, (std::vector<C>{C::LineAdded, C::LastLineExtended, C::LineAdded, C::LineAdded,
                                       C::FirstLineDeleted, C::Cleared}));
}

TEST(History, LongTextGoesOnInNewLinesWithNothingDropped) {
    const size_t max = History::MaxLineLength;
    const std::string byte = "{0x1B}";
    struct Case {
        std::string start, appended;
        Lines expected;
    };
    const Case cases[] = {
        {"", std::string(max + 10, 'a'), {std::string(max, 'a'), std::string(10, 'a')}},
        {"xy", std::string(max, 'b'), {"xy" + std::string(max - 2, 'b'), "bb"}},
        // A byte's notation is never split between two lines.
        {std::string(max - 3, 'c'), byte + "d", {std::string(max - 3, 'c'), byte + "d"}},
        {std::string(max, 'e'), "f", {std::string(max, 'e'), "f"}},
    };
    for (const Case& c : cases) {
        History history;
        history.addLine(c.start);
        history.appendToLast(c.appended);
        EXPECT_EQ(history.lines(), c.expected) << c.start.size() << "+" << c.appended;
    }
}

// Hours of readings: each adds its echo and its reply as lines; the history
// keeps at most the newest MaxLines and never more than MaxLines *
// MaxLineLength characters, so the cost of a line is the same at any hour.
TEST(History, StaysBoundedInLinesAndCharacters) {
    History history;
    size_t shown = 0;
    history.setOnChange([&](History::Change change, std::string_view) {
        shown += change == History::Change::LineAdded ? 1 : change == History::Change::FirstLineDeleted ? -1 : 0;
    });
    for (int reading = 0; reading < 100000; ++reading) {
        history.endLine();
        history.appendToLast("R");
        history.endLine();
        history.appendToLast(reading % 1000 == 0 ? std::string(3 * History::MaxLineLength, 'x') : "3E80>");
    }
    EXPECT_LE(history.count(), History::MaxLines);
    EXPECT_GT(history.count(), History::MaxLines * 9 / 10);
    EXPECT_EQ(shown, history.count()) << "the window was told of every line and every deletion";
    size_t characters = 0;
    for (const std::string& line : history.lines()) characters += line.size();
    EXPECT_LE(characters, History::MaxLines * History::MaxLineLength);
    EXPECT_EQ(history.lastLine(), "3E80>");
}
