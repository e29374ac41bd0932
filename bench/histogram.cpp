// links: vx_graphdata
// Histogram builds of one channel of 8192 records, codes spread over 0..4095
// and over 0..1,000,000, against a baseline in the same run: one plain pass
// that sums the same records (the least any build must do). Targets: under
// 5 ms and under 100 ms.
#include <benchmark/benchmark.h>

#include <random>

#include "graph/HistogramBins.h"

namespace vx {

namespace {

constexpr int kRecords = 8192;

GraphChannel channelSpanning(int highest) {
    GraphChannel ch;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> code(0, highest);
    for (int r = 0; r < kRecords; ++r) ch.Data[r] = code(random);
    ch.Data[0] = 0;
    ch.Data[1] = highest;
    return ch;
}

void BM_Baseline_SumOfRecords(benchmark::State& state) {
    GraphChannel ch = channelSpanning(4095);
    for (auto _ : state) {
        long long sum = 0;
        for (int r = 0; r < kRecords; ++r) sum += ch.Data[r];
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_Baseline_SumOfRecords)->Unit(benchmark::kMicrosecond);

void BM_Histogram(benchmark::State& state) {
    GraphChannel ch = channelSpanning(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(CountHistogram(ch, 0, 1.0, [](int) { return true; }));
}
BENCHMARK(BM_Histogram)->Arg(4095)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace vx

using namespace vx;

BENCHMARK_MAIN();
