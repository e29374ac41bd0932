// The figures checked against what theory says of known signals, not against
// the analyser's own earlier output.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <tuple>

#include "analysis/SpectrumAnalysis.h"

namespace vx {

namespace {

constexpr double Span = 4096;  // 12-bit coding

struct Tone {
    std::size_t n = 8192;
    double cycles = 1001;       // per record; odd and prime to n for coherent sampling
    double amplitude = 2047.5;  // LSB
    double noiseRms = 0;        // LSB
    double h3Dbc = 0;           // 0: no third harmonic
};

// An ideal 12-bit converter reading the tone: rounding to the nearest code.
std::vector<double> quantise(const Tone& t) {
    std::mt19937_64 random(7318);
    std::normal_distribution<double> noise;
    const double h3 = t.h3Dbc != 0 ? t.amplitude * std::pow(10, t.h3Dbc / 20) : 0;
    std::vector<double> codes(t.n);
    for (std::size_t i = 0; i < t.n; ++i) {
        const double phase = 2 * std::numbers::pi * t.cycles * double(i) / double(t.n) + 0.3;
        const double v = 2047.5 + t.amplitude * std::sin(phase) + h3 * std::sin(3 * phase) + t.noiseRms * noise(random);
        codes[i] = std::clamp(std::round(v), 0.0, 4095.0);
    }
    return codes;
}

double idealSnr(double amplitude, double noiseRms) {
    return 10 * std::log10(amplitude * amplitude / 2 / (1.0 / 12 + noiseRms * noiseRms));
}

}  // namespace

TEST(SpectrumAnalysis, SignalToNoiseMatchesQuantisationTheoryAndRecordsWithoutAToneAreRefused) {
    const std::tuple<const char*, Tone, SpectrumWindow, double> cases[] = {
        // ..., tolerance in dB
        {"ideal coherent", {}, SpectrumWindow::None, 0.3},
        {"1 LSB noise", {.amplitude = 2000, .noiseRms = 1}, SpectrumWindow::None, 0.4},
        {"non-coherent, Blackman-Harris", {.cycles = 1001.37}, SpectrumWindow::BlackmanHarris, 1.0},
        {"coherent, Hann, noisy", {.amplitude = 2000, .noiseRms = 1}, SpectrumWindow::Hann, 0.4},
        {"short record", {.n = 256, .cycles = 31, .amplitude = 2000, .noiseRms = 1}, SpectrumWindow::None, 1.0},
    };
    SpectrumAnalyser analyser;
    for (const auto& [name, tone, window, tolerance] : cases) {
        SCOPED_TRACE(name);
        const SpectrumResult r = analyser.analyse(quantise(tone), Span, 0, window);
        ASSERT_TRUE(r.valid);
        const double expected = idealSnr(tone.amplitude, tone.noiseRms);
        EXPECT_NEAR(r.snr, expected, tolerance);
        EXPECT_NEAR(r.enob, (expected - 1.76) / 6.02, tolerance / 6.02);
        EXPECT_NEAR(r.fundamental.frequency, tone.cycles / double(tone.n), 0.1 / double(tone.n));
        EXPECT_NEAR(r.fundamental.dbfs, 20 * std::log10(tone.amplitude / 2048), 0.05);
    }
    // Too short, empty or flat: no tone to analyse.
    EXPECT_FALSE(analyser.analyse(quantise({.n = 16, .cycles = 3}), Span, 0).valid);
    EXPECT_FALSE(analyser.analyse({}, Span, 0).valid);
    EXPECT_FALSE(analyser.analyse(std::vector<double>(1024, 17.0), Span, 0).valid);
}

TEST(SpectrumAnalysis, ThirdHarmonicIsFoundWhereItFolds) {
    // Cycles per record, and the bin where 3 x cycles lands in 0..n/2.
    for (const auto& c : {std::pair{1001.0, 3003.0}, {1901.0, 8192.0 - 5703}}) {
        SCOPED_TRACE(c.first);
        SpectrumAnalyser analyser;
        const SpectrumResult r = analyser.analyse(quantise({.cycles = c.first, .amplitude = 2000, .h3Dbc = -60}), Span,
                                                  6000, SpectrumWindow::None);
        EXPECT_NEAR(r.thd, -60, 0.3);
        EXPECT_NEAR(r.sfdrDbc, 60, 0.3);
        EXPECT_NEAR(r.sfdrDbfs, 60 - 20 * std::log10(2000.0 / 2048), 0.3);
        EXPECT_NEAR(r.harmonics[1].frequency, c.second * 6000 / 8192, 6000.0 / 8192);
        EXPECT_NEAR(r.largestSpur.frequency, r.harmonics[1].frequency, 6000.0 / 8192);
        EXPECT_NEAR(r.sinad, -10 * std::log10(std::pow(10, -6.0) + std::pow(10, -idealSnr(2000, 0) / 10)), 0.3);
        EXPECT_LT(std::max(r.harmonics[0].dbfs, r.harmonics[4].dbfs), -100);  // no 2nd or 6th harmonic was put in
        EXPECT_NEAR(r.dcCodes, 2047.5, 0.05);
    }
}

}  // namespace vx
