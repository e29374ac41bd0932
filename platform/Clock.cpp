#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace vx {

namespace {
int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

RealClock::RealClock() : originNs_(steadyNs()) {}

uint64_t RealClock::micros() { return uint64_t(steadyNs() - originNs_) / 1000; }

void RealClock::sleepUntil(uint64_t deadlineMicros) {
    const uint64_t now = micros();
    if (deadlineMicros > now) std::this_thread::sleep_for(std::chrono::microseconds(deadlineMicros - now));
}

Clock& realClock() {
    static RealClock clock;
    return clock;
}

}  // namespace vx
