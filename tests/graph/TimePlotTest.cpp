#include "PainterFixture.h"

class TimePlotTest : public PainterFixture {
protected:
    // A 150 x 150 plot at 5 pixels per record and code, pen 1, channel 0 blue.
    TimePlotTest() : p(nullptr, 1, 64, clock)
    {
        p.SetPenWidth(1);
        p.DisplayZorTape()->Channels[0].PlotColor = 0xFF0000;
    }
    static bool drawn(const ZrGraphPainter& p, int x, int y)
    {
        return p.TraceBitmap.pixel(x, y) == qRgb(0, 0, 255) && p.TraceMask.pixel(x, y) == qRgb(0, 0, 0);
    }
    static bool clear(const ZrGraphPainter& p, int x, int y)
    {
        return p.TraceBitmap.pixel(x, y) == qRgb(0, 0, 0) && p.TraceMask.pixel(x, y) == qRgb(255, 255, 255);
    }
    ZrGraphPainter p;
};

TEST_F(TimePlotTest, FullRedrawDrawsStubThenLineInBothBitmaps)
{
    // Record 9 holds 20 (y 50), record 10 holds 10 (y 100).
    for (int k = 0; k < 10; ++k) p.DataPointCh(0, 20);
    p.DataPointCh(0, 10);
    p.Redraw();
    EXPECT_TRUE(drawn(p, 45, 50));   // (x1, y1)
    EXPECT_TRUE(drawn(p, 46, 50));   // (x1 + 1, y1)
    EXPECT_TRUE(drawn(p, 50, 100));  // (x2, y2) with x2 = x1 + 5
    EXPECT_TRUE(drawn(p, 48, 75));   // on the slope
    EXPECT_FALSE(drawn(p, 51, 100));
    EXPECT_TRUE(clear(p, 47, 50));
    EXPECT_TRUE(clear(p, 80, 80));
}

TEST_F(TimePlotTest, LiveReadingClearsAndRedrawsOnlyItsStrip)
{
    for (int k = 0; k < 10; ++k) p.DataPointCh(0, 20);
    // Litter the plot, then let the reading for record 10 arrive.
    p.TraceBitmap.fill(Qt::green);
    p.TraceMask.fill(Qt::black);
    p.DataPointCh(0, 10);
    EXPECT_TRUE(drawn(p, 45, 50));
    EXPECT_TRUE(drawn(p, 46, 50));
    EXPECT_TRUE(drawn(p, 51, 100));  // the live segment ends one pixel further
    EXPECT_TRUE(clear(p, 47, 50));
    EXPECT_TRUE(clear(p, 50, 20));
    // The strip is x 45 to 50; its neighbours keep whatever they held.
    EXPECT_EQ(p.TraceBitmap.pixel(44, 20), qRgb(0, 255, 0));
    EXPECT_EQ(p.TraceBitmap.pixel(52, 20), qRgb(0, 255, 0));
}

TEST_F(TimePlotTest, LiveReadingInScanDrawsEveryChannelOfTheRecord)
{
    p.SetNumChannels(3);  // channel 2 keeps its default red
    auto* tape = p.DisplayZorTape();
    tape->Channels[0].PlotColor = 0xFF0000;
    tape->Channels[1].PlotColor = 0x00FF00;
    for (int k = 0; k < 3; ++k)
        for (int ch = 0; ch < 3; ++ch) p.DataPointCh(ch, 10 + 5 * ch);
    p.TraceBitmap.fill(Qt::black);
    // Record 3 receives channels 0 and 1: the strip of record 2 shows their
    // segments, channel 2 has none until its value arrives.
    p.DataPointCh(0, 10);
    p.DataPointCh(1, 15);
    EXPECT_EQ(tape->ThisChannel(), 2u);  // the last channel in use, not the one written
    EXPECT_EQ(p.TraceBitmap.pixel(11, 100), qRgb(0, 0, 255));
    EXPECT_EQ(p.TraceBitmap.pixel(11, 75), qRgb(0, 255, 0));
    EXPECT_EQ(p.TraceBitmap.pixel(11, 50), qRgb(0, 0, 0));  // channel 2 (red) still missing
}

TEST_F(TimePlotTest, RecordZeroAndOtherViewsDrawNothingNew)
{
    p.DataPointCh(0, 20);
    p.Redraw();
    EXPECT_TRUE(clear(p, 0, 50));  // one record: nothing to join

    p.DataPointCh(0, 20);
    p.ShowTable();
    const QImage before = p.TraceBitmap;
    p.DataPointCh(0, 30);
    p.ShowHistogram();  // bars drawn into the trace bitmaps
    const QImage bars = p.TraceBitmap;
    p.DataPointCh(0, 40);
    EXPECT_EQ(p.TraceBitmap, bars);  // stored, but the histogram stays as it was
    EXPECT_EQ(p.DisplayZorTape()->ThisRecord(), 3u);
    p.ShowTimeDomain();
    EXPECT_NE(p.TraceBitmap, before);

    ZrGraphPainter q(nullptr, 1, 4, clock);
    for (int k = 0; k < 4; ++k) q.DataPointCh(0, 10);
    const QImage full = q.TraceBitmap;
    q.DataPointCh(0, 20);  // a wrapped tape restarts at record 0 without drawing
    EXPECT_EQ(q.DisplayZorTape()->ThisRecord(), 0u);
    EXPECT_EQ(q.TraceBitmap, full);
}

TEST_F(TimePlotTest, SubLsbCodesAreScaledDownForDisplay)
{
    p.SetSubLsbs(2);
    p.DataPointCh(0, 10);
    p.DataPointCh(0, 10);
    p.Redraw();
    // 10 / 4 = 2.5 codes: y = trunc(150 - 12.5) = 137.
    EXPECT_TRUE(drawn(p, 1, 137));
    EXPECT_TRUE(clear(p, 1, 100));
}

TEST_F(TimePlotTest, AutoScaleFollowsDataLeavingTheFixedRange)
{
    // The data feed widens the overall range after each reading; this test
    // plays its part by hand.
    p.SetAutoScale(true);  // empty: range -7..8
    p.DataPointCh(0, 1000);
    EXPECT_EQ(p.RescaleThresholdYTop(), 8);
    p.OverallMin = p.OverallMax = 1000;
    p.DataPointCh(0, 1100);  // the range of the last reading lies past 8
    EXPECT_EQ(p.RescaleThresholdYBottom(), 970);
    EXPECT_EQ(p.RescaleThresholdYTop(), 1120);
    EXPECT_TRUE(p.AutoScaled());
    p.OverallMax = 1100;
    p.DataPointCh(0, 1110);  // inside: no rescale
    EXPECT_EQ(p.RescaleThresholdYTop(), 1120);
    p.OverallMax = 3000;
    p.DataPointCh(0, 3000);
    EXPECT_GT(p.RescaleThresholdYTop(), 3000);
}
