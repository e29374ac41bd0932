#pragma once
// One direction of the serial cable: bytes go out back to back, each taking
// its frame's bit times at the sender's rate, and arrive in order.
#include <cstdint>
#include <deque>
#include <optional>

namespace vx {

struct WireByte {
    uint8_t value = 0;
    uint64_t start = 0;    // micros: first bit on the line
    uint64_t arrival = 0;  // micros: last bit received
    uint32_t senderBaud = 0;
    bool garbled = false;  // corrupted on the way, whatever the rates
};

class Wire {
public:
    // Queues a byte that the sender hands over at `at`; returns its arrival time.
    uint64_t send(uint8_t value, uint64_t at, uint32_t baud, unsigned frameBits = 10, bool garbled = false);

    std::optional<uint64_t> nextArrival() const;
    // Takes the next byte; call only when nextArrival() is set.
    WireByte take();
    // When the last queued byte will have gone out (0 for an idle line).
    uint64_t idleAt() const { return idleAt_; }

    // Drops what has not fully arrived by `at` (the sender was reset).
    void dropUnarrived(uint64_t at);
    // Drops what has not started by `at` (the sender's queue was cleared).
    void dropUnstarted(uint64_t at);

    static uint64_t frameMicros(uint32_t baud, unsigned frameBits = 10);
    // What a receiver makes of a byte sent at another rate or frame: a
    // deterministic byte of the upper half that is never the byte itself,
    // never the beacon 0xAA, and never a character that could act as a command.
    static uint8_t garble(uint8_t value, uint32_t senderBaud, uint32_t receiverBaud);

private:
    void recomputeIdle(uint64_t at);

    std::deque<WireByte> bytes_;
    uint64_t idleAt_ = 0;
};

}  // namespace vx
