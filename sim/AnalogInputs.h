#pragma once
// The eight analogue inputs of the converter, as functions of board time.
#include <array>
#include <cstdint>

namespace vx {

struct InputSignal {
    double level = 0;          // volts
    double rampPerSecond = 0;  // volts added per second of board time
    double sineAmplitude = 0;  // volts
    double sineHz = 0;
    double noiseRms = 0;  // seeded Gaussian noise, volts rms
    // Harmonic distortion of the sine: the 2nd to 6th harmonics' amplitudes as
    // fractions of the sine's amplitude, in phase with it.
    std::array<double, 5> harmonics{};
};

class AnalogInputs {
public:
    static constexpr int Channels = 8;

    InputSignal& operator[](int channel) { return signals_.at(channel); }
    const InputSignal& operator[](int channel) const { return signals_.at(channel); }
    void setLevel(int channel, double volts) { (*this)[channel] = InputSignal{volts}; }
    void setSeed(uint64_t seed) { seed_ = seed; }
    // Something to look at when the program runs against the simulated kit.
    void useDemoSignals();

    // Input voltage at board time `micros`; the same time always gives the same value.
    double volts(int channel, uint64_t micros) const;
    // The same at an instant between microseconds: sampling runs keep their
    // exact 6 ksps spacing, with no rounding of the instants to look like jitter.
    double voltsAt(int channel, double seconds) const;

private:
    // noiseKey picks the noise sample: one per distinct instant.
    double volts(int channel, double seconds, uint64_t noiseKey) const;

    std::array<InputSignal, Channels> signals_{};
    uint64_t seed_ = 7318;
};

}  // namespace vx
