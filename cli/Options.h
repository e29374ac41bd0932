#pragma once
// The tool's command line: one subcommand and its options, checked in full
// before anything touches a port or a file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/SpectrumAnalysis.h"
#include "sim/InputSpec.h"
#include "support/ModuleKind.h"

namespace vx {

enum class Subcommand { None, Ports, Connect, Read, Sample, Analyze };

struct Options {
    Subcommand command = Subcommand::None;
    bool version = false;
    std::optional<ModuleKind> simulate;  // --simulate[=KIND]
    std::string port;                    // empty: search every port
    std::string loader;                  // empty: the kind's loader file from the data folder
    std::vector<ChannelInput> inputs;    // --sim-input: the simulated kit's inputs

    // read
    std::vector<int> channels{0, 1, 2, 3, 4, 5, 6, 7};
    uint32_t everyMs = 1000;
    uint64_t count = 1;
    std::optional<uint64_t> forMs;  // --for instead of --count
    bool bipolar = false;
    bool differential = false;
    double vref = 4.096;
    std::string out;  // empty: CSV on standard output

    // sample
    int channel = 0;
    uint16_t size = 0;

    // analyze
    std::string file;
    std::optional<int> fileChannel;  // empty: the file's first column
    SpectrumWindow window = SpectrumWindow::BlackmanHarris;
    std::optional<double> rate;  // samples per second; empty: from the file's title
    bool json = false;
};

struct ParsedOptions {
    Options options;
    std::string error;  // one line; empty when the line was understood
    std::string usage;  // for the subcommand in question, when error is set
    std::string help;   // --help was asked for: print this and succeed
};

ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// "0-7", "0,2,5", "1-3,6": channels 0 to 7, each once, in the order given.
std::optional<std::vector<int>> ParseChannelList(const std::string& text);
// "90" or "90s", "500ms", "15m", "12h", "1d" as milliseconds; at least 1 ms.
std::optional<uint64_t> ParseDuration(const std::string& text);

}  // namespace vx
