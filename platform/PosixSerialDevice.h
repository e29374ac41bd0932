#pragma once
// A real serial port (or a pseudo-terminal) driven through termios.
//
// The line is opened exclusively and non-blocking and kept raw: no echo, no
// line editing, no character translation. Reads return what is waiting at
// once; a hang-up or an unplugged adapter shows as a failed read with gone()
// set, never as "nothing waiting".
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace vx {

class PosixSerialDevice : public SerialDevice {
public:
    // Waits (waitForInput, a stalled write) are measured on clock. With the
    // real clock the kernel does the waiting; with any other clock the device
    // checks, lets the clock pass the time, and checks again.
    explicit PosixSerialDevice(Clock& clock = realClock());
    ~PosixSerialDevice() override;

    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    bool open(const std::string& name) override;
    bool close() override;
    bool isOpen() const override { return fd_ >= 0; }

    bool getSettings(LineSettings& out) override;
    bool setSettings(const LineSettings& settings) override;

    long read(char* buffer, size_t max) override;
    long write(const char* data, size_t length) override;
    bool waitForInput(uint32_t timeoutMs) override;

    bool setRts(bool on) override;
    bool setDtr(bool on) override;
    bool getModemLines(ModemLines& out) override;
    bool purge(unsigned flags) override;
    int nativeHandle() const override { return fd_; }

    // How long a write may make no progress before it fails.
    static constexpr uint32_t kWriteStallMs = 2000;

private:
    // poll() for events, up to timeoutMs on clock_. Returns the revents seen
    // (0 on time-out) or -1 with errno set.
    int waitFor(short events, uint32_t timeoutMs);
    bool setModemLine(int line, bool on);
    // fail() for the calls that return a count.
    long failed(int code) {
        fail(code);
        return -1;
    }

    Clock& clock_;
    int fd_ = -1;
};

}  // namespace vx
