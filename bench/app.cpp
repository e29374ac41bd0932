// links: vx_app vx_sim
// The whole program against the simulated kit in real time, offscreen:
//  - readings per second with the rate list at "60", against the protocol's
//    own limit per "R" reading at 9600 baud (seven characters of ten bit
//    times and the 50 ms quiet time);
//  - CPU time of the process against wall time while reading every 100 ms
//    into a real-time graph of 8192 records, filled; baseline from the same
//    run: the same program connected but not reading;
//  - time from creating the four windows to the main window on the screen;
//    baseline from the same run: one empty main window.
// The connection itself runs in virtual time first (the loader download at
// 9600 baud would take half a minute), then the clock switches to real time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <ctime>
#include <memory>

#include "app/DesktopLauncher.h"
#include "app/MainForm.h"
#include "app/ProgramWindows.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "link/Kit.h"
#include "link/SerialForm.h"
#include "platform/QtDialogs.h"
#include "sim/SimulatedKit.h"

namespace vx {

namespace {

constexpr uint32_t Baud = 9600;
constexpr unsigned LineCharacters = 7;  // "R", its echo, four digits, ">"
constexpr uint32_t QuietMs = 50;

QApplication& app() {
    static int argc = 1;
    static char name[] = "bench_app";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    return application;
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Virtual until goReal(), then real time going on from the virtual moment.
class LaunchClock : public Clock {
public:
    uint64_t micros() override { return real_ ? virtual_ + (wall_.micros() - realStart_) : virtual_; }
    void sleepUntil(uint64_t deadline) override {
        if (!real_) {
            virtual_ = std::max(virtual_, deadline);
            return;
        }
        if (deadline > virtual_) wall_.sleepUntil(realStart_ + (deadline - virtual_));
    }
    void goReal() {
        realStart_ = wall_.micros();
        real_ = true;
    }

private:
    RealClock wall_;
    bool real_ = false;
    uint64_t virtual_ = 0;
    uint64_t realStart_ = 0;
};

// The program, connected to the simulated kit and reading channel 0.
struct ConnectedProgram {
    ConnectedProgram() {
        app();
        kit.inputs().useDemoSignals();
        link.addDevice(SimulatedKit::PortName, kit);
        windows = std::make_unique<ProgramWindows>(
            ProgramServices{clock, dialogs, launcher, link, {{SimulatedKit::PortName}, {}}, "/nowhere/vx7318kit"});
        TMainForm& f = *windows->main;
        f.loaderFileName = VX_LOADER_DIR "/KIT7318.ARB";
        TSerialForm& serial = *windows->serial;
        f.showModal = [&serial](QDialog& window) {
            if (&window != &serial) return int(QDialog::Rejected);
            serial.chooseFriendlyPort(SimulatedKit::PortName);
            serial.btnOkClick();
            return serial.runSequence();
        };
        f.show();
        QApplication::processEvents();
        clock.goReal();
        f.Timer1().SetEnabled(false);
        f.Timer1().SetEnabled(true);  // a fresh period on the real clock
    }
    bool connected() const { return kit.moduleBaud() == Baud && windows->main->Timer1().Enabled(); }
    size_t readingsSoFar() const {
        const std::string seen = kit.receivedByModule();
        return size_t(std::count(seen.begin(), seen.end(), 'R'));
    }
    void runFor(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    TGraphForm& graph() { return *windows->graph; }

    LaunchClock clock;
    SimulatedKit kit{clock};
    QtDialogs dialogs;
    Kit link{clock, dialogs};
    DesktopLauncher launcher;
    std::unique_ptr<ProgramWindows> windows;
};

// With the graph window on the screen, then hidden (its drawing is the
// larger part of what a reading costs beyond its query).
void BM_ReadingsWithRate60(benchmark::State& state) {
    ConnectedProgram p;
    if (!p.connected()) return state.SkipWithError("not connected");
    p.windows->main->findChild<QComboBox*>("UpdateRateComboBox")->setEditText("60");
    p.runFor(500);  // settle into the rhythm
    auto rate = [&](int ms) {
        const size_t before = p.readingsSoFar();
        const uint64_t start = p.clock.micros();
        p.runFor(ms);
        return double(p.readingsSoFar() - before) / (double(p.clock.micros() - start) * 1e-6);
    };
    double shown = 0, hidden = 0;
    for (auto _ : state) {
        p.graph().show();
        shown += rate(5000);
        p.graph().hide();
        hidden += rate(5000);
    }
    const double n = double(state.iterations());
    const double lineMs = LineCharacters * 10'000.0 / Baud;
    const double limitPerSecond = 1000.0 / (lineMs + QuietMs);
    state.counters["readings_per_s"] = shown / n;
    state.counters["limit_per_s"] = limitPerSecond;
    state.counters["vs_limit"] = shown / n / limitPerSecond;
    state.counters["vs_limit_graph_hidden"] = hidden / n / limitPerSecond;
    state.counters["vs_60ms_timer"] = shown / n / (1000.0 / 60);
}
BENCHMARK(BM_ReadingsWithRate60)->Iterations(2)->Unit(benchmark::kSecond);

// cpu/wall of the program reading at 100 ms into a full 8192-record graph,
// and of the same program connected but idle.
void BM_CpuWhileReadingEvery100ms(benchmark::State& state) {
    ConnectedProgram p;
    if (!p.connected()) return state.SkipWithError("not connected");
    TMainForm& f = *p.windows->main;
    p.graph().menuLengthItemClick(8192);
    for (uint32_t i = 0; i < 8192; ++i) p.windows->graphHost.feed.Graph_Data_Point(0, int32_t(1000 + i % 7));

    auto measure = [&](int ms) {
        const double cpu0 = processCpuSeconds();
        const uint64_t wall0 = p.clock.micros();
        p.runFor(ms);
        return (processCpuSeconds() - cpu0) / (double(p.clock.micros() - wall0) * 1e-6);
    };
    double reading = 0, idle = 0;
    for (auto _ : state) {
        f.findChild<QCheckBox*>("AUTOREADcheckbox")->click();  // off
        idle += measure(3000);
        f.findChild<QCheckBox*>("AUTOREADcheckbox")->click();  // on again
        reading += measure(10000);
    }
    const double n = double(state.iterations());
    state.counters["cpu_vs_wall_reading"] = reading / n;
    state.counters["cpu_vs_wall_idle"] = idle / n;
    state.counters["records"] = double(p.graph().Painter()->NumRecords());
}
BENCHMARK(BM_CpuWhileReadingEvery100ms)->Iterations(1)->Unit(benchmark::kSecond);

// Answers every dialog at once with its default: nothing may wait for a user.
class NoDialogs : public Dialogs {
public:
    MsgAnswer message(const MessageRequest& request) override { return request.defaultAnswer; }
    std::optional<FileChoice> openFile(const FileRequest&) override { return std::nullopt; }
    std::optional<FileChoice> saveFile(const FileRequest&) override { return std::nullopt; }
    std::optional<uint32_t> chooseColour(uint32_t) override { return std::nullopt; }
};

void BM_StartToMainWindowShown(benchmark::State& state) {
    app();
    RealClock clock;
    SimulatedKit kit(clock);
    NoDialogs dialogs;
    Kit link(clock, dialogs);
    link.addDevice(SimulatedKit::PortName, kit);
    DesktopLauncher launcher;
    auto shown = [](QWidget& w) {
        while (!(w.windowHandle() && w.windowHandle()->isExposed())) QApplication::processEvents();
    };
    double program = 0, empty = 0;
    for (auto _ : state) {
        const uint64_t t0 = clock.micros();
        {
            QMainWindow plain;
            plain.resize(442, 321);
            plain.show();
            shown(plain);
            empty += double(clock.micros() - t0) * 1e-6;
        }
        const uint64_t t1 = clock.micros();
        ProgramWindows windows({clock, dialogs, launcher, link, {{SimulatedKit::PortName}, {}}, "/nowhere/x"});
        windows.main->showModal = [](QDialog&) { return int(QDialog::Rejected); };
        windows.main->loaderFileName = VX_LOADER_DIR "/KIT7318.ARB";
        windows.main->show();
        shown(*windows.main);
        const double seconds = double(clock.micros() - t1) * 1e-6;
        program += seconds;
        state.SetIterationTime(seconds);
    }
    const double n = double(state.iterations());
    state.counters["start_s"] = program / n;
    state.counters["empty_window_s"] = empty / n;
    state.counters["vs_empty_window"] = program / empty;
}
BENCHMARK(BM_StartToMainWindowShown)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace vx

using namespace vx;

BENCHMARK_MAIN();
