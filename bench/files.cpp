// links: vx_graphwin_core
// Measurement files: loading 100,000 records of 8 channels into a tape against
// pandas read_csv of the same file (timed inside Python, in this same run), and
// saving 8192 records of 20 channels against one plain write of the same bytes.
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "graphwin/MeasurementReader.h"
#include "graphwin/MeasurementWriter.h"
#include "platform/Clock.h"
#include "platform/ProcessOutput.h"

namespace vx {

namespace {

constexpr int kLoadRecords = 100'000;
constexpr int kLoadChannels = 8;
constexpr int kSaveRecords = 8192;
constexpr int kSaveChannels = 20;

// A scratch folder, removed when the program ends.
struct ScratchFolder {
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vx-bench-files-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

const std::filesystem::path& Folder() {
    static const ScratchFolder folder;
    return folder.path;
}

// A file as the program writes it: title, metadata, TAB-separated codes.
const std::string& LoadFilePath() {
    static const std::string path = [] {
        TZorTape tape(1, kLoadRecords);
        std::mt19937 random(7318);
        std::uniform_int_distribution<int> code(0, 4095);
        for (int r = 0; r < kLoadRecords; ++r)
            for (int c = 0; c < kLoadChannels; ++c) tape.DataPointCh(std::uint32_t(c), code(random));
        SaveSettings settings;
        settings.Caption = "Real Time Data";
        const std::string p = (Folder() / "load.txt").string();
        if (!WriteMeasurements(p, tape, settings).Ok()) std::abort();
        return p;
    }();
    return path;
}

// Seconds per read_csv of the load file (the best of several), or 0 when
// no python3 with pandas is at hand.
double PandasSeconds() {
    static const double seconds = [] {
        const char* script = R"(
import sys, time
import pandas
path = sys.argv[1]
best = None
for _ in range(7):
    t0 = time.perf_counter()
    frame = pandas.read_csv(path, sep='\t', header=None, skiprows=2)
    t = time.perf_counter() - t0
    best = t if best is None else min(best, t)
assert frame.shape == (100000, 8)
print(best)
)";
        for (const char* python : {"/usr/bin/python3", "python3"}) {
            const std::string out = RunForOutput({python, "-c", script, LoadFilePath()}).output;
            if (!out.empty()) return std::atof(out.c_str());
        }
        return 0.0;
    }();
    return seconds;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_LoadIntoTape(benchmark::State& state) {
    const std::string& path = LoadFilePath();
    const double pandas = PandasSeconds();
    if (pandas <= 0) {
        state.SkipWithError("python3 with pandas is not installed (Debian python3-pandas)");
        return;
    }
    RealClock clock;
    double best = 1e9;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        LoadResult result = LoadMeasurementFile(path, clock);
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - t0));
        if (!result.Ok() || result.Data.Records != kLoadRecords) state.SkipWithError("the load file did not load");
        benchmark::DoNotOptimize(result);
    }
    state.counters["pandas_ms"] = pandas * 1e3;
    state.counters["ours_ms"] = best * 1e3;
    // Below 1: faster than pandas.
    state.counters["ours_per_pandas"] = best / pandas;
}
BENCHMARK(BM_LoadIntoTape)->Unit(benchmark::kMillisecond)->Iterations(7);

const TZorTape& SaveTape() {
    static const TZorTape tape = [] {
        TZorTape t(1, kSaveRecords);
        std::mt19937 random(20);
        std::uniform_int_distribution<int> code(-2048, 2047);
        for (int r = 0; r < kSaveRecords; ++r)
            for (int c = 0; c < kSaveChannels; ++c) t.DataPointCh(std::uint32_t(c), code(random));
        return t;
    }();
    return tape;
}

SaveSettings SaveOptions() {
    SaveSettings settings;
    settings.Caption = "Upload";
    settings.Separator = ',';
    settings.SaveHeaderLine = true;
    settings.SaveLineNumbers = true;
    settings.Limits = {2047, -2048};
    return settings;
}

// The same bytes in one write and one fsync: what the disk itself costs.
double RawWriteSeconds(const std::string& bytes) {
    const std::string path = (Folder() / "raw.csv").string();
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) || ::fsync(fd) != 0)
            std::abort();
        ::close(fd);
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - t0));
    }
    return best;
}

void BM_Save8192Records20Channels(benchmark::State& state) {
    const TZorTape& tape = SaveTape();
    const std::string path = (Folder() / "save.csv").string();
    double best = 1e9;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const SaveResult result = WriteMeasurements(path, tape, SaveOptions());
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - t0));
        if (!result.Ok()) state.SkipWithError(result.Error.c_str());
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string bytes(std::filesystem::file_size(path), '\0');
    if (!f || std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    std::fclose(f);
    const double raw = RawWriteSeconds(bytes);
    state.counters["ours_ms"] = best * 1e3;
    state.counters["raw_write_ms"] = raw * 1e3;
    state.counters["ours_per_raw"] = best / raw;
    state.counters["target_ms"] = 100;
}
BENCHMARK(BM_Save8192Records20Channels)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

}  // namespace vx

using namespace vx;

BENCHMARK_MAIN();
