#include "sim/AnalogInputs.h"

#include <cmath>
#include <numbers>

namespace vx {

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

double AnalogInputs::volts(int channel, uint64_t micros) const { return volts(channel, double(micros) / 1e6, micros); }

double AnalogInputs::voltsAt(int channel, double seconds) const {
    // Nanoseconds keep the noise of neighbouring instants apart; the high bit
    // keeps them apart from the microsecond keys.
    return volts(channel, seconds, uint64_t(std::llround(seconds * 1e9)) | 1ull << 63);
}

double AnalogInputs::volts(int channel, double t, uint64_t noiseKey) const {
    const InputSignal& s = (*this)[channel];
    double v = s.level + s.rampPerSecond * t;
    if (s.sineAmplitude != 0) {
        const double phase = 2 * std::numbers::pi * std::fmod(s.sineHz * t, 1.0);
        v += s.sineAmplitude * std::sin(phase);
        for (std::size_t m = 0; m < s.harmonics.size(); ++m)
            if (s.harmonics[m] != 0) v += s.sineAmplitude * s.harmonics[m] * std::sin(double(m + 2) * phase);
    }
    if (s.noiseRms != 0) {
        // Box-Muller from two hashes of (seed, channel, time): repeatable per instant.
        const uint64_t h = mix(seed_ ^ mix(uint64_t(channel) ^ mix(noiseKey)));
        const double u1 = unit(h), u2 = unit(mix(h));
        v += s.noiseRms * std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
    }
    return v;
}

}  // namespace vx
