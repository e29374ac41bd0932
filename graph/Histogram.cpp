// The histogram view: how often each code occurs per enabled channel, built
// on request, one bar per code rising from count 0.
#include <QCoreApplication>
#include <QFontMetrics>

#include "graph/TraceRaster.h"
#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"

bool ZrGraphPainter::histogramProgress(std::uint32_t& since, const std::function<QString()>& text)
{
    if (clock_.ticks() - since <= 50) return true;
    progressText_ = text();
    emit progress(progressText_);
    const QFontMetrics fm(font());
    const int tw = fm.horizontalAdvance(progressText_), th = fm.height();
    update(QRect((width() - tw) / 2, (height() - th) / 2, tw, th));
    QCoreApplication::processEvents();
    if (AppTerminating()) return false;
    since = clock_.ticks();
    return true;
}

void ZrGraphPainter::ShowHistogram()
{
    if (!tape_) return;
    std::uint32_t since = clock_.ticks();
    int highestCount = 0, lowestBin = 0, highestBin = 0;
    bool first = true;
    auto& channels = tape_->Channels;
    for (int i = channels.Low(); channels.Count() > 0 && i <= channels.High(); ++i) {
        GraphChannel& ch = channels[i];
        if (!ch.Enabled || ch.Data.Count() == 0) continue;
        ch.Histogram.Reset();
        ComputeMinMax(ch);
        if (first) {
            OverallMin = ch.Min;
            OverallMax = ch.Max;
        }
        const double min = ch.Min, max = ch.Max;
        // Every bin of the range exists, so empty codes show as gaps.
        for (std::int64_t b = std::int64_t(min); double(b) <= max; ++b) {
            ch.Histogram[int(b)] = 0;
            auto text = [&] {
                // A flat channel has nothing left to initialise.
                const int percent = max > min ? truncToInt((b - min) * 100.0 / (max - min)) : 100;
                return QString::asprintf("Histogram (init channel %d: %d/%d %d%%)...", i, truncToInt(b - min),
                                         truncToInt(max - min), percent);
            };
            if (!histogramProgress(since, text)) {
                progressText_.clear();
                return;
            }
        }
        const OffsetArray<int>& data = ch.Data;
        const int low = data.Low(), count = data.Count();
        for (int r = low; r <= data.High(); ++r) {
            const int code = data[r];
            const int bin = subLsbs_ == 0 ? code : truncToInt(code / subLsbDivisor_);
            const int n = ++ch.Histogram[bin];
            if (n > highestCount) highestCount = n;
            auto text = [&] {
                return QString::asprintf("Histogram (counting channel %d: %d/%d %d%%)...", i, r - low, count,
                                         int(std::int64_t(r - low) * 100 / count));
            };
            if (!histogramProgress(since, text)) {
                progressText_.clear();
                return;
            }
        }
        if (ch.Histogram.Low() < lowestBin || first) lowestBin = ch.Histogram.Low();
        if (ch.Histogram.High() > highestBin || first) highestBin = ch.Histogram.High();
        first = false;
    }
    progressText_.clear();

    PainterScale& s = scale();
    s.StoreXLeft(lowestBin);
    s.SetXRight(highestBin);
    s.StoreYBottom(0);
    s.SetYTop(highestCount);
    viewMode_ = 2;
    DrawTraces();
    update();
}

bool ZrGraphPainter::drawChannelBars(TraceRaster& raster, const GraphChannel& ch, std::uint32_t& since)
{
    const OffsetArray<int>& bins = ch.Histogram;
    if (bins.Count() == 0) return true;
    const PainterScale& s = scale();
    const int base = s.YOfCode(0);
    for (int b = bins.Low(); b <= bins.High(); ++b) {
        const int x1 = s.XOf(b);
        int x2 = truncToInt(x1 + s.XPixelsPerUnit());
        if (x1 >= 0 && x2 >= 0) {
            const int top = s.YOfCode(bins[b]);
            if (x2 == x1) x2 = x1 + 1;  // every bin at least one pixel wide
            if (base > top) raster.fill(QRect(x1, top, x2 - x1, base - top));
        }
        if (!yieldIfDue(since, raster)) return false;
    }
    return true;
}
