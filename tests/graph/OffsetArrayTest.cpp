#include <climits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "graph/GraphChannel.h"
#include "graph/OffsetArray.h"

namespace {

std::string ErrorText(auto&& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

}  // namespace

TEST(OffsetArray, GrowsOnEitherSideAndEveryElementKeepsItsIndex)
{
    OffsetArray<int> a;
    a.SetGrowStep(31);
    a[5] = 50;
    EXPECT_EQ(a.Capacity(), 32);
    EXPECT_EQ(a.Origin(), 5);
    a[40] = 400;
    EXPECT_EQ(a.Capacity(), 67);
    EXPECT_EQ(a.Count(), 36);
    a[2] = 20;
    EXPECT_EQ(a.Capacity(), 102);
    EXPECT_EQ(a.Origin(), -30);
    EXPECT_EQ(a.Low(), 2);
    EXPECT_EQ(a.High(), 40);
    const OffsetArray<int>& view = a;
    EXPECT_EQ(view[5], 50);
    EXPECT_EQ(view[40], 400);
    EXPECT_EQ(view[3], 0);    // never written
    EXPECT_EQ(view[-30], 0);  // allocated, never touched
    EXPECT_EQ(a.Low(), 2) << "reading must not touch";

    OffsetArray<int> exact;  // growth step 0: to the index on the right, one past it on the left
    exact[3] = 1;
    exact[5] = 1;
    EXPECT_EQ(exact.Capacity(), 3);
    exact[-2] = 1;
    EXPECT_EQ(exact.Capacity(), 9);
    EXPECT_EQ(exact.Origin(), -3);
}

TEST(OffsetArray, ReserveAnchorsAtZeroOnlyGrowsAndResetReleases)
{
    OffsetArray<int> a;
    a.SetGrowStep(31);
    EXPECT_TRUE(a.ReserveRight(64));
    EXPECT_EQ(a.Origin(), 0);
    EXPECT_FALSE(a.InUse());
    a[10] = 7;
    EXPECT_EQ(a.Origin(), 0);
    EXPECT_EQ(a.Capacity(), 64);
    EXPECT_TRUE(a.ReserveRight(16));  // never shrinks
    EXPECT_TRUE(a.ReserveRight(100));
    EXPECT_EQ(a.Capacity(), 100);
    EXPECT_EQ(a[10], 7);
    // ReserveLeft puts the old slots at the end; the origin is the caller's to move.
    EXPECT_TRUE(a.ReserveLeft(110));
    const OffsetArray<int>& view = a;
    EXPECT_EQ(view[20], 7);
    EXPECT_EQ(view[0], 0);

    // Reset releases everything.
    a.Reset();
    EXPECT_EQ(a.Capacity(), 0);
    EXPECT_THROW(view[10], std::out_of_range);
    a[-4] = 5;
    EXPECT_EQ(a.Capacity(), 32);
    EXPECT_EQ(a.Origin(), -4);
}

TEST(OffsetArray, CopiesAreDeepAndKeepTheSerialNumber)
{
    OffsetArray<int> a;
    a.SetGrowStep(31);
    a[3] = 30;
    a[-1] = -10;
    OffsetArray<int> b;
    b = a;
    EXPECT_EQ(b.Id(), a.Id());
    EXPECT_EQ(b.Low(), -1);
    b[3] = 99;
    EXPECT_EQ(a[3], 30);
    const OffsetArray<int> empty;
    b = empty;
    EXPECT_EQ(b.Capacity(), 0);
}

TEST(OffsetArray, ChannelElementsSurviveGrowthWithTheirContents)
{
    OffsetArray<GraphChannel> channels;
    channels[2].PlotColor = 0x123456;
    channels[2].Data[7] = 70;
    const std::uint32_t id = channels[2].Id;
    channels[5].Enabled = true;
    channels[0].Enabled = true;
    EXPECT_EQ(channels.Count(), 6);
    EXPECT_EQ(channels[2].PlotColor, 0x123456u);
    EXPECT_EQ(channels[2].Data[7], 70);
    EXPECT_EQ(channels[2].Id, id);
    EXPECT_EQ(channels[3].PlotColor, clRed) << "new slots hold fresh channels";
}

TEST(OffsetArray, FailedGrowthRaisesItsTextAndLeavesTheArrayIntact)
{
    OffsetArray<int> a;
    a.SetGrowStep(31);
    a[0] = 7;
    EXPECT_EQ(ErrorText([&] { a[INT_MAX] = 1; }),
              "OffsetArray right index expansion (resize from 32 to 2147483679) failed");
    EXPECT_EQ(ErrorText([&] { a[INT_MIN] = 1; }),
              "OffsetArray left index insertion (resize from 32 to 2147483712) failed");
    EXPECT_EQ(a.Capacity(), 32);
    EXPECT_EQ(a.Origin(), 0);
    EXPECT_EQ(a.High(), 0);
    EXPECT_EQ(a[0], 7);

    OffsetArray<int> huge;
    huge.SetGrowStep(INT_MAX);
    EXPECT_EQ(ErrorText([&] { huge[0] = 1; }), "OffsetArray initial allocation (size 2147483648) failed");
    EXPECT_FALSE(huge.InUse());
}
