// libFuzzer target: any bytes as a measurement file. The reader must neither
// crash nor take more than its limits allow, and what it loads must hang together.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "graphwin/MeasurementReader.h"
#include "platform/Clock.h"

namespace {

// Time runs on by 300 ms whenever it is read, so the progress calls happen.
class HurryingClock : public Clock {
public:
    uint64_t micros() override { return now_ += 300'000; }
    void sleepUntil(uint64_t deadline) override
    {
        if (deadline > now_)
            now_ = deadline;
    }

private:
    uint64_t now_ = 0;
};

}  // namespace

// Names the broken promise before stopping.
#define Require(condition)                                                   \
    do {                                                                     \
        if (!(condition)) {                                                  \
            std::fprintf(stderr, "broken: %s (line %d)\n", #condition, __LINE__); \
            std::abort();                                                    \
        }                                                                    \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HurryingClock clock;
    int lastPercent = -1;
    const LoadResult result =
        ParseMeasurements(std::string_view(reinterpret_cast<const char*>(data), size), clock, [&](int percent) {
            Require(percent >= lastPercent && percent >= 0 && percent < 100);
            lastPercent = percent;
        });
    if (!result.Ok())
        return 0;
    const LoadedMeasurements& m = result.Data;
    Require(m.Tape.NumRecords() == m.Records);
    Require(m.Columns <= kMaxColumns);
    Require(m.Records * (m.Columns ? m.Columns : 1) <= kMaxValues);
    Require(std::size_t(m.Tape.GetNumChannels()) == m.Columns);
    Require(m.Records == 0 || m.Tape.ThisRecord() == m.Records - 1);
    for (int c = 0; c < m.Tape.GetNumChannels(); ++c)
        Require(m.Tape.Channels[c].Enabled);
    return 0;
}
