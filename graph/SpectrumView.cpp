// The spectrum view: the current channel's spectrum in dBFS against frequency,
// on a grid labelled in round frequencies and decibels, with the fundamental
// and its harmonics marked and the figures listed over the plot. The x unit
// of the painter's scale is one bin and the y unit one dB, so pan and zoom
// work on it as on the time plot.
#include "graph/SpectrumView.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "graph/TraceRaster.h"
#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"

namespace vx {

namespace {

// The smallest of 1, 2, 5 x 10^n not below v.
double niceStep(double v) {
    const double decade = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= v) return m * decade;
    return 10 * decade;
}

constexpr int LabelGap = 3;

}  // namespace

SpectrumView& ZrGraphPainter::Spectrum() { return *spectrum_; }

// The current channel when it is on and has records, else the first such one.
int ZrGraphPainter::spectrumChannel() const {
    if (!tape_ || tape_->Channels.Count() == 0) return -1;
    const auto& channels = tape_->Channels;
    const int current = int(tape_->ThisChannel());
    auto usable = [&](int i) {
        return i >= channels.Low() && i <= channels.High() && channels[i].Enabled && channels[i].Data.Count() > 0;
    };
    if (usable(current)) return current;
    for (int i = channels.Low(); i <= channels.High(); ++i)
        if (usable(i)) return i;
    return -1;
}

void ZrGraphPainter::analyseSpectrum() {
    const int channel = spectrumChannel();
    spectrum_->setChannel(channel);
    if (channel < 0)
        spectrum_->clear();
    else
        spectrum_->analyse(tape_->Channels[channel], subLsbDivisor_);
    spectrumRefreshedAt_ = clock_.ticks();
}

void ZrGraphPainter::ShowSpectrum() {
    viewMode_ = SpectrumViewMode;
    setMouseTracking(true);
    analyseSpectrum();
    HomeSpectrum();
}

// Every bin across the width; from 10 dB above full scale down past the
// lowest bin.
void ZrGraphPainter::HomeSpectrum() {
    if (viewMode_ != SpectrumViewMode) return;
    const SpectrumResult& r = spectrum_->result();
    double lowest = -120;
    for (std::size_t k = 1; k < r.dbfs.size(); ++k) lowest = std::min(lowest, r.dbfs[k]);
    PainterScale& s = scale();
    s.SetXLeft(0);
    s.SetXRight(std::max(int(r.dbfs.size()) - 1, 1));
    s.SetYBottom(int(std::floor(std::max(lowest, -200.0) / 20)) * 20);
    s.SetYTop(10);
    s.SetYBottom(s.YBottom() - (s.YTop() - 10));  // whole dB per square leave room: give it to the bottom
    redrawTraces();
}

void ZrGraphPainter::refreshSpectrumIfDue() {
    // Live readings arrive hundreds a second; a new spectrum twice a second is plenty.
    if (clock_.ticks() - spectrumRefreshedAt_ < 500) return;
    redrawTraces();
}

double ZrGraphPainter::spectrumXOf(double bin) const { return (bin - scale_.XLeft()) * scale_.XPixelsPerUnit(); }

void ZrGraphPainter::buildSpectrumBackground() {
    const int w = width(), h = height();
    BackgroundBitmap.fill(toQColor(backColor_));
    QPainter p(&BackgroundBitmap);
    p.setPen(QPen(toQColor(foreColor_), 1));
    p.drawRect(0, 0, w - 1, h - 1);
    const PainterScale& s = scale();
    const QFontMetrics fm(font());
    p.setFont(font());

    const double dbStep = niceStep(3.0 * fm.height() / s.YPixelsPerUnit());
    for (double db = std::ceil(s.YBottom() / dbStep) * dbStep; db <= s.YTop(); db += dbStep) {
        const int y = s.YOfValue(db);
        p.drawLine(0, y, w, y);
        // The bottom row belongs to the frequency labels.
        if (y < h - fm.height() - LabelGap) p.drawText(LabelGap, y - LabelGap, QString::asprintf("%g dBFS", db));
    }
    const double binWidth = spectrum_->result().binWidth;
    if (binWidth <= 0) return;
    const double pixelsPerUnit = s.XPixelsPerUnit() / binWidth;
    const double fStep = niceStep(fm.horizontalAdvance(QStringLiteral("0.000000 cycles/sample")) / pixelsPerUnit);
    const double fLeft = s.XLeft() * binWidth, fRight = (s.XLeft() + w / s.XPixelsPerUnit()) * binWidth;
    for (double f = std::max(std::ceil(fLeft / fStep) * fStep, 0.0); f <= fRight; f += fStep) {
        const int x = int(spectrumXOf(f / binWidth));
        p.drawLine(x, 0, x, h);
        p.drawText(x + LabelGap, h - LabelGap, QString::fromStdString(spectrum_->frequencyText(f)));
    }
}

bool ZrGraphPainter::drawSpectrumTrace(TraceRaster& raster) {
    analyseSpectrum();
    const SpectrumResult& r = spectrum_->result();
    if (!r.valid) return true;
    raster.setColor(toQColor(tape_->Channels[spectrum_->channel()].PlotColor).rgb());
    const PainterScale& s = scale();
    const int w = width(), h = height();
    // Bins left of the view or far below it are clamped, not dropped, so the trace stays joined.
    auto yOf = [&](double db) { return std::clamp(s.YOfValue(db), -1, h + 1); };
    const int first = std::max(s.XLeft(), 0);
    int x1 = s.XOf(first), y1 = yOf(r.dbfs[std::size_t(std::min<int>(first, int(r.dbfs.size()) - 1))]);
    for (int k = first + 1; k < int(r.dbfs.size()); ++k) {
        const int x2 = s.XOf(k), y2 = yOf(r.dbfs[std::size_t(k)]);
        raster.line(x1, y1, x2, y2);
        if (x2 > w) break;
        x1 = x2;
        y1 = y2;
    }
    return true;
}

void ZrGraphPainter::paintSpectrumOverlay(QPainter& p) {
    const SpectrumResult& r = spectrum_->result();
    const QFontMetrics fm(font());
    p.setFont(font());
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (r.valid) {
        // Markers: the fundamental "F" and the harmonics "2".."6" above their lines.
        p.setPen(Qt::black);
        auto mark = [&](const SpectralLine& line, const QString& label) {
            const int x = int(spectrumXOf(line.frequency / r.binWidth));
            const std::size_t bin = std::min(std::size_t(std::lround(line.frequency / r.binWidth)), r.dbfs.size() - 1);
            const int y = std::max(scale_.YOfValue(r.dbfs[bin]) - 4, fm.height() + 6);
            p.drawLine(x, y, x - 3, y - 5);
            p.drawLine(x, y, x + 3, y - 5);
            p.drawText(x - fm.horizontalAdvance(label) / 2, y - 7, label);
        };
        mark(r.fundamental, QStringLiteral("F"));
        for (std::size_t i = 0; i < r.harmonics.size(); ++i)
            if (r.harmonics[i].counted) mark(r.harmonics[i], QString::number(i + 2));
    }
    std::vector<QString> lines;
    for (const std::string& line : spectrum_->figureLines()) lines.push_back(QString::fromStdString(line));
    const QString readout = SpectrumReadout(mouseAt_.x());
    if (!readout.isEmpty()) lines.push_back(readout);
    int textWidth = 0;
    for (const QString& line : lines) textWidth = std::max(textWidth, fm.horizontalAdvance(line));
    const QRect box(width() - textWidth - 4 * LabelGap, LabelGap, textWidth + 2 * LabelGap,
                    int(lines.size()) * fm.height() + 2 * LabelGap);
    p.fillRect(box, QColor(255, 255, 255, 220));
    p.setPen(Qt::black);
    p.drawRect(box);
    int y = box.top() + LabelGap + fm.ascent();
    for (const QString& line : lines) {
        p.drawText(box.left() + LabelGap, y, line);
        y += fm.height();
    }
}

QString ZrGraphPainter::SpectrumReadout(int x) const {
    const SpectrumResult& r = spectrum_->result();
    if (!r.valid || x < 0 || x >= width()) return {};
    const double bin = scale_.XLeft() + x / scale_.XPixelsPerUnit();
    const long nearest = std::lround(bin);
    if (nearest < 0 || nearest >= long(r.dbfs.size())) return {};
    return QString::fromStdString("Cursor " + spectrum_->frequencyText(double(nearest) * r.binWidth)) +
           QString::asprintf(", %.2f dBFS", r.dbfs[std::size_t(nearest)]);
}

void ZrGraphPainter::spectrumMouseMoved(const QPoint& at) {
    mouseAt_ = at;
    update();
}

}  // namespace vx
