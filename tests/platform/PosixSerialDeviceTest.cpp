#include "platform/PosixSerialDevice.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <tuple>

namespace vx {

namespace {

// The far end of a pseudo-terminal: what a test writes here arrives at the
// device, and what the device sends can be read here.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) deviceName_ = ptsname(master_);
    }
    ~PseudoTerminal() { closeMaster(); }

    const std::string& deviceName() const { return deviceName_; }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    void send(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Reads until count bytes arrived; gives up when nothing comes for waitMs.
    std::string receive(size_t count, int waitMs = 1000) {
        std::string got;
        char buffer[4096];
        while (got.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0) break;
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        return got;
    }

private:
    int master_ = -1;
    std::string deviceName_;
};

// A call that failed, with the system's code and text.
void expectFailure(bool succeeded, const SerialDevice& device, int code) {
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(device.lastError().code, code);
    EXPECT_EQ(device.lastError().text, std::strerror(code));
}

class PosixSerialDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.deviceName().empty());
        ASSERT_TRUE(device.open(pty.deviceName())) << device.lastError().text;
    }
    PseudoTerminal pty;
    PosixSerialDevice device;
};

TEST_F(PosixSerialDeviceTest, EverySupportedRateReadsBackAndOthersAreRefused) {
    for (uint32_t baud : {1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        ASSERT_TRUE(device.setSettings(LineSettings{baud})) << baud;
        LineSettings got{0};
        ASSERT_TRUE(device.getSettings(got));
        EXPECT_TRUE(got.baud == baud && got.dataBits == 8 && got.parity == LineSettings::Parity::None &&
                    got.stopBits == 1 && !got.ctsFlow && !got.xonXoff)
            << "8N1 without flow control at " << baud;
    }

    for (auto [baud, dataBits, stopBits] : {std::tuple{0u, 8, 1},
                                            {2u, 8, 1},
                                            {300u, 8, 1},
                                            {14400u, 8, 1},
                                            {230400u, 8, 1},
                                            {9600u, 9, 1},
                                            {9600u, 8, 3}}) {
        const LineSettings bad{baud, uint8_t(dataBits), LineSettings::Parity::None, uint8_t(stopBits)};
        expectFailure(device.setSettings(bad), device, EINVAL);
    }
    LineSettings got;
    ASSERT_TRUE(device.getSettings(got));
    EXPECT_EQ(got.baud, 115200u) << "a refused setting leaves the line as it was";
}

TEST_F(PosixSerialDeviceTest, BytesPassUnchangedBothWaysModemLinesAreRefusedAndPurgeAbortKeepsInput) {
    char buffer[8];
    EXPECT_EQ(device.read(buffer, sizeof buffer), 0) << "nothing waiting is no error";
    EXPECT_FALSE(device.gone());

    // NUL, 0xFF, line ends, the handshake characters and ^C must not be
    // translated, swallowed or echoed.
    const std::string bytes("A\0B\xff\r\n\x11\x13\x03\x7f z", 13);
    ASSERT_EQ(device.write(bytes.data(), bytes.size()), long(bytes.size()));
    EXPECT_EQ(pty.receive(bytes.size()), bytes);

    pty.send(bytes);
    std::string got;  // the kernel may need a moment to move it across
    for (char chunk[256]; got.size() < bytes.size() && device.waitForInput(1000);) {
        const long n = device.read(chunk, sizeof chunk);
        if (n <= 0) break;
        got.append(chunk, size_t(n));
    }
    EXPECT_EQ(got, bytes);
    // An echo would have been queued before the input became readable.
    EXPECT_EQ(pty.receive(1, 0), "") << "nothing echoed back";

    // A pseudo-terminal has no modem lines; the kernel refuses the ioctls.
    ModemLines lines;
    for (bool ok : {device.setRts(true), device.setDtr(false), device.getModemLines(lines)})
        expectFailure(ok, device, ENOTTY);
    EXPECT_FALSE(device.gone());

    // Aborting keeps queued input; clearing discards it.
    pty.send("abc");
    ASSERT_TRUE(device.waitForInput(1000));
    ASSERT_TRUE(device.purge(PurgeTxAbort | PurgeRxAbort));
    ASSERT_EQ(device.read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'a');
    ASSERT_TRUE(device.purge(PurgeRxClear | PurgeTxClear));
    EXPECT_EQ(device.read(buffer, sizeof buffer), 0);
}

// A hang-up fails the read and marks the device gone until a port opens again.
TEST_F(PosixSerialDeviceTest, OpenIsRefusedInUseMissingOrNoTerminalAndAHangUpLeavesTheDeviceGone) {
    PosixSerialDevice second;
    expectFailure(second.open(pty.deviceName()), second, EBUSY);
    EXPECT_FALSE(device.open(pty.deviceName())) << "already open";
    EXPECT_TRUE(device.isOpen());
    for (auto [path, code] : {std::pair{"/dev/no-such-serial-port", ENOENT}, std::pair{"/dev/null", ENOTTY}}) {
        PosixSerialDevice refused;
        expectFailure(refused.open(path), refused, code);
        EXPECT_FALSE(refused.isOpen() || refused.gone());
    }

    pty.closeMaster();
    EXPECT_TRUE(device.waitForInput(1000)) << "a hang-up wakes a waiting reader";
    char buffer[8];
    expectFailure(device.read(buffer, sizeof buffer) != -1, device, EIO);
    EXPECT_EQ(device.write("x", 1), -1);
    EXPECT_TRUE(device.close());
    EXPECT_TRUE(device.gone());
    PseudoTerminal other;
    ASSERT_TRUE(device.open(other.deviceName()));
    EXPECT_FALSE(device.gone());
    EXPECT_TRUE(device.close());
    EXPECT_TRUE(second.open(other.deviceName())) << "closing releases the port";
}

TEST_F(PosixSerialDeviceTest, WaitsRunOnTheDevicesClock) {
    ASSERT_TRUE(device.close());
    VirtualClock clock;
    PosixSerialDevice timed(clock);
    ASSERT_TRUE(timed.open(pty.deviceName()));

    EXPECT_FALSE(timed.waitForInput(3000));
    EXPECT_EQ(clock.ticks(), 3000u);

    pty.send("k");
    // The kernel may need a moment to pass the byte across; each wait that
    // finds nothing costs only virtual time.
    bool arrived = false;
    for (int i = 0; i < 1000 && !arrived; ++i) arrived = timed.waitForInput(1);
    EXPECT_TRUE(arrived);

    // A write that can make no progress (nobody reads the other end) gives up
    // after the stall limit instead of hanging.
    const uint32_t before = clock.ticks();
    const std::string block(1 << 20, 'w');
    expectFailure(timed.write(block.data(), block.size()) != -1, timed, ETIMEDOUT);
    EXPECT_EQ(clock.ticks() - before, PosixSerialDevice::kWriteStallMs);
}

}  // namespace

}  // namespace vx
