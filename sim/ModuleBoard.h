#pragma once
// The evaluation board behind the cable: power and reset, its line rate, its
// timers, and which program runs (resident firmware or the downloaded
// application). It sees received bytes one at a time at their arrival times
// and transmits into the wire to the PC.
#include "sim/AnalogInputs.h"
#include "sim/SimFaults.h"
#include "sim/Wire.h"
#include "support/ModuleKind.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

namespace vx {

class ResidentFirmware;
class ModuleApplication;

enum class ModuleState { Off, Booting, Firmware, Loading, Application, Acquiring, Halted };

class ModuleBoard {
public:
    static constexpr uint32_t ResetBaud = 1200;
    static constexpr uint64_t BootMicros = 50'000;  // reset to beacon

    ModuleBoard(ModuleKind kind, Wire& toPc, SimFaults& faults, const AnalogInputs& inputs);
    ~ModuleBoard();

    // Power-on and the reset button: firmware restarts at 1200 baud and sends
    // its beacon after the boot time. Output not yet on the wire is lost.
    void reset(uint64_t at);
    void powerOn(uint64_t at);
    bool powered() const { return mode_ != Mode::Off; }
    // Straight into the application at the current rate, without a download.
    void runApplicationNow(uint64_t at);

    void receive(uint8_t byte, uint64_t at);
    std::optional<uint64_t> nextTimer() const;
    void runNextTimer();

    ModuleKind kind() const { return kind_; }
    uint32_t rate() const { return rate_; }
    ModuleState state() const;
    ResidentFirmware& firmware() { return *firmware_; }
    ModuleApplication& application() { return *application_; }
    const ResidentFirmware& firmware() const { return *firmware_; }
    const ModuleApplication& application() const { return *application_; }

    // What the firmware and the application use.
    uint64_t now() const { return now_; }
    const AnalogInputs& inputs() const { return inputs_; }
    void transmit(uint8_t byte);
    void transmit(std::string_view text);
    void echo(uint8_t byte);
    // Echo of a command character: the BRANT firmware does not echo its ESC commands.
    void echoCommand(uint8_t byte);
    void at(uint64_t time, std::function<void()> action);
    // Runs `action` once everything transmitted so far has gone out.
    void whenSent(std::function<void()> action);
    void changeRateWhenSent(uint32_t baud);
    void resetWhenSent();
    void startApplication(bool signOn);
    // A jump into garbage: the board says and does nothing until reset.
    void halt() { mode_ = Mode::Halted; }

private:
    enum class Mode { Off, Booting, Firmware, Application, Halted };

    ModuleKind kind_;
    Wire& toPc_;
    SimFaults& faults_;
    const AnalogInputs& inputs_;
    Mode mode_ = Mode::Off;
    uint32_t rate_ = ResetBaud;
    uint64_t now_ = 0;
    std::multimap<uint64_t, std::function<void()>> timers_;
    std::unique_ptr<ResidentFirmware> firmware_;
    std::unique_ptr<ModuleApplication> application_;
};

}  // namespace vx
