#pragma once
// The simulated module running its application, the port open at 9600 baud
// and the query protocol enabled, all on a virtual clock.
#include <cstdint>
#include <functional>
#include <string>

#include "link/AppQuery.h"
#include "link/SerialPortLayer.h"
#include "sim/ResidentFirmware.h"
#include "sim/SimulatedKit.h"

namespace vx {

// Runs an action once, when time first reaches a given moment.
class AlarmClock : public VirtualClock {
public:
    void at(uint64_t micros, std::function<void()> action) {
        alarmAt_ = micros;
        alarm_ = std::move(action);
    }
    void sleepUntil(uint64_t deadline) override {
        if (alarm_ && deadline >= alarmAt_) {
            VirtualClock::sleepUntil(alarmAt_);
            auto action = std::move(alarm_);
            alarm_ = nullptr;
            action();
        }
        VirtualClock::sleepUntil(deadline);
    }

private:
    uint64_t alarmAt_ = 0;
    std::function<void()> alarm_;
};

struct RunningKit {
    AlarmClock clock;
    SimulatedKit kit{clock};
    SerialPortLayer port{kit, clock};
    AppQueryProtocol protocol{port};

    RunningKit() {
        port.setHwPort(SimulatedKit::PortName);
        port.DoOpenPort();
        clock.sleep(100);                  // the firmware's beacon
        port.WriteStringNoEcho("\033B9");  // the firmware's rate command: 9600 baud
        clock.sleep(100);                  // the echo goes out at the old rate
        port.DoHwSetBaud(9600);
        kit.runApplication();
        char drain[SerialPortLayer::RxBufferSize];
        while (port.ReadString(drain, sizeof drain)) {
        }
        port.MemoHistory().clear();
        protocol.setAppEnabled(true);
    }
};

}  // namespace vx
