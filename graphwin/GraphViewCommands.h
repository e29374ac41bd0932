#pragma once
// The arithmetic of the graph window's pan, zoom, home, grid and mouse
// commands, apart from any widget. Each works on anything with the painter's
// scale properties (the painter itself, or its PainterScale in tests).
// Divisions by 3 and by 2 truncate toward zero, as integer division does.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "graphwin/MeasurementFormat.h"

namespace vx {

namespace view {

// Sums of edges and scales run in 64 bits and are clamped into an int; the
// setters then stop edges and scales at the limits the painter can show.
inline int ClampToInt(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A third of the width towards earlier records.
template <class View>
void PanLeft(View& v) {
    v.SetXLeft(ClampToInt(v.XLeft() + (std::int64_t(v.XLeft()) - v.XRight()) / 3));
}

template <class View>
void PanRight(View& v) {
    v.SetXLeft(ClampToInt(v.XLeft() - (std::int64_t(v.XLeft()) - v.XRight()) / 3));
}

template <class View>
void PanUp(View& v) {
    v.SetYBottom(ClampToInt(v.YBottom() + (std::int64_t(v.YTop()) - v.YBottom()) / 3));
}

template <class View>
void PanDown(View& v) {
    v.SetYBottom(ClampToInt(v.YBottom() - (std::int64_t(v.YTop()) - v.YBottom()) / 3));
}

// Zooming by five keeps the centre: the left or bottom edge moves by the
// change of the half width.
inline int ZoomedIn(int scale) { return scale > 5 ? scale / 5 : 1; }
inline int ZoomedOut(int scale) { return ClampToInt(std::int64_t(scale) * 5); }

template <class View>
void ExpandX(View& v) {
    const std::int64_t h1 = (std::int64_t(v.XRight()) - v.XLeft()) / 2;
    v.SetXScale(ZoomedIn(v.XScale()));
    const std::int64_t h2 = (std::int64_t(v.XRight()) - v.XLeft()) / 2;
    v.SetXLeft(ClampToInt(v.XLeft() - (h2 - h1)));
}

template <class View>
void ContractX(View& v) {
    const std::int64_t h1 = (std::int64_t(v.XRight()) - v.XLeft()) / 2;
    v.SetXScale(ZoomedOut(v.XScale()));
    const std::int64_t h2 = (std::int64_t(v.XRight()) - v.XLeft()) / 2;
    v.SetXLeft(ClampToInt(v.XLeft() - (h2 - h1)));
}

template <class View>
void ExpandY(View& v) {
    const std::int64_t h1 = (std::int64_t(v.YTop()) - v.YBottom()) / 2;
    v.SetYScale(ZoomedIn(v.YScale()));
    const std::int64_t h2 = (std::int64_t(v.YTop()) - v.YBottom()) / 2;
    v.SetYBottom(ClampToInt(v.YBottom() - (h2 - h1)));
}

template <class View>
void ContractY(View& v) {
    const std::int64_t h1 = (std::int64_t(v.YTop()) - v.YBottom()) / 2;
    v.SetYScale(ZoomedOut(v.YScale()));
    const std::int64_t h2 = (std::int64_t(v.YTop()) - v.YBottom()) / 2;
    v.SetYBottom(ClampToInt(v.YBottom() - (h2 - h1)));
}

// All codes of the current coding with 2 % to spare, and the whole tape.
template <class View>
void Home(View& v, const CodeLimits& limits, std::uint32_t numRecords) {
    v.SetYBottom(limits.HomeYBottom());
    v.SetYTop(limits.HomeYTop());
    v.SetXLeft(0);
    v.SetXRight(static_cast<int>(numRecords));
}

// Doubles twice, but never beyond 200 (the first step stops at 100).
inline int LargerGridSize(int size) { return (size < 100 ? size * 2 : 100) * 2; }
// Halves down to 5; the painter ignores what falls below 5.
inline int SmallerGridSize(int size) { return size > 5 ? size / 2 : 5; }

// The record and code under a pixel of the plot.
struct MouseReadout {
    int record;
    int code;
    double xPixelsPerUnit;
    double yPixelsPerUnit;

    // "(X=%d,Y=%d) %1.5fpix/X, %1.5fpix/Y"
    std::string Text() const;
};
MouseReadout ReadoutAt(int x, int y, int gridSize, int xScale, int yScale, int xLeft, int yTop);

// The scale labels' texts.
std::string TopLeftText(int yTop, int yScale);
std::string BottomLeftText(int yBottom, int xLeft);
std::string BottomRightText(int xScale, int xRight);
// An overall minimum or maximum: truncated toward zero, "%d".
std::string CodeText(double value);
// An overall mean or standard deviation: "%1.6f".
std::string StatText(double value);

}  // namespace view

}  // namespace vx
