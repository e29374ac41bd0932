#include <random>
#include <tuple>

#include "PainterFixture.h"

namespace vx {

class TimePlotTest : public PainterFixture {
protected:
    // A 150 x 150 plot at 5 pixels per record and code, pen 1, channel 0 blue.
    TimePlotTest() : p(nullptr, 1, 64, clock) {
        p.SetPenWidth(1);
        p.SetThisPlotColor(0xFF0000);
    }
    bool drawn(int x, int y) const {
        return p.TraceBitmap.pixel(x, y) == qRgb(0, 0, 255) && p.TraceMask.pixel(x, y) == qRgb(0, 0, 0);
    }
    ZrGraphPainter p;
};

TEST_F(TimePlotTest, SegmentIsAStubThenALineToTheNextRecord) {
    // Record 9 holds 20 (y 50), record 10 holds 10 (y 100).
    for (int k = 0; k < 10; ++k) p.DataPointCh(0, 20);
    p.DataPointCh(0, 10);
    p.Redraw();
    // (x1, y1), (x1 + 1, y1), the slope, (x2, y2) with x2 = x1 + 5, and nothing past either end.
    for (auto [x, y, on] :
         {std::tuple{45, 50, true}, {46, 50, true}, {48, 75, true}, {50, 100, true}, {51, 100, false}, {47, 50, false}})
        EXPECT_EQ(drawn(x, y), on) << x << "," << y;
    // Sub-LSB display scales codes down: 10 / 4 = 2.5 codes, y = trunc(150 - 12.5).
    p.SetSubLsbs(2);
    p.Redraw();
    EXPECT_TRUE(drawn(50, 137));

    // Live readings leave the other views' pictures and the cursor channel alone.
    for (int ch : {1, 2, 1}) p.DataPointCh(ch, 10);
    EXPECT_EQ(p.ThisChannel(), 2u) << "the last channel in use, not the one written";
    p.ShowHistogram();  // bars drawn into the trace bitmaps
    const QImage bars = p.TraceBitmap;
    p.DataPointCh(0, 40);
    p.DrawLiveStrips();
    EXPECT_EQ(p.TraceBitmap, bars);
}

// Live readings draw only the strips of their records; whatever the zoom, pen
// and channels, the picture must be the one a full redraw of the same data
// draws (zoomed out, many records share a column).
TEST_F(TimePlotTest, LiveStripsDrawWhatAFullRedrawDraws) {
    for (auto [xScale, pen, channels, records] :
         {std::tuple{2, 1, 1, 64u}, {1, 2, 3, 40u}, {37, 2, 8, 512u}, {7, 3, 2, 200u}, {90, 1, 1, 1024u}}) {
        ZrGraphPainter q(nullptr, 1, records, clock);
        q.resize(140, 100);
        q.SetPenWidth(pen);
        q.SetXScale(xScale);
        q.SetXLeft(-3);
        q.SetYScale(3);
        std::mt19937 random(xScale);
        // Past the end of the tape, so that new records overwrite a sweep.
        for (std::uint32_t k = 0; k < records * 3 / 2; ++k) {
            for (int ch = 0; ch < channels; ++ch) q.DataPointCh(ch, int(random() % 60) - 5 + 10 * ch);
            if (random() % 5 == 0) q.DrawLiveStrips();
        }
        q.DrawLiveStrips();
        const QImage live = q.TraceBitmap, liveMask = q.TraceMask;
        q.Redraw();
        EXPECT_EQ(live, q.TraceBitmap) << xScale << " " << pen;
        EXPECT_EQ(liveMask, q.TraceMask) << xScale << " " << pen;
    }
}

TEST_F(TimePlotTest, ReadingsReachTheScreenOncePerFrame) {
    struct PaintCounter : QObject {
        int n = 0;
        bool eventFilter(QObject*, QEvent* e) override { return (n += e->type() == QEvent::Paint), false; }
    } paints;
    p.show();
    QCoreApplication::processEvents();
    p.installEventFilter(&paints);
    for (int view : {0, 1}) {
        view == 0 ? p.ShowTimeDomain() : p.ShowTable();
        clock.advance(100);
        QCoreApplication::processEvents();
        paints.n = 0;
        for (int k = 0; k < 40; ++k) {
            p.DataPointCh(0, k);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(paints.n, 1) << view << ": the first reading at once, the rest wait for the next frame";
    }
}

// The data feed widens the overall range after each reading; this test plays
// its part by hand. Automatic rescales are reported, manual ones not.
TEST_F(TimePlotTest, AutoScaleFollowsDataLeavingTheFixedRange) {
    int changes = 0;
    p.OnScaleChange = [&](ZrGraphPainter* sender) { changes += sender == &p; };
    p.SetAutoScale(true);    // empty: range -7..8
    p.DataPointCh(0, 1000);  // the overall range is still 0..0
    p.OverallMin = p.OverallMax = 1000;
    p.DataPointCh(0, 1100);  // the range of the last reading lies past 8
    EXPECT_EQ(std::pair(p.RescaleThresholdYBottom(), p.RescaleThresholdYTop()), std::pair(970, 1120));
    p.OverallMax = 1100;
    p.DataPointCh(0, 1110);  // inside: no rescale
    EXPECT_EQ(changes, 2) << "switching on, and 1100 leaving the range; not 1000 nor 1110";
    p.SetYScale(20);
    p.Redraw();
    EXPECT_EQ(changes, 2);
}

}  // namespace vx
