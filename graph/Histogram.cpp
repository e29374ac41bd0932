// The histogram view: how often each code occurs per enabled channel, built
// on request, one bar per code rising from count 0.
#include <QCoreApplication>
#include <QFontMetrics>
#include <algorithm>
#include <string>

#include "graph/HistogramBins.h"
#include "graph/TraceRaster.h"
#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"

namespace vx {

bool ZrGraphPainter::histogramProgress(std::uint32_t& since, const std::function<QString()>& text) {
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

void ZrGraphPainter::ShowHistogram() {
    if (!tape_) return;
    const unsigned command = ++viewCommands_;
    auto& channels = tape_->Channels;
    auto shown = [&](int i) { return channels[i].Enabled && channels[i].Data.Count() > 0; };
    // A range too wide is refused before any channel's histogram is touched.
    for (int i = channels.Low(); channels.Count() > 0 && i <= channels.High(); ++i) {
        if (!shown(i)) continue;
        const BinRange range = HistogramBinRange(channels[i], subLsbs_, subLsbDivisor_);
        if (range.Count() > kMaxHistogramBins)
            throw Exception("The histogram of channel " + std::to_string(i) + " cannot be shown: its codes span " +
                            std::to_string(range.Count()) + " values, more than the " +
                            std::to_string(kMaxHistogramBins) + " a histogram holds.");
    }

    std::uint32_t since = clock_.ticks();
    int highestCount = 0, lowestBin = 0, highestBin = 0;
    bool first = true;
    for (int i = channels.Low(); channels.Count() > 0 && i <= channels.High(); ++i) {
        if (!shown(i)) continue;
        GraphChannel& ch = channels[i];
        ComputeMinMax(ch);
        if (first) {
            OverallMin = ch.Min;
            OverallMax = ch.Max;
        }
        const int count = ch.Data.Count();
        // Another view command given during a yield has the last word: this build gives way.
        const int highest = CountHistogram(ch, subLsbs_, subLsbDivisor_, [&](int counted) {
            return histogramProgress(since,
                                     [&] {
                                         return QString::asprintf("Histogram (counting channel %d: %d/%d %d%%)...", i,
                                                                  counted, count,
                                                                  int(std::int64_t(counted) * 100 / count));
                                     }) &&
                   viewCommands_ == command;
        });
        if (highest < 0) {
            progressText_.clear();
            return;
        }
        highestCount = std::max(highestCount, highest);
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

bool ZrGraphPainter::drawChannelBars(TraceRaster& raster, const GraphChannel& ch, std::uint32_t& since) {
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

}  // namespace vx
