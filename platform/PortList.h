#pragma once
// The serial ports present on this machine.
#include <string>
#include <vector>

namespace vx {

// Device paths of the serial ports that sysfs shows as real hardware, in
// natural order (ttyS2 before ttyS10). Virtual consoles and pseudo-terminals
// have no device behind them and are left out, and so are the 8250 UART
// slots the kernel reserves without finding a chip. The roots are
// parameters so that a test can hand in a tree of its own.
std::vector<std::string> listSerialPorts(const std::string& sysfsRoot = "/sys", const std::string& devRoot = "/dev");

}  // namespace vx
