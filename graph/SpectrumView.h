#pragma once
// What the painter's spectrum view shows: the analysis of one channel's
// records in use, with the choices it was made with, and the texts that
// describe it (figure list, mouse read-out, saved file).
#include <array>
#include <string>
#include <vector>

#include "analysis/SpectrumAnalysis.h"
#include "analysis/SteadyInput.h"

namespace vx {

struct GraphChannel;

class SpectrumView {
public:
    SpectrumWindow window = SpectrumWindow::BlackmanHarris;
    double sampleRate = 0;   // Hz; 0 while unknown (frequencies in cycles per sample)
    double codeSpan = 4096;  // full scale: the coding's number of codes

    // Analyses the channel's records in use; divisor undoes the sub-LSB display.
    const SpectrumResult& analyse(const GraphChannel& channel, double divisor);
    const SpectrumResult& result() const { return result_; }
    void clear() {
        result_ = {};
        codes_.clear();
    }
    int channel() const { return channel_; }
    void setChannel(int channel) { channel_ = channel; }

    // "1000.0 Hz" or "0.12207 cycles/sample".
    std::string frequencyText(double frequency) const;
    // The figures, one line each, for the list beside the plot.
    std::vector<std::string> figureLines() const;
    // A CSV file of four columns: frequency and dBFS of every bin, and beside
    // the first rows each figure's name and value (empty where there is none),
    // so that a spreadsheet or pandas.read_csv reads it as it is.
    std::string csv() const;

private:
    SpectrumAnalyser analyser_;
    SpectrumResult result_;
    std::vector<double> codes_;
    int channel_ = -1;
};

// The name shown in menus and files: "Blackman-Harris", "Hann", "None".
const char* WindowName(SpectrumWindow window);

// The steady-input figures of a channel's records in use, in LSB and bits.
SteadyFigures SteadyFiguresOf(const GraphChannel& channel, double divisor, double codeSpan);
// The table view's noise rows: their labels, and the texts of one channel.
inline constexpr std::array<const char*, 4> NoiseRowLabels{"Noise rms", "Noise p-p", "Eff. bits", "Noise-free"};
std::array<std::string, 4> NoiseRowTexts(const SteadyFigures& f);

}  // namespace vx
