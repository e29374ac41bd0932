#include "support/ZrQueue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/ThrownText.h"

namespace vx {

namespace {

std::vector<double> Slots(const TZrQueue& q) {
    std::vector<double> slots;
    for (int i = 0; i < q.Length(); ++i) slots.push_back(q.GetPhysical(i));
    return slots;
}

// The running sums and the next slot to write.
std::vector<double> Sums(const TZrQueue& q) { return {q.Sum(), q.SumSquares(), double(q.PhysicalIndex())}; }

// Oldest[0] is the oldest; then Length-1 down to 1 runs from the second oldest to the newest.
std::vector<double> OldestFirst(const TZrQueue& q) {
    std::vector<double> values{q.GetOldest(0)};
    for (int i = q.Length() - 1; i >= 1; --i) values.push_back(q.GetOldest(i));
    return values;
}

// A queue of the given values, oldest first, with the oldest in physical slot `start`.
TZrQueue QueueHolding(const std::vector<double>& oldestFirst, std::uint16_t start) {
    TZrQueue q;
    q.SetLength(static_cast<std::uint16_t>(oldestFirst.size()));
    q.SetPhysicalIndex(start);
    for (double v : oldestFirst) q.Add(v);
    return q;
}

TEST(ZrQueue, RunningStatisticsFromAdjustedSums) {
    TZrQueue q;  // ten zeros; the mean and rms the reading loop shows are seen in its tests
    q.Clear(-2.0);
    EXPECT_EQ(Sums(q), (std::vector<double>{-20.0, 40.0, 0}));

    // The sums are adjusted, never recomputed: a caller's value carries through.
    q.SetSum(100.0);
    q.SetSumSquares(50.0);
    q.Add(2.0);
    EXPECT_EQ(Sums(q), (std::vector<double>{104.0, 50.0, 1}));

    // Accumulated rounding that leaves a negative sum of squares gives rms 0.
    TZrQueue two = QueueHolding({0.2, 0.7}, 0);
    two.Add(0.0);
    two.Add(0.0);
    EXPECT_LT(two.SumSquares(), 0.0);
    EXPECT_EQ(two.Rms(), 0.0);
}

TEST(ZrQueue, IndexingMinAndMax) {
    TZrQueue q = QueueHolding({1.0, 2.0, 3.0, 4.0}, 0);
    q.Add(5.0);
    q.Add(-6.0);
    EXPECT_EQ(Slots(q), (std::vector<double>{5.0, -6.0, 3.0, 4.0}));
    EXPECT_EQ(OldestFirst(q), (std::vector<double>{3.0, 4.0, 5.0, -6.0}));
    EXPECT_EQ(q.PhysicalIndex(), 2);
    EXPECT_EQ((std::vector<double>{q.GetMin(), q.GetMax()}), (std::vector<double>{-6.0, 5.0}));
    for (int bad : {-1, 4}) {
        EXPECT_EQ(ThrownText([&] { q.GetOldest(bad); }), "TZrQueue GetOldest[index out of range]");
        EXPECT_EQ(ThrownText([&] { q.GetPhysical(bad); }), "TZrQueue GetPhysical[index out of range]");
    }
    q.SetPhysicalIndex(23);  // beyond Length: taken modulo Length
    EXPECT_EQ(q.PhysicalIndex(), 3);
}

TEST(ZrQueue, ResizingKeepsTheNewestAndRepeatsTheOldest) {
    for (std::uint16_t start = 0; start < 5; ++start) {
        SCOPED_TRACE(start);
        TZrQueue shrunk = QueueHolding({1.0, 2.0, 3.0, 4.0, 5.0}, start);
        shrunk.SetLength(3);
        EXPECT_EQ(Slots(shrunk), (std::vector<double>{3.0, 4.0, 5.0}));
        EXPECT_EQ(Sums(shrunk), (std::vector<double>{12.0, 50.0, 0}));

        TZrQueue grown = QueueHolding({4.0, 5.0, 6.0}, start % 3);
        const double mean = grown.Mean();
        grown.SetLength(5);
        EXPECT_EQ(Slots(grown), (std::vector<double>{4.0, 5.0, 6.0, 4.0, 4.0}));
        EXPECT_EQ(Sums(grown), (std::vector<double>{23.0, 109.0, 3}));
        EXPECT_EQ(grown.Mean(), mean);  // not recomputed until the next Add or Clear
        grown.Add(7.0);                 // replaces one of the repeated oldest values
        EXPECT_EQ(OldestFirst(grown), (std::vector<double>{4.0, 4.0, 5.0, 6.0, 7.0}));
    }

    // The same length, or zero, changes nothing.
    TZrQueue q = QueueHolding({1.0, 2.0, 3.0}, 2);
    q.SetSum(99.0);  // a recomputation would show here
    q.SetLength(3);
    EXPECT_EQ(ThrownText([&] { q.SetLength(0); }), "TZrQueue SetLength out of range");
    EXPECT_EQ(Slots(q), (std::vector<double>{2.0, 3.0, 1.0}));
    EXPECT_EQ(q.Sum(), 99.0);

    // The longest queue wraps, and shrinking it from near the top of the
    // 16-bit range must not overflow.
    TZrQueue longest;
    longest.SetLength(65535);
    longest.SetPhysicalIndex(65533);
    longest.Add(1.0);
    longest.Add(2.0);
    EXPECT_EQ(longest.PhysicalIndex(), 0);
    longest.SetLength(2);
    EXPECT_EQ(Slots(longest), (std::vector<double>{1.0, 2.0}));
}

}  // namespace

}  // namespace vx
