#pragma once
// Shared set-up of the real-time benchmarks against the simulated kit.
#include <ctime>

#include <string>

#include "link/SerialPortLayer.h"
#include "sim/ResidentFirmware.h"
#include "sim/SimulatedKit.h"

namespace vx {

inline double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

inline void drain(SerialPortLayer& port) {
    while (port.ReadRxBuffer()) {
    }
}

// Moves a COBALT board from 1200 baud to 115200 the way its firmware allows:
// the clock patch loaded and jumped to.
inline bool moveCobaltTo115200(SerialPortLayer& port, SimulatedKit& kit, Clock& clock) {
    const std::string patch = std::string(ResidentFirmware::PatchLine) + "\rS9030000FC\r";
    if (!port.WriteStringWaitForEcho("\x1b"
                                     "L") ||
        !port.WriteStringWaitForEcho(patch.c_str()) ||
        !port.WriteStringWaitForEcho("\x1b"
                                     "J"))
        return false;
    clock.sleep(10);  // the echo of "J" has gone out; the board now runs at 115200
    if (!port.DoHwSetBaud(115200)) return false;
    drain(port);
    return kit.moduleBaud() == 115200;
}

// Opens the kit, lets it boot and moves board and PC to 9600 baud.
inline bool openKitAt9600(SerialPortLayer& port, SimulatedKit& kit, Clock& clock) {
    port.setHwPort(SimulatedKit::PortName);
    if (!port.DoOpenPort()) return false;
    clock.sleep(100);  // boot and beacon
    drain(port);
    if (!port.WriteStringNoEcho("\x1b"
                                "B9"))
        return false;
    clock.sleep(100);  // the echo of the digit goes out at 1200 first
    if (!port.DoHwSetBaud(9600)) return false;
    drain(port);
    return kit.moduleBaud() == 9600;
}

}  // namespace vx
