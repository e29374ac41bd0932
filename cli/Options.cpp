#include "cli/Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <map>

#include "app/ConversionControl.h"
#include "graphwin/MeasurementFormat.h"

namespace vx {

namespace {

const std::map<std::string, ModuleKind> Kinds{{"ARBORD", ModuleKind::Arbord},
                                              {"BRANT", ModuleKind::Brant},
                                              {"COBALT", ModuleKind::Cobalt},
                                              {"COBALT-16WIDE", ModuleKind::Cobalt16Wide}};

const char* const Subcommands[] = {"ports", "connect", "read", "sample", "analyze"};

const std::map<std::string, SpectrumWindow> Windows{{"blackman-harris", SpectrumWindow::BlackmanHarris},
                                                    {"hann", SpectrumWindow::Hann},
                                                    {"none", SpectrumWindow::None}};

template <typename Number>
std::optional<Number> wholeNumber(const std::string& text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc{} || result.ptr != end) return std::nullopt;
    return value;
}

// A message of CLI11's, or ours, as one line.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

std::optional<std::vector<int>> ParseChannelList(const std::string& text) {
    std::vector<int> channels;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        const size_t dash = item.find('-');
        const auto first = wholeNumber<int>(item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : wholeNumber<int>(item.substr(dash + 1));
        if (!first || !last || *first < 0 || *last > 7 || *first > *last) return std::nullopt;
        for (int c = *first; c <= *last; ++c) {
            if (std::find(channels.begin(), channels.end(), c) != channels.end()) return std::nullopt;
            channels.push_back(c);
        }
        start = comma + 1;
    }
    return channels;
}

std::optional<uint64_t> ParseDuration(const std::string& text) {
    static const std::pair<const char*, uint64_t> units[] = {{"ms", 1},        {"s", 1000},       {"m", 60'000},
                                                             {"h", 3'600'000}, {"d", 86'400'000}, {"", 1000}};
    for (const auto& [unit, ms] : units) {
        const std::string suffix = unit;
        if (text.size() <= suffix.size() || text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const auto value = wholeNumber<uint64_t>(text.substr(0, text.size() - suffix.size()));
        if (!value) continue;  // "5ms" is no number of minutes: try the next unit
        if (*value == 0 || *value > UINT64_MAX / ms / 1000) return std::nullopt;
        return *value * ms;
    }
    return std::nullopt;
}

namespace {

// What the options are given as, before they are checked and converted.
struct OptionTexts {
    std::string simulate;
    std::vector<std::string> inputs;
    std::string channels = "0-7", every = "1000", forText, coding = "unipolar", input = "single", vref = "4.096";
    std::string window = "blackman-harris", rate;
};

struct CommandLine {
    CLI::App app{"Measurements with the VX7318 evaluation kit from the command line.", "vx7318"};
    CLI::App* ports = nullptr;
    CLI::App* connect = nullptr;
    CLI::App* read = nullptr;
    CLI::App* sample = nullptr;
    CLI::App* analyze = nullptr;

    std::vector<CLI::App*> subcommands() const { return {ports, connect, read, sample, analyze}; }
};

void declareOptions(CommandLine& line, Options& o, OptionTexts& t) {
    CLI::App& app = line.app;
    app.fallthrough();
    app.footer(
        "Exit status: 0 success, 2 bad arguments, 3 no kit found, 4 link failure, 5 file error,\n"
        "130 stopped by Ctrl-C (what was measured so far is kept). More in vx7318(1).");
    app.require_subcommand(0, 1);
    app.add_flag("--simulate", t.simulate,
                 "Use the simulated kit instead of a port: ARBORD (the default), BRANT, COBALT or COBALT-16WIDE")
        ->option_text("[=KIND]");
    app.add_flag("--version", o.version, "Print the version and exit");
    app.add_option("--sim-input", t.inputs,
                   "What a channel of the simulated kit reads (implies --simulate), as often as needed:\n"
                   "4=sine:1000Hz,-1dBFS,noise=0.5,h3=-70dBc  0=level:1.25V,noise=2  2=ramp:0.5V/s,offset=0.1V")
        ->option_text("CHANNEL=KIND:ITEMS")
        ->allow_extra_args(false);

    line.ports = app.add_subcommand("ports", "List the serial ports and whether each can be opened");
    line.connect = app.add_subcommand("connect", "Connect, start the kit's application and report");
    line.read = app.add_subcommand("read", "Take readings of one or more channels");
    line.sample = app.add_subcommand("sample", "Sample one channel at full speed and upload the samples");
    line.analyze = app.add_subcommand("analyze", "Spectrum and noise figures of a channel of a measurement file");
    CLI::App* read = line.read;
    CLI::App* sample = line.sample;
    CLI::App* analyze = line.analyze;

    for (CLI::App* command : {line.connect, read, sample}) {
        command->add_option("--port", o.port, "The port of the kit (default: search every port)");
        command->add_option("--loader", o.loader, "The loader file to download (default: the shipped one)");
    }
    CLI::Option* count = read->add_option("--count", o.count, "How many readings (default 1)");
    read->add_option("--channels", t.channels, "Channels to read: 0-7, or a list such as 0,2,5 or 1-3,6");
    read->add_option("--every", t.every, "Milliseconds from one reading to the next (default 1000)");
    read->add_option("--for", t.forText, "Read for a time instead of a count: 90s, 15m, 12h, 1d")->excludes(count);
    for (CLI::App* command : {read, sample}) {
        command->add_option("--coding", t.coding, "unipolar or bipolar")->check(CLI::IsMember({"unipolar", "bipolar"}));
        command->add_option("--input", t.input, "single or differential")
            ->check(CLI::IsMember({"single", "differential"}));
        command->add_option("--vref", t.vref, "Reference voltage in volts (default 4.096)");
        command->add_option("--out", o.out, "Measurement file to write (.csv comma-separated, else TAB)");
    }
    sample->add_option("--channel", o.channel, "The channel to sample, 0 to 7")->required()->check(CLI::Range(0, 7));
    sample->add_option("--size", o.size, "How many samples, 1 to 65535")->required()->check(CLI::Range(1, 65535));
    analyze->add_option("FILE", o.file, "The measurement file")->required();
    analyze->add_option("--channel", o.fileChannel, "The channel to analyse (default: the file's first column)")
        ->check(CLI::Range(0, kMaxChannels - 1));
    analyze->add_option("--window", t.window, "blackman-harris (the default), hann, or none for coherent sampling")
        ->transform(CLI::IsMember(Windows, CLI::ignore_case));
    analyze
        ->add_option("--rate", t.rate,
                     "Samples per second (default: the rate in the file's title, else frequencies are in "
                     "cycles per sample)")
        ->option_text("SPS");
    analyze->add_flag("--json", o.json, "Print the figures as a JSON object");
}

// CLI11 reports a word it does not know as a missing subcommand. The
// options before the subcommand are flags but for --sim-input, whose value
// follows it, so the first other word is the subcommand.
std::optional<std::string> unknownSubcommand(const std::vector<std::string>& arguments) {
    auto word = arguments.begin();
    for (; word != arguments.end() && word->rfind("-", 0) == 0; ++word)
        if (*word == "--sim-input" && word + 1 != arguments.end()) ++word;
    if (word == arguments.end() ||
        std::find(std::begin(Subcommands), std::end(Subcommands), *word) != std::end(Subcommands))
        return std::nullopt;
    return *word;
}

// The simulated kit's kind and inputs; throws CLI::ValidationError.
void convertSimulation(const OptionTexts& t, Options& o) {
    if (!t.simulate.empty()) {
        const auto kind = Kinds.find(t.simulate == "true" ? "ARBORD" : t.simulate);  // "true": no KIND given
        if (kind == Kinds.end())
            throw CLI::ValidationError(
                "--simulate", "unknown module kind \"" + t.simulate + "\": use ARBORD, BRANT, COBALT or COBALT-16WIDE");
        o.simulate = kind->second;
    }
    for (const std::string& text : t.inputs) {
        std::string error;
        const auto input = ParseInputSpec(text, error);
        if (!input) throw CLI::ValidationError("--sim-input", error);
        o.inputs.push_back(*input);
    }
    if (!o.inputs.empty() && !o.simulate) o.simulate = ModuleKind::Arbord;
}

// The subcommands' option texts as numbers; throws CLI::ValidationError.
void convertMeasurement(const OptionTexts& t, Options& o) {
    const auto list = ParseChannelList(t.channels);
    if (!list) throw CLI::ValidationError("--channels", "\"" + t.channels + "\" is no list of channels 0 to 7");
    o.channels = *list;
    const auto ms = wholeNumber<uint32_t>(t.every);
    if (!ms || *ms == 0)
        throw CLI::ValidationError("--every", "\"" + t.every + "\" is no number of milliseconds above 0");
    o.everyMs = *ms;
    if (o.count == 0) throw CLI::ValidationError("--count", "at least one reading");
    if (!t.forText.empty()) {
        o.forMs = ParseDuration(t.forText);
        if (!o.forMs)
            throw CLI::ValidationError("--for", "\"" + t.forText + "\" is no duration such as 90s, 15m or 12h");
    }
    const auto volts = ParseDecimal(t.vref, ".");
    if (!volts || *volts <= 0)
        throw CLI::ValidationError("--vref", "\"" + t.vref + "\" is no positive number of volts");
    o.vref = *volts;
    o.bipolar = t.coding == "bipolar";
    o.differential = t.input == "differential";
    o.window = Windows.at(t.window);
    if (!t.rate.empty()) {
        o.rate = ParseDecimal(t.rate, ".");
        if (!o.rate || !(*o.rate > 0))
            throw CLI::ValidationError("--rate", "\"" + t.rate + "\" is no positive number of samples per second");
    }
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    Options& o = parsed.options;
    CommandLine line;
    OptionTexts texts;
    declareOptions(line, o, texts);

    if (const auto word = unknownSubcommand(arguments)) {
        parsed.error = "unknown subcommand \"" + *word + "\"";
        parsed.usage = line.app.help();
        return parsed;
    }

    CLI::App* failing = &line.app;
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        line.app.parse(reversed);
        for (CLI::App* command : line.subcommands())
            if (command->parsed()) failing = command;
        convertSimulation(texts, o);
        if (o.version) return parsed;
        if (line.app.get_subcommands().empty()) throw CLI::ValidationError("a subcommand is needed");

        o.command = line.ports->parsed()     ? Subcommand::Ports
                    : line.connect->parsed() ? Subcommand::Connect
                    : line.read->parsed()    ? Subcommand::Read
                    : line.sample->parsed()  ? Subcommand::Sample
                                             : Subcommand::Analyze;
        convertMeasurement(texts, o);
    } catch (const CLI::CallForHelp&) {
        parsed.help = failing->help();
        for (CLI::App* command : line.subcommands())
            if (command->parsed()) parsed.help = command->help();
    } catch (const CLI::ParseError& error) {
        parsed.error = oneLine(error.what());
        parsed.usage = failing->help();
    }
    // A subcommand's help names only the subcommand.
    for (std::string* text : {&parsed.usage, &parsed.help})
        if (text->find("Usage: vx7318") == std::string::npos) {
            const size_t at = text->find("Usage: ");
            if (at != std::string::npos) text->insert(at + 7, "vx7318 ");
        }
    return parsed;
}

}  // namespace vx
