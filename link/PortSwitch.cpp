#include "link/PortSwitch.h"

#include <cerrno>

namespace vx {

PortSwitch::PortSwitch(Clock& clock) : real_(clock) {}

void PortSwitch::add(const std::string& name, SerialDevice& device, const std::string& deviceName) {
    if (named_.find(name) == named_.end()) order_.push_back(name);
    named_[name] = Entry{&device, deviceName.empty() ? name : deviceName};
}

bool PortSwitch::passed(bool ok) {
    setGone(current_->gone());
    if (!ok) fail(current_->lastError().code);
    return ok;
}

long PortSwitch::passed(long count) {
    passed(count >= 0);
    return count;
}

bool PortSwitch::open(const std::string& name) {
    if (current_ != nullptr) return fail(EBUSY);
    const auto found = named_.find(name);
    SerialDevice* device = found == named_.end() ? static_cast<SerialDevice*>(&real_) : found->second.device;
    const std::string deviceName = found == named_.end() ? name : found->second.deviceName;
    current_ = device;
    const bool ok = passed(device->open(deviceName));
    if (!ok) current_ = nullptr;
    return ok;
}

bool PortSwitch::close() {
    if (current_ == nullptr) return fail(EBADF);
    const bool ok = passed(current_->close());
    if (ok) current_ = nullptr;
    return ok;
}

bool PortSwitch::isOpen() const { return current_ != nullptr && current_->isOpen(); }

bool PortSwitch::getSettings(LineSettings& out) {
    if (current_ == nullptr) return fail(EBADF);
    return passed(current_->getSettings(out));
}

bool PortSwitch::setSettings(const LineSettings& settings) {
    if (current_ == nullptr) return fail(EBADF);
    return passed(current_->setSettings(settings));
}

long PortSwitch::read(char* buffer, size_t max) {
    if (current_ == nullptr) return fail(EBADF) ? 0 : -1;
    return passed(current_->read(buffer, max));
}

long PortSwitch::write(const char* data, size_t length) {
    if (current_ == nullptr) return fail(EBADF) ? 0 : -1;
    return passed(current_->write(data, length));
}

bool PortSwitch::waitForInput(uint32_t timeoutMs) {
    if (current_ == nullptr) return false;
    const bool waiting = current_->waitForInput(timeoutMs);
    setGone(current_->gone());
    return waiting;
}

bool PortSwitch::setRts(bool on) {
    if (current_ == nullptr) return fail(EBADF);
    return passed(current_->setRts(on));
}

bool PortSwitch::setDtr(bool on) {
    if (current_ == nullptr) return fail(EBADF);
    return passed(current_->setDtr(on));
}

bool PortSwitch::getModemLines(ModemLines& out) {
    if (current_ == nullptr) return fail(EBADF);
    return passed(current_->getModemLines(out));
}

bool PortSwitch::purge(unsigned flags) {
    if (current_ == nullptr) return fail(EBADF);
    return passed(current_->purge(flags));
}

}  // namespace vx
