// Pan, zoom, home, grid and mouse arithmetic of the graph window, on the
// painter's scale object alone: no widgets, no pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <tuple>

#include "graph/PainterScale.h"
#include "graphwin/GraphViewCommands.h"

namespace vx {

namespace {

using Command = void (*)(PainterScale&);

// 64 records across at XScale 2 and the default grid of 10.
PainterScale Scale64() {
    PainterScale s;
    s.Width = 320;
    s.Height = 200;
    return s;
}

}  // namespace

// Pans move by a third of the width or height; zooms divide or multiply the
// scale by five (down to 1) and keep the centre where it was.
TEST(GraphViewCommands, PanByAThirdAndZoomByFiveAroundTheCentre) {
    // The command, the scales before (edges at 0), and the edges and scales after.
    const std::tuple<Command, int, int, int, int, int, int> cases[] = {
        {view::PanLeft<PainterScale>, 2, 2, -21, 2, 0, 2},  // 64 records wide
        {view::PanRight<PainterScale>, 2, 2, 21, 2, 0, 2},
        {view::PanUp<PainterScale>, 2, 2, 0, 2, 13, 2},  // 40 codes high
        {view::PanDown<PainterScale>, 2, 2, 0, 2, -13, 2},
        {view::ExpandX<PainterScale>, 4, 2, 48, 1, 0, 2},    // 4 / 5 in integers goes to 1
        {view::ExpandX<PainterScale>, 10, 2, 128, 2, 0, 2},  // records 0..320 to 128..192
        {view::ContractX<PainterScale>, 10, 2, -640, 50, 0, 2},
        {view::ExpandY<PainterScale>, 2, 7, 0, 2, 60, 1},
        {view::ContractY<PainterScale>, 2, 2, 0, 2, -80, 10},
    };
    for (const auto& [command, xScale, yScale, xLeft, xScaleAfter, yBottom, yScaleAfter] : cases) {
        PainterScale s = Scale64();
        s.SetXScale(xScale);
        s.SetYScale(yScale);
        command(s);
        EXPECT_EQ(std::tuple(s.XLeft(), s.XScale(), s.YBottom(), s.YScale()),
                  std::tuple(xLeft, xScaleAfter, yBottom, yScaleAfter));
    }
}

// Scales and edges stop at the limits instead of wrapping, and the read-outs
// stay exact for any code.
TEST(GraphViewCommands, PanAndZoomStopAtTheLimits) {
    const std::tuple<Command, Command, int> cases[] = {
        // zoom out, pan, pan's sign along its axis
        {view::ContractX<PainterScale>, view::PanLeft<PainterScale>, -1},
        {view::ContractX<PainterScale>, view::PanRight<PainterScale>, 1},
        {view::ContractY<PainterScale>, view::PanUp<PainterScale>, 1},
        {view::ContractY<PainterScale>, view::PanDown<PainterScale>, -1}};
    for (const auto& [zoom, pan, direction] : cases) {
        PainterScale s = Scale64();
        for (int i = 0; i < 20; ++i) zoom(s);
        EXPECT_EQ(std::max(s.XScale(), s.YScale()), kMaxScale);
        for (int i = 0; i < 8; ++i) {
            const std::int64_t before = std::int64_t(s.XLeft()) + s.YBottom();
            pan(s);
            EXPECT_LE(std::max(std::abs(s.XLeft()), std::abs(s.YBottom())), kMaxEdge);
            EXPECT_GE((s.XLeft() + s.YBottom() - before) * direction, 0) << "each pan the same way, or not at all";
        }
        EXPECT_TRUE(s.XLeft() <= s.XRight() && s.YBottom() <= s.YTop());
    }

    EXPECT_EQ(view::CodeText(2147483647.0), "2147483647");
    EXPECT_EQ(view::CodeText(-2147483648.0), "-2147483648");
    EXPECT_EQ(view::ReadoutAt(0, 0, 10, 1, 1, 0, 2147483647).code, 2147483646);
}

TEST(GraphViewCommands, GridSquaresGrowToTwoHundredAndShrinkToFive) {
    for (auto [size, larger, smaller] :
         {std::tuple{10, 40, 5}, {50, 200, 25}, {100, 200, 50}, {150, 200, 75}, {5, 20, 5}}) {
        EXPECT_EQ(view::LargerGridSize(size), larger) << size;
        EXPECT_EQ(view::SmallerGridSize(size), smaller) << size;
    }
}

TEST(GraphViewCommands, MouseReadoutNamesRecordAndCodeUnderThePixel) {
    const auto far = view::ReadoutAt(52, 33, 10, 4, 3, -21, -5);
    // X: trunc((52 + 1.25) / 2.5 - 21) = 0; Y: trunc(-5 - (33 + 1.6667) / 3.3333) = -15.
    EXPECT_EQ(far.Text(), "(X=0,Y=-15) 2.50000pix/X, 3.33333pix/Y");

    // A scale that would give no pixels per unit counts as one pixel.
    const auto flat = view::ReadoutAt(3, 4, 0, 2, 2, 0, 10);
    EXPECT_EQ(flat.Text(), "(X=3,Y=5) 1.00000pix/X, 1.00000pix/Y");
}

}  // namespace vx
