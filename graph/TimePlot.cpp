// The time-domain view: each enabled channel's codes against record number,
// drawn in full on a redraw and one strip at a time for live readings.
#include <QCoreApplication>
#include <QPainter>
#include <algorithm>

#include "graph/TraceRaster.h"
#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"
#include "support/Exceptions.h"

namespace {

// A record the channel never reached reads as 0, like an untouched slot.
int codeAt(const OffsetArray<int>& data, int r)
{
    return data.IsAllocated(r) ? data[r] : 0;
}

}  // namespace

int ZrGraphPainter::yOf(std::int32_t code) const
{
    if (subLsbs_ == 0) return scale_.YOfCode(code);
    return scale_.YOfValue(code / subLsbDivisor_);
}

// A short flat stub at the record's own value, then the line to the next one:
// a lone step stays visible even when records are less than a pixel apart.
void ZrGraphPainter::drawSegment(TraceRaster& raster, const GraphChannel& ch, int r, int x2) const
{
    const int x1 = scale_.XOf(r);
    const int y1 = yOf(codeAt(ch.Data, r));
    raster.line(x1, y1, x1 + 1, y1);
    raster.line(x1 + 1, y1, x2, yOf(codeAt(ch.Data, r + 1)));
}

bool ZrGraphPainter::drawChannelTrace(TraceRaster& raster, const GraphChannel& ch, std::uint32_t& since)
{
    if (ch.Data.Count() == 0) return true;
    scale();  // brings the scale up to the current size
    const int beyondRight = width() + int(penWidth_);
    for (int r = ch.Data.Low(); r < ch.Data.High(); ++r) {
        const int x1 = scale_.XOf(r);
        if (x1 > beyondRight) break;  // this and all later segments fall outside
        const int x2 = truncToInt(x1 + scale_.XPixelsPerUnit());
        if (x1 >= 0 && x2 >= 0) drawSegment(raster, ch, r, x2);
        // Reading the clock costs more than a segment: look every 64 records.
        if ((r & 63) == 0 && !yieldIfDue(since, raster)) return false;
    }
    return true;
}

// Threshold and minimum/maximum lines lie under the traces. They are drawn
// only across the area being painted (dashing a full-width line costs more
// than the rest of a strip repaint), starting on a whole number of dash
// periods so that the pattern stays put from one repaint to the next.
void ZrGraphPainter::paintTimeDomainLines(QPainter& p, const QRect& area)
{
    constexpr int period = 12;  // dash-dot-dot pattern; the dots' 3 divides it
    const int x0 = std::max(area.left() - area.left() % period, 0);
    const int x1 = std::min(area.right() + 1, width());
    if (ShowAutoScaleThreshold) {
        p.setPen(QPen(toQColor(foreColor_), 1, Qt::DashDotDotLine));
        int y = scale_.YOfCode(scale_.RescaleThresholdYBottom);
        p.drawLine(x0, y, x1, y);
        y = scale_.YOfCode(scale_.RescaleThresholdYTop);
        p.drawLine(x0, y, x1, y);
    }
    if (ShowMinMax) {
        p.setPen(QPen(toQColor(minMaxColor_), 1, Qt::DotLine));
        int y = scale_.YOfValue(OverallMax);
        p.drawLine(x0, y, x1, y);
        y = scale_.YOfValue(OverallMin);
        p.drawLine(x0, y, x1, y);
    }
}

void ZrGraphPainter::DataPointCh(std::uint32_t channel, std::int32_t code)
{
    if (!tape_) throw Exception("ZrGraphPainter::DataPointCh FZorTape is NULL!");
    tape_->DataPointCh(channel, code);
    if (viewMode_ == 1) {
        update();
        return;
    }
    if (viewMode_ == 2) return;
    if (viewMode_ == SpectrumViewMode) return refreshSpectrumIfDue();
    if (scale_.AutoScale &&
        (scale_.RescaleThresholdYBottom >= OverallMin || scale_.RescaleThresholdYTop <= OverallMax))
        DoAutoScale();
    if (tape_->ThisRecord() == 0) return;

    const int r = int(tape_->ThisRecord() - 1);
    const PainterScale& s = scale();
    const int x1 = s.XOf(r);
    const int x2 = truncToInt(x1 + s.XPixelsPerUnit() + 1.0);
    const int h = height();
    // The pen reaches a little past the strip's edges.
    const int pen = int(penWidth_);
    update(QRect(x1 - pen, 0, x2 - x1 + 2 * pen + 1, h));

    if (drawing_) {
        // A full redraw is paused in a yield: let it start over with this reading.
        restartDrawing_ = true;
    } else if (TraceBitmap.size() == size() && TraceMask.size() == size()) {
        TraceRaster raster(TraceBitmap, TraceMask);
        raster.clear(QRect(x1, 0, x2 - x1, h));
        raster.setPenWidth(int(penWidth_));
        auto& channels = tape_->Channels;
        for (int i = channels.Low(); channels.Count() > 0 && i <= channels.High(); ++i) {
            const GraphChannel& ch = channels[i];
            if (!ch.Enabled || ch.Data.Count() < 2 || !ch.PointInRecord) continue;
            raster.setColor(toQColor(ch.PlotColor).rgb());
            drawSegment(raster, ch, r, x2);
        }
    }
    // The strip walks every channel in use; the cursor channel ends on the last.
    if (tape_->Channels.Count() > 0) tape_->SetThisChannel(std::uint32_t(tape_->Channels.High()));
    QCoreApplication::processEvents();
}
