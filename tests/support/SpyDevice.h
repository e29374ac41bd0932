#pragma once
// Passes every call through to a real device and notes it, so a test can see
// which calls an operation made, in what order, and what went out. It can also
// make one chosen call fail, or cut a write short, as a broken port would.
#include <string>
#include <vector>

#include "platform/SerialDevice.h"

namespace vx {

class SpyDevice : public SerialDevice {
public:
    explicit SpyDevice(SerialDevice& inner) : inner_(inner) {}

    std::vector<std::string> calls;  // "open", "purge 1", "setRts 0", ...
    std::string written;             // every byte that went out

    // The next call of that name fails with code, without reaching the device.
    void failNext(std::string call, int code) {
        failCall_ = std::move(call);
        failCode_ = code;
    }
    // The next write sends only its first bytes and reports that count.
    void shortenNextWrite(long count) { shortWrite_ = count; }
    void forget() {
        calls.clear();
        written.clear();
    }

    bool open(const std::string& name) override {
        return pass("open", [&] { return inner_.open(name); });
    }
    bool close() override {
        return pass("close", [&] { return inner_.close(); });
    }
    bool isOpen() const override { return inner_.isOpen(); }
    int nativeHandle() const override { return inner_.nativeHandle(); }
    bool getSettings(LineSettings& out) override {
        return pass("getSettings", [&] { return inner_.getSettings(out); });
    }
    bool setSettings(const LineSettings& s) override {
        return pass("setSettings " + std::to_string(s.baud), [&] { return inner_.setSettings(s); });
    }
    long read(char* buffer, size_t max) override {
        if (injected("read")) return -1;
        return result(inner_.read(buffer, max));
    }
    long write(const char* data, size_t length) override {
        if (injected("write")) return -1;
        if (shortWrite_ >= 0) {
            length = size_t(shortWrite_);
            shortWrite_ = -1;
        }
        const long count = result(inner_.write(data, length));
        if (count > 0) written.append(data, size_t(count));
        return count;
    }
    bool waitForInput(uint32_t timeoutMs) override { return inner_.waitForInput(timeoutMs); }
    bool setRts(bool on) override {
        return pass("setRts " + std::to_string(on), [&] { return inner_.setRts(on); });
    }
    bool setDtr(bool on) override {
        return pass("setDtr " + std::to_string(on), [&] { return inner_.setDtr(on); });
    }
    bool getModemLines(ModemLines& out) override {
        return pass("getModemLines", [&] { return inner_.getModemLines(out); });
    }
    bool purge(unsigned flags) override {
        return pass("purge " + std::to_string(flags), [&] { return inner_.purge(flags); });
    }

private:
    bool injected(const std::string& call) {
        calls.push_back(call);
        if (call != failCall_) return false;
        failCall_.clear();
        fail(failCode_);
        return true;
    }
    template <class Call>
    bool pass(const std::string& call, Call&& forward) {
        if (injected(call)) return false;
        return result(forward() ? 1 : -1) >= 0;
    }
    long result(long value) {
        setGone(inner_.gone());
        if (value < 0) fail(inner_.lastError().code);
        return value;
    }

    SerialDevice& inner_;
    std::string failCall_;
    int failCode_ = 0;
    long shortWrite_ = -1;
};

}  // namespace vx
