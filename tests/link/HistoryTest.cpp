#include "link/History.h"

#include <gtest/gtest.h>

TEST(History, AppendsToTheLastLineStartsTheFirstAndReportsEachChange) {
    History history;
    std::vector<History::Change> changes;
    history.setOnChange([&](History::Change change) { changes.push_back(change); });

    history.appendToLast("OK");  // no line yet: this starts one
    history.appendToLast(">");
    history.addLine("Closed serial port");
    history.deleteFirstLine();
    ASSERT_EQ(history.count(), 1u);
    EXPECT_EQ(history.lastLine(), "Closed serial port");

    history.clear();
    history.deleteFirstLine();  // nothing left to delete: no change
    EXPECT_TRUE(history.empty());
    using C = History::Change;
    EXPECT_EQ(changes, (std::vector<C>{C::LineAdded, C::LastLineExtended, C::LineAdded,
                                       C::FirstLineDeleted, C::Cleared}));
}
