#include "platform/PortList.h"

#include "graphwin/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace vx {

namespace fs = std::filesystem;

namespace {

// A small sysfs look-alike: class/tty entries are links into devices/, as
// the kernel lays them out.
class FakeSysfs {
public:
    FakeSysfs() { fs::create_directories(root_ / "class" / "tty"); }
    std::string root() const { return root_.string(); }

    // A tty on a device bound to driver, or with no hardware behind it
    // (virtual console, pty master) when driver is empty; uartType, when
    // given, is written to the tty's type file.
    void add(const std::string& name, const std::string& driver = {}, int uartType = -1) {
        const fs::path device = root_ / "devices" / (driver.empty() ? "virtual" : "platform/" + driver + "." + name);
        const fs::path entry = device / "tty" / name;
        fs::create_directories(entry);
        fs::create_directory_symlink(entry, root_ / "class" / "tty" / name);
        if (driver.empty()) return;
        const fs::path driverDir = root_ / "bus" / "drivers" / driver;
        fs::create_directories(driverDir);
        fs::create_symlink(driverDir, device / "driver");
        fs::create_directory_symlink(device, entry / "device");
        if (uartType >= 0) std::ofstream(entry / "type") << uartType << "\n";
    }

private:
    TempFolder folder_;
    const fs::path root_ = folder_.path();
};

TEST(PortList, KeepsRealPortsInNaturalOrder) {
    FakeSysfs sysfs;
    for (const char* name : {"tty0", "ptmx", "console"}) sysfs.add(name);
    // A UART type of 0 is an 8250 slot without a chip; the type matters only for 8250 ports.
    for (auto [name, driver, type] : {std::tuple{"ttyS10", "serial8250", 4},
                                      {"ttyS0", "serial8250", 4},
                                      {"ttyS1", "serial8250", 0},
                                      {"ttyS2", "serial8250", 4},
                                      {"ttyUSB1", "ftdi_sio", -1},
                                      {"ttyUSB0", "pl2303", 0},
                                      {"ttyACM0", "cdc_acm", -1},
                                      {"ttyAMA0", "uart-pl011", 0}})
        sysfs.add(name, driver, type);
    // Natural order compares runs of digits as numbers.
    for (const char* name : {"ttyUSB100", "ttyUSB9", "ttyUSB10", "ttyUSB09x", "ttyUSB"}) sysfs.add(name, "usbserial");

    const std::vector<std::string> expected = {
        "/devices/ttyACM0", "/devices/ttyAMA0",   "/devices/ttyS0",    "/devices/ttyS2",
        "/devices/ttyS10",  "/devices/ttyUSB",    "/devices/ttyUSB0",  "/devices/ttyUSB1",
        "/devices/ttyUSB9", "/devices/ttyUSB09x", "/devices/ttyUSB10", "/devices/ttyUSB100",
    };
    EXPECT_EQ(listSerialPorts(sysfs.root(), "/devices"), expected);
    EXPECT_EQ(listSerialPorts(sysfs.root()).front(), "/dev/ttyACM0");  // the default device folder
    EXPECT_TRUE(listSerialPorts(sysfs.root() + "/not-there").empty());
}

}  // namespace

}  // namespace vx
