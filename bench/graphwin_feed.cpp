// links: vx_graphwin
// One scan of eight channels through the data feed (store, statistics,
// channel buttons, read-outs, and the strips and repaints that follow at the
// screen's pace) into a shown real-time graph whose tape is full and wraps.
// "us_scan" is the cost of one scan at the tape length of the run;
// "vs_64_records" compares it with the same scan into a 64-record graph,
// measured in the same run: a reading must not cost more on a longer tape.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>
#include "bench/QtBenchmarkMain.h"

#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "platform/Clock.h"
#include "platform/QtDialogs.h"

namespace vx {

namespace {

int sample(int channel, int k) {
    return 300 + 450 * channel + int(200 * std::sin(k * 0.01 * (channel + 1))) + (k * 7919 + channel * 31) % 41;
}

// What the graph windows borrow, as in a program without a main window.
struct Host {
    QtDialogs dialogs;
    CodeLimits limits;
    GraphWindowHost graphs{&dialogs, &limits, &realClock(), {}, {}, {}, {}, false, false, {}};
};

std::unique_ptr<TGraphForm> fullGraph(GraphWindowHost& host, std::uint32_t records) {
    auto form = std::make_unique<TGraphForm>(host);
    form->show();
    form->menuLengthItemClick(records);
    host.feed.GraphForm = form.get();
    for (std::uint32_t k = 0; k < records + 1; ++k)
        for (int ch = 0; ch < 8; ++ch) host.feed.Graph_Data_Point(ch, sample(ch, int(k)));
    form->Painter()->DoAutoScale();
    QCoreApplication::processEvents();
    return form;
}

// One scan, then what the event loop does between readings.
void scan(GraphFeed& feed, int& k) {
    for (int ch = 0; ch < 8; ++ch) feed.Graph_Data_Point(ch, sample(ch, k));
    ++k;
    QCoreApplication::processEvents();
}

double microsPerScan(GraphFeed& feed, TGraphForm& form, int scans) {
    feed.GraphForm = &form;
    int k = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < scans; ++i) scan(feed, k);
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(t1 - t0).count() / scans;
}

void ScanAll(benchmark::State& state) {
    Host host;
    auto shortTape = fullGraph(host.graphs, 64);
    auto form = fullGraph(host.graphs, std::uint32_t(state.range(0)));
    double shortUs = 0, longUs = 0;
    int rounds = 0;
    for (auto _ : state) {
        // Alternate, so that both lengths see the same machine load.
        shortUs += microsPerScan(host.graphs.feed, *shortTape, 200);
        longUs += microsPerScan(host.graphs.feed, *form, 200);
        ++rounds;
    }
    state.counters["us_scan"] = longUs / rounds;
    state.counters["us_scan_64"] = shortUs / rounds;
    state.counters["vs_64_records"] = longUs / shortUs;
}

BENCHMARK(ScanAll)->Arg(64)->Arg(8192)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

}  // namespace vx

using namespace vx;

VX_QT_BENCHMARK_MAIN()
