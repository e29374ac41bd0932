// links: vx_link vx_sim
// A default ARBORD connection from Ok to the running application: Automatic
// on the simulated kit, fastest rate, download of KIT7318.ARB, the 200 ms
// timer. Baseline from the same run: the identical sequence in virtual time,
// which is what the line, the timer and the fixed waits cost by themselves.
// In real time the ratio shows the overhead of the machine's own work, and
// CPU time against wall time shows that the waits block rather than spin.
// valid_lines is 1 when every line of the file reached the board with a
// valid checksum; of_9s is the real setup time against nine seconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>

#include "link/AppQuery.h"
#include "link/ConnectionSequence.h"
#include "link/PortSwitch.h"
#include "sim/SimulatedKit.h"

namespace vx {

namespace {

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Every question gets its default answer; a default connection asks none.
class DefaultDialogs : public Dialogs {
public:
    MsgAnswer message(const MessageRequest& request) override { return request.defaultAnswer; }
    std::optional<FileChoice> openFile(const FileRequest&) override { return {}; }
    std::optional<FileChoice> saveFile(const FileRequest&) override { return {}; }
    std::optional<uint32_t> chooseColour(uint32_t) override { return {}; }
};

struct Connection {
    uint32_t setupMs = 0;  // 0 when it did not reach the running state
    bool linesValid = false;
};

// Connects on `clock`, firing the timer as a window's timer would.
Connection connect(Clock& clock) {
    SimulatedKit kit(clock, ModuleKind::Arbord);
    PortSwitch ports(clock);
    ports.add(SimulatedKit::PortName, kit);
    SerialPortLayer port(ports, clock);
    AppQueryProtocol query(port);
    DefaultDialogs dialogs;
    ConnectionSequence seq(port, query, dialogs);
    seq.setPortList({SimulatedKit::PortName});
    seq.SelectFilename(std::string(VX_LOADER_DIR) + "/KIT7318.ARB");
    uint64_t lastTick = clock.micros();
    seq.btnOkClick();
    for (int i = 0; i < 1000 && seq.view().ModalResult != FormResult::Ok; ++i) {
        clock.sleepUntil(lastTick + uint64_t(seq.nextTickMs()) * 1000);
        lastTick = clock.micros();
        seq.Timer1Timer();
    }
    const auto lines = kit.loadedLines();
    const bool valid = !lines.empty() && std::all_of(lines.begin(), lines.end(), [](auto& l) { return l.valid; });
    return {seq.view().ModalResult == FormResult::Ok ? seq.SetupTimeMs() : 0, valid && kit.programValid()};
}

uint32_t virtualSetupMs = 0;

void VirtualTime(benchmark::State& state) {
    for (auto _ : state) {
        VirtualClock clock;
        virtualSetupMs = connect(clock).setupMs;
    }
    state.counters["setup_s"] = virtualSetupMs * 0.001;
}

void RealTime(benchmark::State& state) {
    Connection result;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        RealClock clock;
        const double cpuStart = processCpuSeconds();
        const uint64_t wallStart = clock.micros();
        result = connect(clock);
        cpu = processCpuSeconds() - cpuStart;
        wall = double(clock.micros() - wallStart) * 1e-6;
    }
    const uint32_t setupMs = result.setupMs;
    state.counters["setup_s"] = setupMs * 0.001;
    state.counters["of_9s"] = setupMs / 9000.0;
    state.counters["valid_lines"] = result.linesValid ? 1 : 0;
    state.counters["vs_virtual"] = virtualSetupMs ? double(setupMs) / virtualSetupMs : 0;
    state.counters["cpu_of_wall"] = wall > 0 ? cpu / wall : 0;
}

}  // namespace

BENCHMARK(VirtualTime)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(RealTime)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace vx

using namespace vx;

BENCHMARK_MAIN();
