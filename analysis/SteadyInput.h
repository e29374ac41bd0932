#pragma once
// Noise figures of a record taken with a steady input.
#include <cstddef>
#include <span>

namespace vx {

struct SteadyFigures {
    std::size_t count = 0;
    double mean = 0;        // codes
    double rmsNoise = 0;    // LSB: standard deviation about the mean
    double peakToPeak = 0;  // LSB
    // log2(code span / RMS noise) and log2(code span / peak-to-peak), in bits.
    // A converter resolves no finer than its codes: both stop at log2(code span),
    // which is also what a record without any noise reads.
    double effectiveBits = 0;
    double noiseFreeBits = 0;
};

SteadyFigures AnalyseSteadyInput(std::span<const double> codes, double codeSpan);

}  // namespace vx
