#include <QMouseEvent>
#include <QPointingDevice>
#include <functional>
#include <random>
#include <string>
#include <tuple>

#include "PainterFixture.h"
#include "support/Exceptions.h"

using PainterTest = PainterFixture;

TEST_F(PainterTest, ForwardingWithoutTapeThrowsNamedTexts)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    p.SetThisChannel(3);
    EXPECT_EQ(p.GetThisPlotColor(), clRed);  // creates channel 3
    EXPECT_EQ(p.GetNumChannels(), 1);

    p.SetDisplayZorTape(nullptr);
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"GetNumRecords", [&] { p.NumRecords(); }},     {"SetNumRecords", [&] { p.SetNumRecords(16); }},
        {"GetThisChannel", [&] { p.ThisChannel(); }},   {"SetThisChannel", [&] { p.SetThisChannel(1); }},
        {"GetThisRecord", [&] { p.ThisRecord(); }},     {"SetThisRecord", [&] { p.SetThisRecord(1); }},
        {"GetThisPlotColor", [&] { p.GetThisPlotColor(); }},
        {"SetThisPlotColor", [&] { p.SetThisPlotColor(0); }},
    };
    for (const auto& [name, call] : calls) {
        try {
            call();
            ADD_FAILURE() << name << ": no throw";
        } catch (const PlainTextError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("ZrGraphPainter::") + name + " no ZorTape");
        }
    }
    try {
        p.DataPointCh(0, 1);
        ADD_FAILURE() << "no throw";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "ZrGraphPainter::DataPointCh FZorTape is NULL!");
    }
    // The views and the rest of the painter stay usable without a tape.
    p.ClearData();
    p.ShowHistogram();
    EXPECT_EQ(composed(p).size(), QSize(150, 150));
}

TEST_F(PainterTest, ChannelsTakeTheirStandardColourWithTheirFirstValue)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    p.SetThisChannel(6);
    p.SetThisPlotColor(0x123456);  // chosen before any data: kept
    for (int ch : {3, 7, 6, 0}) p.DataPointCh(ch, 100);
    auto& channels = p.DisplayZorTape()->Channels;
    for (int ch : {3, 7, 0}) EXPECT_EQ(channels[ch].PlotColor, DefaultPlotColors[ch]) << ch;
    EXPECT_EQ(channels[6].PlotColor, 0x123456u);
    // Chosen later, kept as data go on and after clearing.
    p.SetThisChannel(3);
    p.SetThisPlotColor(0x654321);
    p.ClearData();
    p.DataPointCh(3, 1);
    EXPECT_EQ(channels[3].PlotColor, 0x654321u);
    p.ResetPlotColors();
    EXPECT_EQ(channels[6].PlotColor, DefaultPlotColors[6]);
    EXPECT_TRUE(channels[3].Enabled);
    EXPECT_EQ(channels[3].Data.Count(), 1);
}

// The statistics follow every reading instead of a pass over the tape; they
// must give what the passes give, through overwrites of a wrapped tape,
// sub-LSB display, switched-off channels, clearing and a new length.
TEST_F(PainterTest, RunningStatisticsEqualFullPasses)
{
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
        EXPECT_EQ(p.OverallMin, full.OverallMin) << step;
        EXPECT_EQ(p.OverallMax, full.OverallMax) << step;
        EXPECT_DOUBLE_EQ(p.OverallMean, full.OverallMean) << step;
        EXPECT_NEAR(p.OverallStdDev, full.OverallStdDev, 1e-9 * (1 + full.OverallStdDev)) << step;
        EXPECT_DOUBLE_EQ(p.OverallRms, full.OverallRms) << step;
        for (int c = channels.Low(); c <= channels.High(); ++c) {
            p.ComputeChannelMinMax(std::uint32_t(c));
            ComputeMinMax(copy[c]);
            EXPECT_EQ(channels[c].Min, copy[c].Min) << step << " channel " << c;
            EXPECT_EQ(channels[c].Max, copy[c].Max) << step << " channel " << c;
            if (!channels[c].Enabled || channels[c].Data.Count() == 0) continue;
            EXPECT_DOUBLE_EQ(channels[c].SumSq, copy[c].SumSq) << step << " channel " << c;
            EXPECT_NEAR(channels[c].StdDev, copy[c].StdDev, 1e-9 * (1 + copy[c].StdDev)) << step;
        }
    };
    for (int step = 0; step < 600; ++step) {
        const int ch = int(random() % 4);
        // Mostly near one level, sometimes far out: extremes come and go.
        const int code = random() % 9 == 0 ? int(random() % 8000) - 4000 : 1000 + int(random() % 7);
        p.DataPointCh(std::uint32_t(ch), code);
        switch (step) {
        case 150: p.SetSubLsbs(3); break;
        case 250: channels[2].Enabled = false; break;
        case 300:
            p.SetNumRecords(20);
            p.SetThisRecord(0);
            break;
        case 400: p.ClearData(); break;
        case 450: p.SetSubLsbs(0); break;
        default: break;
        }
        if (step % 7 == 0) expectSame(step);
    }
    expectSame(600);
}

TEST_F(PainterTest, AutomaticRescalesAreReportedManualOnesNot)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    int changes = 0;
    p.OnScaleChange = [&](ZrGraphPainter* sender) { changes += sender == &p; };
    for (int code : {1000, 1100}) p.DataPointCh(0, code);
    p.SetAutoScale(true);  // switching on rescales at once
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(p.AutoScaled());
    p.SetAutoScale(true);
    p.SetYScale(20);  // a manual change ends the automatic state
    p.Redraw();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(p.AutoScaled());
}

TEST_F(PainterTest, GridIsAnchoredBottomLeftAndStaysWhenPanned)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    p.resize(95, 155);
    p.SetGridSize(4);  // below 5: refused
    EXPECT_EQ(p.GridSize(), 10);
    p.SetXLeft(3);
    p.SetYBottom(7);
    const QImage img = composed(p);
    const QRgb fore = rgb(p.ForeColor()), back = rgb(p.BackColor());
    // Horizontal lines up from the bottom edge (145, 135, ...), vertical ones
    // from the left edge (0, 10, ..., 90), the frame on the right.
    for (auto [x, y, c] : {std::tuple{15, 145, fore}, {15, 5, fore}, {15, 150, back}, {15, 140, back},
                           {90, 7, fore}, {94, 7, fore}, {93, 7, back}})
        EXPECT_EQ(img.pixel(x, y), c) << x << "," << y;
}

TEST_F(PainterTest, CollapsedPainterNeverDividesByZero)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    p.DataPointCh(0, 5);
    p.DataPointCh(0, 9);
    p.resize(0, 0);
    p.SetXRight(100);
    p.SetYTop(100);
    p.SetAutoScale(true);
    p.DataPointCh(0, 7);
    p.ShowHistogram();
    EXPECT_GE(p.XScale(), 1);
    EXPECT_GE(p.YScale(), 1);
    p.resize(120, 80);  // the next paint sizes the bitmaps again
    EXPECT_EQ(composed(p).size(), QSize(120, 80));
    EXPECT_EQ(p.TraceBitmap.size(), QSize(120, 80));
}

TEST_F(PainterTest, TracesLieOverGridAxesAndLines)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    p.resize(200, 100);
    p.SetPenWidth(1);
    p.SetYBottom(-11);  // code 0 at y 45, code 6 at y 15
    p.SetXLeft(-3);     // record 0 at x 15
    p.SetMinMaxColor(0x0000FF);
    p.ShowAutoScaleThreshold = true;
    p.SetRescaleThresholdYBottom(2);  // y 35
    p.SetRescaleThresholdYTop(-6);    // y 75
    p.DisplayZorTape()->Channels[0].PlotColor = 0xFF0000;  // blue
    for (int k = 0; k < 20; ++k) p.DataPointCh(0, 6);      // records 0..19, x 15..110
    p.OverallMin = p.OverallMax = 6;                       // min/max line under the trace
    p.Redraw();
    const QImage img = composed(p);

    const QRgb trace = qRgb(0, 0, 255), fore = rgb(p.ForeColor());
    auto countRow = [&](int y, int x0, int x1, QRgb c) {
        int n = 0;
        for (int x = x0; x < x1; ++x) n += img.pixel(x, y) == c;
        return n;
    };
    // The trace covers the grid line at x 20 and the y axis at x 15.
    EXPECT_EQ(img.pixel(20, 15), trace);
    EXPECT_EQ(img.pixel(15, 15), trace);
    // Axes one pixel wider than the pen, in the grid colour.
    EXPECT_EQ(countRow(65, 12, 19, fore), 2);
    int axisRows = 0;
    for (int y = 42; y < 49; ++y) axisRows += img.pixel(153, y) == fore;
    EXPECT_EQ(axisRows, 2);
    // Past the trace's end the dotted min/max line shows.
    EXPECT_GT(countRow(15, 120, 200, qRgb(255, 0, 0)), 20);
    // Dash-dot-dot threshold lines in the grid colour (grid crossings give 20).
    EXPECT_GT(countRow(35, 0, 200, fore), 50);
    EXPECT_GT(countRow(75, 0, 200, fore), 50);
}

namespace {

// Moves 100 ms whenever it is read: every check of a drawing loop finds a
// second gone by soon.
class FastClock : public Clock {
public:
    uint64_t micros() override { return now_ += 100000; }
    void sleepUntil(uint64_t deadline) override { now_ = deadline > now_ ? deadline : now_; }

private:
    uint64_t now_ = 0;
};

void fill(ZrGraphPainter& p, int records)
{
    auto& ch = p.DisplayZorTape()->Channels[0];
    for (int r = 0; r < records; ++r) ch.Data[r] = r % 25;
    ch.Enabled = true;
    p.SetXRight(records);  // every record inside the plot
}

}  // namespace

// A long redraw lets events run once a second (none while time stands still);
// what they change makes the redraw start over.
TEST_F(PainterTest, LongRedrawYieldsEverySecondAndStartsOverAfterAChange)
{
    int ran = 0;
    ZrGraphPainter still(nullptr, 1, 4096, clock);
    fill(still, 4096);
    QMetaObject::invokeMethod(qApp, [&] { ++ran; }, Qt::QueuedConnection);
    still.Redraw();
    EXPECT_EQ(ran, 0);
    QCoreApplication::processEvents();

    FastClock fast;
    ZrGraphPainter p(nullptr, 1, 4096, fast);
    fill(p, 4096);
    QMetaObject::invokeMethod(qApp, [&] {
        ++ran;
        p.SetPenWidth(1);
        p.DataPointCh(1, 3);
        p.ClearData();
    }, Qt::QueuedConnection);
    p.Redraw();
    EXPECT_EQ(ran, 2);

    still.SetPenWidth(1);
    still.DataPointCh(1, 3);
    still.ClearData();
    EXPECT_EQ(p.TraceBitmap, still.TraceBitmap);
    EXPECT_EQ(p.TraceMask, still.TraceMask);
}

TEST_F(PainterTest, ReleasingTheMouseReportsPositionAndClick)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    int clicks = 0, upX = -1, upY = -1;
    QObject::connect(&p, &ZrGraphPainter::clicked, [&] { ++clicks; });
    QObject::connect(&p, &ZrGraphPainter::mouseUp,
                     [&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) { upX = x, upY = y; });
    // A device of the test's own: Qt's default one outlives the application at exit.
    QPointingDevice mouse("test mouse", 1, QInputDevice::DeviceType::Mouse, QPointingDevice::PointerType::Generic,
                          QInputDevice::Capability::Position, 1, 3);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(12, 34), QPointF(12, 34), QPointF(12, 34),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier, &mouse);
    QCoreApplication::sendEvent(&p, &release);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(upX, 12);
    EXPECT_EQ(upY, 34);
}
