#include <random>

#include "PainterFixture.h"

class TimePlotTest : public PainterFixture {
protected:
    // A 150 x 150 plot at 5 pixels per record and code, pen 1, channel 0 blue.
    TimePlotTest() : p(nullptr, 1, 64, clock)
    {
        p.SetPenWidth(1);
        p.SetThisPlotColor(0xFF0000);
    }
    static bool drawn(const ZrGraphPainter& p, int x, int y)
    {
        return p.TraceBitmap.pixel(x, y) == qRgb(0, 0, 255) && p.TraceMask.pixel(x, y) == qRgb(0, 0, 0);
    }
    ZrGraphPainter p;
};

TEST_F(TimePlotTest, SegmentIsAStubThenALineToTheNextRecord)
{
    // Record 9 holds 20 (y 50), record 10 holds 10 (y 100).
    for (int k = 0; k < 10; ++k) p.DataPointCh(0, 20);
    p.DataPointCh(0, 10);
    p.DrawLiveStrips();
    for (const QImage& img : {p.TraceBitmap, (p.Redraw(), p.TraceBitmap)}) {
        EXPECT_EQ(img.pixel(45, 50), qRgb(0, 0, 255));  // (x1, y1)
        EXPECT_EQ(img.pixel(46, 50), qRgb(0, 0, 255));  // (x1 + 1, y1)
        EXPECT_EQ(img.pixel(48, 75), qRgb(0, 0, 255));  // on the slope
        EXPECT_EQ(img.pixel(50, 100), qRgb(0, 0, 255));  // (x2, y2) with x2 = x1 + 5
        EXPECT_EQ(img.pixel(51, 100), qRgb(0, 0, 0));
        EXPECT_EQ(img.pixel(47, 50), qRgb(0, 0, 0));
    }
    EXPECT_EQ(p.TraceMask.pixel(48, 75), qRgb(0, 0, 0));
    EXPECT_EQ(p.TraceMask.pixel(80, 80), qRgb(255, 255, 255));
}

// Live readings draw only the strips of their records; whatever the zoom, pen
// and channels, the picture must be the one a full redraw of the same data
// draws (zoomed out, many records share a column).
TEST_F(TimePlotTest, LiveStripsDrawWhatAFullRedrawDraws)
{
    struct Case {
        int xScale, pen, channels;
        std::uint32_t records;
    };
    for (const Case c : {Case{2, 1, 1, 64}, {1, 2, 3, 40}, {37, 2, 8, 512}, {7, 3, 2, 200}, {90, 1, 1, 1024}}) {
        ZrGraphPainter q(nullptr, 1, c.records, clock);
        q.resize(140, 100);
        q.SetPenWidth(c.pen);
        q.SetXScale(c.xScale);
        q.SetXLeft(-3);
        q.SetYScale(3);
        std::mt19937 random(c.xScale);
        // Past the end of the tape, so that new records overwrite a sweep.
        for (std::uint32_t k = 0; k < c.records * 3 / 2; ++k) {
            for (int ch = 0; ch < c.channels; ++ch) q.DataPointCh(ch, int(random() % 60) - 5 + 10 * ch);
            if (random() % 5 == 0) q.DrawLiveStrips();
        }
        q.DrawLiveStrips();
        const QImage live = q.TraceBitmap, liveMask = q.TraceMask;
        q.Redraw();
        EXPECT_EQ(live, q.TraceBitmap) << c.xScale << " " << c.pen;
        EXPECT_EQ(liveMask, q.TraceMask) << c.xScale << " " << c.pen;
    }
}

TEST_F(TimePlotTest, ReadingsReachTheScreenOncePerFrame)
{
    int paints = 0;
    struct PaintCounter : QObject {
        int& n;
        explicit PaintCounter(int& count) : n(count) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            n += e->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    p.show();
    QCoreApplication::processEvents();
    p.installEventFilter(&counter);
    for (int view : {0, 1}) {
        view == 0 ? p.ShowTimeDomain() : p.ShowTable();
        clock.advance(100);
        QCoreApplication::processEvents();
        paints = 0;
        for (int k = 0; k < 40; ++k) {
            p.DataPointCh(0, k);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(paints, 1) << view << ": the first reading at once, the rest wait for the next frame";
        clock.advance(17);
        p.DataPointCh(0, 7);
        QCoreApplication::processEvents();
        EXPECT_EQ(paints, 2) << view;
    }
}

TEST_F(TimePlotTest, OtherViewsLeaveTheTracesAndTheCursorChannelAlone)
{
    p.SetNumChannels(3);
    for (int ch = 0; ch < 3; ++ch) p.DataPointCh(ch, 10);
    p.DataPointCh(1, 20);
    EXPECT_EQ(p.ThisChannel(), 2u) << "the last channel in use, not the one written";

    p.ShowHistogram();  // bars drawn into the trace bitmaps
    const QImage bars = p.TraceBitmap;
    p.DataPointCh(0, 40);
    p.DrawLiveStrips();
    EXPECT_EQ(p.TraceBitmap, bars);
    EXPECT_EQ(p.DisplayZorTape()->Channels[0].Data[1], 40) << "stored all the same";
}

TEST_F(TimePlotTest, SubLsbCodesAreScaledDownForDisplay)
{
    p.SetSubLsbs(2);
    p.DataPointCh(0, 10);
    p.DataPointCh(0, 10);
    p.Redraw();
    // 10 / 4 = 2.5 codes: y = trunc(150 - 12.5) = 137.
    EXPECT_TRUE(drawn(p, 1, 137));
    EXPECT_FALSE(drawn(p, 1, 100));
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
    p.OverallMax = 1100;
    p.DataPointCh(0, 1110);  // inside: no rescale
    EXPECT_EQ(p.RescaleThresholdYTop(), 1120);
}
