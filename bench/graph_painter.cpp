// links: vx_graph
// The painter's costs on a full 8192-record tape of 8 channels in a 1600 x 900
// plot, each against the same operation on a 64-record tape measured in the
// same run ("vs_64" is the ratio, so growth with the tape length shows).
#include <benchmark/benchmark.h>
#include <QImage>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include "bench/QtBenchmarkMain.h"

#include "graph/ZrGraphPainter.h"

namespace vx {

namespace {

int sample(int channel, int k) {
    // Noisy sines around different levels, so histograms have width.
    return 300 + 450 * channel + int(200 * std::sin(k * 0.01 * (channel + 1))) + (k * 7919 + channel * 31) % 41;
}

bool visible = true;  // shown painters repaint each live strip at once

std::unique_ptr<ZrGraphPainter> fullPainter(std::uint32_t records) {
    auto p = std::make_unique<ZrGraphPainter>(nullptr, 1, records);
    p->resize(1600, 900);
    if (visible) p->show();
    p->SetNumChannels(8);
    for (std::uint32_t k = 0; k < records + 1; ++k)
        for (int ch = 0; ch < 8; ++ch) p->DisplayZorTape()->DataPointCh(ch, sample(ch, int(k)));
    p->DoAutoScale();
    QCoreApplication::processEvents();
    return p;
}

double nanosPerCall(const std::function<void()>& op, int calls) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) op();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(t1 - t0).count() / calls;
}

// Times op on the long tape as the benchmark and reports its ratio to the short tape.
void compare(benchmark::State& state, const std::function<void(ZrGraphPainter&)>& op, int baselineCalls) {
    auto small = fullPainter(64);
    auto big = fullPainter(8192);
    op(*small);
    const double smallNs = nanosPerCall([&] { op(*small); }, baselineCalls);
    op(*big);
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) op(*big);
    const auto t1 = std::chrono::steady_clock::now();
    const double bigNs = std::chrono::duration<double, std::nano>(t1 - t0).count() / double(state.iterations());
    state.counters["ms_8192"] = bigNs / 1e6;
    state.counters["ms_64"] = smallNs / 1e6;
    state.counters["vs_64"] = bigNs / smallNs;
}

void LivePointTimeDomain(benchmark::State& state) {
    int k = 0;
    compare(
        state, [&](ZrGraphPainter& p) { p.DataPointCh(std::uint32_t(k % 8), sample(k % 8, k)), ++k; }, 2000);
}

// The same without a screen: the painter's own work only.
void LivePointHidden(benchmark::State& state) {
    visible = false;
    LivePointTimeDomain(state);
    visible = true;
}

void FullRedraw(benchmark::State& state) {
    compare(
        state, [](ZrGraphPainter& p) { p.Redraw(); }, 50);
}

void HistogramBuild(benchmark::State& state) {
    compare(
        state, [](ZrGraphPainter& p) { p.ShowHistogram(); }, 50);
}

void TablePaint(benchmark::State& state) {
    QImage target(1600, 900, QImage::Format_RGB32);
    compare(
        state,
        [&](ZrGraphPainter& p) {
            if (p.ViewMode() != 1) p.ShowTable();
            p.render(&target);
        },
        50);
}

BENCHMARK(LivePointTimeDomain)->Unit(benchmark::kMicrosecond);
BENCHMARK(LivePointHidden)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(HistogramBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(TablePaint)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace vx

using namespace vx;

VX_QT_BENCHMARK_MAIN()
