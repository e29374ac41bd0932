#include "link/SerialPortLayer.h"

#include <algorithm>
#include <cstring>

#include "support/Misc.h"

namespace vx {

namespace {
constexpr std::string_view CrMarker = "{0x0D}";
}  // namespace

std::string VisibleChar(unsigned char c) {
    if (c >= 0x20 && c <= 0x7E) return std::string(1, char(c));
    return std::string{'{', '0', 'x', NibbleToHexChar(uint8_t(c >> 4)), NibbleToHexChar(uint8_t(c & 0x0F)), '}'};
}

std::string VisibleString(std::string_view text) {
    std::string visible;
    for (char c : text) visible += VisibleChar(static_cast<unsigned char>(c));
    return visible;
}

SerialPortLayer::SerialPortLayer(SerialDevice& device, Clock& clock) : device_(device), clock_(clock) {}

bool SerialPortLayer::reportFailure(const std::string& what) {
    const SysError& error = device_.lastError();
    LastError_ = uint32_t(error.code);
    MemoHistory_.addLine("Error " + std::to_string(error.code) + ": " + what + ": " + error.text);
    return false;
}

bool SerialPortLayer::DoOpenPort() {
    if (portOpen_) return true;
    const std::string name = cbxHwPort_;
    if (name.empty()) {
        MemoHistory_.addLine("Error: DoOpenPort was called without a port name");
        return false;
    }
    if (!device_.open(name)) return reportFailure("Cannot open " + name);
    portOpen_ = true;
    MemoHistory_.addLine("Connected to serial port " + name);
    if (!setUp()) {
        // A half-configured port is no use, and while it stays open every
        // later open would report success for it, whatever name it is given.
        device_.close();
        portOpen_ = false;
        MemoHistory_.addLine("Closed serial port");
        return false;
    }
    if (observer_) observer_->portOpened(device_);
    return true;
}

bool SerialPortLayer::setUp() {
    // Time-outs and queue sizes need no call here: reads never block and
    // the device keeps its own queues.
    DoGetBaud();
    if (!device_.purge(PurgeTxAbort)) return reportFailure("PurgeComm failed");
    if (!device_.purge(PurgeRxAbort)) return reportFailure("PurgeComm failed");
    PortDcb_.baud = 1200;
    PortDcb_.dataBits = 8;
    PortDcb_.parity = LineSettings::Parity::None;
    PortDcb_.stopBits = 1;
    PortDcb_.ctsFlow = false;
    PortDcb_.xonXoff = false;
    if (!SetCommState()) return false;
    // DTR and RTS start low, as the window's check boxes show them. A line
    // without modem control (a pseudo-terminal) refuses this; it is logged
    // like any modem-line failure and the port still carries data.
    if (!device_.setDtr(false)) reportFailure("EscapeCommFunction failed");
    if (!device_.setRts(false)) reportFailure("EscapeCommFunction failed");
    return true;
}

bool SerialPortLayer::DoClosePort() {
    if (observer_) observer_->portClosed();
    if (!portOpen_) return true;
    if (!device_.close()) return reportFailure("CloseHandle failed");
    MemoHistory_.addLine("Closed serial port");
    portOpen_ = false;
    if (onClosed_) onClosed_();
    return true;
}

uint32_t SerialPortLayer::DoGetBaud() {
    if (!portOpen_) return 0;
    if (!device_.getSettings(PortDcb_)) {
        reportFailure("GetCommState failed in DoGetBaud");
        return 0;
    }
    const std::string rate = std::to_string(PortDcb_.baud);
    auto& items = cbxHwBaud_.items;
    if (std::find(items.begin(), items.end(), rate) == items.end()) items.push_back(rate);
    cbxHwBaud_.text = rate;
    return PortDcb_.baud;
}

bool SerialPortLayer::SetCommState() {
    if (!portOpen_) return false;
    if (!device_.setSettings(PortDcb_)) return reportFailure("SetCommState failed");
    return true;
}

bool SerialPortLayer::DoHwSetBaud(uint32_t rate) {
    if (!portOpen_) return false;
    if (rate == PortDcb_.baud) return true;
    if (int32_t(rate) < 2) return false;
    PortDcb_.baud = rate;
    if (!SetCommState()) return false;
    DoGetBaud();
    return true;
}

SerialPortLayer::ReadResult SerialPortLayer::readInto(char* buffer, size_t size) {
    if (!portOpen_ || buffer == nullptr || size == 0) return ReadResult::Nothing;
    const long count = device_.read(buffer, size - 1);
    if (count < 0) {
        buffer[0] = '\0';
        reportFailure("ReadFile failed");
        return ReadResult::Failed;
    }
    buffer[count] = '\0';
    if (count == 0) return ReadResult::Nothing;

    removeNulls(buffer, size_t(count), size);
    const std::string visible = VisibleString(buffer);
    EditHwRecv_ = visible;
    if (menuCaptureRx_ && !downloading_) captureReceived(visible);
    return ReadResult::Data;
}

bool SerialPortLayer::ReadString(char* buffer, size_t size) { return readInto(buffer, size) == ReadResult::Data; }

// NULs would end the text early: show them as "^", or drop them. The last
// byte of a full buffer is left as it is.
void SerialPortLayer::removeNulls(char* buffer, size_t count, size_t size) {
    const size_t scanned = std::min(count, size - 2);
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i < scanned && buffer[i] == '\0') {
            if (cbSkipNulls_) continue;
            buffer[i] = '^';
        }
        buffer[kept++] = buffer[i];
    }
    buffer[kept] = '\0';
}

// Received text continues the last line; each carriage return starts a new one.
void SerialPortLayer::captureReceived(const std::string& visible) {
    size_t marker = visible.find(CrMarker);
    if (marker == std::string::npos) {
        MemoHistory_.appendToLast(visible);
        return;
    }
    MemoHistory_.appendToLast(std::string_view(visible).substr(0, marker));
    std::string rest = visible.substr(marker + CrMarker.size());
    while ((marker = rest.find(CrMarker)) != std::string::npos) {
        MemoHistory_.addLine(std::string_view(rest).substr(0, marker));
        rest.erase(0, marker + CrMarker.size());
    }
    MemoHistory_.addLine(rest);
}

bool SerialPortLayer::writeOne(char c) {
    if (c == '\0') return false;  // a NUL is the end of the text: nothing to send
    const long written = device_.write(&c, 1);
    if (written < 0) return reportFailure("WriteFile failed");
    return written == 1;
}

bool SerialPortLayer::WriteCharNoEcho(char c) {
    if (!portOpen_) return false;
    if (!writeOne(c)) return false;
    if (menuCaptureTx_) MemoHistory_.addLine(VisibleChar(static_cast<unsigned char>(c)));
    return true;
}

// The whole text goes out in one write; a text sent in part is a failed
// send, not a success.
bool SerialPortLayer::writeWhole(const char* text) {
    const size_t length = std::strlen(text);
    const long written = device_.write(text, length);
    if (written < 0) return reportFailure("WriteFile failed");
    return size_t(written) == length;
}

bool SerialPortLayer::WriteStringNoEcho(const char* text) {
    if (!portOpen_ || text == nullptr || text[0] == '\0') return false;
    if (!writeWhole(text)) return false;
    if (menuCaptureTx_) MemoHistory_.addLine(VisibleString(text));
    return true;
}

bool SerialPortLayer::WriteStringWaitForEcho(const char* text) {
    if (!portOpen_ || text == nullptr || text[0] == '\0') return false;
    for (const char* next = text; *next != '\0'; ++next) {
        if (!writeOne(*next)) return false;
        const uint32_t start = clock_.ticks();
        bool echoed = false;
        for (uint32_t waited = 0; waited < EchoTimeoutMs; waited = clock_.ticks() - start) {
            device_.waitForInput(EchoTimeoutMs - waited);
            char echo[2];
            const ReadResult result = readInto(echo, sizeof echo);
            // A failed read is not retried: the line is gone or broken.
            if (result == ReadResult::Failed) return false;
            if (result == ReadResult::Data && echo[0] == *next) {
                echoed = true;
                break;
            }
        }
        if (!echoed) return false;
    }
    return true;
}

bool SerialPortLayer::WriteBlockWaitForEcho(const char* text) {
    if (!portOpen_ || text == nullptr || text[0] == '\0') return false;
    if (!writeWhole(text)) return false;
    const size_t length = std::strlen(text);
    size_t echoed = 0;
    uint32_t start = clock_.ticks();
    for (uint32_t waited = 0; waited < EchoTimeoutMs; waited = clock_.ticks() - start) {
        device_.waitForInput(EchoTimeoutMs - waited);
        // Never more than the echoes still due, so nothing after them is taken.
        char piece[RxBufferSize];
        const ReadResult result = readInto(piece, std::min(length - echoed, sizeof piece - 1) + 1);
        if (result == ReadResult::Failed) return false;
        if (result == ReadResult::Nothing) continue;
        for (const char* c = piece; *c != '\0'; ++c) {
            if (*c != text[echoed]) continue;  // not this character's echo: passed over
            if (++echoed == length) return true;
            start = clock_.ticks();
        }
    }
    return false;
}

bool SerialPortLayer::RtsCtsLoopbackPresent() {
    if (!portOpen_) return false;
    ModemLines lines;
    if (!device_.setRts(false)) return reportFailure("EscapeCommFunction failed");
    if (!device_.getModemLines(lines)) return reportFailure("GetCommModemStatus failed");
    if (lines.cts) return false;
    if (!device_.setRts(true)) return reportFailure("EscapeCommFunction failed");
    if (!device_.getModemLines(lines)) return reportFailure("GetCommModemStatus failed");
    return lines.cts;
}

}  // namespace vx
