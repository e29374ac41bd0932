#include "link/History.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"

using Lines = std::vector<std::string>;

// How the window hears of each change is seen in the serial window's tests.
TEST(History, AppendsToTheLastLineOrStartsALine) {
    VirtualClock clock(5000);
    History history;
    history.setClock(&clock);
    history.appendToLast("OK");  // no line yet: this starts one
    history.appendToLast(">");
    history.endLine();  // the next text is a line of its own
    clock.advance(7);
    history.appendToLast("R");
    history.addLine("Closed serial port");
    history.deleteFirstLine();
    EXPECT_EQ(history.lines(), (Lines{"R", "Closed serial port"}));
    EXPECT_EQ(history.stampMicros(0), 12000u);
}

// Text beyond MaxLineLength goes on in new lines, with nothing dropped and a
// byte's notation never split between two lines.
TEST(History, LongTextGoesOnInNewLinesWithNothingDropped) {
    const size_t max = History::MaxLineLength;
    const std::string c(max - 3, 'c'), e(max, 'e');
    for (const auto& [start, appended, expected] :
         {std::tuple{std::string(), std::string(max + 10, 'a'), Lines{std::string(max, 'a'), std::string(10, 'a')}},
          {"xy", std::string(max, 'b'), Lines{"xy" + std::string(max - 2, 'b'), "bb"}},
          {c, "{0x1B}d", Lines{c, "{0x1B}d"}},
          {e, "f", Lines{e, "f"}}}) {
        History history;
        history.addLine(start);
        history.appendToLast(appended);
        EXPECT_EQ(history.lines(), expected) << start.size() << "+" << appended;
    }
}

// Hours of readings, each an echo and a reply: at most the newest MaxLines
// lines of at most MaxLineLength characters are kept, the window told of each.
TEST(History, StaysBoundedInLinesAndCharacters) {
    History history;
    size_t shown = 0;
    history.setOnChange([&](History::Change change, std::string_view) {
        shown += change == History::Change::LineAdded ? 1 : change == History::Change::FirstLineDeleted ? -1 : 0;
    });
    for (int reading = 0; reading < 100000; ++reading) {
        history.addLine("R");
        history.endLine();
        history.appendToLast(reading % 1000 == 0 ? std::string(3 * History::MaxLineLength, 'x') : "3E80>");
    }
    EXPECT_TRUE(history.count() <= History::MaxLines && history.count() > History::MaxLines * 9 / 10);
    EXPECT_EQ(shown, history.count());
    EXPECT_EQ(history.lastLine(), "3E80>");
}
