// The line, the cable, the device calls and the faults, seen from the PC.
#include "KitDriver.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vx {

// What an echo and a reply cost in line time the query tests see to the microsecond.

// That the cable loops RTS to CTS is seen by the port layer's loopback check.
TEST(Line, DeviceCallsReportErrnoCodesAndAnUnpluggedAdapterFails) {
    VirtualClock clock;
    SimulatedKit kit(clock);
    char buffer[8];
    auto error = [&](bool failed) { return failed ? kit.lastError().code : 0; };
    EXPECT_EQ(error(!kit.open("/dev/ttyS0")), ENOENT);
    EXPECT_EQ(error(kit.read(buffer, 8) == -1), EBADF);

    ASSERT_TRUE(kit.open(SimulatedKit::PortName));
    EXPECT_EQ(error(!kit.open(SimulatedKit::PortName)), EBUSY);
    EXPECT_EQ(error(!kit.setSettings(LineSettings{0})), EINVAL);
    EXPECT_EQ(kit.read(buffer, 8), 0);

    // An unplugged adapter fails with EIO until it is plugged in and opened
    // again; that it ends a wait under way is seen by the query tests.
    kit.faults().unplugged = true;
    EXPECT_EQ(error(kit.write("x", 1) == -1), EIO);
    EXPECT_TRUE(kit.gone() && kit.close());
    EXPECT_EQ(error(!kit.open(SimulatedKit::PortName)), ENOENT);
    kit.faults().unplugged = false;
    EXPECT_TRUE(kit.open(SimulatedKit::PortName) && !kit.gone());
}

// A full receive buffer is met where a flooding module is cut off.
TEST(Line, PurgeDropsWhatHasNotStartedAndModuleTextQueuesBehindEchoes) {
    KitDriver pc;
    pc.openToBanner();
    // Clearing the transmit queue drops what has not started yet.
    pc.send("12345");
    pc.clock.sleepMicros(1000);
    pc.kit.purge(PurgeTxAbort | PurgeTxClear);
    EXPECT_EQ(pc.readFor(100), "1");

    pc.send("ab");
    pc.clock.sleepMicros(17'000);  // both arrived; echo of "a" on the line
    pc.kit.sendFromModule("!");
    EXPECT_EQ(pc.readFor(100), "ab!");
}

}  // namespace vx
