// links: vx_graph vx_analysis
// The spectrum's costs. Analysis of 8192 samples against the bare transform
// of the same length ("vs_fft"), and a full redraw of the spectrum view at
// 1600 x 900 against a full redraw of the time plot of the same 8192 records
// ("vs_time_plot"); both measured in the same run. The budgets are 5 ms and
// 30 ms ("ms" beside each ratio).
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include "bench/QtBenchmarkMain.h"

#include "analysis/FftPlan.h"
#include "analysis/SpectrumAnalysis.h"
#include "graph/ZrGraphPainter.h"

namespace vx {

namespace {

constexpr int N = 8192;

std::vector<double> noisySine() {
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0, 0.7);
    std::vector<double> codes(N);
    for (int i = 0; i < N; ++i)
        codes[std::size_t(i)] =
            std::round(2048 + 2000 * std::sin(2 * std::numbers::pi * 1001.3 * i / N) + noise(random));
    return codes;
}

double millisPerCall(const std::function<void()>& op, int calls) {
    op();
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) op();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / calls;
}

void report(benchmark::State& state, double ms, double baselineMs, const char* ratioName) {
    state.counters["ms"] = ms;
    state.counters[ratioName] = ms / baselineMs;
}

void BM_Analyse8192(benchmark::State& state) {
    const std::vector<double> codes = noisySine();
    FftPlan fft(N);
    const double fftMs = millisPerCall(
        [&] {
            std::copy(codes.begin(), codes.end(), fft.input().begin());
            benchmark::DoNotOptimize(fft.execute().data());
        },
        200);
    SpectrumAnalyser analyser;
    analyser.analyse(codes, 4096, 6000);
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) benchmark::DoNotOptimize(analyser.analyse(codes, 4096, 6000).snr);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() /
                      double(state.iterations());
    report(state, ms, fftMs, "vs_fft");
}
BENCHMARK(BM_Analyse8192)->Unit(benchmark::kMillisecond);

void BM_SpectrumRedraw1600x900(benchmark::State& state) {
    ZrGraphPainter painter(nullptr, 1, N);
    painter.resize(1600, 900);
    painter.SetNumChannels(1);
    for (double code : noisySine()) painter.DisplayZorTape()->DataPointCh(0, int(code));
    painter.DoAutoScale();
    QImage target(1600, 900, QImage::Format_RGB32);
    auto redraw = [&] {
        painter.Redraw();
        painter.render(&target);
    };
    const double timePlotMs = millisPerCall(redraw, 20);
    painter.ShowSpectrum();
    redraw();
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) redraw();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() /
                      double(state.iterations());
    report(state, ms, timePlotMs, "vs_time_plot");
}
BENCHMARK(BM_SpectrumRedraw1600x900)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace vx

using namespace vx;

VX_QT_BENCHMARK_MAIN();
