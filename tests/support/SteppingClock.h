#pragma once
// Time that moves on by a fixed step whenever it is read, so work that checks
// the clock between its own steps sees time pass without anyone waiting.
#include "platform/Clock.h"

namespace vx {

class SteppingClock : public Clock {
public:
    explicit SteppingClock(uint64_t stepMicros) : step_(stepMicros) {}
    uint64_t micros() override { return now_ += step_; }
    void sleepUntil(uint64_t deadline) override { now_ = deadline > now_ ? deadline : now_; }

private:
    uint64_t step_;
    uint64_t now_ = 0;
};

}  // namespace vx
