#include "graph/Statistics.h"

#include <cmath>

namespace vx {

namespace {

// Sum of squared distances of the channel's values (in display units) from m.
// Taking the spread about the mean, rather than from Sum and SumSq, keeps the
// variance from cancelling to a rounding residue: it is never negative and is
// exactly 0 for a flat signal, even for codes whose squares exceed 2^53.
double SquaredDeviations(const GraphChannel& channel, double m) {
    const OffsetArray<int>& data = channel.Data;
    const double divisor = channel.SubLsbs != 0 ? channel.SubLsbDivisor : 1.0;
    double total = 0;
    for (int r = data.Low(); r <= data.High(); ++r) {
        const double d = data[r] / divisor - m;
        total += d * d;
    }
    return total;
}

// Sample standard deviation from n points' squared deviations; 0 below two points.
double SampleStdDev(double squaredDeviations, long long n) {
    if (n < 2) return 0;
    const double var = squaredDeviations / double(n - 1);
    return var > 0 ? std::sqrt(var) : 0;
}

template <typename Visit>
void ForEachEnabled(OffsetArray<GraphChannel>& channels, Visit visit) {
    if (channels.Count() == 0) return;
    for (int c = channels.Low(); c <= channels.High(); ++c) {
        if (channels[c].Enabled) visit(channels[c]);
    }
}

}  // namespace

void ComputeMinMax(GraphChannel& channel) {
    const OffsetArray<int>& data = channel.Data;
    if (data.Count() == 0) {
        channel.Min = channel.Max = 0;
        return;
    }
    int lo = data[data.Low()];
    int hi = lo;
    for (int r = data.Low() + 1; r <= data.High(); ++r) {
        if (data[r] < lo) lo = data[r];
        if (data[r] > hi) hi = data[r];
    }
    channel.Min = lo;
    channel.Max = hi;
    if (channel.SubLsbs != 0) {
        channel.Min /= channel.SubLsbDivisor;
        channel.Max /= channel.SubLsbDivisor;
    }
}

void ComputeStats(GraphChannel& channel) {
    channel.Sum = channel.SumSq = channel.Mean = channel.StdDev = channel.Rms = 0;
    const OffsetArray<int>& data = channel.Data;
    const int n = data.Count();
    if (n == 0) return;
    for (int r = data.Low(); r <= data.High(); ++r) {
        const double x = data[r];
        channel.Sum += x;
        channel.SumSq += x * x;
    }
    if (channel.SubLsbs != 0) {
        channel.Sum /= channel.SubLsbDivisor;
        channel.SumSq /= channel.SubLsbDivisor;
        channel.SumSq /= channel.SubLsbDivisor;
    }
    channel.Mean = channel.Sum / n;
    channel.StdDev = SampleStdDev(SquaredDeviations(channel, channel.Mean), n);
    if (channel.SumSq > 0) channel.Rms = std::sqrt(channel.SumSq / n);
}

void OverallStatistics::ComputeOverallMinMax(OffsetArray<GraphChannel>& channels) {
    bool first = true;
    ForEachEnabled(channels, [&](GraphChannel& channel) {
        ComputeMinMax(channel);
        if (first || channel.Min < OverallMin) OverallMin = channel.Min;
        if (first || channel.Max > OverallMax) OverallMax = channel.Max;
        first = false;
    });
}

void OverallStatistics::ComputeOverallStats(OffsetArray<GraphChannel>& channels) {
    OverallMean = OverallStdDev = OverallRms = 0;
    long long n = 0;
    double sum = 0;
    double sumSq = 0;
    ForEachEnabled(channels, [&](GraphChannel& channel) {
        if (channel.Data.Count() == 0) return;
        ComputeStats(channel);
        n += channel.Data.Count();
        sum += channel.Sum;
        sumSq += channel.SumSq;
    });
    if (n == 0) return;
    OverallMean = sum / double(n);
    double squaredDeviations = 0;
    ForEachEnabled(channels, [&](GraphChannel& channel) {
        if (channel.Data.Count() > 0) squaredDeviations += SquaredDeviations(channel, OverallMean);
    });
    OverallStdDev = SampleStdDev(squaredDeviations, n);
    if (sumSq > 0) OverallRms = std::sqrt(sumSq / double(n));
}

// --- running totals

namespace {

double DisplayDivisor(const GraphChannel& channel) { return channel.SubLsbs != 0 ? channel.SubLsbDivisor : 1.0; }

}  // namespace

void RunningTotals::Rebuild(const OffsetArray<int>& data) {
    n_ = sum_ = 0;
    sumSq_ = 0;
    counts_.clear();
    valid_ = true;
    if (data.Count() == 0) return;
    for (int r = data.Low(); r <= data.High(); ++r) Add(data[r]);
}

void RunningTotals::Add(int code) {
    ++n_;
    sum_ += code;
    sumSq_ += __int128(code) * code;
    ++counts_[code];
}

void RunningTotals::Remove(int code) {
    const auto it = counts_.find(code);
    if (it == counts_.end()) {
        valid_ = false;  // never counted: recount rather than go wrong
        return;
    }
    if (--it->second == 0) counts_.erase(it);
    --n_;
    sum_ -= code;
    sumSq_ -= __int128(code) * code;
}

void RunningTotals::ApplyMinMax(GraphChannel& channel) const {
    if (n_ == 0) {
        channel.Min = channel.Max = 0;
        return;
    }
    channel.Min = counts_.begin()->first;
    channel.Max = counts_.rbegin()->first;
    if (channel.SubLsbs != 0) {
        channel.Min /= channel.SubLsbDivisor;
        channel.Max /= channel.SubLsbDivisor;
    }
}

double RunningTotals::SquaredDeviations(const GraphChannel& channel) const {
    if (n_ == 0) return 0;
    // n * sum of squares - sum^2 is n times the squared deviations, exactly.
    const __int128 scaled = __int128(n_) * sumSq_ - __int128(sum_) * sum_;
    const double divisor = DisplayDivisor(channel);
    return double(scaled) / double(n_) / (divisor * divisor);
}

void RunningTotals::ApplyStats(GraphChannel& channel) const {
    channel.Sum = channel.SumSq = channel.Mean = channel.StdDev = channel.Rms = 0;
    if (n_ == 0) return;
    channel.Sum = double(sum_);
    channel.SumSq = double(sumSq_);
    if (channel.SubLsbs != 0) {
        channel.Sum /= channel.SubLsbDivisor;
        channel.SumSq /= channel.SubLsbDivisor;
        channel.SumSq /= channel.SubLsbDivisor;
    }
    channel.Mean = channel.Sum / double(n_);
    channel.StdDev = SampleStdDev(SquaredDeviations(channel), n_);
    if (channel.SumSq > 0) channel.Rms = std::sqrt(channel.SumSq / double(n_));
}

TapeStatistics::TrackedWrite TapeStatistics::Before(OffsetArray<GraphChannel>& channels, int ch,
                                                    std::uint32_t thisRecord, std::uint32_t numRecords, bool wrap) {
    TrackedWrite write;
    write.channel = ch;
    if (channels.Count() == 0 || ch < channels.Low() || ch > channels.High()) return write;
    const GraphChannel& channel = channels[ch];
    const auto it = totals_.find(ch);
    // A channel switched on by this value is filled with it: counted afresh.
    if (!channel.Enabled || it == totals_.end() || !it->second.Matches(channel.Data)) return write;
    std::uint32_t slot = thisRecord;
    if (channel.PointInRecord) slot = wrap ? (numRecords == 0 ? 0 : (thisRecord + 1) % numRecords) : thisRecord + 1;
    const OffsetArray<int>& data = channel.Data;
    write.tracked = true;
    write.slot = int(slot);
    write.oldCount = data.Count();
    write.replaces = data.Count() > 0 && write.slot >= data.Low() && write.slot <= data.High();
    if (write.replaces) write.oldValue = data[write.slot];
    return write;
}

void TapeStatistics::After(OffsetArray<GraphChannel>& channels, const TrackedWrite& write, std::uint32_t thisRecord) {
    const auto it = totals_.find(write.channel);
    if (it == totals_.end()) return;
    RunningTotals& totals = it->second;
    const OffsetArray<int>& data = channels[write.channel].Data;
    if (!write.tracked || int(thisRecord) != write.slot) {
        totals.Invalidate();
    } else if (write.replaces) {
        totals.Remove(write.oldValue);
        totals.Add(data[write.slot]);
    } else if (data.Count() == write.oldCount + 1) {
        totals.Add(data[write.slot]);
    } else {
        totals.Invalidate();  // the write skipped records: they count too
    }
}

RunningTotals& TapeStatistics::current(GraphChannel& channel, int ch) {
    RunningTotals& totals = totals_[ch];
    if (!totals.Matches(channel.Data)) totals.Rebuild(channel.Data);
    return totals;
}

void TapeStatistics::ChannelMinMax(GraphChannel& channel, int ch) { current(channel, ch).ApplyMinMax(channel); }

void TapeStatistics::OverallMinMax(OverallStatistics& overall, OffsetArray<GraphChannel>& channels) {
    if (channels.Count() == 0) return;
    bool first = true;
    for (int c = channels.Low(); c <= channels.High(); ++c) {
        GraphChannel& channel = channels[c];
        if (!channel.Enabled) continue;
        current(channel, c).ApplyMinMax(channel);
        if (first || channel.Min < overall.OverallMin) overall.OverallMin = channel.Min;
        if (first || channel.Max > overall.OverallMax) overall.OverallMax = channel.Max;
        first = false;
    }
}

// Pooled over channels, the squared deviations from the overall mean are each
// channel's own plus its count times the distance of its mean.
void TapeStatistics::OverallStats(OverallStatistics& overall, OffsetArray<GraphChannel>& channels) {
    overall.OverallMean = overall.OverallStdDev = overall.OverallRms = 0;
    if (channels.Count() == 0) return;
    long long n = 0;
    double sum = 0;
    double sumSq = 0;
    for (int c = channels.Low(); c <= channels.High(); ++c) {
        GraphChannel& channel = channels[c];
        if (!channel.Enabled || channel.Data.Count() == 0) continue;
        current(channel, c).ApplyStats(channel);
        n += channel.Data.Count();
        sum += channel.Sum;
        sumSq += channel.SumSq;
    }
    if (n == 0) return;
    overall.OverallMean = sum / double(n);
    double squaredDeviations = 0;
    for (int c = channels.Low(); c <= channels.High(); ++c) {
        GraphChannel& channel = channels[c];
        if (!channel.Enabled || channel.Data.Count() == 0) continue;
        const double d = channel.Mean - overall.OverallMean;
        squaredDeviations += totals_[c].SquaredDeviations(channel) + double(channel.Data.Count()) * d * d;
    }
    overall.OverallStdDev = SampleStdDev(squaredDeviations, n);
    if (sumSq > 0) overall.OverallRms = std::sqrt(sumSq / double(n));
}

}  // namespace vx
