// links: vx_sampling vx_app vx_sim
// Sample upload in real time against the simulated kit. The line's limit per
// sample is one "U" exchange: the query character, its echo, six digits and
// the prompt (nine characters of ten bit times), plus what ends the reply:
// the prompt's guard (replies end at the prompt, the default) or the 50 ms
// quiet time (argument prompt:0). Baseline from the same run: plain sleeps of
// that length on the same clock, which show what the machine's timer
// wake-ups cost by themselves.
//
// Three paths at 9600 baud: the run alone (samples counted, nothing drawn),
// and the tool's window with the upload graph drawing every sample, on
// whatever display QT_QPA_PLATFORM names (offscreen when unset). And a full
// 8192-sample run from a COBALT module at 115200 baud, timed whole.
//
// Last, the whole program's windows (main window, real-time graph, serial
// window hidden or shown, the tool and its upload graph) in virtual time,
// where the clock costs nothing and all CPU time is the program's own work:
// the cost per sample of a long upload against that of a short one. Work that
// grows with what was uploaded or logged so far shows as a ratio above one.
// And the 8192-sample COBALT run through those windows in real time.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <ctime>
#include <memory>

#include "app/HelpIndex.h"
#include "app/MainForm.h"
#include "app/ProgramWindows.h"
#include "app/ReadingLoop.h"
#include "bench/KitAt9600.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "link/AppQuery.h"
#include "link/Kit.h"
#include "link/SerialForm.h"
#include "platform/Dialogs.h"
#include "sampling/SampleForm.h"
#include "sampling/SampleLink.h"
#include "sampling/SamplingTool.h"

namespace vx {

namespace {

constexpr unsigned LineCharacters = 9;  // "U", its echo, "003E80", ">"
constexpr uint16_t SamplesPerRun = 50;

// Never deleted: the program's statics still hold toolkit objects at exit.
QApplication& widgetApp() {
    static int argc = 1;
    static char name[] = "bench_sampling";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QApplication(argc, argv);
    return *app;
}

class NoDialogs : public Dialogs {
public:
    MsgAnswer message(const MessageRequest& request) override { return request.defaultAnswer; }
    std::optional<FileChoice> openFile(const FileRequest&) override { return {}; }
    std::optional<FileChoice> saveFile(const FileRequest&) override { return {}; }
    std::optional<uint32_t> chooseColour(uint32_t) override { return {}; }
};

class CountingTarget : public ReadingTarget {
public:
    void showStatus(const std::string&) override {}
    void Graph_Data_Point(int, int32_t) override { ++points; }
    bool AutoScale() override { return false; }
    void SetAutoScale(bool) override {}
    size_t points = 0;
};

class GraphTarget : public ReadingTarget {
public:
    explicit GraphTarget(GraphFeed& feed) : feed_(feed) {}
    void showStatus(const std::string&) override {}
    void Graph_Data_Point(int channel, int32_t code) override { feed_.Graph_Data_Point(channel, code); }
    bool AutoScale() override { return false; }
    void SetAutoScale(bool) override {}

private:
    GraphFeed& feed_;
};

// Notes when the upload begins and ends; everything else is not shown.
class TimingScreen : public SampleScreen {
public:
    explicit TimingScreen(Clock& clock) : clock_(clock) {}
    void Refresh(bool) override {}
    void ProcessMessages() override {}
    void OpenUploadGraph(const std::string&, uint16_t, int) override {}
    void FeedUploadGraph(bool on) override {
        if (on) began = clock_.micros();
    }
    void AutoScaleUploadGraph() override {}
    void RescaleUploadGraph() override { ended = clock_.micros(); }
    void ShowSummary(const std::string&) override {}
    void ShowReadings() override {}
    std::string DateTimeText() override { return {}; }
    uint64_t began = 0, ended = 0;

private:
    Clock& clock_;
};

// The kit running its application at 9600 baud (a COBALT at 115200), on channel 5.
struct RunningKit {
    RealClock clock;
    SimulatedKit kit;
    NoDialogs dialogs;
    Kit link{clock, dialogs};
    SerialPortLayer& port = link.port();
    AppQueryProtocol& protocol = link.query();
    PortSampleLink sampleLink{port, protocol};
    bool ready = false;

    explicit RunningKit(bool endAtPrompt = true, ModuleKind kind = ModuleKind::Arbord) : kit(clock, kind) {
        link.addDevice(SimulatedKit::PortName, kit);
        kit.inputs()[5] = InputSignal{2.0, 0, 1.5, 250, 0};
        if (kind == ModuleKind::Cobalt) {
            port.setHwPort(SimulatedKit::PortName);
            ready = port.DoOpenPort();
            clock.sleep(100);  // boot and beacon
            drain(port);
            ready = ready && moveCobaltTo115200(port, kit, clock);
        } else {
            ready = openKitAt9600(port, kit, clock);
        }
        kit.runApplication();
        drain(port);
        protocol.setAppEnabled(true);
        protocol.setEndReplyAtPrompt(endAtPrompt);
    }
    uint64_t limitMicros() {
        const uint64_t replyEnd =
            protocol.EndReplyAtPrompt() ? protocol.promptGuardMicros() : protocol.AppQueryTimeoutMs() * 1000ull;
        return LineCharacters * 10'000'000ull / port.PortDcb().baud + replyEnd;
    }
};

void report(benchmark::State& state, double samples, double wall, double sleeps, uint64_t limitMicros) {
    const double limitPerSecond = 1e6 / double(limitMicros);
    state.counters["samples_per_s"] = samples / wall;
    state.counters["limit_per_s"] = limitPerSecond;
    state.counters["vs_limit"] = samples / wall / limitPerSecond;
    state.counters["vs_sleeps"] = sleeps / wall;
}

void BM_UploadAt9600(benchmark::State& state) {
    RunningKit k(state.range(0) != 0);
    if (!k.ready) return state.SkipWithError("could not reach 9600 baud");
    ConversionControl control(k.protocol, k.dialogs);
    CountingTarget target;
    ReadingLoop readings(control, k.protocol, target, k.clock);
    control.menuInputChannelClick(5);
    TimingScreen screen(k.clock);
    SamplingTool tool(k.sampleLink, screen, control, readings, k.clock);
    tool.SampleSizeComboBoxChange(std::to_string(SamplesPerRun));

    double wall = 0, sleeps = 0, samples = 0;
    for (auto _ : state) {
        const uint64_t sleep0 = k.clock.micros();
        k.clock.sleepMicros(k.limitMicros() * SamplesPerRun);
        sleeps += double(k.clock.micros() - sleep0) * 1e-6;

        const size_t before = target.points;
        tool.SampleButtonClick();
        if (target.points - before != SamplesPerRun) return state.SkipWithError("upload incomplete");
        const double seconds = double(screen.ended - screen.began) * 1e-6;
        wall += seconds;
        samples += SamplesPerRun;
        state.SetIterationTime(seconds);
    }
    report(state, samples, wall, sleeps, k.limitMicros());
}
BENCHMARK(BM_UploadAt9600)
    ->ArgName("prompt")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4);

// 8192 samples from a COBALT module at 115200 baud: acquisition and upload.
void BM_Upload8192FromCobaltAt115200(benchmark::State& state) {
    constexpr uint16_t Samples = 8192;
    RunningKit k(true, ModuleKind::Cobalt);
    if (!k.ready) return state.SkipWithError("could not reach 115200 baud");
    ConversionControl control(k.protocol, k.dialogs);
    CountingTarget target;
    ReadingLoop readings(control, k.protocol, target, k.clock);
    control.menuInputChannelClick(5);
    TimingScreen screen(k.clock);
    SamplingTool tool(k.sampleLink, screen, control, readings, k.clock);
    tool.SampleSizeComboBoxChange(std::to_string(Samples));

    double upload = 0, whole = 0;
    for (auto _ : state) {
        const uint64_t start = k.clock.micros();
        tool.SampleButtonClick();
        if (target.points != Samples) return state.SkipWithError("upload incomplete");
        whole = double(k.clock.micros() - start) * 1e-6;
        upload = double(screen.ended - screen.began) * 1e-6;
        state.SetIterationTime(whole);
    }
    state.counters["run_s"] = whole;
    state.counters["upload_s"] = upload;
    state.counters["vs_limit"] = Samples / upload / (1e6 / double(k.limitMicros()));
}
BENCHMARK(BM_Upload8192FromCobaltAt115200)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// The same through the tool's window, each sample drawn into its upload graph.
void BM_UploadIntoGraphAt9600(benchmark::State& state) {
    widgetApp();
    RunningKit k;
    if (!k.ready) return state.SkipWithError("could not reach 9600 baud");
    ConversionControl control(k.protocol, k.dialogs);
    GraphWindowHost host{&k.dialogs, &control.state().Limits, &k.clock, {}, {}, {}, {}, false, false, {}};
    GraphTarget target(host.feed);
    ReadingLoop readings(control, k.protocol, target, k.clock);
    control.menuInputChannelClick(5);
    auto live = std::make_unique<TGraphForm>(host);
    host.feed.GraphForm = live.get();
    auto form = std::make_unique<TSampleForm>(SamplingServices{control, readings, k.link, host, k.dialogs});
    form->show();
    form->tool().SampleSizeComboBoxChange(std::to_string(SamplesPerRun));

    double wall = 0, sleeps = 0, samples = 0;
    uint64_t began = 0;
    form->onProcessMessages = [&] {
        if (!began && host.feed.UseUploadGraph) began = k.clock.micros();
    };
    for (auto _ : state) {
        const uint64_t sleep0 = k.clock.micros();
        k.clock.sleepMicros(k.limitMicros() * SamplesPerRun);
        sleeps += double(k.clock.micros() - sleep0) * 1e-6;

        form->show();
        began = 0;
        form->SampleButtonClick();
        const uint64_t ended = k.clock.micros();
        if (form->uploadGraphs().back()->Painter()->DisplayZorTape()->ThisRecord() + 1 != SamplesPerRun)
            return state.SkipWithError("upload incomplete");
        // The first sample's exchange came before the first message round.
        const double seconds = double(ended - began) * 1e-6 * SamplesPerRun / (SamplesPerRun - 1);
        wall += seconds;
        samples += SamplesPerRun;
        state.SetIterationTime(seconds);
    }
    form.reset();
    live.reset();
    report(state, samples, wall, sleeps, k.limitMicros());
}
BENCHMARK(BM_UploadIntoGraphAt9600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

class NoLauncher : public Launcher {
public:
    int openDocument(const std::string&) override { return ENOENT; }
    int start(const std::vector<std::string>&) override { return ENOENT; }
};

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The program as main() makes it, connected to the kit; "&Sample!" runs one
// upload of the given size and gives the CPU time it took per sample.
class ProgramUpload {
public:
    explicit ProgramUpload(bool realTime = false, ModuleKind kind = ModuleKind::Arbord)
        : clock(realTime ? static_cast<Clock&>(realClock) : virtualClock), kit(clock, kind) {
        kit.inputs()[5] = InputSignal{2.0, 0, 1.5, 250, 0};
        link.addDevice(SimulatedKit::PortName, kit);
        main.driveTimerManually();
        serial.driveTimerManually();
        main.loaderFileName = kind == ModuleKind::Cobalt ? VX_LOADER_DIR "/KIT7318.COB" : VX_LOADER_DIR "/KIT7318.ARB";
        main.showModal = [this](QDialog& window) {
            if (&window == &tool) {
                tool.show();
                tool.findChild<QComboBox*>("SampleSizeComboBox")->setCurrentText(QString::number(size_));
                tool.findChild<QPushButton*>("SampleButton")->click();
                return tool.result();
            }
            serial.chooseFriendlyPort(SimulatedKit::PortName);
            serial.btnOkClick();
            return serial.runSequence();
        };
        main.show();
        QApplication::processEvents();
        main.findChild<QAction*>("menuInputCH51")->trigger();
    }
    bool connected() { return link.query().cbAppEnabled(); }
    uint32_t baud() { return link.port().PortDcb().baud; }
    void showSerialWindow() { serial.show(); }
    // CPU seconds per sample of one upload, or 0 when it did not complete.
    double run(uint16_t size) {
        size_ = size;
        const double start = cpuSeconds();
        main.findChild<QAction*>("menuSample1")->trigger();
        const double seconds = cpuSeconds() - start;
        if (tool.uploadGraphs().empty()) return 0;
        const uint32_t last = tool.uploadGraphs().back()->Painter()->DisplayZorTape()->ThisRecord();
        return last + 1 == size ? seconds / size : 0;
    }
    uint64_t micros() { return clock.micros(); }
    // CPU seconds per reading of `count` readings of the main window's loop,
    // one every `everyMs`, with the real-time graph shown.
    double read(int count, uint32_t everyMs) {
        windows->graph->show();
        const double start = cpuSeconds();
        for (int i = 0; i < count; ++i) {
            clock.sleep(everyMs);
            main.Timer1Timer();
            QApplication::processEvents();
        }
        return (cpuSeconds() - start) / count;
    }

private:
    QApplication& app = widgetApp();
    VirtualClock virtualClock;
    RealClock realClock;
    Clock& clock;
    SimulatedKit kit;
    NoDialogs dialogs;
    Kit link{clock, dialogs};
    NoLauncher launcher;
    std::unique_ptr<ProgramWindows> windows = std::make_unique<ProgramWindows>(
        ProgramServices{clock, dialogs, launcher, link, {{SimulatedKit::PortName}, {}}, "/nowhere/vx7318kit"});
    TMainForm& main = *windows->main;
    TSerialForm& serial = *windows->serial;
    TSampleForm& tool = dynamic_cast<TSampleForm&>(*windows->sample);
    uint16_t size_ = 0;
};

void BM_UploadThroughProgramWindows(benchmark::State& state) {
    const auto longRun = uint16_t(state.range(0));
    constexpr uint16_t ShortRun = 256;
    double perShort = 0, perLong = 0;
    for (auto _ : state) {
        ProgramUpload program;
        if (!program.connected()) return state.SkipWithError("no connection");
        if (state.range(1)) program.showSerialWindow();
        perShort = program.run(ShortRun);
        perLong = program.run(longRun);
        if (perShort == 0 || perLong == 0) return state.SkipWithError("upload incomplete");
    }
    state.counters["us_per_sample_256"] = perShort * 1e6;
    state.counters["us_per_sample_long"] = perLong * 1e6;
    state.counters["long_vs_256"] = perLong / perShort;
}
BENCHMARK(BM_UploadThroughProgramWindows)
    ->ArgNames({"samples", "serial_window"})
    ->Args({4096, 0})
    ->Args({4096, 1})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// The main window's reading loop, virtual time: the cost per reading of the
// last thousand of many readings against that of the first thousand. The
// serial window's history, the statistics and the real-time graph's tape must
// not make a reading dearer the longer the program reads.
void BM_ReadingsThroughProgramWindows(benchmark::State& state) {
    constexpr int Batch = 1000;
    const auto everyMs = uint32_t(state.range(0));
    double first = 0, last = 0;
    for (auto _ : state) {
        ProgramUpload program;
        if (!program.connected()) return state.SkipWithError("no connection");
        if (state.range(2)) program.showSerialWindow();
        first = program.read(Batch, everyMs);
        program.read(int(state.range(1)) - 2 * Batch, everyMs);
        last = program.read(Batch, everyMs);
    }
    state.counters["us_per_reading_first"] = first * 1e6;
    state.counters["us_per_reading_last"] = last * 1e6;
    state.counters["last_vs_first"] = last / first;
}
BENCHMARK(BM_ReadingsThroughProgramWindows)
    ->ArgNames({"every_ms", "readings", "serial_window"})
    ->Args({100, 12000, 0})
    ->Args({10, 12000, 0})
    ->Args({10, 12000, 1})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// 8192 samples from a COBALT module at 115200 baud through the program's
// windows, in real time: acquisition and upload, timed whole.
void BM_Upload8192FromCobaltThroughProgramWindows(benchmark::State& state) {
    constexpr uint16_t Samples = 8192;
    double whole = 0, cpu = 0;
    for (auto _ : state) {
        ProgramUpload program(true, ModuleKind::Cobalt);
        if (!program.connected() || program.baud() != 115200) return state.SkipWithError("not at 115200 baud");
        const uint64_t start = program.micros();
        cpu = program.run(Samples) * Samples;
        whole = double(program.micros() - start) * 1e-6;
        if (cpu == 0) return state.SkipWithError("upload incomplete");
        state.SetIterationTime(whole);
    }
    state.counters["run_s"] = whole;
    state.counters["cpu_s"] = cpu;
}
BENCHMARK(BM_Upload8192FromCobaltThroughProgramWindows)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

}  // namespace vx

using namespace vx;

BENCHMARK_MAIN();
