#include "support/ZrQueue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/Exceptions.h"

namespace {

std::string ThrownText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PlainTextError& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

std::vector<double> Slots(const TZrQueue& q)
{
    std::vector<double> slots;
    for (int i = 0; i < q.Length(); ++i)
        slots.push_back(q.GetPhysical(i));
    return slots;
}

// Oldest[0] is the oldest; then Length-1 down to 1 runs from the second oldest to the newest.
std::vector<double> OldestFirst(const TZrQueue& q)
{
    std::vector<double> values{q.GetOldest(0)};
    for (int i = q.Length() - 1; i >= 1; --i)
        values.push_back(q.GetOldest(i));
    return values;
}

// A queue of the given values, oldest first, with the oldest in physical slot `start`.
TZrQueue QueueHolding(const std::vector<double>& oldestFirst, std::uint16_t start)
{
    TZrQueue q;
    q.SetLength(static_cast<std::uint16_t>(oldestFirst.size()));
    q.SetPhysicalIndex(start);
    for (double v : oldestFirst)
        q.Add(v);
    return q;
}

TEST(ZrQueue, AddUpdatesRunningStatisticsFromTheWrittenSums)
{
    TZrQueue q;  // ten zeros
    q.Add(1.0);
    EXPECT_EQ(q.Mean(), 0.1);
    EXPECT_EQ(q.Rms(), std::sqrt(0.1));
    EXPECT_EQ(q.GetOldest(1), 1.0);
    EXPECT_EQ(q.GetOldest(0), 0.0);
    for (int i = 0; i < 10; ++i)
        q.Add(1.0);
    EXPECT_EQ(Slots(q), std::vector<double>(10, 1.0));
    EXPECT_EQ(q.Rms(), 1.0);
    EXPECT_EQ(q.PhysicalIndex(), 1);

    // The sums are adjusted, never recomputed: a caller's value carries through.
    q.SetSum(100.0);
    q.SetSumSquares(50.0);
    q.Add(2.0);
    EXPECT_EQ(q.Sum(), 101.0);
    EXPECT_EQ(q.SumSquares(), 53.0);
}

TEST(ZrQueue, AccumulatedErrorNeverGivesRmsOfANegative)
{
    TZrQueue q;
    q.SetLength(2);
    for (double v : {0.2, 0.7, 0.0, 0.0})
        q.Add(v);
    EXPECT_EQ(q.SumSquares(), (0.7 * 0.7 + (0.2 * 0.2 + 0.0) - 0.2 * 0.2) - 0.7 * 0.7);
    EXPECT_LT(q.SumSquares(), 0.0);
    EXPECT_EQ(q.Rms(), 0.0);
}

TEST(ZrQueue, ClearFillsAndResets)
{
    TZrQueue q;
    q.Add(5.0);
    q.Clear(-2.0);
    EXPECT_EQ(Slots(q), std::vector<double>(10, -2.0));
    EXPECT_EQ(q.Sum(), -20.0);
    EXPECT_EQ(q.SumSquares(), 40.0);
    EXPECT_EQ(q.Rms(), 2.0);
    EXPECT_EQ(q.PhysicalIndex(), 0);
}

TEST(ZrQueue, MinAndMaxScanEverySlot)
{
    TZrQueue q = QueueHolding({3.0, -1.0, -1.0, 2.0}, 1);
    EXPECT_EQ(q.GetMin(), -1.0);
    EXPECT_EQ(q.GetMax(), 3.0);
    TZrQueue one;
    one.SetLength(1);
    one.Add(-7.5);
    one.Add(4.0);
    EXPECT_EQ(one.GetMin(), 4.0);
    EXPECT_EQ(one.GetMax(), 4.0);
}

TEST(ZrQueue, OldestAndPhysicalIndexing)
{
    TZrQueue q;
    q.SetLength(4);
    for (double v : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0})
        q.Add(v);
    EXPECT_EQ(Slots(q), (std::vector<double>{5.0, 6.0, 3.0, 4.0}));
    EXPECT_EQ(q.PhysicalIndex(), 2);
    EXPECT_EQ(OldestFirst(q), (std::vector<double>{3.0, 4.0, 5.0, 6.0}));
    for (int bad : {-1, 4}) {
        EXPECT_EQ(ThrownText([&] { q.GetOldest(bad); }), "TZrQueue GetOldest[index out of range]");
        EXPECT_EQ(ThrownText([&] { q.GetPhysical(bad); }), "TZrQueue GetPhysical[index out of range]");
    }

    TZrQueue ten;
    ten.SetPhysicalIndex(23);  // beyond Length 10: taken modulo Length
    ten.Add(9.0);
    EXPECT_EQ(ten.GetPhysical(3), 9.0);
    EXPECT_EQ(ten.PhysicalIndex(), 4);
}

TEST(ZrQueue, GrowingRepeatsTheOldestValue)
{
    for (std::uint16_t start = 0; start < 3; ++start) {
        SCOPED_TRACE(start);
        TZrQueue q = QueueHolding({4.0, 5.0, 6.0}, start);
        const double mean = q.Mean();
        q.SetLength(5);
        EXPECT_EQ(Slots(q), (std::vector<double>{4.0, 5.0, 6.0, 4.0, 4.0}));
        EXPECT_EQ(q.PhysicalIndex(), 3);
        EXPECT_EQ(q.Sum(), 23.0);
        EXPECT_EQ(q.SumSquares(), 16.0 + 25.0 + 36.0 + 16.0 + 16.0);
        EXPECT_EQ(q.Mean(), mean);  // not recomputed until the next Add or Clear
        q.Add(7.0);  // replaces one of the repeated oldest values
        EXPECT_EQ(OldestFirst(q), (std::vector<double>{4.0, 4.0, 5.0, 6.0, 7.0}));
        EXPECT_EQ(q.Mean(), 26.0 / 5);
    }
}

TEST(ZrQueue, ShrinkingKeepsTheNewestValues)
{
    for (std::uint16_t start = 0; start < 5; ++start) {
        SCOPED_TRACE(start);
        TZrQueue q = QueueHolding({1.0, 2.0, 3.0, 4.0, 5.0}, start);
        q.SetLength(3);
        EXPECT_EQ(Slots(q), (std::vector<double>{3.0, 4.0, 5.0}));
        EXPECT_EQ(q.PhysicalIndex(), 0);
        EXPECT_EQ(q.Sum(), 12.0);
        EXPECT_EQ(q.SumSquares(), 50.0);
    }
}

TEST(ZrQueue, SetLengthToSameOrZeroChangesNothing)
{
    TZrQueue q = QueueHolding({1.0, 2.0, 3.0}, 2);
    q.SetSum(99.0);  // a recomputation would show here
    q.SetLength(3);
    EXPECT_EQ(ThrownText([&] { q.SetLength(0); }), "TZrQueue SetLength out of range");
    EXPECT_EQ(q.Sum(), 99.0);
    EXPECT_EQ(q.PhysicalIndex(), 2);
    EXPECT_EQ(Slots(q), (std::vector<double>{2.0, 3.0, 1.0}));
}

TEST(ZrQueue, LongestQueueWrapsAround)
{
    TZrQueue q;
    q.SetLength(65535);
    q.SetPhysicalIndex(65533);
    q.Add(1.0);
    q.Add(2.0);
    EXPECT_EQ(q.PhysicalIndex(), 0);
    EXPECT_EQ(q.GetOldest(1), 2.0);
    q.SetLength(2);  // the shrink start near the top of the 16-bit range must not overflow
    EXPECT_EQ(Slots(q), (std::vector<double>{1.0, 2.0}));
}

}  // namespace
