#include "app/ReadingTimer.h"

void ReadingTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    const uint64_t now = clock_.micros();
    enabled_ = on;
    if (!on) {
        pausedAtMicros_ = now;
    } else if (!runningPeriod_ || pausedAtMicros_ >= dueMicros_) {
        // Off for a whole period or longer: start afresh.
        dueMicros_ = now + uint64_t(interval_) * 1000;
        runningPeriod_ = true;
    }
    changed();
}

void ReadingTimer::SetInterval(int ms) {
    interval_ = ms;
    dueMicros_ = clock_.micros() + uint64_t(interval_) * 1000;
    runningPeriod_ = true;
    changed();
}

void ReadingTimer::fired() {
    dueMicros_ = clock_.micros() + uint64_t(interval_) * 1000;
    runningPeriod_ = true;
    changed();
}
