// The tool end to end against the simulated kit, in virtual time.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>

#include "app/HelpIndex.h"
#include "cli/ExitCode.h"
#include "cli/Options.h"
#include "cli/Tool.h"
#include "graphwin/MeasurementReader.h"
#include "graphwin/TempFolder.h"
#include "link/RunningKit.h"
#include "platform/ProcessOutput.h"
#include "sim/SimulatedKit.h"

namespace vx {

namespace {

constexpr double Levels[8] = {0.5, 1.0, 2.0, 3.0, 1.25, 0.25, 3.5, 4.0};

struct Outcome {
    int code = -1;
    std::string out, err;
};

// The tool on a virtual clock; the simulated kit's inputs at Levels.
struct Tool {
    AlarmClock clock;
    std::ostringstream out, err;
    std::function<void(SimulatedKit&)> prepare;
    std::function<bool()> stop;
    bool terminal = false;
    std::string executable = std::string(VX_LOADER_DIR) + "/vx7318";

    Outcome run(std::vector<std::string> arguments) {
        ToolEnvironment env{clock,
                            out,
                            err,
                            terminal,
                            stop,
                            executable,
                            [] { return std::vector<std::string>{"/dev/vx-no-such-port"}; },
                            [this](SimulatedKit& kit) {
                                for (int c = 0; c < 8; ++c) kit.inputs().setLevel(c, Levels[c]);
                                if (prepare) prepare(kit);
                            }};
        const int code = RunTool(arguments, env);
        return {code, out.str(), err.str()};
    }
};

TEST(Tool, BadArgumentsGiveTheirMessageAndTheUsage) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--simulate", "measure"}, "unknown subcommand \"measure\""},
        {{"read", "--channels", "0-9"}, "\"0-9\" is no list of channels"},
        {{"read", "--every", "0"}, "\"0\" is no number of milliseconds"},
        {{"read", "--count", "3", "--for", "1h"}, "excludes"},
        {{"read", "--for", "soon"}, "\"soon\" is no duration"},
        {{"read", "--vref", "-2.5"}, "\"-2.5\" is no positive number"},
        {{"--simulate=ZINC", "ports"}, "unknown module kind \"ZINC\""},
        {{"sample", "--size", "256"}, "--channel is required"},
        {{}, "a subcommand is needed"},
        {{"--sim-input", "9=level:1V", "read"}, "Simulated input \"9=level:1V\": the channel is 0 to 7"},
        {{"analyze"}, "FILE is required"},
        {{"analyze", "f.txt", "--window", "bartlett"}, "bartlett not in {blackman-harris,hann,none}"},
        {{"analyze", "f.txt", "--rate", "fast"}, "\"fast\" is no positive number"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome run = Tool{}.run(args);
        EXPECT_EQ(run.code, ExitBadArguments) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Usage: vx7318"), std::string::npos) << message;
    }
}

TEST(Tool, ChannelListsAndDurations) {
    EXPECT_EQ(ParseChannelList("1-3,6,0"), (std::vector<int>{1, 2, 3, 6, 0}));
    for (const char* bad : {"", "8", "3-1", "1,", "-1", "a", "2,2"}) EXPECT_FALSE(ParseChannelList(bad)) << bad;
    const std::pair<const char*, uint64_t> durations[] = {
        {"90", 90'000},
        {"500ms", 500},
        {"15m", 900'000},
        {"12h", 43'200'000},
        {"18446744073709551ms", 18446744073709551}};  // the longest that fits in microseconds
    for (const auto& [text, ms] : durations) EXPECT_EQ(ParseDuration(text), ms) << text;
    for (const char* bad : {"0s", "h", "1.5h", "-3s"}) EXPECT_FALSE(ParseDuration(bad)) << bad;
}

// Without a file: CSV of time and volts on standard output; on a terminal a
// progress bar on standard error. A reading garbled on the line is left out
// rather than passed off as the last value again.
TEST(Tool, ReadWithoutAFileIsCsvOnStandardOutput) {
    const std::string full = "[" + std::string(30, '#') + "] 100%";
    for (bool terminal : {false, true}) {
        Tool tool;
        tool.terminal = terminal;
        const Outcome run = tool.run({"--simulate", "read", "--count", "3", "--channels", "5,1", "--every", "250"});
        EXPECT_EQ(run.code, ExitSuccess) << run.err;
        EXPECT_EQ(run.out, "time_s,CH5,CH1\n0.000,0.2500,1.0000\n0.250,0.2500,1.0000\n0.500,0.2500,1.0000\n");
        EXPECT_EQ(run.err.find("\rDownloading " + full) != std::string::npos, terminal) << run.err;
        EXPECT_EQ(run.err.find("\rReading " + full) != std::string::npos, terminal) << run.err;
    }
    Tool tool;
    tool.prepare = [&](SimulatedKit& kit) {  // well after the connection, during the readings
        tool.clock.at(30'000'000, [&kit] { kit.faults().garbledFromModule = 4; });
    };
    const Outcome run = tool.run({"--simulate", "read", "--count", "40", "--channels", "2", "--every", "1000"});
    EXPECT_EQ(run.code, ExitSuccess) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex("time_s,CH2\n([0-9]+\\.[0-9]{3},2\\.0000\n){39}"))) << run.out;
    EXPECT_NE(run.err.find("came back incomplete and is left out"), std::string::npos) << run.err;
}

// Installed, the programs find their files in share/vx7318kit beside bin/:
// the COBALT connection takes its loader from there.
TEST(Tool, PortsAndConnectReportWhatTheyFind) {
    TempFolder root;
    const auto data = root.path() / "share" / "vx7318kit";
    std::filesystem::create_directories(data);
    std::filesystem::copy_file(std::string(VX_LOADER_DIR) + "/KIT7318.COB", data / "KIT7318.COB");
    WriteWholeFile(data / "HELPFILE.HTM", "<html></html>");
    EXPECT_EQ(HelpIndex::helpFilePath(root / "bin/vx7318kit"), (data / "HELPFILE.HTM").string());
    const std::tuple<std::vector<std::string>, std::string, const char*> cases[] = {
        {{"--simulate", "ports"},
         {},
         "/dev/vx-no-such-port\tserial port\tcannot be opened: No such file or directory\n"
         "Simulated kit\tsimulated evaluation kit\tcan be opened\n"},
        {{"--simulate", "connect"}, {}, "port: Simulated kit\nmodule: ARBORD\nrate: 9600 baud\nsetup time: 8.3 s\n"},
        {{"--simulate=COBALT", "connect"},
         root / "bin/vx7318",
         "port: Simulated kit\nmodule: COBALT\nrate: 115200 baud\nsetup time: 6.9 s\n"}};
    for (const auto& [args, executable, report] : cases) {
        Tool tool;
        if (!executable.empty()) tool.executable = executable;
        const Outcome run = tool.run(args);
        EXPECT_EQ(run.code, ExitSuccess) << run.err;
        EXPECT_EQ(run.out, report);
    }
}

// A sampling run of a sine given by --sim-input (over the levels the test
// set), analysed: the fundamental within a bin, at the title's (last) rate
// or --rate; a file without a rate in cycles per sample. The JSON goes
// through python3.
TEST(Tool, AnalyzeReportsTheSineThatWasSampled) {
    TempFolder folder;
    const std::string sampled = folder / "s.txt", plain = folder / "p.txt", titled = folder / "t.txt";
    Tool tool;
    const Outcome run = tool.run({"--simulate=COBALT", "sample", "--sim-input", "4=sine:1000Hz,-1dBFS,noise=0.5",
                                  "--channel", "4", "--size", "4096", "--out", sampled});
    ASSERT_EQ(run.code, ExitSuccess) << run.err;
    // A title partly in another encoding: still valid JSON, and the valid part kept as it is.
    std::string lines = "; \"bench\" 25\xB5s \xE9t\xE9 \xE2\x82\xAC\n";
    for (int r = 0; r < 64; ++r)  // 7 cycles of a full-scale sine
        lines += std::to_string(2048 + int(std::lround(2047 * std::sin(r * 7 * M_PI / 32)))) + "\n";
    WriteWholeFile(plain, lines);
    WriteWholeFile(titled, "; 1 sps probe (Sample Run 1) 640.000000 sps\n" + lines.substr(lines.find('\n') + 1));

    const std::tuple<std::vector<std::string>, double, double> cases[] = {
        {{sampled}, 1000, 6000.0 / 4096},
        {{sampled, "--rate", "12000"}, 2000, 12000.0 / 4096},
        {{plain, "--window", "NONE"}, 7.0 / 64, 1e-9},
        {{titled, "--window", "none"}, 70, 1e-6}};
    for (const auto& [files, fundamental, bin] : cases) {
        std::vector<std::string> args{"analyze", "--json"};
        args.insert(args.end(), files.begin(), files.end());
        const Outcome analysed = Tool{}.run(args);
        ASSERT_EQ(analysed.code, ExitSuccess) << analysed.err;
        if (files[0] == plain) {
            EXPECT_NE(analysed.out.find("\xE2\x82\xAC"), std::string::npos) << analysed.out;
        }
        WriteWholeFile(sampled + ".json", analysed.out);
        const ProcessOutput figures =
            RunForOutput({"/usr/bin/python3", "-c",
                          "import json,sys; a=json.load(open(sys.argv[1])); "
                          "print(a['fundamental']['frequency'], a['records'], a['enob_bits'])",
                          sampled + ".json"});
        double frequency = 0, enob = 0;
        size_t records = 0;
        ASSERT_EQ(std::sscanf(figures.output.c_str(), "%lf %zu %lf", &frequency, &records, &enob), 3) << analysed.out;
        EXPECT_NEAR(frequency, fundamental, bin) << files.size();
        EXPECT_EQ(records, files[0] == sampled ? 4096u : 64u);
        EXPECT_GT(enob, files[0] == sampled ? 9 : 11);  // what lowers it is seen by the analysis tests
    }
    const Outcome text = Tool{}.run({"analyze", plain, "--window", "none"});
    for (const char* line : {"\nfundamental: 0.109375 cycles/sample, -0.00 dBFS\n", "\nSNR: 74.07 dB\n",
                             "\nH6: 0.343750 cycles/sample, on a line counted before\nDC: 2048.000 codes\n",
                             "\nsteady-input noise peak-to-peak: 4094 LSB\n"})
        EXPECT_NE(text.out.find(line), std::string::npos) << text.out;
}

// Failures: the code (as numbers: scripts rely on them), the reason, and no
// file left that was not written.
TEST(Tool, FailuresGiveTheirCodeAndLeaveNoEmptyFile) {
    TempFolder folder;
    const std::string out = folder / "f.txt", flat = folder / "flat.txt", few = folder / "few.txt";
    std::string steady = "; steady\n";
    for (int r = 0; r < 30; ++r) steady += "5\n";
    WriteWholeFile(flat, steady);
    WriteWholeFile(few, "1\n2\n3\n2\n1\n");
    const std::tuple<std::vector<std::string>, std::function<void(SimulatedKit&)>, int, const char*> cases[] = {
        {{"read", "--port", "/dev/vx-no-such-port", "--out", out}, {}, 3, "No such file or directory"},
        {{"read", "--out", out}, {}, 3, "Not found on any port"},
        {{"--simulate", "read", "--out", folder / "missing/f.txt"}, {}, 5, "cannot write"},
        {{"--simulate", "read", "--out", folder.path().string()}, {}, 5, "cannot write"},
        {{"--simulate", "read", "--out", "/dev/full"}, {}, 5, "No space left on device"},
        {{"--simulate", "read", "--loader", folder / "none.arb", "--out", out}, {}, 5, "NONE.ARB"},
        {{"--simulate", "sample", "--channel", "1", "--size", "8", "--out", out},
         [](SimulatedKit& kit) { kit.faults().silent = true; },
         4,
         "reset button"},
        {{"analyze", out}, {}, 5, "could not be loaded"},
        {{"analyze", few}, {}, 5, "5 records are too few for a spectrum"},
        {{"analyze", flat}, {}, 5, "one steady value"},
        {{"analyze", flat, "--channel", "3"}, {}, 2, "holds no channel 3 (its channels: 0)"},
    };
    for (const auto& [args, prepare, code, message] : cases) {
        Tool tool;
        tool.prepare = prepare;
        const Outcome run = tool.run(args);
        EXPECT_EQ(run.code, code) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << message;
    }
}

// What read and sample write, the desktop program's reader loads, TAB or
// comma-separated; and when the kit stops answering, or Ctrl-C comes, in the
// middle of a long read or an upload, everything taken before stays in the
// file, which loads whole.
TEST(Tool, RunsLeaveFilesTheProgramLoads) {
    const uint64_t stopAt = 40'000'000;  // well after the connection
    const std::vector<std::string> read = {"--simulate", "read", "--for", "1h", "--channels", "0-7", "--out"},
                                   sample = {"--simulate", "sample", "--channel", "2", "--size", "8000", "--out"};
    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7};
    const struct {
        std::vector<std::string> args;
        const char* name;
        int code;
        std::vector<int> channels;
        uint32_t least, most;
    } cases[] = {{read, "r.CSV", ExitLinkFailure, all, 11, 39}, {sample, "s.txt", ExitInterrupted, {2}, 11, 7999}};
    for (const auto& c : cases) {
        TempFolder folder;
        Tool tool;
        if (c.code == ExitLinkFailure)
            tool.prepare = [&](SimulatedKit& kit) { tool.clock.at(stopAt, [&kit] { kit.faults().silent = true; }); };
        if (c.code == ExitInterrupted) tool.stop = [&] { return tool.clock.micros() >= stopAt; };
        std::vector<std::string> args = c.args;
        args.push_back(folder / c.name);
        EXPECT_EQ(tool.run(args).code, c.code);
        const LoadResult loaded = LoadMeasurementFile(folder / c.name, tool.clock);
        ASSERT_TRUE(loaded.Ok()) << loaded.Error;
        EXPECT_EQ(loaded.Data.Columns, c.channels.size());
        EXPECT_TRUE(loaded.Data.Records >= c.least && loaded.Data.Records <= c.most) << loaded.Data.Records;
        for (size_t k = 0; k < c.channels.size(); ++k)  // every value within one code of its input
            for (uint32_t r = 0; r < loaded.Data.Records; ++r)
                EXPECT_NEAR(loaded.Data.Tape.Channels[int(k)].Data[int(r)], Levels[c.channels[k]] * 1000, 1) << k;
    }
}

}  // namespace

}  // namespace vx
