#include "PainterFixture.h"

#include "support/Exceptions.h"

using PainterTest = PainterFixture;

TEST_F(PainterTest, NewPainterHasDefaultsAndAnEmptyTape)
{
    ZrGraphPainter p(nullptr, 1, 64, clock);
    EXPECT_EQ(p.width(), 150);
    EXPECT_EQ(p.XRight(), 30);
    EXPECT_EQ(p.YTop(), 30);
    EXPECT_EQ(p.ViewMode(), 0);
    EXPECT_EQ(p.NumRecords(), 64u);
    EXPECT_EQ(p.GetNumChannels(), 0);
    EXPECT_EQ(p.ForeColor(), ZrGraphPainter::clGrayText);
    EXPECT_EQ(p.BackColor(), ZrGraphPainter::clBtnFace);
    EXPECT_EQ(p.MinMaxColor(), 0xFFFFFFu);
    EXPECT_EQ(p.PenWidth(), 2);
    EXPECT_TRUE(p.ShowMinMax);
    EXPECT_FALSE(p.ShowAutoScaleThreshold);
    EXPECT_EQ(p.TraceBitmap.size(), QSize(150, 150));
    EXPECT_EQ(p.TraceMask.size(), QSize(150, 150));
    EXPECT_EQ(p.BackgroundBitmap.size(), QSize(150, 150));
}
