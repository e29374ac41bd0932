#include "link/DebuggerBridge.h"

namespace vx {

namespace {
template <typename Entry>
Entry entry(const LibraryLoader& library, const char* name) {
    return reinterpret_cast<Entry>(library.symbol(name));
}
}  // namespace

DebuggerBridge::DebuggerBridge(const std::string& library) {
    if (!library_.load(library)) return;
    show_ = entry<Show>(library_, "Show");
    setTitle_ = entry<SetTitle>(library_, "SetTitle");
    openedSerialPort_ = entry<OpenedSerialPort>(library_, "OpenedSerialPort");
    closedSerialPort_ = entry<ClosedSerialPort>(library_, "ClosedSerialPort");
    setEnable_ = entry<SetEnable>(library_, "SetEnable");
    getEnable_ = library_.symbol("GetEnable");
    tryGdbCommand_ = library_.symbol("Try_GDB_Command");
}

DebuggerBridge::~DebuggerBridge() = default;

void DebuggerBridge::DebuggerShow() {
    if (available() && show_) show_();
}

void DebuggerBridge::DebuggerSetTitle(const std::string& title) {
    if (available() && setTitle_) setTitle_(title.c_str());
}

void DebuggerBridge::DebuggerOpenedPort(int handle) {
    if (available() && openedSerialPort_) openedSerialPort_(handle);
}

void DebuggerBridge::DebuggerClosedPort() {
    if (available() && closedSerialPort_) closedSerialPort_();
}

void DebuggerBridge::DebuggerSetEnable(bool enabled) {
    if (available() && setEnable_) setEnable_(enabled ? 1 : 0);
}

}  // namespace vx
