#include "sim/Wire.h"

#include <algorithm>

namespace vx {

uint64_t Wire::frameMicros(uint32_t baud, unsigned frameBits) {
    if (baud == 0) baud = 1;
    return (uint64_t(frameBits) * 1'000'000 + baud / 2) / baud;
}

uint64_t Wire::send(uint8_t value, uint64_t at, uint32_t baud, unsigned frameBits, bool garbled) {
    WireByte byte{value, std::max(at, idleAt_), 0, baud, garbled};
    byte.arrival = byte.start + frameMicros(baud, frameBits);
    idleAt_ = byte.arrival;
    bytes_.push_back(byte);
    return byte.arrival;
}

std::optional<uint64_t> Wire::nextArrival() const {
    if (bytes_.empty()) return std::nullopt;
    return bytes_.front().arrival;
}

WireByte Wire::take() {
    WireByte byte = bytes_.front();
    bytes_.pop_front();
    return byte;
}

void Wire::dropUnarrived(uint64_t at) {
    while (!bytes_.empty() && bytes_.back().arrival > at) bytes_.pop_back();
    recomputeIdle(at);
}

void Wire::dropUnstarted(uint64_t at) {
    while (!bytes_.empty() && bytes_.back().start >= at) bytes_.pop_back();
    recomputeIdle(at);
}

void Wire::recomputeIdle(uint64_t at) { idleAt_ = bytes_.empty() ? std::min(idleAt_, at) : bytes_.back().arrival; }

uint8_t Wire::garble(uint8_t value, uint32_t senderBaud, uint32_t receiverBaud) {
    uint32_t h = value * 0x9E3779B1u ^ senderBaud * 0x85EBCA6Bu ^ receiverBaud * 0xC2B2AE35u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 13;
    uint8_t out = uint8_t(0x80 | (h & 0x7F));
    while (out == value || out == 0xAA) out = uint8_t(0x80 | ((out + 1) & 0x7F));
    return out;
}

}  // namespace vx
