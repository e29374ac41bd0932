// links: vx_link vx_sim
// An echoed line on the simulated kit in real time at 9600 baud, against the
// line's own limit (every character goes out and comes back: 20 bit times)
// and against the same number of plain 20-bit-time sleeps on the same clock,
// which shows what the machine's timer wake-ups cost by themselves.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/KitAt9600.h"
#include "link/SerialPortLayer.h"
#include "sim/SimulatedKit.h"

namespace vx {

namespace {

constexpr uint32_t Baud = 9600;
constexpr const char* Line = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcd";  // 40, no space (banner)

void BM_EchoedLineAt9600(benchmark::State& state) {
    RealClock clock;
    SimulatedKit kit(clock, ModuleKind::Arbord);
    SerialPortLayer port(kit, clock);
    if (!openKitAt9600(port, kit, clock)) {
        state.SkipWithError("could not bring the kit to 9600 baud");
        return;
    }
    const double limit = double(std::strlen(Line)) * 20.0 / Baud;
    const uint64_t charMicros = 20'000'000 / Baud;
    double wall = 0, cpu = 0, sleeps = 0;
    for (auto _ : state) {
        const uint64_t sleep0 = clock.micros();
        for (size_t i = 0; i < std::strlen(Line); ++i) clock.sleepMicros(charMicros);
        sleeps += double(clock.micros() - sleep0) * 1e-6;

        port.MemoHistory().clear();
        const uint64_t wall0 = clock.micros();
        const double cpu0 = processCpuSeconds();
        if (!port.WriteStringWaitForEcho(Line)) {
            state.SkipWithError("echo lost");
            return;
        }
        const double seconds = double(clock.micros() - wall0) * 1e-6;
        cpu += processCpuSeconds() - cpu0;
        wall += seconds;
        state.SetIterationTime(seconds);
    }
    const double lines = double(state.iterations());
    state.counters["wall_vs_limit"] = wall / (lines * limit);
    state.counters["wall_vs_sleeps"] = wall / sleeps;
    state.counters["cpu_vs_wall"] = cpu / wall;
    state.counters["limit_ms"] = limit * 1e3;
}
BENCHMARK(BM_EchoedLineAt9600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(24);

}  // namespace

}  // namespace vx

using namespace vx;

BENCHMARK_MAIN();
