#include "analysis/SteadyInput.h"

#include <algorithm>
#include <cmath>

namespace vx {

SteadyFigures AnalyseSteadyInput(std::span<const double> codes, double codeSpan) {
    SteadyFigures f;
    f.count = codes.size();
    if (codes.empty() || codeSpan <= 0) return f;
    double sum = 0;
    for (double c : codes) sum += c;
    f.mean = sum / double(codes.size());
    double squares = 0;
    for (double c : codes) squares += (c - f.mean) * (c - f.mean);
    f.rmsNoise = std::sqrt(squares / double(codes.size()));
    const auto [low, high] = std::minmax_element(codes.begin(), codes.end());
    f.peakToPeak = *high - *low;
    const double codingBits = std::log2(codeSpan);
    auto bits = [&](double spread) {
        return spread > 0 ? std::min(std::log2(codeSpan / spread), codingBits) : codingBits;
    };
    f.effectiveBits = bits(f.rmsNoise);
    f.noiseFreeBits = bits(f.peakToPeak);
    return f;
}

}  // namespace vx
