#include "graph/SpectrumView.h"

#include <locale.h>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>

#include "graph/GraphChannel.h"

namespace vx {

namespace {

// printf-style in the C locale, whatever locale the toolkit set: a point
// before the decimals everywhere, as readers of the saved file expect.
template <class... Args>
std::string format(const char* pattern, Args... args) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const locale_t previous = uselocale(cLocale);
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    uselocale(previous);
    return text;
}

std::vector<double>& codesOf(const GraphChannel& channel, double divisor, std::vector<double>& codes) {
    const OffsetArray<int>& data = channel.Data;
    codes.clear();
    if (data.Count() == 0) return codes;
    codes.reserve(std::size_t(data.Count()));
    for (int r = data.Low(); r <= data.High(); ++r) codes.push_back(data[r] / divisor);
    return codes;
}

}  // namespace

const char* WindowName(SpectrumWindow window) {
    switch (window) {
    case SpectrumWindow::Hann: return "Hann";
    case SpectrumWindow::None: return "None";
    default: return "Blackman-Harris";
    }
}

const SpectrumResult& SpectrumView::analyse(const GraphChannel& channel, double divisor) {
    result_ = analyser_.analyse(codesOf(channel, divisor, codes_), codeSpan, sampleRate, window);
    return result_;
}

std::string SpectrumView::frequencyText(double frequency) const {
    return sampleRate > 0 ? format("%.1f Hz", frequency) : format("%.5f cycles/sample", frequency);
}

std::vector<std::string> SpectrumView::figureLines() const {
    const SpectrumResult& r = result_;
    if (!r.valid) return {"No spectrum: too few records, or no signal"};
    std::vector<std::string> lines{
        format("Channel %d, %zu records, window %s", channel_, codes_.size(), WindowName(window)),
        "Fundamental " + frequencyText(r.fundamental.frequency) + format(", %.2f dBFS", r.fundamental.dbfs),
        format("SNR %.2f dB   SINAD %.2f dB   ENOB %.2f bits", r.snr, r.sinad, r.enob),
        format("THD %.2f dB   SFDR %.2f dBc (%.2f dBFS)", r.thd, r.sfdrDbc, r.sfdrDbfs),
        "Largest spur " + frequencyText(r.largestSpur.frequency) + format(", %.2f dBFS", r.largestSpur.dbfs),
        format("DC %.3f codes", r.dcCodes),
    };
    for (std::size_t i = 0; i < r.harmonics.size(); ++i) {
        const SpectralLine& h = r.harmonics[i];
        lines.push_back(format("H%zu ", i + 2) + frequencyText(h.frequency) +
                        (h.counted ? format(", %.2f dBFS", h.dbfs) : std::string(", on a line counted before")));
    }
    return lines;
}

std::string SpectrumView::csv() const {
    const SpectrumResult& r = result_;
    const bool hz = sampleRate > 0;
    std::vector<std::pair<std::string, std::string>> figures{
        {std::string("window_") + WindowName(window), format("%d", ToneHalfWidth(window))},
        {"records", format("%zu", codes_.size())},
        {hz ? "sample_rate_hz" : "sample_rate_unknown", hz ? format("%.6g", sampleRate) : ""},
        {"code_span", format("%.0f", codeSpan)},
    };
    auto add = [&](const std::string& name, double value, const char* pattern = "%.4f") {
        figures.emplace_back(name, std::isfinite(value) ? format(pattern, value) : "");
    };
    if (r.valid) {
        const char* f = hz ? "_hz" : "_cycles_per_sample";
        add(std::string("fundamental") + f, r.fundamental.frequency, "%.6g");
        add("fundamental_dbfs", r.fundamental.dbfs);
        add("snr_db", r.snr);
        add("sinad_db", r.sinad);
        add("enob_bits", r.enob);
        add("thd_db", r.thd);
        add("sfdr_dbc", r.sfdrDbc);
        add("sfdr_dbfs", r.sfdrDbfs);
        add(std::string("spur") + f, r.largestSpur.frequency, "%.6g");
        add("spur_dbfs", r.largestSpur.dbfs);
        add("dc_codes", r.dcCodes);
        for (std::size_t i = 0; i < r.harmonics.size(); ++i) {
            const std::string name = format("h%zu", i + 2);
            add(name + f, r.harmonics[i].frequency, "%.6g");
            add(name + "_dbfs", r.harmonics[i].counted ? r.harmonics[i].dbfs : NAN);
        }
    }
    std::string text = std::string(hz ? "frequency_hz" : "frequency_cycles_per_sample") + ",dbfs,figure,value\r\n";
    const std::size_t rows = std::max(r.dbfs.size(), figures.size());
    for (std::size_t k = 0; k < rows; ++k) {
        if (k < r.dbfs.size())
            text += format("%.6g,%.3f", double(k) * r.binWidth, r.dbfs[k]);
        else
            text += ",";
        text += k < figures.size() ? "," + figures[k].first + "," + figures[k].second : ",,";
        text += "\r\n";
    }
    return text;
}

std::array<std::string, 4> NoiseRowTexts(const SteadyFigures& f) {
    return {format("%1.3f", f.rmsNoise), format("%1.3f", f.peakToPeak), format("%1.2f", f.effectiveBits),
            format("%1.2f", f.noiseFreeBits)};
}

SteadyFigures SteadyFiguresOf(const GraphChannel& channel, double divisor, double codeSpan) {
    std::vector<double> codes;
    return AnalyseSteadyInput(codesOf(channel, divisor, codes), codeSpan);
}

}  // namespace vx
