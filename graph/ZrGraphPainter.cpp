#include "graph/ZrGraphPainter.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <algorithm>

#include "graph/SpectrumView.h"
#include "graph/TraceRaster.h"
#include "platform/Clock.h"
#include "support/Exceptions.h"

namespace vx {

namespace {

// Watches the application for its quit request, so that long drawing loops
// can stop in the middle of a yield. It lives and dies with the application.
class QuitWatcher : public QObject {
public:
    explicit QuitWatcher(QObject* app) : QObject(app) { app->installEventFilter(this); }
    bool seen = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Quit) seen = true;
        return false;
    }
};

// Channel numbers are never negative in practice; keep the index in range anyway.
std::size_t colourSlot(int channel) { return std::size_t((channel % 10 + 10) % 10); }

// Qt hands raster-op blends of more than 95 rows to its thread pool; for the
// narrow strip of a live reading the hand-over costs a hundred times the
// blend itself. Bands of 64 rows stay on this thread.
void drawInBands(QPainter& p, const QRect& area, const QImage& image) {
    constexpr int band = 64;
    for (int y = area.top(); y <= area.bottom(); y += band) {
        const QRect part(area.left(), y, area.width(), std::min(band, area.bottom() + 1 - y));
        p.drawImage(part, image, part);
    }
}

}  // namespace

bool AppTerminating() {
    static QPointer<QuitWatcher> watcher;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QCoreApplication::closingDown()) return true;
    if (!watcher) watcher = new QuitWatcher(app);
    return watcher->seen;
}

QColor toQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

FramePacer::FramePacer(QWidget& widget, Clock& clock, std::function<void()> show)
    : widget_(widget), clock_(clock), show_(std::move(show)), last_(clock.ticks() - 1000) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        const std::uint32_t since = clock_.ticks() - last_;
        if (since >= frameMs())
            Flush();
        else
            timer_.start(int(frameMs() - since));
    });
}

std::uint32_t FramePacer::frameMs() const {
    const QScreen* s = widget_.screen();
    const double rate = s && s->refreshRate() > 1 ? s->refreshRate() : 60.0;
    return std::max<std::uint32_t>(1, std::uint32_t(1000.0 / rate));
}

bool FramePacer::Request() {
    pending_ = true;
    const std::uint32_t since = clock_.ticks() - last_;
    if (since >= frameMs()) {
        Flush();
        return true;
    }
    if (!timer_.isActive()) timer_.start(int(frameMs() - since));
    return false;
}

void FramePacer::Flush() {
    timer_.stop();
    if (!pending_) return;
    pending_ = false;
    last_ = clock_.ticks();
    show_();
}

ZrGraphPainter::ZrGraphPainter(QWidget* parent, int a, std::uint32_t b) : ZrGraphPainter(parent, a, b, realClock()) {}

ZrGraphPainter::ZrGraphPainter(QWidget* parent, int a, std::uint32_t b, Clock& clock)
    : QWidget(parent),
      clock_(clock),
      ownTape_(std::make_unique<TZorTape>(a, b)),
      tape_(ownTape_.get()),
      spectrum_(std::make_unique<SpectrumView>()),
      frame_(*this, clock, [this] { showFrame(); }) {
    AppTerminating();  // starts watching for the quit request
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    resize(150, 150);
    BuildBackground();
    DrawTraces();
}

ZrGraphPainter::~ZrGraphPainter() = default;

PainterScale& ZrGraphPainter::scale() const {
    scale_.Width = width();
    scale_.Height = height();
    return scale_;
}

void ZrGraphPainter::apply(unsigned effects) {
    if (effects != ScaleNone) emit scaleChanged();
    if (effects & ScaleAutoScale) DoAutoScale();
    if (effects & ScaleBackground) BuildBackground();
    if (effects & ScaleRedraw)
        redrawTraces();
    else if (effects & ScaleInvalidate)
        update();
}

void ZrGraphPainter::redrawTraces() {
    if (viewMode_ == SpectrumViewMode) BuildBackground();  // its labels follow the scale
    DrawTraces();
    update();
}

// --- view

void ZrGraphPainter::ShowTimeDomain() {
    ++viewCommands_;
    if (viewMode_ != 0) {
        viewMode_ = 0;
        DrawTraces();
    }
    update();
}

void ZrGraphPainter::ShowTable() {
    ++viewCommands_;
    viewMode_ = 1;
    update();
}

void ZrGraphPainter::Redraw() {
    redrawTraces();
    if (scale_.AutoScaled && OnScaleChange) OnScaleChange(this);
}

// --- tape

void ZrGraphPainter::SetDisplayZorTape(TZorTape* tape) {
    if (tape == tape_) return;
    tape_ = tape;
    stats_.Invalidate();
    redrawTraces();
}

int ZrGraphPainter::GetNumChannels() const { return tape_ ? tape_->GetNumChannels() : 0; }

void ZrGraphPainter::SetNumChannels(int n) {
    if (!tape_ || tape_->Channels.Capacity() >= n) return;
    auto& channels = tape_->Channels;
    tape_->SetNumChannels(n);
    int first = channels.Low();
    for (int i = first; i < first + n; ++i) {
        GraphChannel& ch = channels[i];
        if (ch.Data.Count() == 0) {
            ch.Data.ReserveRight(int(tape_->NumRecords()));
            ch.PlotColor = DefaultPlotColors[colourSlot(i)];
        }
    }
}

std::uint32_t ZrGraphPainter::NumRecords() const {
    if (!tape_) throw PlainTextError("ZrGraphPainter::GetNumRecords no ZorTape");
    return tape_->NumRecords();
}

void ZrGraphPainter::SetNumRecords(std::uint32_t n) {
    if (!tape_) throw PlainTextError("ZrGraphPainter::SetNumRecords no ZorTape");
    tape_->SetNumRecords(n);
    stats_.Invalidate();
}

std::uint32_t ZrGraphPainter::ThisChannel() const {
    if (!tape_) throw PlainTextError("ZrGraphPainter::GetThisChannel no ZorTape");
    return tape_->ThisChannel();
}

void ZrGraphPainter::SetThisChannel(std::uint32_t n) {
    if (!tape_) throw PlainTextError("ZrGraphPainter::SetThisChannel no ZorTape");
    tape_->SetThisChannel(n);
}

std::uint32_t ZrGraphPainter::ThisRecord() const {
    if (!tape_) throw PlainTextError("ZrGraphPainter::GetThisRecord no ZorTape");
    return tape_->ThisRecord();
}

void ZrGraphPainter::SetThisRecord(std::uint32_t n) {
    if (!tape_) throw PlainTextError("ZrGraphPainter::SetThisRecord no ZorTape");
    tape_->SetThisRecord(n);
}

TColor ZrGraphPainter::GetThisPlotColor() const {
    if (!tape_) throw PlainTextError("ZrGraphPainter::GetThisPlotColor no ZorTape");
    return tape_->GetPlotColor();
}

void ZrGraphPainter::SetThisPlotColor(TColor c) {
    if (!tape_) throw PlainTextError("ZrGraphPainter::SetThisPlotColor no ZorTape");
    tape_->SetPlotColor(c);
}

void ZrGraphPainter::ResetPlotColors() {
    if (!tape_) return;
    auto& channels = tape_->Channels;
    if (channels.Count() == 0) return;
    for (int i = channels.Low(); i <= channels.High(); ++i) channels[i].PlotColor = DefaultPlotColors[colourSlot(i)];
}

void ZrGraphPainter::ClearData() {
    if (!tape_) return;
    tape_->ResetCursor();
    stats_.Invalidate();
    auto& channels = tape_->Channels;
    if (channels.Count() > 0) {
        for (int i = channels.Low(); i <= channels.High(); ++i) {
            GraphChannel& ch = channels[i];
            ch.Data.Reset();
            ch.Histogram.Reset();
            ch.PointInRecord = false;
            ch.Min = ch.Max = ch.Sum = ch.SumSq = ch.Mean = ch.StdDev = ch.Rms = 0;
        }
    }
    Redraw();
}

void ZrGraphPainter::ComputeOverallMinMax() {
    if (tape_) stats_.OverallMinMax(*this, tape_->Channels);
}

void ZrGraphPainter::ComputeOverallStats() {
    if (tape_) stats_.OverallStats(*this, tape_->Channels);
}

void ZrGraphPainter::ComputeChannelMinMax(std::uint32_t channel) {
    if (tape_) stats_.ChannelMinMax(tape_->Channels[int(channel)], int(channel));
}

// --- scales

void ZrGraphPainter::SetGridSize(int v) { apply(scale().SetGridSize(v)); }
void ZrGraphPainter::SetXScale(int v) { apply(scale().SetXScale(v)); }
void ZrGraphPainter::SetYScale(int v) { apply(scale().SetYScale(v)); }
void ZrGraphPainter::SetXLeft(int v) { apply(scale().SetXLeft(v)); }
void ZrGraphPainter::SetYBottom(int v) { apply(scale().SetYBottom(v)); }
void ZrGraphPainter::SetXRight(int v) { apply(scale().SetXRight(v)); }
void ZrGraphPainter::SetYTop(int v) { apply(scale().SetYTop(v)); }
void ZrGraphPainter::SetAutoScale(bool on) { apply(scale().SetAutoScale(on)); }

void ZrGraphPainter::DoAutoScale() {
    if (!tape_) return;
    if (viewMode_ == SpectrumViewMode) return HomeSpectrum();
    ComputeOverallMinMax();
    scale().DoAutoScale(OverallMin, OverallMax, tape_->RecordsUsed());
    emit scaleChanged();
    Redraw();
}

// --- colours, pen, sub-LSB display

void ZrGraphPainter::SetForeColor(TColor c) {
    if (c == foreColor_) return;
    foreColor_ = c;
    BuildBackground();
    redrawTraces();
}

void ZrGraphPainter::SetBackColor(TColor c) {
    if (c == backColor_) return;
    backColor_ = c;
    BuildBackground();
    redrawTraces();
}

void ZrGraphPainter::SetMinMaxColor(TColor c) {
    if (c == minMaxColor_) return;
    minMaxColor_ = c;
    if (ShowMinMax) {
        BuildBackground();
        redrawTraces();
    }
}

void ZrGraphPainter::SetPenWidth(long w) {
    if (w == penWidth_) return;
    penWidth_ = w;
    redrawTraces();
}

void ZrGraphPainter::SetSubLsbs(int n) {
    subLsbs_ = n;
    subLsbDivisor_ = SubLsbDivisorFor(n);
    if (!tape_) return;
    auto& channels = tape_->Channels;
    if (channels.Count() == 0) return;
    for (int i = channels.Low(); i <= channels.High(); ++i) channels[i].SetSubLsbs(n);
}

void ZrGraphPainter::SetFirstVisibleTableRow(int row) {
    firstVisibleTableRow_ = row;
    if (viewMode_ == 1) update();
}

// --- drawing

// The grid is anchored at the bottom-left corner: it does not move when the
// plot is panned.
void ZrGraphPainter::BuildBackground() {
    const int w = width(), h = height();
    if (BackgroundBitmap.size() != size()) BackgroundBitmap = QImage(size(), QImage::Format_RGB32);
    spectrumBackground_ = viewMode_ == SpectrumViewMode;
    if (w <= 0 || h <= 0) return;
    if (spectrumBackground_) return buildSpectrumBackground();
    BackgroundBitmap.fill(toQColor(backColor_));
    QPainter p(&BackgroundBitmap);
    p.setPen(QPen(toQColor(foreColor_), 1));
    p.drawRect(0, 0, w - 1, h - 1);
    const int grid = scale().GridSize();
    for (int y = h; y >= 0; y -= grid) p.drawLine(0, y, w, y);
    for (int x = 0; x < w; x += grid) p.drawLine(x, 0, x, h);
}

void ZrGraphPainter::DrawTraces() {
    if (drawing_) {
        // Called from inside a yield of a pass under way: that pass starts over.
        restartDrawing_ = true;
        return;
    }
    drawing_ = true;
    do {
        restartDrawing_ = false;
    } while (!drawTracePass() && restartDrawing_ && !AppTerminating());
    drawing_ = false;
}

bool ZrGraphPainter::drawTracePass() {
    if (TraceBitmap.size() != size()) TraceBitmap = QImage(size(), QImage::Format_RGB32);
    if (TraceMask.size() != size()) TraceMask = QImage(size(), QImage::Format_RGB32);
    TraceBitmap.fill(Qt::black);
    TraceMask.fill(Qt::white);
    pendingRecords_.clear();
    if (!tape_ || width() <= 0 || height() <= 0) return true;

    TraceRaster raster(TraceBitmap, TraceMask);
    raster.setPenWidth(int(penWidth_));
    if (viewMode_ == SpectrumViewMode) return drawSpectrumTrace(raster);
    std::uint32_t since = clock_.ticks();
    auto& channels = tape_->Channels;
    if (channels.Count() == 0) return true;
    for (int i = channels.Low(); i <= channels.High(); ++i) {
        const GraphChannel& ch = channels[i];
        if (!ch.Enabled) continue;
        raster.setColor(toQColor(ch.PlotColor).rgb());
        bool done = true;
        if (viewMode_ == 0)
            done = drawChannelTrace(raster, ch, since);
        else if (viewMode_ == 2)
            done = drawChannelBars(raster, ch, since);
        if (!done) return false;
    }
    return true;
}

bool ZrGraphPainter::yieldIfDue(std::uint32_t& since, TraceRaster& raster) {
    if (clock_.ticks() - since <= 1000) return true;
    QCoreApplication::processEvents();
    if (AppTerminating() || restartDrawing_) return false;
    raster.attach();
    since = clock_.ticks();
    return true;
}

// Only the area asked for is copied: a live reading repaints a narrow strip.
void ZrGraphPainter::Compose(QPainter& p, const QRect& area) {
    if (BackgroundBitmap.size() != size() || spectrumBackground_ != (viewMode_ == SpectrumViewMode)) BuildBackground();
    if (TraceBitmap.size() != size() || TraceMask.size() != size()) {
        if (scale_.AutoScale) DoAutoScale();
        DrawTraces();
    }
    DrawLiveStrips();
    const PainterScale& s = scale();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(area, BackgroundBitmap, area);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QPen(toQColor(foreColor_), qreal(penWidth_ + 1)));
    const int x0 = s.XOf(0), y0 = s.YOfCode(0);
    p.drawLine(x0, 0, x0, height());
    p.drawLine(std::max(area.left() - 2, 0), y0, std::min(area.right() + 2, width()), y0);
    if (viewMode_ == 0) paintTimeDomainLines(p, area);
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    drawInBands(p, area, TraceMask);
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    drawInBands(p, area, TraceBitmap);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void ZrGraphPainter::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    switch (viewMode_) {
    case 0:
    case 2: Compose(p, event->rect()); break;
    case 1: paintTable(p); break;
    case SpectrumViewMode:
        Compose(p, event->rect());
        paintSpectrumOverlay(p);
        break;
    default: break;
    }
    if (!progressText_.isEmpty()) {
        const QFontMetrics fm(font());
        const int tw = fm.horizontalAdvance(progressText_), th = fm.height();
        const QRect r((width() - tw) / 2, (height() - th) / 2, tw, th);
        p.fillRect(r, toQColor(clBtnFace));
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignLeft | Qt::AlignTop, progressText_);
    }
}

void ZrGraphPainter::mousePressEvent(QMouseEvent* e) { e->accept(); }

void ZrGraphPainter::mouseMoveEvent(QMouseEvent* e) {
    if (viewMode_ == SpectrumViewMode) spectrumMouseMoved(e->position().toPoint());
    QWidget::mouseMoveEvent(e);
}

void ZrGraphPainter::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    emit mouseUp(e->button(), e->modifiers(), pos.x(), pos.y());
    if (rect().contains(pos)) emit clicked();
}

}  // namespace vx
