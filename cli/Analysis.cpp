// "analyze": the spectrum and noise figures of one channel of a measurement
// file, read as the desktop program loads it, as text or as a JSON object.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <vector>

#include "analysis/SpectrumAnalysis.h"
#include "analysis/SteadyInput.h"
#include "cli/ExitCode.h"
#include "cli/Session.h"
#include "graphwin/MeasurementReader.h"

namespace vx {

namespace {

const char* windowName(SpectrumWindow window) {
    switch (window) {
    case SpectrumWindow::Hann: return "Hann";
    case SpectrumWindow::None: return "None";
    default: return "Blackman-Harris";
    }
}

// Fixed decimals with "." in every locale; "inf" where a ratio has no bottom.
std::string fixed(double value, int decimals) {
    if (!std::isfinite(value)) return value < 0 ? "-inf" : "inf";
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
}

// The shortest text that reads back as the same double; null where JSON has no number.
std::string jsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The length of the UTF-8 sequence at text[i], or 0 when the bytes there are
// none (a title typed in another encoding, say).
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = i + 1; k < i + length; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    const unsigned char second = length > 2 ? byte(i + 1) : 0x80;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

// A JSON string; bytes that are no UTF-8 become U+FFFD, so every reader takes it.
std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (const std::size_t length = utf8Length(text, i); length != 1) {
            quoted += length == 0 ? "\\ufffd" : text.substr(i, length);
            i += length == 0 ? 0 : length - 1;
        } else if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

// Upload windows name their rate in the caption, which becomes the file's
// title: "VX7318 CH4 (Sample Run 1) 6.000000 ksps 2026-12-06 10:00:00". The
// last rate counts: the one before it may be in the title the user typed.
std::optional<double> rateFromTitle(const std::string& title) {
    std::istringstream words(title);
    std::string previous, word;
    std::optional<double> rate;
    while (words >> word) {
        const double unit = word == "ksps" ? 1000 : word == "sps" ? 1 : 0;
        double value = 0;
        const char* end = previous.data() + previous.size();
        const auto parsed = std::from_chars(previous.data(), end, value);
        if (unit > 0 && parsed.ec == std::errc{} && parsed.ptr == end && value > 0 && std::isfinite(value))
            rate = value * unit;
        previous = word;
    }
    return rate;
}

struct Analysis {
    std::string file, title;
    int channel = 0;
    std::size_t records = 0;
    SpectrumWindow window = SpectrumWindow::BlackmanHarris;
    double rate = 0;  // 0: frequencies in cycles per sample
    double codeSpan = 4096;
    SpectrumResult spectrum;
    SteadyFigures steady;
};

void printText(const Analysis& a, std::ostream& out) {
    const int digits = a.rate > 0 ? 2 : 6;
    const std::string unit = a.rate > 0 ? " Hz" : " cycles/sample";
    auto line = [&](const SpectralLine& l) {
        return fixed(l.frequency, digits) + unit + ", " +
               (l.counted ? fixed(l.dbfs, 2) + " dBFS" : std::string("on a line counted before"));
    };
    const SpectrumResult& s = a.spectrum;
    out << "file: " << a.file << '\n';
    if (!a.title.empty()) out << "title: " << a.title << '\n';
    out << "channel: " << a.channel << '\n'
        << "records: " << a.records << '\n'
        << "window: " << windowName(a.window) << '\n'
        << "sample rate: "
        << (a.rate > 0 ? fixed(a.rate, 1) + " samples/s" : "unknown (frequencies in cycles per sample)") << '\n'
        << "code span: " << fixed(a.codeSpan, 0) << '\n'
        << "fundamental: " << line(s.fundamental) << '\n'
        << "SNR: " << fixed(s.snr, 2) << " dB\n"
        << "SINAD: " << fixed(s.sinad, 2) << " dB\n"
        << "ENOB: " << fixed(s.enob, 2) << " bits\n"
        << "THD: " << fixed(s.thd, 2) << " dB\n"
        << "SFDR: " << fixed(s.sfdrDbc, 2) << " dBc, " << fixed(s.sfdrDbfs, 2) << " dBFS\n"
        << "largest spur: " << line(s.largestSpur) << '\n';
    for (std::size_t i = 0; i < s.harmonics.size(); ++i) out << "H" << i + 2 << ": " << line(s.harmonics[i]) << '\n';
    out << "DC: " << fixed(s.dcCodes, 3) << " codes\n";
    // The spread of the codes: the noise when the input is steady.
    out << "steady-input noise rms: " << fixed(a.steady.rmsNoise, 3) << " LSB\n"
        << "steady-input noise peak-to-peak: " << fixed(a.steady.peakToPeak, 0) << " LSB\n"
        << "steady-input effective resolution: " << fixed(a.steady.effectiveBits, 2) << " bits\n"
        << "steady-input noise-free resolution: " << fixed(a.steady.noiseFreeBits, 2) << " bits\n";
}

void printJson(const Analysis& a, std::ostream& out) {
    const SpectrumResult& s = a.spectrum;
    auto line = [](const SpectralLine& l) {
        return "{\"frequency\": " + jsonNumber(l.frequency) +
               ", \"dbfs\": " + (l.counted ? jsonNumber(l.dbfs) : std::string("null")) + "}";
    };
    out << "{\n  \"file\": " << jsonString(a.file) << ",\n  \"title\": " << jsonString(a.title)
        << ",\n  \"channel\": " << a.channel << ",\n  \"records\": " << a.records
        << ",\n  \"window\": " << jsonString(windowName(a.window))
        << ",\n  \"sample_rate\": " << (a.rate > 0 ? jsonNumber(a.rate) : "null")
        << ",\n  \"frequency_unit\": " << (a.rate > 0 ? "\"Hz\"" : "\"cycles/sample\"")
        << ",\n  \"code_span\": " << jsonNumber(a.codeSpan) << ",\n  \"fundamental\": " << line(s.fundamental)
        << ",\n  \"snr_db\": " << jsonNumber(s.snr) << ",\n  \"sinad_db\": " << jsonNumber(s.sinad)
        << ",\n  \"enob_bits\": " << jsonNumber(s.enob) << ",\n  \"thd_db\": " << jsonNumber(s.thd)
        << ",\n  \"sfdr_dbc\": " << jsonNumber(s.sfdrDbc) << ",\n  \"sfdr_dbfs\": " << jsonNumber(s.sfdrDbfs)
        << ",\n  \"largest_spur\": " << line(s.largestSpur) << ",\n  \"harmonics\": [";
    for (std::size_t i = 0; i < s.harmonics.size(); ++i)
        out << (i ? ", " : "") << "{\"order\": " << i + 2 << ", " << line(s.harmonics[i]).substr(1);
    out << "],\n  \"dc_codes\": " << jsonNumber(s.dcCodes)
        << ",\n  \"noise_rms_lsb\": " << jsonNumber(a.steady.rmsNoise)
        << ",\n  \"noise_peak_to_peak_lsb\": " << jsonNumber(a.steady.peakToPeak)
        << ",\n  \"effective_bits\": " << jsonNumber(a.steady.effectiveBits)
        << ",\n  \"noise_free_bits\": " << jsonNumber(a.steady.noiseFreeBits) << "\n}\n";
}

}  // namespace

int AnalyzeFile(const Options& options, ToolEnvironment& environment) {
    std::ostream& err = environment.err;
    const LoadResult loaded = LoadMeasurementFile(options.file, environment.clock);
    if (!loaded.Ok()) {
        err << "vx7318: " << loaded.Error << '\n';
        return ExitFileError;
    }
    const LoadedMeasurements& data = loaded.Data;

    // Column k holds channel k unless the file lists its channels.
    std::vector<int> channels = data.Metadata.Channels;
    channels.resize(std::min(channels.size(), data.Columns));
    if (channels.empty())
        for (std::size_t k = 0; k < data.Columns; ++k) channels.push_back(int(k));
    const int channel = options.fileChannel.value_or(channels.empty() ? 0 : channels.front());
    if (std::find(channels.begin(), channels.end(), channel) == channels.end()) {
        std::string list;
        for (const int c : channels) list += (list.empty() ? "" : ",") + std::to_string(c);
        err << "vx7318: " << options.file << " holds no channel " << channel << " (its channels: " << list << ")\n";
        return ExitBadArguments;
    }

    Analysis a;
    a.file = options.file;
    a.title = data.Title;
    a.channel = channel;
    a.window = options.window;
    CodeLimits limits;
    data.Metadata.ApplyTo(limits);
    a.codeSpan = double(limits.MaxCode) - limits.MinCode + 1;
    a.rate = options.rate ? *options.rate : rateFromTitle(data.Title).value_or(0);

    const GraphChannel& column = data.Tape.Channels[channel];
    std::vector<double> codes;
    for (int r = column.Data.Low(); column.Data.Count() > 0 && r <= column.Data.High(); ++r)
        codes.push_back(column.Data[r] / column.SubLsbDivisor);  // undo the Sub-LSBs the file was saved with
    a.records = codes.size();

    SpectrumAnalyser analyser;
    a.spectrum = analyser.analyse(codes, a.codeSpan, a.rate, a.window);
    if (!a.spectrum.valid) {
        // The analyser wants more bins below half the rate than DC and one tone take.
        const std::size_t least = 4 * std::size_t(ToneHalfWidth(a.window)) + 4;
        err << "vx7318: channel " << channel << " of " << options.file << " cannot be analysed: "
            << (codes.size() < least ? std::to_string(codes.size()) + " records are too few for a spectrum with the " +
                                           windowName(a.window) + " window, which needs " + std::to_string(least)
                                     : std::string("its records hold one steady value, no signal to measure"))
            << '\n';
        return ExitFileError;
    }
    a.steady = AnalyseSteadyInput(codes, a.codeSpan);
    (options.json ? printJson : printText)(a, environment.out);
    return ExitSuccess;
}

}  // namespace vx
