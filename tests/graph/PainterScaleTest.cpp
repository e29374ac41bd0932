#include "graph/PainterScale.h"

#include <gtest/gtest.h>

namespace vx {

TEST(PainterScale, SettersActOnlyOnARealChangeRightAndTopDeriveTheScale) {
    PainterScale s;
    s.AutoScaled = true;
    for (unsigned effect : {s.SetXLeft(0), s.SetXScale(0), s.SetXScale(2), s.SetYScale(-1), s.SetGridSize(4)})
        EXPECT_EQ(effect, ScaleNone);  // unchanged, below one, or a square below five pixels
    EXPECT_EQ(s.SetYBottom(7), ScaleInvalidate);
    EXPECT_FALSE(s.AutoScaled);
    s.AutoScaled = true;
    EXPECT_EQ(s.SetXScale(4), ScaleRedraw);
    EXPECT_FALSE(s.AutoScaled);
    EXPECT_EQ(s.SetAutoScale(true), ScaleAutoScale);
    EXPECT_EQ(s.SetAutoScale(true), ScaleNone);

    // Right and top edges derive the scale, rounded up; a reversed range keeps a usable one.
    s = PainterScale();
    s.Width = 300;
    s.Height = 200;
    EXPECT_EQ(s.SetXRight(100), ScaleNone);
    EXPECT_EQ(s.XScale(), 4);              // trunc(100 * 10 / 300 + 1.0)
    EXPECT_EQ(s.SetYTop(135), ScaleNone);  // AutoScale off: stored, no redraw
    EXPECT_EQ(s.YScale(), 7);
    s.AutoScale = true;
    EXPECT_EQ(s.SetYTop(135), ScaleNone);    // 7 again: equal to the current scale
    EXPECT_EQ(s.SetYTop(175), ScaleRedraw);  // 9, raised to 10 on the 1-2-5 series
    EXPECT_EQ(s.YTop(), 200);
    for (auto [v, up] : {std::pair{3, 5}, {11, 20}, {20001, 50000}, {5000000, 5000000}, {6000000, 6000000}})
        EXPECT_EQ(roundUp125(v), up) << v;

    s.SetXLeft(50);
    s.SetXRight(-500);
    s.SetYTop(-1000);
    EXPECT_EQ((std::vector{s.XScale(), s.YScale()}), (std::vector{1, 1}));
}

TEST(PainterScale, DoAutoScaleCentresTheRange) {
    PainterScale s;
    s.Width = 300;
    s.Height = 200;
    s.AutoScale = true;
    s.DoAutoScale(1000, 1100, 64);
    EXPECT_EQ((std::vector{s.XScale(), s.YScale()}), (std::vector{3, 10}));  // trunc(64 * 10 / 300 + 1.0), 10
    EXPECT_TRUE(s.AutoScaled);  // the thresholds are seen in the time plot's tests

    // span 4; YTop request 0 gives s 3, raised to 5; YTop 5, slack 6, so the
    // centred bottom is -8, and -8 % 5 = -3 moves it to -5, toward zero.
    s.Width = 100;
    s.Height = 20;
    s.DoAutoScale(-5, -1, 10);
    EXPECT_EQ((std::vector{s.YScale(), s.YBottom()}), (std::vector{5, -5}));
}

}  // namespace vx
