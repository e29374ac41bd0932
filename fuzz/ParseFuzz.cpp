// libFuzzer target: any bytes as a measurement file. The reader must neither
// crash nor take more than its limits allow, and what it loads must hang
// together. Then the loaded tape goes where a loaded window takes it: the
// home scale of the file's limits, the automatic scale, a run of pan and zoom
// commands, the statistics and the histogram build, each with the promises
// the window relies on.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "graph/HistogramBins.h"
#include "graph/PainterScale.h"
#include "graph/Statistics.h"
#include "graphwin/GraphViewCommands.h"
#include "graphwin/MeasurementReader.h"
#include "platform/Clock.h"

namespace vx {

namespace {

// Time runs on by 300 ms whenever it is read, so the progress calls happen.
class HurryingClock : public Clock {
public:
    uint64_t micros() override { return now_ += 300'000; }
    void sleepUntil(uint64_t deadline) override {
        if (deadline > now_) now_ = deadline;
    }

private:
    uint64_t now_ = 0;
};

// Histograms wider than this are skipped here only to keep each run quick;
// the build itself refuses ranges above kMaxHistogramBins.
constexpr std::int64_t kFuzzHistogramBins = 1 << 16;

}  // namespace

// Names the broken promise before stopping.
#define Require(condition)                                                        \
    do {                                                                          \
        if (!(condition)) {                                                       \
            std::fprintf(stderr, "broken: %s (line %d)\n", #condition, __LINE__); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

namespace {

void RequireSaneScale(const PainterScale& s) {
    Require(s.XScale() >= 1 && s.XScale() <= kMaxScale);
    Require(s.YScale() >= 1 && s.YScale() <= kMaxScale);
    Require(std::abs(s.XLeft()) <= kMaxEdge && std::abs(s.YBottom()) <= kMaxEdge);
    Require(s.XLeft() <= s.XRight() && s.YBottom() <= s.YTop());
}

// The last bytes of the input choose pan and zoom commands, as a user might press them.
void PanAndZoom(PainterScale& s, const uint8_t* data, size_t size) {
    for (size_t i = size > 16 ? size - 16 : 0; i < size; ++i) {
        switch (data[i] % 8) {
        case 0: view::PanLeft(s); break;
        case 1: view::PanRight(s); break;
        case 2: view::PanUp(s); break;
        case 3: view::PanDown(s); break;
        case 4: view::ExpandX(s); break;
        case 5: view::ContractX(s); break;
        case 6: view::ExpandY(s); break;
        default: view::ContractY(s); break;
        }
        RequireSaneScale(s);
    }
}

void ExerciseView(LoadedMeasurements& m, const uint8_t* data, size_t size) {
    TZorTape& tape = m.Tape;
    PainterScale s;
    s.Width = 600;
    s.Height = 400;
    CodeLimits limits;
    m.Metadata.ApplyTo(limits);
    view::Home(s, limits, tape.NumRecords());
    RequireSaneScale(s);

    OverallStatistics stats;
    stats.ComputeOverallMinMax(tape.Channels);
    s.DoAutoScale(stats.OverallMin, stats.OverallMax, tape.RecordsUsed());
    RequireSaneScale(s);
    PanAndZoom(s, data, size);
    Require(view::CodeText(stats.OverallMax) == std::to_string(truncToCode(stats.OverallMax)));

    stats.ComputeOverallStats(tape.Channels);
    if (tape.NumRecords() > 0) {
        Require(stats.OverallMean >= stats.OverallMin - 1e-6 * std::abs(stats.OverallMin) - 1e-9);
        Require(stats.OverallMean <= stats.OverallMax + 1e-6 * std::abs(stats.OverallMax) + 1e-9);
        Require(stats.OverallStdDev >= 0 && std::isfinite(stats.OverallStdDev));
    }

    for (int c = tape.Channels.Low(); tape.Channels.Count() > 0 && c <= tape.Channels.High(); ++c) {
        GraphChannel& ch = tape.Channels[c];
        for (int subLsbs : {0, ch.SubLsbs}) {
            const double divisor = SubLsbDivisorFor(subLsbs);
            const BinRange range = HistogramBinRange(ch, subLsbs, divisor);
            if (range.Count() > kFuzzHistogramBins) continue;
            const int highest = CountHistogram(ch, subLsbs, divisor, {});
            long long total = 0;
            for (int b = ch.Histogram.Low(); ch.Histogram.Count() > 0 && b <= ch.Histogram.High(); ++b) {
                Require(ch.Histogram[b] >= 0 && ch.Histogram[b] <= highest);
                total += ch.Histogram[b];
            }
            Require(total == ch.Data.Count());
        }
    }
}

}  // namespace

}  // namespace vx

using namespace vx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HurryingClock clock;
    int lastPercent = -1;
    LoadResult result =
        ParseMeasurements(std::string_view(reinterpret_cast<const char*>(data), size), clock, [&](int percent) {
            Require(percent >= lastPercent && percent >= 0 && percent < 100);
            lastPercent = percent;
        });
    if (!result.Ok()) return 0;
    LoadedMeasurements& m = result.Data;
    Require(m.Tape.NumRecords() == m.Records);
    Require(m.Columns <= kMaxColumns);
    Require(m.Records * std::size_t(m.Tape.GetNumChannels()) <= kMaxValues || m.Records == 0);
    Require(m.Tape.GetNumChannels() <= 2 * kMaxChannels);
    Require(m.Records == 0 || m.Tape.ThisRecord() == m.Records - 1);
    if (m.HasMetadata && m.Metadata.MaxPossibleCode && m.Metadata.MinPossibleCode)
        Require(*m.Metadata.MaxPossibleCode >= *m.Metadata.MinPossibleCode);
    ExerciseView(m, data, size);
    return 0;
}
