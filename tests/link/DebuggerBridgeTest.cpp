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

// The calls the full test library has seen, read through its own entry.
class ProbeLog {
public:
    ProbeLog() {
        library_.load(PROBE_FULL);
        log_ = reinterpret_cast<const char* (*)()>(library_.symbol("probe_log"));
        clear_ = reinterpret_cast<void (*)()>(library_.symbol("probe_clear"));
        clear_();
    }
    std::string take() {
        std::string text = log_();
        clear_();
        return text;
    }

private:
    LibraryLoader library_;
    const char* (*log_)() = nullptr;
    void (*clear_)() = nullptr;
};

// What the window tells the library is seen in the window's tests; here the
// bridge itself: a missing library, a real port's descriptor, a library that
// exports only "Show".
TEST(DebuggerBridge, WithoutTheLibraryEveryCallIsSkipped) {
    DebuggerBridge missing("/nonexistent/libLinkProbe.so");
    EXPECT_FALSE(missing.available());
    missing.DebuggerShow();
    missing.DebuggerSetTitle("VX7318 Evaluation Kit");
    missing.DebuggerOpenedPort(3);
    missing.DebuggerClosedPort();
    missing.DebuggerSetEnable(true);
}

TEST(DebuggerBridge, RealPortIsPassedAsItsDescriptor) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);

    ProbeLog probe;
    DebuggerBridge bridge(PROBE_FULL);
    VirtualClock clock;
    PosixSerialDevice device(clock);
    SerialPortLayer port(device, clock);
    port.setObserver(&bridge);
    port.cbxHwPort = ptsname(master);
    ASSERT_TRUE(port.DoOpenPort());
    ASSERT_GE(device.nativeHandle(), 0);
    EXPECT_EQ(probe.take(), "OpenedSerialPort " + std::to_string(device.nativeHandle()) + ";");
    port.DoClosePort();
    close(master);
}

TEST(DebuggerBridge, LibraryWithOnlyShowGetsOnlyShow) {
    unsetenv("LINK_PROBE_SHOWN");
    DebuggerBridge bridge(PROBE_SHOW_ONLY);
    EXPECT_TRUE(bridge.available());
    bridge.DebuggerSetTitle("VX7318 Evaluation Kit");
    bridge.DebuggerOpenedPort(3);
    bridge.DebuggerClosedPort();
    bridge.DebuggerSetEnable(true);
    bridge.DebuggerShow();
    bridge.DebuggerShow();
    ASSERT_NE(getenv("LINK_PROBE_SHOWN"), nullptr);
    EXPECT_STREQ(getenv("LINK_PROBE_SHOWN"), "2");
}

}  // namespace
