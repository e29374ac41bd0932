#include "PainterFixture.h"

namespace vx {

class TableViewTest : public PainterFixture {
protected:
    TableViewTest() : p(nullptr, 1, 64, clock) {
        p.resize(600, 400);
        p.ShowTable();
    }
    // The text at a position, or "" when nothing is drawn there.
    static QString textAt(const TableLayout& t, int x, int y) {
        for (const TableCell& c : t.cells)
            if (c.x == x && c.y == y) return c.text;
        return {};
    }
    ZrGraphPainter p;
};

// The table ignores the plot background: black text and row lines on the button face.
TEST_F(TableViewTest, ColumnListsStatisticsThenRecordsWithLabels) {
    feed(p, 0, {100, 102, 104});
    p.DisplayZorTape()->Channels[0].PlotColor = 0x00FF00;
    p.ShowMin = p.ShowMax = p.ShowSum = p.ShowSumSq = p.ShowRms = true;
    p.SetFirstVisibleTableRow(1);
    p.SetBackColor(0x0000FF);
    TableLayout t = p.LayOutTable();
    const int x = t.labelWidth, h = t.rowHeight;
    EXPECT_EQ(t.cells[0].color, 0x00FF00u) << "the heading in the channel's colour";
    // Every row on: the nine in their order, then the records from the first visible one.
    const char* labels[] = {"Min",  "Max",    "Span", "Sum",     "Sum(x*x)", "N",
                            "Mean", "StdDev", "Rms",  "Data[1]", "Data[2]",  ""};
    const char* values[] = {"100",        "104",      "4",          "306.0", "31220.0", "3",
                            "102.000000", "2.000000", "102.013071", "102",   "104",     ""};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(textAt(t, 0, (i + 1) * h), labels[i]) << i;
        EXPECT_EQ(textAt(t, x, (i + 1) * h), values[i]) << i;
    }
    EXPECT_EQ(t.separatorYs, (std::vector<int>{10 * h - 1, 11 * h - 1}));

    const QImage img = composed(p);
    EXPECT_EQ(img.pixel(p.width() - 1, 2), toQColor(ZrGraphPainter::clBtnFace).rgb());
    EXPECT_EQ(img.pixel(p.width() - 1, 10 * h - 1), qRgb(0, 0, 0));

    // Sub-LSB display: the heading, Min, Span and the first record as fractions.
    p.SetSubLsbs(2);
    t = p.LayOutTable();
    for (auto [row, text] : {std::pair{0, "Ch0/4.000000"}, {1, "25.000000"}, {3, "1.000000"}, {10, "25.500000"}})
        EXPECT_EQ(textAt(t, x, row * h), text) << row;
}

}  // namespace vx
