#include "sim/Converter.h"

#include <algorithm>
#include <cmath>

namespace vx {

ControlWord ControlWord::withChannel(int channel) const {
    const uint8_t bits = uint8_t((channel & 1) << 6 | (channel >> 1 & 1) << 4 | (channel >> 2 & 1) << 5);
    return ControlWord{uint8_t((value & 0x8F) | bits)};
}

double Converter::inputVolts(ControlWord word, const AnalogInputs& inputs, uint64_t micros) {
    const int ch = word.channel();
    const double v = inputs.volts(ch, micros);
    return word.singleEnded() ? v : v - inputs.volts(ch ^ 1, micros);
}

uint16_t Converter::code(ControlWord word, double volts) {
    // The tiny offset keeps exact code boundaries (1.000 V = code 1000) from
    // falling one code short through rounding of Vref.
    const double steps = std::floor(volts / Vref * 4096 + 1e-9);
    if (word.unipolar()) return uint16_t(std::clamp(steps, 0.0, 4095.0));
    const int code = int(std::clamp(steps, -2048.0, 2047.0));
    return uint16_t(code & 0xFFF);
}

uint16_t Converter::resultWordAt(ControlWord word, const AnalogInputs& inputs, double seconds) {
    if (word.poweredDown()) return 0;
    const int ch = word.channel();
    const double v = inputs.voltsAt(ch, seconds);
    return uint16_t(code(word, word.singleEnded() ? v : v - inputs.voltsAt(ch ^ 1, seconds)) << 4);
}

uint16_t Converter::resultWord(ControlWord word, const AnalogInputs& inputs, uint64_t micros) {
    if (word.poweredDown()) return 0;
    return uint16_t(code(word, inputVolts(word, inputs, micros)) << 4);
}

}  // namespace vx
