// Routing to the simulated boards, a missing port and a vanished adapter are
// seen through the connection sequence; here, what only the switch decides.
#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>
#include <cerrno>

#include "link/PortSwitch.h"
#include "link/SerialPortLayer.h"
#include "sim/SimulatedKit.h"

TEST(PortSwitch, OpensOnePortAtATimeAndPassesOtherNamesToRealPorts) {
    VirtualClock clock;
    SimulatedKit kit(clock), other(clock);
    PortSwitch ports(clock);
    ports.add(SimulatedKit::PortName, kit);
    ports.add("Second board", other, SimulatedKit::PortName);
    EXPECT_EQ(ports.names(), (std::vector<std::string>{SimulatedKit::PortName, "Second board"}));

    // Closed: every call fails as on a closed port.
    char buffer[8];
    EXPECT_EQ(ports.read(buffer, sizeof buffer), -1);
    EXPECT_EQ(ports.lastError().code, EBADF);
    ASSERT_TRUE(ports.open("Second board"));
    EXPECT_FALSE(ports.open(SimulatedKit::PortName));
    EXPECT_EQ(ports.lastError().code, EBUSY);
    EXPECT_FALSE(kit.isOpen());
    ASSERT_TRUE(ports.close());
    EXPECT_FALSE(other.isOpen());

    // A pseudo-terminal has no modem lines to lower; it opens all the same.
    int master = -1, slave = -1;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    close(slave);
    SerialPortLayer port(ports, clock);
    port.setHwPort(name);
    ASSERT_TRUE(port.DoOpenPort());
    EXPECT_EQ(port.MemoHistory().lastLine(), "Error 25: EscapeCommFunction failed: Inappropriate ioctl for device");
    EXPECT_TRUE(port.WriteStringNoEcho("hi"));
    EXPECT_TRUE(port.DoClosePort());
    close(master);
}
