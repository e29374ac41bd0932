#pragma once
// The optional serial debugger, a library loaded at run time. When it is
// there, the program tells it its title, each port opened and closed, and
// whether the module application takes queries, and its window can be shown.
// When it is absent, or lacks an entry, those calls are skipped silently.
//
// The entries, as C functions whose results are ignored:
//   void Show(void); void SetTitle(const char* title);
//   void OpenedSerialPort(int handle); void ClosedSerialPort(void);
//   void SetEnable(unsigned char enabled);   /* 1 or 0 */
// "GetEnable" and "Try_GDB_Command" are looked up but never called. The
// port's handle is the open file descriptor of a real port, and -1 for a port
// that has none (the simulated kit).
#include <string>

#include "link/SerialPortLayer.h"
#include "platform/LibraryLoader.h"

namespace vx {

class DebuggerBridge : public PortObserver {
public:
    static constexpr const char* LibraryName = "libLinkProbe.so";

    // Loads the library (by the system's search, or a path) and looks up its entries.
    explicit DebuggerBridge(const std::string& library = LibraryName);
    // Frees the library.
    ~DebuggerBridge() override;

    // Whether the Debugger menu item is enabled: the library loaded.
    bool available() const { return library_.loaded(); }

    void DebuggerShow();
    void DebuggerSetTitle(const std::string& title);
    void DebuggerOpenedPort(int handle);
    void DebuggerClosedPort();
    void DebuggerSetEnable(bool enabled);

    void portOpened(SerialDevice& port) override { DebuggerOpenedPort(port.nativeHandle()); }
    void portClosed() override { DebuggerClosedPort(); }

private:
    using Show = void (*)();
    using SetTitle = void (*)(const char*);
    using OpenedSerialPort = void (*)(int);
    using ClosedSerialPort = void (*)();
    using SetEnable = void (*)(unsigned char);

    LibraryLoader library_;
    Show show_ = nullptr;
    SetTitle setTitle_ = nullptr;
    OpenedSerialPort openedSerialPort_ = nullptr;
    ClosedSerialPort closedSerialPort_ = nullptr;
    SetEnable setEnable_ = nullptr;
    // Looked up like the others; the program never calls them.
    void* getEnable_ = nullptr;
    void* tryGdbCommand_ = nullptr;
};

}  // namespace vx
