#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "link/DebuggerBridge.h"
#include "link/SerialPortLayer.h"
#include "platform/LibraryLoader.h"
#include "platform/PosixSerialDevice.h"

namespace {

// What the window tells the library is seen in the window's tests; here a
// real port's descriptor, and libraries that are missing or partial.
TEST(DebuggerBridge, RealPortIsPassedAsItsDescriptor) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    LibraryLoader probe;  // the full stand-in notes its calls; its own entry reads them
    ASSERT_TRUE(probe.load(PROBE_FULL));
    const auto log = reinterpret_cast<const char* (*)()>(probe.symbol("probe_log"));
    reinterpret_cast<void (*)()>(probe.symbol("probe_clear"))();

    DebuggerBridge bridge(PROBE_FULL);
    VirtualClock clock;
    PosixSerialDevice device(clock);
    SerialPortLayer port(device, clock);
    port.setObserver(&bridge);
    port.setHwPort(ptsname(master));
    ASSERT_TRUE(port.DoOpenPort());
    ASSERT_GE(device.nativeHandle(), 0);
    EXPECT_EQ(std::string(log()), "OpenedSerialPort " + std::to_string(device.nativeHandle()) + ";");
    port.DoClosePort();
    close(master);
}

// A missing library or entry is skipped without a word.
TEST(DebuggerBridge, MissingLibraryOrEntriesAreSkipped) {
    LibraryLoader probe;
    ASSERT_TRUE(probe.load(PROBE_SHOW_ONLY));
    for (const char* library : {"/nonexistent/libLinkProbe.so", PROBE_SHOW_ONLY}) {
        DebuggerBridge bridge(library);
        EXPECT_EQ(bridge.available(), library == std::string(PROBE_SHOW_ONLY));
        bridge.DebuggerShow();
        bridge.DebuggerSetTitle("VX7318 Evaluation Kit");
        bridge.DebuggerOpenedPort(3);
        bridge.DebuggerClosedPort();
        bridge.DebuggerSetEnable(true);
    }
    EXPECT_STREQ(reinterpret_cast<const char* (*)()>(probe.symbol("probe_log"))(), "Show;");
}

}  // namespace
