#pragma once
// The one owner of the serial line to the module. Opens and configures the
// port, changes the PC-side rate, reads what is waiting, writes with or
// without waiting for the module's echo, checks the cable's RTS-to-CTS
// loopback and closes the port. Failures are logged to MemoHistory and
// reported by return value; nothing is retried.
//
// The public state carries the names of the serial window's controls that
// will show it, so the window can bind to it one to one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/History.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

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
    // While the loader sends the application, received text is not logged.
    static constexpr uint8_t LoadingState = 7;

    SerialPortLayer(SerialDevice& device, Clock& clock);

    bool DoOpenPort();
    bool DoClosePort();
    uint32_t DoGetBaud();
    bool SetCommState();
    bool DoHwSetBaud(uint32_t rate);
    // Reads what is waiting, at most size - 1 bytes, zero-terminated.
    bool ReadString(char* buffer, size_t size);
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

    // Window state.
    std::string cbxHwPort;
    TextChoice cbxHwBaud{{"1200", "4800", "9600", "19200"}, "1200"};
    std::string EditHwRecv;
    bool menuCaptureTx = true;
    bool menuCaptureRx = true;
    bool cbSkipNulls = false;
    LineSettings PortDcb;
    uint32_t LastError = 0;
    char RxBuffer[RxBufferSize] = {};
    History MemoHistory;

    // Connection-sequence state that the port layer reads and resets.
    uint8_t ConnState = 0;
    std::string LabelStatus;

private:
    enum class ReadResult { Data, Nothing, Failed };
    bool setUp();
    ReadResult readInto(char* buffer, size_t size);
    void removeNulls(char* buffer, size_t count, size_t size);
    void captureReceived(const std::string& visible);
    bool writeWhole(const char* text);
    bool writeOne(char c);
    bool reportFailure(const std::string& what);

    SerialDevice& device_;
    Clock& clock_;
    PortObserver* observer_ = nullptr;
    bool portOpen_ = false;
};
