#pragma once
// The one owner of the serial line to the module. Opens and configures the
// port, changes the PC-side rate, reads what is waiting, writes with or
// without waiting for the module's echo, checks the cable's RTS-to-CTS
// loopback and closes the port. Failures are logged to MemoHistory and
// reported by return value; nothing is retried.
//
// The state the serial window shows carries the names of its controls; the
// window reads it through the accessors and passes the user's choices on
// through the setters.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/History.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace vx {

// Told when a port has been opened and whenever closing is asked for (even
// with no port open), e.g. by the debugger bridge.
class PortObserver {
public:
    virtual ~PortObserver() = default;
    virtual void portOpened(SerialDevice& port) = 0;
    virtual void portClosed() = 0;
};

// A drop-down box: its list and the text shown.
struct TextChoice {
    std::vector<std::string> items;
    std::string text;
};

// How received bytes are shown: printable ASCII as is, anything else as
// "{0xHH}" (so a carriage return reads "{0x0D}").
std::string VisibleChar(unsigned char c);
std::string VisibleString(std::string_view text);

class SerialPortLayer {
public:
    static constexpr size_t RxBufferSize = 80;
    static constexpr uint32_t EchoTimeoutMs = 3000;

    SerialPortLayer(SerialDevice& device, Clock& clock);

    bool DoOpenPort();
    bool DoClosePort();
    uint32_t DoGetBaud();
    bool SetCommState();
    bool DoHwSetBaud(uint32_t rate);
    // Reads what is waiting, at most size - 1 bytes, zero-terminated.
    bool ReadString(char* buffer, size_t size);
    // The same into RxBuffer.
    bool ReadRxBuffer() { return ReadString(RxBuffer_, RxBufferSize); }
    bool WriteCharNoEcho(char c);
    bool WriteStringNoEcho(const char* text);
    bool WriteStringWaitForEcho(const char* text);
    // Writes the text in one piece, then awaits the echo of each character
    // in order, up to EchoTimeoutMs each; other characters are passed over.
    // The same check as WriteStringWaitForEcho at the pace of the line.
    bool WriteBlockWaitForEcho(const char* text);
    bool RtsCtsLoopbackPresent();

    bool isPortOpen() const { return portOpen_; }
    // The adapter was found unplugged (or hung up) by an operation since the
    // port was last opened.
    bool deviceGone() const { return device_.gone(); }
    void setObserver(PortObserver* observer) { observer_ = observer; }
    SerialDevice& device() { return device_; }
    Clock& clock() { return clock_; }

    // Told after the port has been closed.
    void setOnClosed(std::function<void()> callback) { onClosed_ = std::move(callback); }
    // While the loader sends the application, received text is not logged.
    void setDownloading(bool on) { downloading_ = on; }

    // --- Window state ---
    const std::string& cbxHwPort() const { return cbxHwPort_; }
    // The port DoOpenPort opens.
    void setHwPort(const std::string& name) { cbxHwPort_ = name; }
    const TextChoice& cbxHwBaud() const { return cbxHwBaud_; }
    void setHwBaudText(const std::string& text) { cbxHwBaud_.text = text; }
    const std::string& EditHwRecv() const { return EditHwRecv_; }
    bool menuCaptureTx() const { return menuCaptureTx_; }
    void setCaptureTx(bool on) { menuCaptureTx_ = on; }
    bool menuCaptureRx() const { return menuCaptureRx_; }
    void setCaptureRx(bool on) { menuCaptureRx_ = on; }
    bool cbSkipNulls() const { return cbSkipNulls_; }
    void setSkipNulls(bool on) { cbSkipNulls_ = on; }
    const LineSettings& PortDcb() const { return PortDcb_; }
    // The system error code of the last failure, 0 after clearLastError.
    uint32_t LastError() const { return LastError_; }
    void clearLastError() { LastError_ = 0; }
    // Logs the device's last failure as "Error %d: <what>: <text>" and keeps
    // its code (also for a call the window makes, such as a modem line);
    // always false.
    bool reportFailure(const std::string& what);
    const char* RxBuffer() const { return RxBuffer_; }
    History& MemoHistory() { return MemoHistory_; }
    const History& MemoHistory() const { return MemoHistory_; }

private:
    enum class ReadResult { Data, Nothing, Failed };
    bool setUp();
    ReadResult readInto(char* buffer, size_t size);
    void removeNulls(char* buffer, size_t count, size_t size);
    void captureReceived(const std::string& visible);
    bool writeWhole(const char* text);
    bool writeOne(char c);

    SerialDevice& device_;
    Clock& clock_;
    PortObserver* observer_ = nullptr;
    std::function<void()> onClosed_;
    bool portOpen_ = false;
    bool downloading_ = false;

    std::string cbxHwPort_;
    TextChoice cbxHwBaud_{{"1200", "4800", "9600", "19200"}, "1200"};
    std::string EditHwRecv_;
    bool menuCaptureTx_ = true;
    bool menuCaptureRx_ = true;
    bool cbSkipNulls_ = false;
    LineSettings PortDcb_;
    uint32_t LastError_ = 0;
    char RxBuffer_[RxBufferSize] = {};
    History MemoHistory_;
};

}  // namespace vx
