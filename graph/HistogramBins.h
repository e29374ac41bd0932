#pragma once
// Counting a channel's codes into its histogram, apart from any drawing. The
// bins of the whole code range are made in one allocation, so a build costs
// time linear in the records plus the range, and a range too wide to hold is
// refused before anything is touched.
#include <cstdint>
#include <functional>

#include "graph/GraphChannel.h"

namespace vx {

// 2^22 bins (16 MiB of counts per channel): any 22-bit converter fits, and a
// stray value in a loaded file cannot make the program take gigabytes.
inline constexpr std::int64_t kMaxHistogramBins = std::int64_t(1) << 22;

// The bin of a code: the code itself, or with sub-LSBs shown the display
// value truncated toward zero.
int HistogramBin(int code, int subLsbs, double divisor);

// The lowest and highest bin the channel's records fall into.
struct BinRange {
    std::int64_t Low = 0;
    std::int64_t High = -1;
    std::int64_t Count() const { return High - Low + 1; }
};
BinRange HistogramBinRange(const GraphChannel& channel, int subLsbs, double divisor);

// Called with the records counted so far; false stops the build.
using HistogramGoOn = std::function<bool(int counted)>;

// Replaces the channel's histogram with the counts of its records, every bin
// of the range present (empty codes count 0). Returns the highest count, or
// -1 when goOn stopped the build (the histogram is then partial). The range
// must hold at most kMaxHistogramBins bins.
int CountHistogram(GraphChannel& channel, int subLsbs, double divisor, const HistogramGoOn& goOn);

}  // namespace vx
