#pragma once
// Time for everything that waits. Code never reads the system time or sleeps
// directly: it asks a Clock, so tests run on a VirtualClock where a 3000 ms
// time-out costs nothing.
#include <cstdint>

namespace vx {

class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic microseconds since the clock's origin.
    virtual uint64_t micros() = 0;
    // Blocks until micros() >= deadline (returns at once when it already is).
    virtual void sleepUntil(uint64_t deadlineMicros) = 0;

    // Millisecond tick count: 32 bits, wrapping; compare by unsigned difference.
    uint32_t ticks() { return static_cast<uint32_t>(micros() / 1000); }
    void sleep(uint32_t ms) { sleepUntil(micros() + uint64_t(ms) * 1000); }
    void sleepMicros(uint64_t us) { sleepUntil(micros() + us); }
};

// Wall time from std::chrono::steady_clock.
class RealClock : public Clock {
public:
    RealClock();
    uint64_t micros() override;
    void sleepUntil(uint64_t deadlineMicros) override;

private:
    int64_t originNs_;
};

// Time that moves only when someone waits or a test advances it. Waiting jumps
// straight to the deadline.
class VirtualClock : public Clock {
public:
    // startMicros lets a test begin just before the 32-bit tick count wraps.
    explicit VirtualClock(uint64_t startMicros = 0) : now_(startMicros) {}
    uint64_t micros() override { return now_; }
    void sleepUntil(uint64_t deadlineMicros) override {
        if (deadlineMicros > now_) now_ = deadlineMicros;
    }
    void advance(uint32_t ms) { now_ += uint64_t(ms) * 1000; }

private:
    uint64_t now_;
};

// The clock the running program uses.
Clock& realClock();

}  // namespace vx
