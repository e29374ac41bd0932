#include <cmath>
#include <initializer_list>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "graph/Statistics.h"

namespace vx {

namespace {

void Store(GraphChannel& ch, std::initializer_list<int> codes, int firstRecord = 0) {
    for (int code : codes) ch.Data[firstRecord++] = code;
    ch.Enabled = true;
}

void ExpectNear(const std::vector<double>& got, const std::vector<double>& want) {
    for (std::size_t k = 0; k < want.size(); ++k) EXPECT_NEAR(got[k], want[k], 1e-12) << "figure " << k;
}

std::vector<double> Figures(GraphChannel& ch) {
    ComputeMinMax(ch);
    ComputeStats(ch);
    return {ch.Min, ch.Max, ch.Sum, ch.SumSq, ch.Mean, ch.StdDev, ch.Rms};
}

}  // namespace

// Plain figures are seen in the table view's tests.
TEST(ChannelStatistics, SignedSubLsbAndEmptyChannels) {
    const struct {
        std::initializer_list<int> codes;
        int firstRecord, subLsbs;
        std::vector<double> figures;  // min, max, sum, sum of squares, mean, sample deviation, rms
    } cases[] = {
        {{-3, 5}, 10, 0, {-3, 5, 2, 34, 1, std::sqrt(32.0), std::sqrt(17.0)}},
        // Sub-LSB codes are fixed point: 10 and 14 at two places are 2.5 and 3.5.
        {{10, 14}, 0, 2, {2.5, 3.5, 6, 18.5, 3, std::sqrt(0.5), std::sqrt(9.25)}},
    };
    for (const auto& c : cases) {
        GraphChannel ch;
        Store(ch, c.codes, c.firstRecord);
        ch.SetSubLsbs(c.subLsbs);
        SCOPED_TRACE(&c - cases);
        ExpectNear(Figures(ch), c.figures);
    }

    // An empty channel gives zeros and clears old results.
    GraphChannel empty;
    empty.Min = empty.Max = empty.Sum = empty.SumSq = empty.Mean = empty.StdDev = empty.Rms = 5;
    empty.Data.ReserveRight(64);  // storage without records in use
    empty.Data.Fill(9);
    EXPECT_EQ(Figures(empty), std::vector<double>(7, 0));
}

TEST(ChannelStatistics, RoundingNeverInventsOrLosesSpread) {
    // Codes this large have squares beyond double precision. From Sum and
    // SumSq the variance of a flat signal would come out negative for one
    // set and positive for the other; both have no spread at all.
    for (auto [code, n, textbookSign] : {std::tuple{99999999, 3, -1}, std::tuple{123456789, 10, +1}}) {
        GraphChannel ch;
        for (int r = 0; r < n; ++r) ch.Data[r] = code;
        ComputeStats(ch);
        const double textbook = (n * ch.SumSq - ch.Sum * ch.Sum) / (n * (n - 1));
        ASSERT_EQ(textbook > 0 ? 1 : -1, textbookSign) << "the data must provoke the rounding";
        EXPECT_EQ(ch.StdDev, 0) << code;
    }

    // A real spread of 1 on top of such codes is still measured.
    GraphChannel ch;
    for (int r = 0; r < 10; ++r) ch.Data[r] = 123456789 + (r % 2) * 2;
    ComputeStats(ch);
    EXPECT_NEAR(ch.StdDev, std::sqrt(10.0 / 9.0), 1e-9);
}

TEST(OverallStatistics, PoolTheEnabledChannelsInTheirOwnUnits) {
    OffsetArray<GraphChannel> channels;
    Store(channels[0], {1, 3});
    Store(channels[1], {5});
    Store(channels[2], {1000, -1000});
    channels[2].Enabled = false;
    channels[3].Enabled = true;  // no data: 0..0 in the range, nothing in the statistics

    OverallStatistics overall;
    auto figures = [&] {
        overall.ComputeOverallMinMax(channels);
        overall.ComputeOverallStats(channels);
        return std::vector<double>{overall.OverallMin, overall.OverallMax, overall.OverallMean, overall.OverallStdDev,
                                   overall.OverallRms};
    };
    ExpectNear(figures(), {0, 5, 3, 2, std::sqrt(35.0 / 3.0)});
    EXPECT_EQ(channels[0].Mean, 2) << "channel statistics are refreshed on the way";

    // Each channel's points count in its own display units: 11 at one place is 5.5.
    channels[1].SetSubLsbs(1);
    channels[1].Data[0] = 11;
    channels[3].Enabled = false;
    ExpectNear(figures(), {1, 5.5, 9.5 / 3});

    // With no channel enabled the range keeps its values; the statistics are 0.
    for (int c = 0; c < 4; ++c) channels[c].Enabled = false;
    ExpectNear(figures(), {1, 5.5, 0, 0, 0});
}

}  // namespace vx
