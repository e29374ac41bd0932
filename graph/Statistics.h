#pragma once
// Minimum, maximum, mean, sample standard deviation and rms of the stored
// codes, per channel and pooled over the enabled channels. Each call is one
// full pass over the records in use; results are in display units (codes
// divided by the channel's SubLsbDivisor).
#include "graph/GraphChannel.h"
#include "graph/OffsetArray.h"

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
