#pragma once
// The eight analogue inputs of the converter, as functions of board time.
#include <array>
#include <cstdint>

struct InputSignal {
    double level = 0;          // volts
    double rampPerSecond = 0;  // volts added per second of board time
    double sineAmplitude = 0;  // volts
    double sineHz = 0;
    double noiseRms = 0;       // seeded Gaussian noise, volts rms
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

private:
    std::array<InputSignal, Channels> signals_{};
    uint64_t seed_ = 7318;
};
