#include <QFontMetrics>

#include "PainterFixture.h"

namespace {

// The text at a position, or "" when nothing is drawn there.
QString textAt(const TableLayout& t, int x, int y)
{
    for (const TableCell& c : t.cells)
        if (c.x == x && c.y == y) return c.text;
    return {};
}

}  // namespace

class TableViewTest : public PainterFixture {
protected:
    TableViewTest() : p(nullptr, 1, 64, clock)
    {
        p.resize(600, 400);
        p.ShowTable();
    }
    void feed(int channel, std::initializer_list<int> codes, int first = 0)
    {
        auto& ch = p.DisplayZorTape()->Channels[channel];
        int r = first;
        for (int c : codes) ch.Data[r++] = c;
        ch.Enabled = true;
    }
    ZrGraphPainter p;
};

TEST_F(TableViewTest, ColumnListsStatisticsThenRecordsWithLabels)
{
    feed(0, {100, 102, 104});
    p.DisplayZorTape()->Channels[0].PlotColor = 0x00FF00;
    TableLayout t = p.LayOutTable();
    const int x = t.labelWidth, h = t.rowHeight;
    ASSERT_EQ(t.cells.size(), 1u + 4 + 3 + 4 + 3);
    EXPECT_EQ(t.cells[0].text, "Channel 0");
    EXPECT_EQ(t.cells[0].color, 0x00FF00u);
    EXPECT_EQ(textAt(t, 0, 5 * h), "Data[0]");  // the records under Span, N, Mean, StdDev
    EXPECT_EQ(textAt(t, x, 7 * h), "104");
    EXPECT_EQ(t.separatorYs, (std::vector<int>{5 * h - 1, 6 * h - 1, 7 * h - 1}));

    // Every row on: the nine in their order; the records from the first visible one.
    p.ShowMin = p.ShowMax = p.ShowSum = p.ShowSumSq = p.ShowRms = true;
    p.SetFirstVisibleTableRow(2);
    t = p.LayOutTable();
    const char* labels[] = {"Min", "Max", "Span", "Sum", "Sum(x*x)", "N", "Mean", "StdDev", "Rms", "Data[2]"};
    const char* values[] = {"100", "104", "4", "306.0", "31220.0", "3", "102.000000", "2.000000", "102.013071", "104"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(textAt(t, 0, (i + 1) * h), labels[i]);
        EXPECT_EQ(textAt(t, x, (i + 1) * h), values[i]);
    }
    EXPECT_EQ(textAt(t, x, 11 * h), "");
}

TEST_F(TableViewTest, SubLsbDisplayShowsFractions)
{
    feed(0, {40, 40});
    p.SetSubLsbs(4);
    p.ShowMin = true;
    const TableLayout t = p.LayOutTable();
    const int x = t.labelWidth, h = t.rowHeight;
    EXPECT_EQ(textAt(t, x, 0), "Ch0/16.000000");
    EXPECT_EQ(textAt(t, x, h), "2.500000");  // Min
    EXPECT_EQ(textAt(t, x, 2 * h), "0.000000");  // Span
    EXPECT_EQ(textAt(t, x, 6 * h), "2.500000");  // the first record
}

TEST_F(TableViewTest, ColumnsSkipChannelsWithoutDataAndStopAtTheBottom)
{
    feed(1, {7, 8});
    feed(2, {}, 0);  // enabled, empty
    p.DisplayZorTape()->Channels[0].Enabled = false;
    feed(3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 4);
    TableLayout t = p.LayOutTable();
    const int x = t.labelWidth, h = t.rowHeight;
    EXPECT_EQ(textAt(t, x, 0), "Channel 1");
    EXPECT_EQ(textAt(t, x + t.columnWidth, 0), "Channel 3");
    // Labels follow the first channel shown: records 0 and 1.
    EXPECT_EQ(textAt(t, 0, 5 * h), "Data[0]");
    EXPECT_EQ(textAt(t, 0, 7 * h), "");

    // A short window keeps each column to the rows whose top lies inside.
    p.resize(600, 8 * h);
    t = p.LayOutTable();
    EXPECT_EQ(textAt(t, x + t.columnWidth, 8 * h), "4");
    EXPECT_EQ(textAt(t, x + t.columnWidth, 9 * h), "");
}

TEST_F(TableViewTest, PaintsOnButtonFaceWithRowLines)
{
    feed(0, {100, 102, 104});
    p.SetBackColor(0x0000FF);  // the table ignores the plot background
    const TableLayout t = p.LayOutTable();
    const QImage img = composed(p);
    const QRgb face = rgb(ZrGraphPainter::clBtnFace);
    EXPECT_EQ(img.pixel(p.width() - 1, 2), face);
    EXPECT_EQ(img.pixel(p.width() - 1, t.separatorYs[0]), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(0, t.separatorYs[2]), qRgb(0, 0, 0));
    // Some ink where the heading and the labels are.
    int ink = 0;
    for (int y = 0; y < t.rowHeight; ++y)
        for (int x = t.labelWidth; x < t.labelWidth + t.columnWidth; ++x)
            ink += img.pixel(x, y) != face;
    EXPECT_GT(ink, 10);
}
