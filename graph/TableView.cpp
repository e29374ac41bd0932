// The table view: one column per enabled channel with data, a block of
// statistics rows, then one row per record from the first visible one.
#include <QPainter>

#include "graph/SpectrumView.h"
#include "graph/ZrGraphPainter.h"

namespace vx {

namespace {

struct StatisticsRow {
    const char* label;
    bool ZrGraphPainter::*shown;
    // Formats the row's value for a channel; fractional is true under sub-LSB display.
    QString (*format)(const GraphChannel& ch, bool fractional);
};

QString wholeOrFraction(double v, bool fractional) { return QString::asprintf(fractional ? "%1.6f" : "%1.0f", v); }

const StatisticsRow statisticsRows[] = {
    {"Min", &ZrGraphPainter::ShowMin, [](const GraphChannel& c, bool f) { return wholeOrFraction(c.Min, f); }},
    {"Max", &ZrGraphPainter::ShowMax, [](const GraphChannel& c, bool f) { return wholeOrFraction(c.Max, f); }},
    {"Span", &ZrGraphPainter::ShowSpan,
     [](const GraphChannel& c, bool f) { return wholeOrFraction(c.Max - c.Min, f); }},
    {"Sum", &ZrGraphPainter::ShowSum, [](const GraphChannel& c, bool) { return QString::asprintf("%1.1f", c.Sum); }},
    {"Sum(x*x)", &ZrGraphPainter::ShowSumSq,
     [](const GraphChannel& c, bool) { return QString::asprintf("%1.1f", c.SumSq); }},
    {"N", &ZrGraphPainter::ShowN, [](const GraphChannel& c, bool) { return QString::asprintf("%d", c.Data.Count()); }},
    {"Mean", &ZrGraphPainter::ShowMean, [](const GraphChannel& c, bool) { return QString::asprintf("%1.6f", c.Mean); }},
    {"StdDev", &ZrGraphPainter::ShowStdDev,
     [](const GraphChannel& c, bool) { return QString::asprintf("%1.6f", c.StdDev); }},
    {"Rms", &ZrGraphPainter::ShowRms, [](const GraphChannel& c, bool) { return QString::asprintf("%1.6f", c.Rms); }},
};

constexpr TColor black = 0x000000;

}  // namespace

TableLayout ZrGraphPainter::LayOutTable() {
    TableLayout t;
    const QFontMetrics fm(font());
    t.columnWidth = fm.horizontalAdvance(QStringLiteral("+4888888888")) + 2;
    t.rowHeight = fm.height() + 2;
    t.labelWidth = fm.horizontalAdvance(QStringLiteral("Data[8192] "));
    if (!tape_ || tape_->Channels.Count() == 0) return t;

    const int h = height();
    bool labelsDrawn = false;
    int x = t.labelWidth;
    auto& channels = tape_->Channels;
    for (int i = channels.Low(); i <= channels.High(); ++i) {
        GraphChannel& ch = channels[i];
        if (!ch.Enabled) continue;
        ComputeMinMax(ch);
        ComputeStats(ch);
        const OffsetArray<int>& data = ch.Data;
        if (data.Count() == 0) continue;

        const QString heading =
            ch.SubLsbs == 0 ? QString::asprintf("Channel %d", i) : QString::asprintf("Ch%d/%f", i, subLsbDivisor_);
        t.cells.push_back({x, 0, heading, ch.PlotColor});

        int y = t.rowHeight;
        for (const StatisticsRow& row : statisticsRows) {
            if (!(this->*row.shown)) continue;
            t.cells.push_back({x, y, row.format(ch, ch.SubLsbs != 0), black});
            y += t.rowHeight;
        }
        if (ShowNoise)
            for (const std::string& text : NoiseRowTexts(SteadyFiguresOf(ch, subLsbDivisor_, spectrum_->codeSpan))) {
                t.cells.push_back({x, y, QString::fromStdString(text), black});
                y += t.rowHeight;
            }
        const int dataTop = y - t.rowHeight;
        y = dataTop;
        for (int r = data.Low(); r <= data.High(); ++r) {
            if (r < firstVisibleTableRow_) continue;
            y += t.rowHeight;
            if (y > h) break;
            const QString text =
                subLsbs_ == 0 ? QString::asprintf("%d", data[r]) : QString::asprintf("%f", data[r] / subLsbDivisor_);
            t.cells.push_back({x, y, text, black});
            t.separatorYs.push_back(y - 1);
        }
        x += t.columnWidth;

        if (!labelsDrawn) {
            y = t.rowHeight;
            for (const StatisticsRow& row : statisticsRows) {
                if (!(this->*row.shown)) continue;
                t.cells.push_back({0, y, QString::fromLatin1(row.label), black});
                y += t.rowHeight;
            }
            for (const char* label : NoiseRowLabels) {
                if (!ShowNoise) break;
                t.cells.push_back({0, y, QString::fromLatin1(label), black});
                y += t.rowHeight;
            }
            y -= t.rowHeight;
            for (int r = data.Low(); r <= data.High(); ++r) {
                if (r < firstVisibleTableRow_) continue;
                y += t.rowHeight;
                if (y > h) break;
                t.cells.push_back({0, y, QString::asprintf("Data[%d]", r), black});
            }
            labelsDrawn = true;
        }
    }
    return t;
}

// Drawn straight onto the widget at every paint, always on the button-face colour.
void ZrGraphPainter::paintTable(QPainter& p) {
    const int w = width();
    p.fillRect(0, 0, w, height(), toQColor(clBtnFace));
    const TableLayout t = LayOutTable();
    p.setFont(font());
    const int ascent = QFontMetrics(font()).ascent();
    for (const TableCell& c : t.cells) {
        p.setPen(toQColor(c.color));
        p.drawText(c.x, c.y + ascent, c.text);
    }
    p.setPen(QPen(Qt::black, 1));
    for (int y : t.separatorYs) p.drawLine(0, y, w - 1, y);
}

}  // namespace vx
