// Where windows open: beside the main window, inside the screen's free
// area, whatever its size.
#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

namespace vx {

namespace {

using namespace WindowPlacement;

TEST(WindowPlacement, BesideTakesTheFirstSideThatHoldsTheWindowElseTheRoomiest) {
    const QSize graph(1040, 480);
    const struct {
        QRect anchor, room, expected;
        QPoint anchorAt = {0, 0};  // where the anchor ends up
    } cases[] = {
        {{0, 0, 450, 380}, {0, 0, 1600, 1000}, {458, 0, 1040, 480}},                   // right
        {{0, 0, 450, 380}, {0, 0, 1280, 1024}, {0, 388, 1040, 480}},                   // below
        {{1150, 50, 450, 700}, {0, 0, 1600, 1000}, {102, 50, 1040, 480}, {1150, 50}},  // left
        {{0, 0, 450, 380}, {0, 0, 1280, 800}, {0, 388, 1040, 412}},                    // below, shrunk
        {{400, 210, 450, 380}, {0, 0, 1280, 800}, {0, 388, 1040, 412}},                // the anchor makes way
        {{575, 330, 450, 340}, {0, 0, 1600, 1000}, {458, 0, 1040, 480}},               // ... so that it fits whole
        {{0, 0, 450, 380}, {0, 0, 800, 600}, {0, 0, 800, 480}},  // no side will do: over it, on screen
    };
    for (const auto& c : cases) {
        QRect anchor = c.anchor;
        EXPECT_EQ(besideMovingAnchor(anchor, graph, c.room), c.expected) << c.room.width();
        EXPECT_EQ(anchor.topLeft(), c.anchorAt) << c.room.width();
    }
}

}  // namespace

}  // namespace vx
