// links: vx_graphwin
// Loading a measurement file of 100,000 records of 8 channels into a new,
// shown graph window, first paint included, against parsing and storing the
// same file without a window in the same run ("vs_parse": what the window
// adds on top of the reader).
#include <benchmark/benchmark.h>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include "bench/QtBenchmarkMain.h"

#include "graphwin/GraphForm.h"
#include "graphwin/MeasurementFormat.h"
#include "graphwin/MeasurementReader.h"
#include "platform/Clock.h"
#include "platform/QtDialogs.h"

namespace vx {

namespace {

constexpr int Records = 100'000;

std::string writeFile() {
    const std::string path = "/tmp/vx_bench_load.txt";
    std::ofstream out(path, std::ios::binary);
    out << "; Real Time Data\r\n;~ MaxPossibleCode=4095 MinPossibleCode=0\r\n";
    for (int r = 0; r < Records; ++r) {
        for (int ch = 0; ch < 8; ++ch) out << (ch ? "\t" : "") << (500 * ch + (r * 7919 + ch * 31) % 400);
        out << "\r\n";
    }
    return path;
}

double millisSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void LoadIntoShownWindow(benchmark::State& state) {
    const std::string path = writeFile();
    CodeLimits limits;
    QtDialogs dialogs;
    GraphWindowHost host{&dialogs, &limits, &realClock(), {}, {}, {}, {}, false, false, {}};
    TGraphForm origin(host);

    double parseMs = 0, loadMs = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        LoadResult parsed = LoadMeasurementFile(path, realClock());
        parseMs += millisSince(t0);
        benchmark::DoNotOptimize(parsed);

        t0 = std::chrono::steady_clock::now();
        TGraphForm* form = origin.LoadMeasurements(path);
        QImage firstPaint = form->grab().toImage();  // paints the window and its plot
        loadMs += millisSince(t0);
        benchmark::DoNotOptimize(firstPaint);
        delete form;
    }
    const double n = double(state.iterations());
    state.counters["ms_load_and_paint"] = loadMs / n;
    state.counters["ms_parse_only"] = parseMs / n;
    state.counters["vs_parse"] = loadMs / parseMs;
    std::remove(path.c_str());
}

BENCHMARK(LoadIntoShownWindow)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace vx

using namespace vx;

VX_QT_BENCHMARK_MAIN()
