#include "platform/Clock.h"

#include <gtest/gtest.h>

// The tick count's wrap is seen where the echo wait survives it.
TEST(VirtualClock, WaitsJumpToTheDeadlineAndNeverGoBack) {
    VirtualClock clock;
    clock.sleep(3000);
    clock.sleepUntil(1000);  // a deadline already passed costs nothing
    clock.sleepMicros(1500);
    EXPECT_EQ(clock.micros(), 3'001'500u);
    EXPECT_EQ(clock.ticks(), 3001u);
}
