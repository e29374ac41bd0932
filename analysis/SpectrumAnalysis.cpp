#include "analysis/SpectrumAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "analysis/FftPlan.h"

namespace vx {

namespace {

enum BinKind : unsigned char { Noise, Dc, Signal, Harmonic };

double decibels(double ratio) { return 10 * std::log10(std::max(ratio, 1e-30)); }

// Periodic forms (the DFT's own period N), so that a coherent tone stays in its lobe.
std::vector<double> makeWindow(SpectrumWindow window, std::size_t n) {
    std::vector<double> w(n, 1.0);
    const double step = 2 * std::numbers::pi / double(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = step * double(i);
        if (window == SpectrumWindow::Hann)
            w[i] = 0.5 - 0.5 * std::cos(x);
        else if (window == SpectrumWindow::BlackmanHarris)
            w[i] = 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
    }
    return w;
}

}  // namespace

int ToneHalfWidth(SpectrumWindow window) {
    switch (window) {
    case SpectrumWindow::None: return 1;
    case SpectrumWindow::Hann: return 3;
    default: return 5;
    }
}

SpectrumAnalyser::SpectrumAnalyser() = default;
SpectrumAnalyser::~SpectrumAnalyser() = default;

FftPlan& SpectrumAnalyser::planFor(std::size_t length) {
    auto& plan = plans_[length];
    if (!plan) plan = std::make_unique<FftPlan>(length);
    return *plan;
}

const std::vector<double>& SpectrumAnalyser::windowFor(SpectrumWindow window, std::size_t length) {
    auto& w = windows_[{window, length}];
    if (w.empty()) w = makeWindow(window, length);
    return w;
}

SpectrumResult SpectrumAnalyser::analyse(std::span<const double> codes, double codeSpan, double sampleRate,
                                         SpectrumWindow window) {
    SpectrumResult r;
    const std::size_t n = codes.size();
    const int h = ToneHalfWidth(window);
    const int half = int(n / 2);
    if (half <= 2 * h + 1 || codeSpan <= 0) return r;

    r.binWidth = (sampleRate > 0 ? sampleRate : 1.0) / double(n);
    r.dcCodes = std::accumulate(codes.begin(), codes.end(), 0.0) / double(n);
    const std::vector<double>& w = windowFor(window, n);
    FftPlan& plan = planFor(n);
    std::span<double> in = plan.input();
    double sumW = 0, sumW2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        in[i] = (codes[i] - r.dcCodes) * w[i];
        sumW += w[i];
        sumW2 += w[i] * w[i];
    }
    const auto bins = plan.execute();

    const double fullScale = codeSpan / 2;
    const double fullScalePower = fullScale * fullScale / 2;
    power_.assign(std::size_t(half) + 1, 0.0);
    kind_.assign(std::size_t(half) + 1, Noise);
    r.dbfs.resize(std::size_t(half) + 1);
    for (int k = 0; k <= half; ++k) {
        // Bins 0 and N/2 have no mirror image in the other half.
        const bool single = k == 0 || (n % 2 == 0 && k == half);
        const double m2 = std::norm(bins[std::size_t(k)]);
        power_[std::size_t(k)] = (single ? 1.0 : 2.0) * m2 / (double(n) * sumW2);
        const double amplitude = (single ? 1.0 : 2.0) * std::sqrt(m2) / sumW;
        r.dbfs[std::size_t(k)] = 20 * std::log10(std::max(amplitude / fullScale, 1e-15));
    }

    // Marks the still-uncounted bins within h of centre; returns their power.
    auto claim = [&](int centre, BinKind kind) {
        double sum = 0;
        for (int k = std::max(centre - h, 0); k <= std::min(centre + h, half); ++k) {
            if (kind_[std::size_t(k)] != Noise) continue;
            kind_[std::size_t(k)] = kind;
            sum += power_[std::size_t(k)];
        }
        return sum;
    };
    auto line = [&](double bin, double power, bool counted) {
        return SpectralLine{bin * r.binWidth, decibels(power / fullScalePower), counted};
    };

    claim(0, Dc);
    const int peak = int(std::max_element(power_.begin() + h + 1, power_.end()) - power_.begin());
    double signalPower = 0, moment = 0;
    for (int k = std::max(peak - h, h + 1); k <= std::min(peak + h, half); ++k) {
        signalPower += power_[std::size_t(k)];
        moment += double(k) * power_[std::size_t(k)];
    }
    if (signalPower <= 0) return r;  // a flat record: no tone to measure against
    claim(peak, Signal);
    const double centre = signalPower > 0 ? moment / signalPower : double(peak);
    r.fundamental = line(centre, signalPower, true);

    double distortion = 0;
    for (int m = 2; m <= 6; ++m) {
        double folded = std::fmod(m * centre, double(n));
        if (folded > double(n) / 2) folded = double(n) - folded;
        const int bin = std::min(int(std::lround(folded)), half);  // an odd N ends half a bin early
        const bool counted = kind_[std::size_t(bin)] == Noise;
        const double p = counted ? claim(bin, Harmonic) : 0.0;
        distortion += p;
        r.harmonics[std::size_t(m - 2)] = line(folded, p, counted);
    }

    double noise = 0;
    int noiseBins = 0, spur = -1;
    for (int k = 0; k <= half; ++k) {
        const BinKind kind = BinKind(kind_[std::size_t(k)]);
        if (kind == Noise) {
            noise += power_[std::size_t(k)];
            ++noiseBins;
        }
        if ((kind == Noise || kind == Harmonic) && (spur < 0 || power_[std::size_t(k)] > power_[std::size_t(spur)]))
            spur = k;
    }
    noise = noiseBins > 0 ? noise / noiseBins * half : 0.0;
    double spurPower = 0;
    for (int k = std::max(spur - h, 0); spur >= 0 && k <= std::min(spur + h, half); ++k)
        if (kind_[std::size_t(k)] == Noise || kind_[std::size_t(k)] == Harmonic) spurPower += power_[std::size_t(k)];
    r.largestSpur = line(spur, spurPower, spur >= 0);

    r.snr = decibels(signalPower / noise);
    r.sinad = decibels(signalPower / (noise + distortion));
    r.thd = decibels(distortion / signalPower);
    r.sfdrDbc = decibels(signalPower / spurPower);
    r.sfdrDbfs = decibels(fullScalePower / spurPower);
    r.enob = (r.sinad - 1.76) / 6.02;
    r.valid = true;
    return r;
}

}  // namespace vx
