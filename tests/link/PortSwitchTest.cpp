#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include "link/PortSwitch.h"
#include "link/SerialPortLayer.h"
#include "sim/SimulatedKit.h"

TEST(PortSwitch, RoutesRegisteredNamesToTheirDevicesAndOthersToRealPorts) {
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
    EXPECT_FALSE(ports.open(SimulatedKit::PortName));  // one port at a time
    EXPECT_EQ(ports.lastError().code, EBUSY);
    ASSERT_TRUE(ports.waitForInput(1000));  // the freshly powered board's beacon
    ASSERT_EQ(ports.read(buffer, sizeof buffer), 1);
    EXPECT_FALSE(kit.isOpen());
    ASSERT_TRUE(ports.close());
    EXPECT_FALSE(other.isOpen());

    // The device's own failures come through with their codes and gone().
    ASSERT_TRUE(ports.open(SimulatedKit::PortName));
    kit.faults().unplugged = true;
    EXPECT_EQ(ports.write("x", 1), -1);
    EXPECT_EQ(ports.lastError().code, EIO);
    EXPECT_TRUE(ports.gone());
    ASSERT_TRUE(ports.close());
    kit.faults().unplugged = false;

    // Any other name is a real port.
    EXPECT_FALSE(ports.open("/dev/vx-no-such-port"));
    EXPECT_EQ(ports.lastError().code, ENOENT);
    int master = -1, slave = -1;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    close(slave);
    // A pseudo-terminal has no modem lines to lower; it opens all the same.
    SerialPortLayer port(ports, clock);
    port.cbxHwPort = name;
    ASSERT_TRUE(port.DoOpenPort());
    EXPECT_EQ(port.MemoHistory.lastLine(), "Error 25: EscapeCommFunction failed: Inappropriate ioctl for device");
    EXPECT_TRUE(port.WriteStringNoEcho("hi"));
    EXPECT_TRUE(port.DoClosePort());
    close(master);
}
