#include "graph/HistogramBins.h"

#include <algorithm>
#include <cmath>

namespace vx {

int HistogramBin(int code, int subLsbs, double divisor) {
    // |code / divisor| <= |code|: the truncated value always fits an int.
    return subLsbs == 0 ? code : int(std::trunc(code / divisor));
}

BinRange HistogramBinRange(const GraphChannel& channel, int subLsbs, double divisor) {
    BinRange range;
    const OffsetArray<int>& data = channel.Data;
    if (data.Count() == 0) return range;
    range.Low = range.High = HistogramBin(data[data.Low()], subLsbs, divisor);
    for (int r = data.Low(); r <= data.High(); ++r) {
        const std::int64_t bin = HistogramBin(data[r], subLsbs, divisor);
        range.Low = std::min(range.Low, bin);
        range.High = std::max(range.High, bin);
    }
    return range;
}

int CountHistogram(GraphChannel& channel, int subLsbs, double divisor, const HistogramGoOn& goOn) {
    OffsetArray<int>& bins = channel.Histogram;
    bins.Reset();
    const BinRange range = HistogramBinRange(channel, subLsbs, divisor);
    if (range.Count() <= 0) return 0;
    // Touching both ends makes every bin between them, zeroed, at once.
    const int step = bins.GrowStep();
    bins.SetGrowStep(int(range.Count()) - 1);
    bins[int(range.Low)] = 0;
    bins[int(range.High)] = 0;
    bins.SetGrowStep(step);

    const OffsetArray<int>& data = channel.Data;
    int highest = 0;
    for (int r = data.Low(); r <= data.High(); ++r) {
        const int n = ++bins[HistogramBin(data[r], subLsbs, divisor)];
        highest = std::max(highest, n);
        if (goOn && !goOn(r - data.Low())) return -1;
    }
    return highest;
}

}  // namespace vx
