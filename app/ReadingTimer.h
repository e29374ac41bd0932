#pragma once
// The main window's reading timer, kept on the Clock so that tests fire it in
// virtual time. The window mirrors it with a single-shot QTimer armed for
// dueMicros(); a test sleeps to dueMicros() and calls the tick handler itself.
//
// Switched on, it starts a fresh period, as a toolkit timer does. A reading
// switches it off while its query blocks and then restores it in its rhythm:
// the next reading is due one interval after the last one began, not one
// interval after it ended, and at once when the reading took longer.
#include <cstdint>
#include <functional>

#include "platform/Clock.h"

namespace vx {

class ReadingTimer {
public:
    explicit ReadingTimer(Clock& clock) : clock_(clock) {}

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    // Back to wasEnabled after a reading, keeping the rhythm.
    void Restore(bool wasEnabled);
    int Interval() const { return interval_; }
    // A new interval restarts the period, as a running toolkit timer does.
    void SetInterval(int ms);

    // When the next tick is due; meaningful while enabled.
    uint64_t dueMicros() const { return dueMicros_; }
    // A tick is being handled now.
    void fired();

    // Called after every change, so the window can re-arm its real timer.
    void setOnChange(std::function<void()> callback) { onChange_ = std::move(callback); }

private:
    void changed() {
        if (onChange_) onChange_();
    }

    Clock& clock_;
    std::function<void()> onChange_;
    bool enabled_ = false;
    int interval_ = 1000;
    uint64_t dueMicros_ = 0;
    bool runningPeriod_ = false;  // dueMicros_ belongs to a period that has begun
};

}  // namespace vx
