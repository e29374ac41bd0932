#include <climits>
#include <stdexcept>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "graph/GraphChannel.h"
#include "graph/OffsetArray.h"
#include "support/ThrownText.h"

namespace vx {

namespace {

// Origin, capacity, and the lowest and highest index written.
std::vector<int> Shape(const OffsetArray<int>& a) { return {a.Origin(), a.Capacity(), a.Low(), a.High()}; }

}  // namespace

TEST(OffsetArray, GrowsOnEitherSideReservesAndResets) {
    OffsetArray<int> a;
    a.SetGrowStep(31);
    a[5] = 50;
    EXPECT_EQ(Shape(a), (std::vector<int>{5, 32, 5, 5}));
    a[40] = 400;
    EXPECT_EQ(Shape(a), (std::vector<int>{5, 67, 5, 40}));
    a[2] = 20;
    const OffsetArray<int>& view = a;  // reading never grows or touches
    EXPECT_EQ((std::vector{view[5], view[40], view[3], view[-30]}), (std::vector{50, 400, 0, 0}));
    EXPECT_EQ(Shape(a), (std::vector<int>{-30, 102, 2, 40}));

    // Growth step 0: to the index on the right (the slot just past the end
    // too), one past it on the left.
    OffsetArray<int> exact;
    exact[3] = 1;
    exact[4] = 1;
    EXPECT_EQ(exact.Capacity(), 2);
    exact[-2] = 1;
    EXPECT_EQ(Shape(exact), (std::vector<int>{-3, 8, -2, 4}));

    // Reserving anchors at zero, only grows, and Reset releases.
    a.Reset();
    EXPECT_TRUE(a.ReserveRight(64));
    EXPECT_FALSE(a.InUse());
    a[10] = 7;
    EXPECT_EQ(Shape(a), (std::vector<int>{0, 64, 10, 10}));
    EXPECT_TRUE(a.ReserveRight(16));  // never shrinks
    EXPECT_EQ(a.Capacity(), 64);
    // ReserveLeft puts the old slots at the end; the origin is the caller's to move.
    EXPECT_TRUE(a.ReserveLeft(110));
    EXPECT_EQ((std::vector{view[56], view[0]}), (std::vector{7, 0}));

    a.Reset();
    EXPECT_THROW(view[10], std::out_of_range);
    a[-4] = 5;
    EXPECT_EQ(Shape(a), (std::vector<int>{-4, 32, -4, -4}));
}

// Copies are deep and keep the serial number; grown channels keep their contents.
TEST(OffsetArray, CopiesAreDeepAndKeepTheSerialNumber) {
    OffsetArray<GraphChannel> channels;
    channels[2].Data[7] = 70;
    channels[2].SetSubLsbs(3);
    channels[2].Data.SetGrowStep(0);
    channels[2].Histogram[100] = 2;
    const std::uint32_t id = channels[2].Id;
    channels[5].Enabled = true;
    channels[0].Enabled = true;
    GraphChannel copy;
    copy = channels[2];
    EXPECT_EQ(std::tuple(copy.Id, copy.Data.Id(), copy.Data[7], copy.Histogram[100], copy.SubLsbDivisor),
              std::tuple(id, channels[2].Data.Id(), 70, 2, 8.0));
    EXPECT_EQ(copy.Data.GrowStep(), 31);
    copy.Data[7] = 99;
    EXPECT_EQ(channels[2].Data[7], 70);
    copy.SetSubLsbs(17);  // beyond 16 places: no scaling
    EXPECT_EQ(copy.SubLsbDivisor, 1.0);
}

TEST(OffsetArray, FailedGrowthRaisesItsTextAndLeavesTheArrayIntact) {
    OffsetArray<int> a;
    a.SetGrowStep(31);
    a[0] = 7;
    EXPECT_EQ(ThrownText([&] { a[INT_MAX] = 1; }),
              "OffsetArray right index expansion (resize from 32 to 2147483679) failed");
    EXPECT_EQ(ThrownText([&] { a[INT_MIN] = 1; }),
              "OffsetArray left index insertion (resize from 32 to 2147483712) failed");
    EXPECT_EQ(Shape(a), (std::vector<int>{0, 32, 0, 0}));

    OffsetArray<int> huge;
    huge.SetGrowStep(INT_MAX);
    EXPECT_EQ(ThrownText([&] { huge[0] = 1; }), "OffsetArray initial allocation (size 2147483648) failed");
    EXPECT_FALSE(huge.InUse());
}

}  // namespace vx
