#include "graph/GraphChannel.h"

namespace vx {

namespace {
constexpr int kRecordGrowStep = 31;  // grow 32 slots at a time
}

GraphChannel::GraphChannel() : Id(NextInstanceId()) {
    Data.SetGrowStep(kRecordGrowStep);
    Histogram.SetGrowStep(kRecordGrowStep);
}

GraphChannel::GraphChannel(const GraphChannel& other)
    : Id(other.Id),
      PlotColor(other.PlotColor),
      Enabled(other.Enabled),
      PointInRecord(other.PointInRecord),
      Data(other.Data),
      Histogram(other.Histogram),
      Min(other.Min),
      Max(other.Max),
      Sum(other.Sum),
      SumSq(other.SumSq),
      Mean(other.Mean),
      StdDev(other.StdDev),
      Rms(other.Rms),
      SubLsbs(other.SubLsbs),
      SubLsbDivisor(other.SubLsbDivisor) {
    Data.SetGrowStep(kRecordGrowStep);
    Histogram.SetGrowStep(kRecordGrowStep);
}

GraphChannel& GraphChannel::operator=(const GraphChannel& other) {
    if (this == &other) return *this;
    // Copy the arrays first: if one cannot be allocated the channel stays as it was.
    OffsetArray<int> data(other.Data);
    OffsetArray<int> histogram(other.Histogram);
    data.SetGrowStep(kRecordGrowStep);
    histogram.SetGrowStep(kRecordGrowStep);
    Data = std::move(data);
    Histogram = std::move(histogram);
    Id = other.Id;
    PlotColor = other.PlotColor;
    Enabled = other.Enabled;
    PointInRecord = other.PointInRecord;
    Min = other.Min;
    Max = other.Max;
    Sum = other.Sum;
    SumSq = other.SumSq;
    Mean = other.Mean;
    StdDev = other.StdDev;
    Rms = other.Rms;
    SubLsbs = other.SubLsbs;
    SubLsbDivisor = other.SubLsbDivisor;
    return *this;
}

double SubLsbDivisorFor(int n) { return n >= 1 && n <= 16 ? double(1u << n) : 1.0; }

void GraphChannel::SetSubLsbs(int n) {
    SubLsbs = n;
    SubLsbDivisor = SubLsbDivisorFor(n);
}

}  // namespace vx
