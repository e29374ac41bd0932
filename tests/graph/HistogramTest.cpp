#include <QStringList>

#include <utility>
#include <vector>

#include "PainterFixture.h"
#include "graph/HistogramBins.h"
#include "support/SteppingClock.h"
#include "support/ThrownText.h"

namespace vx {

class HistogramTest : public PainterFixture {
protected:
    HistogramTest() : p(nullptr, 1, 64, clock) { p.SetPenWidth(1); }
    const OffsetArray<int>& bins(int channel) { return p.DisplayZorTape()->Channels[channel].Histogram; }
    ZrGraphPainter p;
};

TEST_F(HistogramTest, CountsEveryCodeOfTheRangeAndFitsTheScales) {
    p.DisplayZorTape()->Channels[0].Enabled = true;  // enabled but empty: unit scales
    p.SetXScale(7);
    p.ShowHistogram();
    EXPECT_EQ((std::vector{p.XScale(), p.YScale()}), (std::vector{1, 1}));

    feed(p, 0, {5, 5, 7});
    p.ShowHistogram();
    EXPECT_EQ((std::vector{bins(0).Low(), bins(0).High(), p.XLeft(), p.YScale()}), (std::vector{5, 7, 5, 1}));
    EXPECT_EQ((std::vector{bins(0)[5], bins(0)[6], bins(0)[7]}), (std::vector{2, 0, 1}));

    // Bins span all channels while the overall range is the first channel's.
    feed(p, 0, {10, 20, 10});
    feed(p, 1, {0, 5});
    p.ShowHistogram();
    EXPECT_EQ((std::vector{p.XLeft(), p.XRight()}), (std::vector{0, 30}));  // 20 bins asked for: XScale 2
    EXPECT_EQ((std::vector{p.OverallMin, p.OverallMax}), (std::vector{10.0, 20.0}));

    // Sub-LSB codes fall into bins truncated toward zero, at the painter's
    // divisor whatever the channel's own.
    feed(p, 0, {8, 9, 11, 12});
    feed(p, 1, {-5, -5});
    p.SetSubLsbs(2);
    p.DisplayZorTape()->Channels[1].SetSubLsbs(1);
    p.ShowHistogram();
    EXPECT_EQ((std::vector{bins(0)[2], bins(0)[3], bins(1)[-1]}), (std::vector{3, 1, 2}));  // -1: trunc(-5 / 4)
    p.SetSubLsbs(1);
    p.ShowHistogram();
    EXPECT_EQ((std::vector{bins(1).Low(), bins(1)[-2]}), (std::vector{-2, 2}));  // trunc(-2.5)
}

// Bars rise from count 0 in channel order; bins narrower than a pixel are
// still one pixel wide.
TEST_F(HistogramTest, BarsRiseFromZeroInChannelOrderAtLeastOnePixelWide) {
    feed(p, 0, {1, 1, 1, 2});
    feed(p, 1, {2, 2});
    auto& tape = *p.DisplayZorTape();
    tape.Channels[0].PlotColor = 0xFF0000;
    tape.Channels[1].PlotColor = 0x00FF00;
    p.ShowHistogram();
    // Bins 1 and 2 at 10 pixels each, 10 pixels per count, counting up from y 150.
    ASSERT_EQ((std::vector{double(p.XLeft()), p.XPixelsPerUnit(), p.YPixelsPerUnit()}), (std::vector{1.0, 10.0, 10.0}));
    const QImage img = composed(p);
    const QRgb blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0);
    // Bin 1, count 3: rows 120..149; bin 2: channel 1 (2) covers channel 0 (1).
    EXPECT_EQ((std::vector{img.pixel(1, 120), img.pixel(1, 148), img.pixel(15, 130), img.pixel(15, 145)}),
              (std::vector{blue, blue, green, green}));
    for (auto [x, y] : {std::pair{5, 119}, {15, 129}, {25, 145}})
        EXPECT_TRUE(img.pixel(x, y) != blue && img.pixel(x, y) != green) << x << "," << y;

    auto& ch = tape.Channels[1];
    for (int r = 0; r < 1500; ++r) ch.Data[r] = r;  // 1500 bins on 150 pixels
    ch.Data[1500] = 1499;
    tape.Channels[0].Enabled = false;
    p.ShowHistogram();
    ASSERT_LT(p.XPixelsPerUnit(), 1.0);
    // Every column holds a bar: count 1 or 2 reaches above the bottom row.
    for (int x = 0; x < 150; ++x) EXPECT_EQ(p.TraceBitmap.pixel(x, 149), green) << x;
    EXPECT_EQ(p.TraceBitmap.pixel(50, 0), qRgb(0, 0, 0));
}

// Every 50 ms of counting shows a progress text and lets events run. A view
// command given then has the last word, and the histogram it leaves counts
// every record once.
TEST_F(HistogramTest, ProgressTextsAndCommandsGivenDuringABuild) {
    SteppingClock stepping(60000);  // every build step is due for a progress text
    ZrGraphPainter q(nullptr, 1, 64, stepping);
    feed(q, 3, {0, 1, 0, 1, 0, 1, 0, 1, 0, 1});
    auto& ch = q.DisplayZorTape()->Channels[3];
    QStringList texts;
    auto shown = QObject::connect(&q, &ZrGraphPainter::progress, [&](const QString& t) { texts << t; });
    q.ShowHistogram();
    QObject::disconnect(shown);
    ASSERT_EQ(texts.size(), 10);
    EXPECT_EQ(texts[9], "Histogram (counting channel 3: 9/10 90%)...");

    for (int inner : {1, 2}) {
        q.ShowTimeDomain();
        bool once = true;
        auto c = QObject::connect(&q, &ZrGraphPainter::progress, [&] {
            if (std::exchange(once, false)) inner == 1 ? q.ShowTable() : q.ShowHistogram();
        });
        q.ShowHistogram();
        QObject::disconnect(c);
        EXPECT_EQ(q.ViewMode(), inner);
    }
    EXPECT_EQ(ch.Histogram[0] + ch.Histogram[1], 10);
}

// A range too wide to hold is refused with the view as it was.
TEST_F(HistogramTest, WideRangesAreRefused) {
    feed(p, 0, {0, 1000000, 1000000});
    p.ShowHistogram();
    p.ShowTimeDomain();
    feed(p, 1, {-5, int(kMaxHistogramBins) - 5});
    EXPECT_EQ(ThrownText([&] { p.ShowHistogram(); }),
              "The histogram of channel 1 cannot be shown: its codes "
              "span 4194305 values, more than the 4194304 a histogram holds.");
    EXPECT_EQ(p.ViewMode(), 0);
    EXPECT_EQ(bins(0)[1000000], 2);
}

}  // namespace vx
