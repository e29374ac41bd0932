// links: vx_link vx_sim
// Continuous "R" queries against the simulated kit running its application,
// in real time at 9600 baud with the default 50 ms quiet time. The line's
// limit per reading is the time of the query character, its echo, four
// digits and the prompt (seven characters of ten bit times), plus what ends
// the reply: the prompt's guard when replies end at the prompt (argument 1),
// the quiet time when they do not (argument 0). Baseline from the same run:
// plain sleeps of that length on the same clock, which show what the
// machine's timer wake-ups cost by themselves.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

#include "bench/KitAt9600.h"
#include "link/AppQuery.h"
#include "link/SerialPortLayer.h"
#include "sim/SimulatedKit.h"

namespace vx {

namespace {

constexpr uint32_t Baud = 9600;
constexpr unsigned LineCharacters = 7;  // "R", its echo, "3E80", ">"

// Opens the kit at 9600 baud and starts the application.
bool startApplicationAt9600(SerialPortLayer& port, SimulatedKit& kit, Clock& clock) {
    if (!openKitAt9600(port, kit, clock)) return false;
    kit.runApplication();
    drain(port);
    return true;
}

void BM_AppQueryReadingsAt9600(benchmark::State& state) {
    RealClock clock;
    SimulatedKit kit(clock, ModuleKind::Arbord);
    kit.inputs().setLevel(0, 1.0);
    SerialPortLayer port(kit, clock);
    AppQueryProtocol protocol(port);
    if (!startApplicationAt9600(port, kit, clock)) {
        state.SkipWithError("could not start the application at 9600 baud");
        return;
    }
    protocol.setAppEnabled(true);
    protocol.setEndReplyAtPrompt(state.range(0) != 0);

    const uint64_t replyEnd =
        protocol.EndReplyAtPrompt() ? protocol.promptGuardMicros() : protocol.AppQueryTimeoutMs() * 1000ull;
    const uint64_t limitMicros = LineCharacters * 10'000'000ull / Baud + replyEnd;
    double wall = 0, cpu = 0, sleeps = 0;
    for (auto _ : state) {
        const uint64_t sleep0 = clock.micros();
        clock.sleepMicros(limitMicros);
        sleeps += double(clock.micros() - sleep0) * 1e-6;

        port.MemoHistory().clear();
        const uint64_t wall0 = clock.micros();
        const double cpu0 = processCpuSeconds();
        if (std::strcmp(protocol.AppQuery("R"), "3E80") != 0) {
            state.SkipWithError("wrong reply");
            return;
        }
        const double seconds = double(clock.micros() - wall0) * 1e-6;
        cpu += processCpuSeconds() - cpu0;
        wall += seconds;
        state.SetIterationTime(seconds);
    }
    const double readings = double(state.iterations());
    const double limitPerSecond = 1e6 / double(limitMicros);
    state.counters["readings_per_s"] = readings / wall;
    state.counters["limit_per_s"] = limitPerSecond;
    state.counters["vs_limit"] = readings / wall / limitPerSecond;
    state.counters["vs_sleeps"] = sleeps / wall;
    state.counters["cpu_vs_wall"] = cpu / wall;
}
BENCHMARK(BM_AppQueryReadingsAt9600)
    ->ArgName("prompt")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

// Hours of reading, in virtual time: 100,000 "R" readings every 100 ms (2.8
// hours). The history stays within its bound, so the last thousand readings
// cost what the first thousand did (process CPU time, ratio reported).
void BM_HistoryOverHundredThousandReadings(benchmark::State& state) {
    constexpr int Readings = 100'000, Sample = 1000;
    for (auto _ : state) {
        VirtualClock clock;
        SimulatedKit kit(clock, ModuleKind::Arbord);
        SerialPortLayer port(kit, clock);
        AppQueryProtocol protocol(port);
        if (!openKitAt9600(port, kit, clock)) return state.SkipWithError("could not reach 9600 baud");
        kit.runApplication();
        drain(port);
        protocol.setAppEnabled(true);

        double first = 0, last = 0;
        size_t mostCharacters = 0;
        for (int reading = 0; reading < Readings; ++reading) {
            const uint64_t due = clock.micros() + 100'000;
            const double cpu0 = processCpuSeconds();
            if (std::strlen(protocol.AppQuery("R")) != 4) return state.SkipWithError("wrong reply");
            const double cpu = processCpuSeconds() - cpu0;
            if (reading < Sample) first += cpu;
            if (reading >= Readings - Sample) last += cpu;
            if (reading % 997 == 0) {
                size_t characters = 0;
                for (const std::string& line : port.MemoHistory().lines()) characters += line.size();
                mostCharacters = std::max(mostCharacters, characters);
            }
            clock.sleepUntil(due);
        }
        state.counters["last_vs_first_1000"] = last / first;
        state.counters["history_lines"] = double(port.MemoHistory().count());
        state.counters["history_chars_max"] = double(mostCharacters);
        state.counters["chars_bound"] = double(History::MaxLines * History::MaxLineLength);
    }
}
BENCHMARK(BM_HistoryOverHundredThousandReadings)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

}  // namespace vx

using namespace vx;

BENCHMARK_MAIN();
