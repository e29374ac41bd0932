// links: vx_graphwin
// One live reading through the data feed (store, draw, channel button, channel
// min/max, overall mean and deviation, read-outs) on a shown real-time graph
// whose tape is full, against the painter's own store-and-draw of the same
// point measured in the same run ("vs_painter"). "pct_of_100ms" is the share
// of the 100 ms reading interval that a scan of all eight channels takes.
#include "bench/QtBenchmarkMain.h"
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>

#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"

namespace {

int sample(int channel, int k)
{
    return 300 + 450 * channel + int(200 * std::sin(k * 0.01 * (channel + 1))) + (k * 7919 + channel * 31) % 41;
}

std::unique_ptr<TGraphForm> fullGraph(std::uint32_t records)
{
    auto form = std::make_unique<TGraphForm>();
    form->show();
    form->menuLengthItemClick(records);
    GraphForm = form.get();
    for (std::uint32_t k = 0; k < records + 1; ++k)
        for (int ch = 0; ch < 8; ++ch) form->Painter()->DataPointCh(ch, sample(ch, int(k)));
    for (int ch = 0; ch < 8; ++ch) Graph_Data_Point(ch, sample(ch, 0));
    form->Painter()->DoAutoScale();
    QCoreApplication::processEvents();
    return form;
}

double nanosPerCall(const std::function<void()>& op, int calls)
{
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) op();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(t1 - t0).count() / calls;
}

void LiveReading(benchmark::State& state)
{
    auto form = fullGraph(std::uint32_t(state.range(0)));
    ZrGraphPainter& painter = *form->Painter();
    int k = 0;
    const double painterNs = nanosPerCall([&] { painter.DataPointCh(std::uint32_t(k % 8), sample(k % 8, k)), ++k; },
                                          state.range(0) > 1000 ? 400 : 4000);
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) Graph_Data_Point(k % 8, sample(k % 8, k)), ++k;
    const auto t1 = std::chrono::steady_clock::now();
    const double feedNs = std::chrono::duration<double, std::nano>(t1 - t0).count() / double(state.iterations());
    state.counters["us_feed"] = feedNs / 1e3;
    state.counters["us_painter"] = painterNs / 1e3;
    state.counters["vs_painter"] = feedNs / painterNs;
    state.counters["pct_of_100ms"] = 8 * feedNs / 1e8 * 100;
    GraphForm = nullptr;
}

BENCHMARK(LiveReading)->Arg(64)->Arg(8192)->Unit(benchmark::kMicrosecond);

}  // namespace

VX_QT_BENCHMARK_MAIN()
