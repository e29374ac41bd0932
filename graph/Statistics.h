#pragma once
// Minimum, maximum, mean, sample standard deviation and rms of the stored
// codes, per channel and pooled over the enabled channels. Each call is one
// full pass over the records in use; results are in display units (codes
// divided by the channel's SubLsbDivisor).
#include <cstdint>
#include <map>

#include "graph/GraphChannel.h"
#include "graph/OffsetArray.h"

namespace vx {

// Sets Min and Max of the channel (0 and 0 when it has no data).
void ComputeMinMax(GraphChannel& channel);
// Sets Sum, SumSq, Mean, StdDev and Rms of the channel (all 0 when it has no data).
void ComputeStats(GraphChannel& channel);

struct OverallStatistics {
    double OverallMin = 0;
    double OverallMax = 0;
    double OverallMean = 0;
    double OverallStdDev = 0;
    double OverallRms = 0;

    // Min/max of every enabled channel (an empty one counts as 0..0), then the
    // range over them; with no channel enabled the range keeps its old values.
    void ComputeOverallMinMax(OffsetArray<GraphChannel>& channels);
    // Channel statistics of every enabled channel with data, then the
    // statistics of all their points pooled together.
    void ComputeOverallStats(OffsetArray<GraphChannel>& channels);
};

// The same figures kept up to date as codes are written, so that a live
// reading costs the same at any tape length. Sums are exact integers (the
// square sum is 128 bits wide, enough for any 32-bit code on a full tape);
// minimum and maximum come from a count of each code present, so that an
// overwritten extreme gives way to the next one.
class RunningTotals {
public:
    void Rebuild(const OffsetArray<int>& data);
    void Add(int code);
    void Remove(int code);
    // False when the channel's records in use no longer match what was counted.
    bool Matches(const OffsetArray<int>& data) const { return valid_ && n_ == data.Count(); }
    void Invalidate() { valid_ = false; }

    // The channel's Min and Max, then Sum, SumSq, Mean, StdDev and Rms, as the
    // full passes above give them.
    void ApplyMinMax(GraphChannel& channel) const;
    void ApplyStats(GraphChannel& channel) const;
    // The channel's sum of squared deviations from its own mean, in display units.
    double SquaredDeviations(const GraphChannel& channel) const;

private:
    bool valid_ = false;
    long long n_ = 0;
    long long sum_ = 0;
    __int128 sumSq_ = 0;
    std::map<int, long long> counts_;
};

// Running totals of every channel of one tape. The owner reports each write
// (see TrackedWrite) and invalidates everything when the tape is cleared,
// replaced or resized; a channel whose count no longer matches is recounted.
class TapeStatistics {
public:
    // Where a value for channel ch will land and what it replaces there; taken
    // before the tape stores it.
    struct TrackedWrite {
        int channel = 0;
        bool tracked = false;   // the channel was in use and counted
        bool replaces = false;  // the slot was already in use
        int oldValue = 0;
        int oldCount = 0;
        int slot = 0;
    };
    TrackedWrite Before(OffsetArray<GraphChannel>& channels, int ch, std::uint32_t thisRecord, std::uint32_t numRecords,
                        bool wrap);
    void After(OffsetArray<GraphChannel>& channels, const TrackedWrite& write, std::uint32_t thisRecord);
    void Invalidate() { totals_.clear(); }

    // As the channel min/max of one channel, and as OverallStatistics does.
    void ChannelMinMax(GraphChannel& channel, int ch);
    void OverallMinMax(OverallStatistics& overall, OffsetArray<GraphChannel>& channels);
    void OverallStats(OverallStatistics& overall, OffsetArray<GraphChannel>& channels);

private:
    RunningTotals& current(GraphChannel& channel, int ch);
    std::map<int, RunningTotals> totals_;
};

}  // namespace vx
