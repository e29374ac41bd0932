#pragma once
// One serial device that stands for several: names registered here (the
// simulated kit, test boards) go to their own device, any other name is
// opened as a real port. The port layer holds one device and the sequence
// searches a list of names, so both work through this switch.
#include <map>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/PosixSerialDevice.h"
#include "platform/SerialDevice.h"

namespace vx {

class PortSwitch : public SerialDevice {
public:
    explicit PortSwitch(Clock& clock = realClock());

    // Opening `name` opens `device` under `deviceName` (by default the same
    // name). The device must outlive the switch.
    void add(const std::string& name, SerialDevice& device, const std::string& deviceName = {});
    // The registered names, in the order they were added.
    const std::vector<std::string>& names() const { return order_; }

    bool open(const std::string& name) override;
    bool close() override;
    bool isOpen() const override;
    bool getSettings(LineSettings& out) override;
    bool setSettings(const LineSettings& settings) override;
    long read(char* buffer, size_t max) override;
    long write(const char* data, size_t length) override;
    bool waitForInput(uint32_t timeoutMs) override;
    bool setRts(bool on) override;
    bool setDtr(bool on) override;
    bool getModemLines(ModemLines& out) override;
    bool purge(unsigned flags) override;

private:
    struct Entry {
        SerialDevice* device;
        std::string deviceName;
    };
    // Copies the device's error and gone() state after a call.
    bool passed(bool ok);
    long passed(long count);

    PosixSerialDevice real_;
    std::map<std::string, Entry> named_;
    std::vector<std::string> order_;
    SerialDevice* current_ = nullptr;  // the open device, if any
};

}  // namespace vx
