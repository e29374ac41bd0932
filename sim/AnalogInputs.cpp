#include "sim/AnalogInputs.h"

#include <cmath>
#include <numbers>

namespace {

uint64_t mix(uint64_t x) {  // splitmix64 finaliser
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in (0, 1].
double unit(uint64_t bits) { return (double((bits >> 11) + 1)) / 9007199254740992.0; }

}  // namespace

void AnalogInputs::useDemoSignals() {
    signals_[0] = InputSignal{1.0, 0, 0, 0, 0.002};
    signals_[1] = InputSignal{2.0, 0, 1.0, 0.5, 0.002};
    signals_[2] = InputSignal{0.5, 0, 0.25, 5.0, 0.001};
    signals_[3] = InputSignal{3.0, 0, 0, 0, 0.01};
    signals_[4] = InputSignal{1.5, 0, 0.5, 50.0, 0};
    signals_[5] = InputSignal{0.25, 0, 0, 0, 0.0005};
    signals_[6] = InputSignal{3.5, 0, 0.3, 0.1, 0.003};
    signals_[7] = InputSignal{0.0, 0, 0, 0, 0};
}

double AnalogInputs::volts(int channel, uint64_t micros) const {
    const InputSignal& s = (*this)[channel];
    const double t = double(micros) / 1e6;
    double v = s.level + s.rampPerSecond * t;
    if (s.sineAmplitude != 0) v += s.sineAmplitude * std::sin(2 * std::numbers::pi * s.sineHz * t);
    if (s.noiseRms != 0) {
        // Box-Muller from two hashes of (seed, channel, time): repeatable per instant.
        const uint64_t h = mix(seed_ ^ mix(uint64_t(channel) ^ mix(micros)));
        const double u1 = unit(h), u2 = unit(mix(h));
        v += s.noiseRms * std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
    }
    return v;
}
