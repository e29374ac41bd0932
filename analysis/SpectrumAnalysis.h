#pragma once
// Dynamic figures of one channel's record of a sampled sine: the single-sided
// spectrum in dBFS and the signal-to-noise and distortion figures read from it.
//
// Full scale is the coding's code span (4096 for 12 bits): a sine whose peaks
// touch both ends of the span reads 0 dBFS. The record's mean is taken out
// before the window is applied and reported as the DC offset.
//
// How the bins are counted. Each window spreads a pure tone over a main lobe;
// h bins either side of a tone's bin belong to that tone:
//   no window             h = 1  (coherent sampling puts the tone in one bin)
//   Hann                  h = 3  (main lobe +-2 bins, one more for a tone between bins)
//   Blackman-Harris 4-term h = 5 (main lobe +-4 bins, one more likewise)
// Hann's side lobes fall slowly: a large tone between bins leaks well above a
// 12-bit noise floor beyond its h bins, so Hann suits tones close to coherent;
// Blackman-Harris keeps its leakage below that floor.
// - DC: bins 0..h.
// - Signal: the largest bin above the DC bins and h bins either side; the
//   fundamental's frequency is the power-weighted centre of those bins.
// - Harmonics 2 to 6: m times the fundamental's frequency, folded back into
//   0..rate/2 when above it (aliasing), h bins either side. A harmonic that
//   folds onto DC or signal bins, or onto an earlier harmonic, adds nothing.
// - Noise: every other bin. Their mean power times the bins of the whole band
//   (1..N/2) stands for the noise, so that the bins set aside for DC, signal
//   and harmonics do not make the noise look smaller than it is.
// - Largest spur: the largest bin that is neither DC nor signal, with h bins
//   either side (harmonic or noise bins only).
// Powers are sums of bins, scaled so that a sine of amplitude A codes has
// power A^2/2 and white noise of RMS s codes has power s^2 over the band.
#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <span>
#include <vector>

namespace vx {

class FftPlan;

enum class SpectrumWindow { BlackmanHarris, Hann, None };

// Bins either side of a tone that belong to it, for the window.
int ToneHalfWidth(SpectrumWindow window);

struct SpectralLine {
    double frequency = 0;  // Hz, or cycles per sample when the rate is unknown
    double dbfs = 0;       // power of its bins against a full-scale sine
    bool counted = false;  // false: folded onto bins already counted as something else
};

struct SpectrumResult {
    bool valid = false;        // false when too short to tell DC from signal, or flat
    double binWidth = 0;       // rate / N (or 1 / N)
    std::vector<double> dbfs;  // bins 0..N/2: a tone's amplitude in that bin against full scale
    SpectralLine fundamental;
    std::array<SpectralLine, 5> harmonics;  // 2nd to 6th
    SpectralLine largestSpur;
    double dcCodes = 0;  // the record's mean
    double snr = 0, sinad = 0, thd = 0, sfdrDbc = 0, sfdrDbfs = 0, enob = 0;
};

// Makes one transform plan per record length and keeps it for the next record.
class SpectrumAnalyser {
public:
    SpectrumAnalyser();
    ~SpectrumAnalyser();

    // sampleRate 0: frequencies in cycles per sample.
    SpectrumResult analyse(std::span<const double> codes, double codeSpan, double sampleRate,
                           SpectrumWindow window = SpectrumWindow::BlackmanHarris);

private:
    FftPlan& planFor(std::size_t length);
    const std::vector<double>& windowFor(SpectrumWindow window, std::size_t length);

    std::map<std::size_t, std::unique_ptr<FftPlan>> plans_;
    std::map<std::pair<SpectrumWindow, std::size_t>, std::vector<double>> windows_;
    std::vector<double> power_;
    std::vector<unsigned char> kind_;
};

}  // namespace vx
