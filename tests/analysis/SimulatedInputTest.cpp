// The simulated kit's inputs as the command line sets them, read back through
// the converter model and the analysis: what was asked for is what is seen.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "analysis/SpectrumAnalysis.h"
#include "analysis/SteadyInput.h"
#include "sim/Converter.h"
#include "sim/InputSpec.h"

namespace vx {

namespace {

// Codes of one channel, single-ended and unipolar, sampled at 6 ksps.
std::vector<double> sample(const AnalogInputs& inputs, int channel, std::size_t n) {
    const ControlWord word = ControlWord{0x8F}.withChannel(channel);
    std::vector<double> codes(n);
    for (std::size_t i = 0; i < n; ++i) codes[i] = Converter::resultWordAt(word, inputs, double(i) / 6000) >> 4;
    return codes;
}

AnalogInputs inputsFrom(const char* text) {
    std::string error;
    const auto input = ParseInputSpec(text, error);
    EXPECT_TRUE(input) << error;
    AnalogInputs inputs;
    if (input) inputs[input->channel] = input->signal;
    return inputs;
}

}  // namespace

// The sine's level and harmonics, the level's noise and the ramp's rate and
// offset, as configured, and the steady-input figures of a level. (A sine's
// frequency and noise are seen in the sampling tool's run.)
TEST(SimulatedInput, SettingsReadBackAsConfigured) {
    const AnalogInputs sine = inputsFrom("4=sine:1234Hz,-1dBFS,h3=-50dBc,h5=-62dBc");
    const SpectrumResult r = SpectrumAnalyser{}.analyse(sample(sine, 4, 4096), 4096, 6000);
    EXPECT_NEAR(r.fundamental.dbfs, -1, 0.1);
    EXPECT_NEAR(r.harmonics[1].dbfs - r.fundamental.dbfs, -50, 0.5);
    EXPECT_NEAR(r.harmonics[3].dbfs - r.fundamental.dbfs, -62, 1.0);

    // A level's noise, and the resolution it leaves.
    const SteadyFigures level = AnalyseSteadyInput(sample(inputsFrom("0=level:1.25V,noise=2"), 0, 8192), 4096);
    EXPECT_NEAR(level.mean, 1250 - 0.5, 0.1);
    EXPECT_NEAR(level.rmsNoise, std::sqrt(4 + 1.0 / 12), 0.1);
    EXPECT_NEAR(level.effectiveBits, 11.0, 0.1);
    EXPECT_NEAR(level.noiseFreeBits, std::log2(4096 / level.peakToPeak), 1e-9);
    const SteadyFigures still = AnalyseSteadyInput(std::vector<double>(100, 17.0), 4096);
    EXPECT_EQ(std::tuple(still.rmsNoise, still.effectiveBits, still.noiseFreeBits), std::tuple(0.0, 12.0, 12.0))
        << "no finer than one code";

    const auto ramp = sample(inputsFrom("7=ramp:+1.5V/s,offset=0.1V"), 7, 6001);
    EXPECT_EQ(std::pair(ramp.front(), ramp.back()), std::pair(100.0, 1600.0));
}

TEST(SimulatedInput, MistakesAreNamed) {
    const char* bad[] = {
        "sine:1000Hz,-1dBFS",  // no channel
        "3=square:1000Hz,1V",  // unknown kind
        "3=sine:1000Hz",       // no amplitude
        "3=sine:-1dBFS",       // no frequency
        "3=sine:1000Hz,-1dBFS,h7=-70dBc",
        "3=sine:1000Hz,-1dBFS,h3=-70",  // dBc missing
        "3=level:1V,h3=-70dBc",         // harmonics only for a sine
        "3=level:1,5V",                 // decimal comma
        "3=ramp:1V",                    // a ramp's rate is V/s
        "3=sine:1000Hz,1V,noise=-1",
        "3=level:nanV",
        "3=level:1.5xV",  // not all a number
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(ParseInputSpec(text, error)) << text;
        EXPECT_NE(error.find(text), std::string::npos) << error;
    }
}

}  // namespace vx
