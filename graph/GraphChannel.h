#pragma once
// One channel of a record tape: its codes, histogram, colour and last statistics.
#include <array>
#include <cstdint>

#include "graph/OffsetArray.h"

namespace vx {

// Colours are 0x00BBGGRR values.
using TColor = std::uint32_t;

inline constexpr TColor clRed = 0x0000FF;

// Trace colours by channel number modulo 10.
inline constexpr std::array<TColor, 10> DefaultPlotColors{
    0x000000,  // black
    0x008080,  // olive
    0x0000FF,  // red
    0x007FFF,  // orange
    0x00B8E0,  // dark yellow: plain yellow cannot be read on the light plot
    0x008000,  // green
    0xFF0000,  // blue
    0x800080,  // purple
    0x808080,  // gray
    0xFFFFFF,  // white
};

struct GraphChannel {
    GraphChannel();
    GraphChannel(const GraphChannel& other);
    // Copies every field, both arrays deep, and leaves both arrays growing 32 slots at a time.
    GraphChannel& operator=(const GraphChannel& other);

    // Scales stored codes down by 2^n for display; n outside 1..16 means no scaling.
    void SetSubLsbs(int n);

    std::uint32_t Id;
    TColor PlotColor = clRed;
    bool Enabled = false;
    bool PointInRecord = false;
    OffsetArray<int> Data;       // codes by record number
    OffsetArray<int> Histogram;  // counts by code
    double Min = 0;
    double Max = 0;
    double Sum = 0;
    double SumSq = 0;
    double Mean = 0;
    double StdDev = 0;
    double Rms = 0;
    int SubLsbs = 0;
    double SubLsbDivisor = 1.0;
};

// The divisor for n binary places: 2^n for n from 1 to 16, else 1.0.
double SubLsbDivisorFor(int n);

}  // namespace vx
