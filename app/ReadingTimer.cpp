#include "app/ReadingTimer.h"

namespace vx {

void ReadingTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (on) {
        dueMicros_ = clock_.micros() + uint64_t(interval_) * 1000;
        runningPeriod_ = true;
    }
    changed();
}

void ReadingTimer::Restore(bool wasEnabled) {
    if (wasEnabled == enabled_) return;
    if (!wasEnabled || !runningPeriod_) return SetEnabled(wasEnabled);
    enabled_ = true;
    changed();
}

void ReadingTimer::SetInterval(int ms) {
    interval_ = ms;
    dueMicros_ = clock_.micros() + uint64_t(interval_) * 1000;
    runningPeriod_ = true;
    changed();
}

// A tick that comes a little late does not shift the ones after it; after a
// stall of a whole period or more the rhythm starts again from now.
void ReadingTimer::fired() {
    const uint64_t now = clock_.micros();
    const uint64_t period = uint64_t(interval_) * 1000;
    dueMicros_ = runningPeriod_ && dueMicros_ + period > now ? dueMicros_ + period : now + period;
    runningPeriod_ = true;
    changed();
}

}  // namespace vx
