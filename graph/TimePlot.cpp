// The time-domain view: each enabled channel's codes against record number,
// drawn in full on a redraw and one strip at a time for live readings.
#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "graph/TraceRaster.h"
#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"
#include "support/Exceptions.h"

namespace vx {

namespace {

// A record the channel never reached reads as 0, like an untouched slot.
int codeAt(const OffsetArray<int>& data, int r) { return data.IsAllocated(r) ? data[r] : 0; }

}  // namespace

int ZrGraphPainter::yOf(std::int32_t code) const {
    if (subLsbs_ == 0) return scale_.YOfCode(code);
    return scale_.YOfValue(code / subLsbDivisor_);
}

// A short flat stub at the record's own value, then the line to the next one:
// a lone step stays visible even when records are less than a pixel apart.
void ZrGraphPainter::drawSegment(TraceRaster& raster, const GraphChannel& ch, int r, int x2) const {
    const int x1 = scale_.XOf(r);
    const int y1 = yOf(codeAt(ch.Data, r));
    raster.line(x1, y1, x1 + 1, y1);
    raster.line(x1 + 1, y1, x2, yOf(codeAt(ch.Data, r + 1)));
}

bool ZrGraphPainter::drawChannelTrace(TraceRaster& raster, const GraphChannel& ch, std::uint32_t& since) {
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
void ZrGraphPainter::paintTimeDomainLines(QPainter& p, const QRect& area) {
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

// A channel that has never held a value still has the colour the tape gives
// every new channel; its first value gives it the channel's standard colour.
bool ZrGraphPainter::isFirstData(std::uint32_t channel) const {
    const auto& channels = tape_->Channels;
    const int c = int(channel);
    if (channels.Count() == 0 || c < channels.Low() || c > channels.High()) return true;
    const GraphChannel& ch = std::as_const(channels)[c];
    return !ch.Enabled && ch.Data.Count() == 0 && ch.PlotColor == clRed;
}

void ZrGraphPainter::DataPointCh(std::uint32_t channel, std::int32_t code) {
    if (!tape_) throw Exception("ZrGraphPainter::DataPointCh FZorTape is NULL!");
    const bool first = isFirstData(channel);
    const auto write =
        stats_.Before(tape_->Channels, int(channel), tape_->ThisRecord(), tape_->NumRecords(), tape_->Wrap);
    const bool wasEnabled = !first && std::as_const(tape_->Channels)[int(channel)].Enabled;
    tape_->DataPointCh(channel, code);
    stats_.After(tape_->Channels, write, tape_->ThisRecord());
    GraphChannel& ch = tape_->Channels[int(channel)];
    if (first) ch.PlotColor = DefaultPlotColors[std::size_t(channel % DefaultPlotColors.size())];

    if (viewMode_ == 1) {
        frame_.Request();
        return;
    }
    if (viewMode_ == 2) return;
    if (viewMode_ == SpectrumViewMode) return refreshSpectrumIfDue();
    if (scale_.AutoScale && (scale_.RescaleThresholdYBottom >= OverallMin || scale_.RescaleThresholdYTop <= OverallMax))
        DoAutoScale();
    else if (!wasEnabled && ch.Data.Count() > 1)
        DrawTraces();  // switched on again: the whole channel was filled with this value
    else if (drawing_)
        restartDrawing_ = true;  // a full redraw is paused in a yield: it starts over with this reading
    else
        markWritten(tape_->ThisRecord());

    // Only records after the first have a strip; it walks every channel in
    // use, which leaves the cursor channel on the last one.
    if (tape_->ThisRecord() != 0 && tape_->Channels.Count() > 0)
        tape_->SetThisChannel(std::uint32_t(tape_->Channels.High()));
    // A loop that feeds many readings keeps the window alive, once a frame.
    if (frame_.Request()) QCoreApplication::processEvents();
}

std::pair<int, int> ZrGraphPainter::segmentColumns(int r) const {
    const int x1 = scale_.XOf(r);
    const int x2 = std::max(x1 + 1, truncToInt(x1 + scale_.XPixelsPerUnit()));
    const int pen = int(penWidth_ < 1 ? 1 : penWidth_);
    return {x1 - (pen - 1) / 2, x2 + pen / 2};
}

// Clears columns x0..x1 and draws there every segment that the full redraw
// would draw across them, in the same order: the strip then matches a redraw
// at any zoom, even when many records share a column.
void ZrGraphPainter::redrawColumns(TraceRaster& raster, int x0, int x1) {
    raster.setClipColumns(0, 0x7FFFFFFF);
    raster.clear(QRect(x0, 0, x1 - x0 + 1, height()));
    raster.setClipColumns(x0, x1);
    const double ppu = scale_.XPixelsPerUnit();
    const int pen = int(penWidth_ < 1 ? 1 : penWidth_);
    const int beyondRight = width() + int(penWidth_);
    // No segment that starts before this record reaches column x0.
    const double earliest = scale_.XLeft() + (x0 - ppu - pen - 3) / ppu;
    auto& channels = tape_->Channels;
    for (int i = channels.Low(); channels.Count() > 0 && i <= channels.High(); ++i) {
        const GraphChannel& ch = std::as_const(channels)[i];
        if (!ch.Enabled || ch.Data.Count() < 2) continue;
        raster.setColor(toQColor(ch.PlotColor).rgb());
        int r = ch.Data.Low();
        if (earliest > r) r = int(std::min<double>(earliest, ch.Data.High()));
        for (; r < ch.Data.High(); ++r) {
            const auto [left, right] = segmentColumns(r);
            if (left > x1) break;
            const int sx1 = scale_.XOf(r);
            if (sx1 > beyondRight) break;
            const int sx2 = truncToInt(sx1 + ppu);
            if (right >= x0 && sx1 >= 0 && sx2 >= 0) drawSegment(raster, ch, r, sx2);
        }
    }
    raster.setClipColumns(0, 0x7FFFFFFF);
}

// Readings fill the tape record by record, so what waits for the next frame
// is one run of records (two after the tape wraps).
void ZrGraphPainter::markWritten(std::uint32_t record) {
    if (!pendingRecords_.empty()) {
        auto& [first, last] = pendingRecords_.back();
        if (record >= first && record <= last + 1) {
            last = std::max(last, record);
            return;
        }
    }
    pendingRecords_.push_back({record, record});
}

QRect ZrGraphPainter::DrawLiveStrips() {
    if (pendingRecords_.empty() || !tape_) return {};
    if (drawing_ || TraceBitmap.size() != size() || TraceMask.size() != size() || pendingRecords_.size() > 64) {
        if (!drawing_) DrawTraces();
        pendingRecords_.clear();
        return rect();
    }
    scale();  // brings the scale up to the current size
    // A written record changes the segments on either side of it.
    std::vector<std::pair<int, int>> columns;
    for (const auto& [first, last] : pendingRecords_) {
        const int r = int(first);
        columns.push_back({segmentColumns(r > 0 ? r - 1 : r).first, segmentColumns(int(last)).second});
    }
    pendingRecords_.clear();
    std::sort(columns.begin(), columns.end());
    TraceRaster raster(TraceBitmap, TraceMask);
    raster.setPenWidth(int(penWidth_));
    QRect area;
    for (std::size_t k = 0; k < columns.size();) {
        auto [x0, x1] = columns[k];
        for (++k; k < columns.size() && columns[k].first <= x1 + 1; ++k) x1 = std::max(x1, columns[k].second);
        x0 = std::max(x0, 0);
        x1 = std::min(x1, width() - 1);
        if (x0 > x1) continue;
        redrawColumns(raster, x0, x1);
        area |= QRect(x0, 0, x1 - x0 + 1, height());
    }
    return area;
}

void ZrGraphPainter::showFrame() {
    if (viewMode_ == 1) {
        update();
        return;
    }
    const QRect area = DrawLiveStrips();
    if (!area.isEmpty()) update(area);
}

// Printing draws with the same mapping as the screen but without rounding to
// screen pixels, so that a printer's dots make fine lines.
void ZrGraphPainter::Print(QPainter& p, const QRectF& target) {
    if (width() <= 0 || height() <= 0) return;
    p.save();
    p.translate(target.topLeft());
    p.scale(target.width() / width(), target.height() / height());
    const QRectF plot(0, 0, width(), height());
    if (viewMode_ != 0 || !tape_) {
        p.drawImage(plot, grab().toImage());
        p.restore();
        return;
    }
    const PainterScale& s = scale();
    p.setClipRect(plot);
    p.fillRect(plot, toQColor(backColor_));
    p.setPen(QPen(toQColor(foreColor_), 0.5));
    for (int y = height(); y >= 0; y -= s.GridSize()) p.drawLine(QLineF(0, y, width(), y));
    for (int x = 0; x < width(); x += s.GridSize()) p.drawLine(QLineF(x, 0, x, height()));
    const double xpp = s.XPixelsPerUnit(), ypp = s.YPixelsPerUnit();
    auto xOf = [&](double record) { return (record - s.XLeft()) * xpp; };
    auto yOf = [&](double value) { return height() - (value - s.YBottom()) * ypp; };
    p.setPen(QPen(toQColor(foreColor_), double(penWidth_)));
    p.drawLine(QLineF(xOf(0), 0, xOf(0), height()));
    p.drawLine(QLineF(0, yOf(0), width(), yOf(0)));
    if (ShowMinMax) {
        p.setPen(QPen(toQColor(minMaxColor_), 0.5, Qt::DotLine));
        for (double v : {OverallMin, OverallMax}) p.drawLine(QLineF(0, yOf(v), width(), yOf(v)));
    }
    auto& channels = tape_->Channels;
    for (int i = channels.Low(); channels.Count() > 0 && i <= channels.High(); ++i) {
        const GraphChannel& ch = std::as_const(channels)[i];
        if (!ch.Enabled || ch.Data.Count() < 2) continue;
        const double divisor = subLsbs_ == 0 ? 1.0 : subLsbDivisor_;
        QPolygonF line;
        for (int r = ch.Data.Low(); r <= ch.Data.High(); ++r)
            line << QPointF(xOf(r), yOf((ch.Data.IsAllocated(r) ? ch.Data[r] : 0) / divisor));
        p.setPen(QPen(toQColor(ch.PlotColor), 0.6 * double(penWidth_), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(line);
    }
    p.setClipping(false);
    p.setPen(QPen(toQColor(foreColor_), 0.5));
    p.drawRect(plot);
    p.restore();
}

}  // namespace vx
