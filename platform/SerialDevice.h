#pragma once
// A serial line as the port layer sees it. Two implementations: the real
// termios device (PosixSerialDevice) and the simulated evaluation kit.
// Every failing call returns false (or -1), fills lastError() with an
// errno-style code and the system's text for it, and is never retried here.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx {

struct SysError {
    int code = 0;
    std::string text;  // strerror text of code
};

// The line settings the program controls. A real port's other settings are
// left as they are.
struct LineSettings {
    enum class Parity : uint8_t { None, Odd, Even };
    uint32_t baud = 1200;
    uint8_t dataBits = 8;  // 5..8
    Parity parity = Parity::None;
    uint8_t stopBits = 1;  // 1 or 2
    bool ctsFlow = false;  // hardware handshake
    bool xonXoff = false;  // software handshake
};

struct ModemLines {
    bool cts = false;
    bool dsr = false;
    bool ring = false;
    bool dcd = false;
};

// Purge requests. The abort flags end pending transfers and keep the queued
// data; the clear flags discard it.
enum PurgeFlags : unsigned {
    PurgeTxAbort = 1,
    PurgeRxAbort = 2,
    PurgeTxClear = 4,
    PurgeRxClear = 8,
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the named device exclusively, raw, non-blocking.
    virtual bool open(const std::string& name) = 0;
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;

    virtual bool getSettings(LineSettings& out) = 0;
    virtual bool setSettings(const LineSettings& settings) = 0;

    // Copies what is waiting (at most max bytes) and never blocks. Returns the
    // count, 0 when nothing is waiting, -1 on failure. A device that has gone
    // (hang-up, unplugged adapter) fails and sets gone().
    virtual long read(char* buffer, size_t max) = 0;
    // Writes all of data or fails: returns length, or -1.
    virtual long write(const char* data, size_t length) = 0;
    // Blocks until input is waiting or timeoutMs has passed on the device's
    // clock. True when input is waiting (or the device has gone, so that the
    // following read reports it).
    virtual bool waitForInput(uint32_t timeoutMs) = 0;

    virtual bool setRts(bool on) = 0;
    virtual bool setDtr(bool on) = 0;
    virtual bool getModemLines(ModemLines& out) = 0;
    virtual bool purge(unsigned flags) = 0;
    // The operating system's handle of the open line (a file descriptor),
    // or -1 when there is none, as for a simulated line.
    virtual int nativeHandle() const { return -1; }

    const SysError& lastError() const { return error_; }
    // Sticky until the next successful open.
    bool gone() const { return gone_; }

protected:
    // Records code and its system text; returns false for "return fail(...)".
    bool fail(int code);
    void setGone(bool gone) { gone_ = gone; }

private:
    SysError error_;
    bool gone_ = false;
};

// strerror_r as a std::string.
std::string systemErrorText(int code);

}  // namespace vx
