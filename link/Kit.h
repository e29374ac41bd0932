#pragma once
// The link to one evaluation kit without any window: the serial device (a
// switch between real ports and registered devices such as the simulated
// kit), the port layer, the query protocol and the connection sequence. The
// program makes one and hands it to every window that talks to the board;
// the serial window shows it (the debugger bridge stays with that window).
// connect() walks the sequence tick by tick on the clock until the module's
// application runs or it gives up.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/AppQuery.h"
#include "link/ConnectionSequence.h"
#include "link/PortSwitch.h"
#include "link/SerialPortLayer.h"

namespace vx {

class Kit {
public:
    enum class Outcome { Running, NotFound, LoaderMissing, LinkFailed, Stopped };

    struct ConnectResult {
        Outcome outcome = Outcome::LinkFailed;
        std::string message;  // why it did not run, else the sequence's last status
    };

    // After the prompt to press the reset button, how long the beacon is
    // awaited before a command-line connect gives up.
    static constexpr uint32_t BeaconGiveUpMs = 15000;

    Kit(Clock& clock, Dialogs& dialogs);
    ~Kit();
    Kit(const Kit&) = delete;
    Kit& operator=(const Kit&) = delete;

    // Names of devices besides the real ports; the device must outlive the kit.
    void addDevice(const std::string& name, SerialDevice& device) { devices_.add(name, device); }

    // Runs the sequence on `port` (ConnectionSequence::AutomaticPort searches
    // `searched` in order) with the loader file at loaderPath. Between ticks
    // `stopAsked` is polled and `onTick` told of progress.
    ConnectResult connect(const std::string& port, const std::vector<std::string>& searched,
                          const std::string& loaderPath, const std::function<bool()>& stopAsked = {},
                          const std::function<void()>& onTick = {});
    // Stops a running application (the firmware restarts and sends its
    // beacon) and closes the port; harmless when nothing is open.
    void disconnect();

    bool running() const { return sequence_.ConnState() == ConnectionState::Running && query_.cbAppEnabled(); }
    // The port the sequence settled on.
    const std::string& portName() const { return port_.cbxHwPort(); }

    Clock& clock() { return clock_; }
    SerialPortLayer& port() { return port_; }
    AppQueryProtocol& query() { return query_; }
    ConnectionSequence& sequence() { return sequence_; }

private:
    Clock& clock_;
    PortSwitch devices_;
    SerialPortLayer port_;
    AppQueryProtocol query_;
    ConnectionSequence sequence_;
};

}  // namespace vx
