#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(VirtualClock, WaitsJumpToTheDeadlineAndNeverGoBack) {
    VirtualClock clock;
    clock.sleep(3000);
    EXPECT_EQ(clock.ticks(), 3000u);
    clock.sleepUntil(1000);  // a deadline already passed costs nothing
    EXPECT_EQ(clock.micros(), 3'000'000u);
    clock.sleepMicros(1500);
    EXPECT_EQ(clock.ticks(), 3001u);
}

TEST(VirtualClock, TickCountWrapsAt32BitsAndUnsignedDifferencesSurviveIt) {
    VirtualClock clock(uint64_t(0xFFFFFF00u) * 1000);
    const uint32_t start = clock.ticks();
    clock.advance(0x200);
    EXPECT_LT(clock.ticks(), start);
    EXPECT_EQ(clock.ticks() - start, 0x200u);
}
