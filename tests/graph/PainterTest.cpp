#include <random>
#include <tuple>

#include "PainterFixture.h"
#include "graph/TraceRaster.h"
#include "support/Exceptions.h"
#include "support/SteppingClock.h"

namespace vx {

using PainterTest = PainterFixture;

// A loaded window's plot lets go of the tape while the window closes; what
// still reaches it must neither crash nor write anywhere.
TEST_F(PainterTest, WithoutTapeViewsStayUsableAndReadingsAreRefused) {
    ZrGraphPainter p(nullptr, 1, 64, clock);
    p.SetDisplayZorTape(nullptr);
    p.ClearData();
    p.ResetPlotColors();
    p.ShowHistogram();
    EXPECT_EQ(composed(p).size(), QSize(150, 150));
    EXPECT_THROW(p.DataPointCh(0, 1), Exception);
}

TEST_F(PainterTest, ChannelsTakeTheirStandardColourWithTheirFirstValueAndOnReset) {
    ZrGraphPainter p(nullptr, 1, 64, clock);
    auto& channels = p.DisplayZorTape()->Channels;
    p.DataPointCh(7, 100);
    channels[3].PlotColor = 0x654321;
    p.DataPointCh(3, 1);  // a colour given before the first value stays
    EXPECT_EQ(std::pair(channels[7].PlotColor, channels[3].PlotColor), std::pair(DefaultPlotColors[7], 0x654321u));
    p.ResetPlotColors();
    EXPECT_EQ(channels[3].PlotColor, DefaultPlotColors[3]);
}

// The statistics follow every reading instead of a pass over the tape; they
// must give what the passes give, through overwrites of a wrapped tape,
// sub-LSB display, switched-off channels, clearing and a new length.
TEST_F(PainterTest, RunningStatisticsEqualFullPasses) {
    ZrGraphPainter p(nullptr, 1, 50, clock);
    std::mt19937 random(7);
    auto& channels = p.DisplayZorTape()->Channels;
    auto expectSame = [&](int step) {
        p.ComputeOverallMinMax();
        p.ComputeOverallStats();
        OverallStatistics full{p.OverallMin - 1, p.OverallMax + 1};
        OffsetArray<GraphChannel> copy = channels;
        full.ComputeOverallMinMax(copy);
        full.ComputeOverallStats(copy);
        EXPECT_EQ(std::tuple(p.OverallMin, p.OverallMax, p.OverallMean, p.OverallRms),
                  std::tuple(full.OverallMin, full.OverallMax, full.OverallMean, full.OverallRms))
            << step;
        EXPECT_NEAR(p.OverallStdDev, full.OverallStdDev, 1e-9 * (1 + full.OverallStdDev)) << step;
        for (int c = channels.Low(); c <= channels.High(); ++c) {
            p.ComputeChannelMinMax(std::uint32_t(c));
            ComputeMinMax(copy[c]);
            EXPECT_EQ(std::tuple(channels[c].Min, channels[c].Max), std::tuple(copy[c].Min, copy[c].Max)) << step;
            if (channels[c].Enabled && channels[c].Data.Count() > 0) {
                EXPECT_NEAR(channels[c].StdDev, copy[c].StdDev, 1e-9 * (1 + copy[c].StdDev)) << step;
            }
        }
    };
    for (int step = 0; step < 600; ++step) {
        // Mostly near one level, sometimes far out: extremes come and go.
        const int code = random() % 9 == 0 ? int(random() % 8000) - 4000 : 1000 + int(random() % 7);
        p.DataPointCh(std::uint32_t(random() % 4), code);
        if (step == 150) p.SetSubLsbs(3);
        if (step == 250) channels[2].Enabled = false;
        if (step == 300) p.SetNumRecords(20), p.SetThisRecord(0);
        if (step == 400) p.ClearData();
        if (step == 450) p.SetSubLsbs(0);
        if (step % 7 == 0) expectSame(step);
    }
}

// The grid is anchored bottom-left and stays when panned; traces lie over
// grid, axes and lines.
TEST_F(PainterTest, ComposesGridAxesLinesAndTraces) {
    ZrGraphPainter p(nullptr, 1, 64, clock);
    p.resize(195, 105);
    p.SetPenWidth(1);
    p.SetYBottom(-11);  // code 0 at y 50, code 6 at y 20
    p.SetXLeft(-3);     // record 0 at x 15
    p.SetMinMaxColor(0x0000FF);
    p.SetBackColor(0x00FFFF);  // yellow
    p.ShowAutoScaleThreshold = true;
    p.SetRescaleThresholdYBottom(2);                       // y 40
    p.SetRescaleThresholdYTop(-6);                         // y 80
    p.DisplayZorTape()->Channels[0].PlotColor = 0xFF0000;  // blue
    for (int k = 0; k < 20; ++k) p.DataPointCh(0, 6);      // records 0..19, x 15..110
    p.OverallMin = p.OverallMax = 6;                       // min/max line under the trace
    p.Redraw();
    const QImage img = composed(p);

    const QRgb trace = qRgb(0, 0, 255), fore = toQColor(p.ForeColor()).rgb(), back = qRgb(255, 255, 0);
    auto countRow = [&](int y, int x0, int x1, QRgb c) {
        int n = 0;
        for (int x = x0; x < x1; ++x) n += img.pixel(x, y) == c;
        return n;
    };
    // Grid rows up from the bottom edge (95, 85, ...), columns from the left
    // (0, 10, ..., 190), the frame on the right; the trace covers the grid at
    // x 20 and the y axis at x 15.
    for (auto [x, y, c] : {std::tuple{5, 95, fore},
                           {5, 100, back},
                           {5, 90, back},
                           {190, 7, fore},
                           {194, 7, fore},
                           {193, 7, back},
                           {20, 20, trace},
                           {15, 20, trace}})
        EXPECT_EQ(img.pixel(x, y), c) << x << "," << y;
    // Past the trace's end the dotted min/max line shows; dash-dot-dot
    // threshold lines in the grid colour (grid crossings give 20).
    EXPECT_GT(countRow(20, 120, 195, qRgb(255, 0, 0)), 20);
    EXPECT_GT(countRow(40, 0, 195, fore), 50);
    EXPECT_GT(countRow(80, 0, 195, fore), 50);
}

// A long redraw lets events run once a second (none while time stands still);
// what they change makes the redraw start over.
TEST_F(PainterTest, LongRedrawYieldsEverySecondAndStartsOverAfterAChange) {
    SteppingClock fast(100'000);  // every check of the drawing loop finds a second gone by soon
    ZrGraphPainter still(nullptr, 1, 4096, clock), p(nullptr, 1, 4096, fast);
    auto change = [](ZrGraphPainter& q) { q.SetPenWidth(1), q.DataPointCh(1, 3), q.ClearData(); };
    int ran = 0;
    for (ZrGraphPainter* q : {&still, &p}) {
        auto& ch = q->DisplayZorTape()->Channels[0];
        for (int r = 0; r < 4096; ++r) ch.Data[r] = r % 25;
        ch.Enabled = true;
        q->SetXRight(4096);  // every record inside the plot
        // Queued: runs in the yield of the long redraw, after the still one.
        QMetaObject::invokeMethod(
            qApp, [&, q] { ++ran, q == &p ? change(p) : void(); }, Qt::QueuedConnection);
        q->Redraw();
        EXPECT_EQ(ran, q == &p ? 2 : 0);
        QCoreApplication::processEvents();
    }
    change(still);
    EXPECT_EQ(p.TraceBitmap, still.TraceBitmap);
}

// Lines go pixel by pixel along the ideal line; a thick pen puts a square
// centred on each point.
TEST(TraceRaster, LinesAndThickPensSetTheirPixels) {
    QImage trace(9, 6, QImage::Format_RGB32), mask(9, 6, QImage::Format_RGB32);
    TraceRaster raster(trace, mask);
    raster.clear(trace.rect());
    raster.line(0, 0, 6, 3);
    raster.setPenWidth(3);
    raster.line(7, 4, 7, 4);
    std::string drawn;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) drawn += mask.pixel(x, y) == qRgb(0, 0, 0) ? '#' : '.';
    EXPECT_EQ(drawn,
              "#........"
              ".##......"
              "...##...."
              ".....####"
              "......###"
              "......###");
}

}  // namespace vx
