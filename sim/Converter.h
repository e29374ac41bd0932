#pragma once
// The converter: its 8-bit control word and the 16-bit result word it
// produces (12-bit code, left-justified).
#include "sim/AnalogInputs.h"

#include <cstdint>

namespace vx {

// Bit 7 start; bits 6-4 channel select in the converter's own order: bit 6
// is the channel's bit 0, bit 4 its bit 1, bit 5 its bit 2 ("100" selects
// channel 1, "001" channel 2, "010" channel 4); bit 3 unipolar;
// bit 2 single-ended; bits 1-0 power mode (00 full power-down).
struct ControlWord {
    uint8_t value = 0x8F;

    bool start() const { return value & 0x80; }
    int channel() const { return (value >> 6 & 1) | (value >> 4 & 1) << 1 | (value >> 5 & 1) << 2; }
    bool unipolar() const { return value & 0x08; }
    bool singleEnded() const { return value & 0x04; }
    bool poweredDown() const { return (value & 0x03) == 0; }
    ControlWord withChannel(int channel) const;
};

class Converter {
public:
    static constexpr double Vref = 4.096;
    // One code step, in either coding; a full-scale sine has amplitude Vref / 2.
    static constexpr double LsbVolts = Vref / 4096;

    // Voltage the converter sees: the channel against ground, or in
    // differential mode against its pair partner (0-1, 2-3, 4-5, 6-7; the
    // selected channel is the positive input).
    static double inputVolts(ControlWord word, const AnalogInputs& inputs, uint64_t micros);
    // The 12-bit code: unipolar floor(V/Vref*4096) in 0..4095; bipolar the
    // same scale in -2048..2047, as 12-bit two's complement.
    static uint16_t code(ControlWord word, double volts);
    // The result word the board reports: code << 4; 0 while fully powered down.
    static uint16_t resultWord(ControlWord word, const AnalogInputs& inputs, uint64_t micros);
    // The same at an exact instant, for the evenly spaced samples of a run.
    static uint16_t resultWordAt(ControlWord word, const AnalogInputs& inputs, double seconds);
};

}  // namespace vx
