#pragma once
// The module link as the sampling tool uses it: queries, the acquisition's
// raw traffic, the quiet time that ends a reply, and the serial window's
// history, which the upload keeps short.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx {

class AppQueryProtocol;
class Clock;
class SerialPortLayer;

class SampleLink {
public:
    virtual ~SampleLink() = default;
    // The reply, or "FAILURE".
    virtual std::string AppQuery(const std::string& query) = 0;
    virtual bool WriteStringWaitForEcho(const char* text) = 0;
    virtual bool WriteStringNoEcho(const char* text) = 0;
    // What is waiting, at most size - 1 characters; true when something came.
    virtual bool ReadString(char* buffer, size_t size) = 0;
    // Blocks until input is waiting or ms have passed.
    virtual void waitForInput(uint32_t ms) = 0;
    virtual uint32_t AppQueryTimeoutMs() = 0;
    virtual size_t HistoryLines() = 0;
    virtual void ClearHistory() = 0;
    // The module's application answers queries (the connection reached it).
    virtual bool ApplicationRunning() = 0;
    // The adapter was unplugged or hung up: nothing more will come.
    virtual bool DeviceGone() = 0;
};

// Straight to a port layer and its query protocol (no window).
class PortSampleLink : public SampleLink {
public:
    PortSampleLink(SerialPortLayer& port, AppQueryProtocol& protocol) : port_(port), protocol_(protocol) {}

    std::string AppQuery(const std::string& query) override;
    bool WriteStringWaitForEcho(const char* text) override;
    bool WriteStringNoEcho(const char* text) override;
    bool ReadString(char* buffer, size_t size) override;
    void waitForInput(uint32_t ms) override;
    uint32_t AppQueryTimeoutMs() override;
    size_t HistoryLines() override;
    void ClearHistory() override;
    bool ApplicationRunning() override;
    bool DeviceGone() override;

private:
    SerialPortLayer& port_;
    AppQueryProtocol& protocol_;
};

}  // namespace vx
