#include <cmath>
#include <initializer_list>
#include <tuple>

#include <gtest/gtest.h>

#include "graph/Statistics.h"

namespace {

void Store(GraphChannel& ch, std::initializer_list<int> codes, int firstRecord = 0)
{
    int r = firstRecord;
    for (int code : codes)
        ch.Data[r++] = code;
    ch.Enabled = true;
}

void ComputeAll(GraphChannel& ch)
{
    ComputeMinMax(ch);
    ComputeStats(ch);
}

}  // namespace

TEST(ChannelStatistics, PlainSubLsbAndEmptyChannels)
{
    GraphChannel ch;
    Store(ch, {1, 2, 3, 4});
    ComputeAll(ch);
    EXPECT_EQ(ch.Min, 1);
    EXPECT_EQ(ch.Max, 4);
    EXPECT_EQ(ch.SumSq, 30);
    EXPECT_EQ(ch.Mean, 2.5);
    EXPECT_NEAR(ch.StdDev, std::sqrt(5.0 / 3.0), 1e-12) << "sample deviation, n - 1";
    EXPECT_NEAR(ch.Rms, std::sqrt(7.5), 1e-12);

    GraphChannel single;
    Store(single, {7});
    ComputeAll(single);
    EXPECT_EQ(single.StdDev, 0);

    GraphChannel signedCodes;
    Store(signedCodes, {-3, 5}, 10);  // records need not start at 0
    ComputeAll(signedCodes);
    EXPECT_EQ(signedCodes.Min, -3);
    EXPECT_EQ(signedCodes.Mean, 1);

    // Sub-LSB codes are fixed point: 10 and 14 at two places are 2.5 and 3.5.
    GraphChannel fixed;
    Store(fixed, {10, 14});
    fixed.SetSubLsbs(2);
    ComputeAll(fixed);
    EXPECT_EQ(fixed.Max, 3.5);
    EXPECT_EQ(fixed.SumSq, 18.5);
    EXPECT_NEAR(fixed.StdDev, std::sqrt(0.5), 1e-12);

    // An empty channel gives zeros and clears old results.
    GraphChannel empty;
    empty.Min = empty.Max = empty.Sum = empty.SumSq = empty.Mean = empty.StdDev = empty.Rms = 5;
    empty.Data.ReserveRight(64);  // storage without records in use
    empty.Data.Fill(9);
    ComputeAll(empty);
    for (double v : {empty.Min, empty.Max, empty.Sum, empty.SumSq, empty.Mean, empty.StdDev, empty.Rms})
        EXPECT_EQ(v, 0);
}

TEST(ChannelStatistics, RoundingNeverInventsOrLosesSpread)
{
    // Codes this large have squares beyond double precision. From Sum and
    // SumSq the variance of a flat signal would come out negative for one
    // set and positive for the other; both have no spread at all.
    for (auto [code, n, textbookSign] : {std::tuple{99999999, 3, -1}, std::tuple{123456789, 10, +1}}) {
        GraphChannel ch;
        for (int r = 0; r < n; ++r)
            ch.Data[r] = code;
        ComputeStats(ch);
        const double textbook = (n * ch.SumSq - ch.Sum * ch.Sum) / (n * (n - 1));
        ASSERT_EQ(textbook > 0 ? 1 : -1, textbookSign) << "the data must provoke the rounding";
        EXPECT_EQ(ch.StdDev, 0) << code;
        EXPECT_EQ(ch.Mean, code);
    }

    // A real spread of 1 on top of such codes is still measured.
    GraphChannel ch;
    for (int r = 0; r < 10; ++r)
        ch.Data[r] = 123456789 + (r % 2) * 2;
    ComputeStats(ch);
    EXPECT_NEAR(ch.StdDev, std::sqrt(10.0 / 9.0), 1e-9);
}

TEST(OverallStatistics, PoolTheEnabledChannelsInTheirOwnUnits)
{
    OffsetArray<GraphChannel> channels;
    Store(channels[0], {1, 3});
    Store(channels[1], {5});
    Store(channels[2], {1000, -1000});
    channels[2].Enabled = false;
    channels[3].Enabled = true;  // no data: 0..0 in the range, nothing in the statistics

    OverallStatistics overall;
    overall.ComputeOverallMinMax(channels);
    EXPECT_EQ(overall.OverallMin, 0);
    EXPECT_EQ(overall.OverallMax, 5);
    overall.ComputeOverallStats(channels);
    EXPECT_EQ(overall.OverallMean, 3);
    EXPECT_NEAR(overall.OverallStdDev, 2, 1e-12);
    EXPECT_NEAR(overall.OverallRms, std::sqrt(35.0 / 3.0), 1e-12);
    EXPECT_EQ(channels[0].Mean, 2) << "channel statistics are refreshed on the way";

    // Each channel's points count in its own display units: 11 at one place is 5.5.
    channels[1].SetSubLsbs(1);
    channels[1].Data[0] = 11;
    channels[3].Enabled = false;
    overall.ComputeOverallMinMax(channels);
    EXPECT_EQ(overall.OverallMin, 1);
    EXPECT_EQ(overall.OverallMax, 5.5);
    overall.ComputeOverallStats(channels);
    EXPECT_NEAR(overall.OverallMean, 9.5 / 3, 1e-12);

    // With no channel enabled the range keeps its values; the statistics are 0.
    for (int c = 0; c < 4; ++c)
        channels[c].Enabled = false;
    overall.ComputeOverallMinMax(channels);
    EXPECT_EQ(overall.OverallMax, 5.5);
    overall.ComputeOverallStats(channels);
    EXPECT_EQ(overall.OverallMean, 0);
    EXPECT_EQ(overall.OverallStdDev, 0);
}
