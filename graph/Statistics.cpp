#include "graph/Statistics.h"

#include <cmath>

namespace {

// Sum of squared distances of the channel's values (in display units) from m.
// Taking the spread about the mean, rather than from Sum and SumSq, keeps the
// variance from cancelling to a rounding residue: it is never negative and is
// exactly 0 for a flat signal, even for codes whose squares exceed 2^53.
double SquaredDeviations(const GraphChannel& channel, double m)
{
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
double SampleStdDev(double squaredDeviations, long long n)
{
    if (n < 2)
        return 0;
    const double var = squaredDeviations / double(n - 1);
    return var > 0 ? std::sqrt(var) : 0;
}

template <typename Visit>
void ForEachEnabled(OffsetArray<GraphChannel>& channels, Visit visit)
{
    if (channels.Count() == 0)
        return;
    for (int c = channels.Low(); c <= channels.High(); ++c) {
        if (channels[c].Enabled)
            visit(channels[c]);
    }
}

}  // namespace

void ComputeMinMax(GraphChannel& channel)
{
    const OffsetArray<int>& data = channel.Data;
    if (data.Count() == 0) {
        channel.Min = channel.Max = 0;
        return;
    }
    int lo = data[data.Low()];
    int hi = lo;
    for (int r = data.Low() + 1; r <= data.High(); ++r) {
        if (data[r] < lo)
            lo = data[r];
        if (data[r] > hi)
            hi = data[r];
    }
    channel.Min = lo;
    channel.Max = hi;
    if (channel.SubLsbs != 0) {
        channel.Min /= channel.SubLsbDivisor;
        channel.Max /= channel.SubLsbDivisor;
    }
}

void ComputeStats(GraphChannel& channel)
{
    channel.Sum = channel.SumSq = channel.Mean = channel.StdDev = channel.Rms = 0;
    const OffsetArray<int>& data = channel.Data;
    const int n = data.Count();
    if (n == 0)
        return;
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
    if (channel.SumSq > 0)
        channel.Rms = std::sqrt(channel.SumSq / n);
}

void OverallStatistics::ComputeOverallMinMax(OffsetArray<GraphChannel>& channels)
{
    bool first = true;
    ForEachEnabled(channels, [&](GraphChannel& channel) {
        ComputeMinMax(channel);
        if (first || channel.Min < OverallMin)
            OverallMin = channel.Min;
        if (first || channel.Max > OverallMax)
            OverallMax = channel.Max;
        first = false;
    });
}

void OverallStatistics::ComputeOverallStats(OffsetArray<GraphChannel>& channels)
{
    OverallMean = OverallStdDev = OverallRms = 0;
    long long n = 0;
    double sum = 0;
    double sumSq = 0;
    ForEachEnabled(channels, [&](GraphChannel& channel) {
        if (channel.Data.Count() == 0)
            return;
        ComputeStats(channel);
        n += channel.Data.Count();
        sum += channel.Sum;
        sumSq += channel.SumSq;
    });
    if (n == 0)
        return;
    OverallMean = sum / double(n);
    double squaredDeviations = 0;
    ForEachEnabled(channels, [&](GraphChannel& channel) {
        if (channel.Data.Count() > 0)
            squaredDeviations += SquaredDeviations(channel, OverallMean);
    });
    OverallStdDev = SampleStdDev(squaredDeviations, n);
    if (sumSq > 0)
        OverallRms = std::sqrt(sumSq / double(n));
}
