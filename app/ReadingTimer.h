#pragma once
// The main window's reading timer, kept on the Clock so that tests fire it in
// virtual time. The window mirrors it with a single-shot QTimer armed for
// dueMicros(); a test sleeps to dueMicros() and calls the tick handler itself.
//
// Switching it off and on again within one period keeps its rhythm: a reading
// pauses the timer while its query blocks, and the next reading is still due
// one interval after the last one began, not one interval after it ended.
#include <cstdint>
#include <functional>

#include "platform/Clock.h"

class ReadingTimer {
public:
    explicit ReadingTimer(Clock& clock) : clock_(clock) {}

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    int Interval() const { return interval_; }
    // A new interval restarts the period, as a running toolkit timer does.
    void SetInterval(int ms);

    // When the next tick is due; meaningful while enabled.
    uint64_t dueMicros() const { return dueMicros_; }
    // A tick is being handled now.
    void fired();

    // Called after every change, so the window can re-arm its real timer.
    std::function<void()> onChange;

private:
    void changed() {
        if (onChange) onChange();
    }

    Clock& clock_;
    bool enabled_ = false;
    int interval_ = 1000;
    uint64_t dueMicros_ = 0;
    uint64_t pausedAtMicros_ = 0;
    bool runningPeriod_ = false;  // dueMicros_ belongs to a period that has begun
};
