#include "graph/PainterScale.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vx {

int truncToInt(double v) {
    constexpr double limit = 1 << 30;
    if (!(v > -limit)) return v != v ? 0 : -(1 << 30);  // NaN maps to 0
    if (v > limit) return 1 << 30;
    return static_cast<int>(std::trunc(v));
}

int truncToCode(double v) {
    if (v != v) return 0;
    if (v <= double(INT_MIN)) return INT_MIN;
    if (v >= double(INT_MAX)) return INT_MAX;
    return static_cast<int>(std::trunc(v));
}

namespace {
int clampEdge(int v) { return std::clamp(v, -kMaxEdge, kMaxEdge); }
int clampScale(int v) { return std::min(v, kMaxScale); }
}  // namespace

int roundUp125(int v) {
    static const int steps[] = {1,    2,     5,     10,    20,     50,     100,    200,     500,     1000,   2000,
                                5000, 10000, 20000, 50000, 100000, 200000, 500000, 1000000, 2000000, 5000000};
    for (int s : steps)
        if (s >= v) return s;
    return v;
}

void PainterScale::recomputePixelsPerUnit() {
    xPixelsPerUnit_ = double(gridSize_) / xScale_;
    yPixelsPerUnit_ = double(gridSize_) / yScale_;
}

int PainterScale::XRight() const { return truncToInt(double(int64_t(xScale_) * Width) / gridSize_ + xLeft_); }

int PainterScale::YTop() const { return truncToInt(double(int64_t(yScale_) * Height) / gridSize_ + yBottom_); }

unsigned PainterScale::SetXLeft(int v) {
    v = clampEdge(v);
    if (v == xLeft_) return ScaleNone;
    xLeft_ = v;
    AutoScaled = false;
    return ScaleInvalidate;
}

unsigned PainterScale::SetYBottom(int v) {
    v = clampEdge(v);
    if (v == yBottom_) return ScaleNone;
    yBottom_ = v;
    AutoScaled = false;
    return ScaleInvalidate;
}

unsigned PainterScale::SetXScale(int v) {
    v = clampScale(v);
    if (v < 1 || v == xScale_) return ScaleNone;
    xScale_ = v;
    recomputePixelsPerUnit();
    AutoScaled = false;
    return ScaleRedraw;
}

unsigned PainterScale::SetYScale(int v) {
    if (v < 1 || v == yScale_) return ScaleNone;
    if (AutoScale) v = roundUp125(v);
    v = clampScale(v);
    yScale_ = v;
    recomputePixelsPerUnit();
    AutoScaled = false;
    return ScaleRedraw;
}

unsigned PainterScale::SetGridSize(int v) {
    if (v < 5 || v == gridSize_) return ScaleNone;
    gridSize_ = v;
    recomputePixelsPerUnit();
    AutoScaled = false;
    return (AutoScale ? ScaleAutoScale : ScaleNone) | ScaleBackground | ScaleRedraw;
}

// The scale that shows v at the right edge, rounded up to whole units per
// square. A collapsed width keeps the scale, and the result never drops below
// one unit per square: a zero or negative scale would divide by zero or mirror
// the plot.
unsigned PainterScale::SetXRight(int v) {
    if (Width > 0) {
        int s = truncToInt(double(int64_t(v) - xLeft_) * gridSize_ / Width + 1.0);
        xScale_ = std::clamp(s, 1, kMaxScale);
        recomputePixelsPerUnit();
    }
    AutoScaled = false;
    return ScaleNone;
}

unsigned PainterScale::SetYTop(int v) {
    unsigned effect = ScaleNone;
    if (Height > 0) {
        int s = truncToInt(double(int64_t(v) - yBottom_) * gridSize_ / Height + 1.0);
        s = std::clamp(s, 1, kMaxScale);
        if (AutoScale) {
            effect = SetYScale(s);
        } else {
            yScale_ = s;
            recomputePixelsPerUnit();
        }
    }
    AutoScaled = false;
    return effect;
}

unsigned PainterScale::SetAutoScale(bool on) {
    bool wasOn = AutoScale;
    AutoScale = on;
    return !wasOn && on ? ScaleAutoScale : ScaleNone;
}

void PainterScale::DoAutoScale(double overallMin, double overallMax, unsigned recordsUsed) {
    SetXLeft(0);
    SetXRight(int(std::min<unsigned>(recordsUsed, INT_MAX)));
    int span = truncToInt(overallMax - overallMin);
    SetYBottom(truncToInt(overallMin));
    SetYTop(truncToInt(span * 0.35 + overallMax));
    // Edges and spans near the limits do not fit an int: the sums run in 64 bits.
    const int64_t slack = int64_t(YTop()) - yBottom_ - span;
    SetYBottom(int(std::clamp<int64_t>(yBottom_ - slack / 2, -kMaxEdge, kMaxEdge)));
    SetYBottom(yBottom_ - yBottom_ % yScale_);
    RescaleThresholdYBottom = yBottom_;
    RescaleThresholdYTop = YTop();
    AutoScaled = true;
}

int PainterScale::XOf(int64_t record) const { return truncToInt(double(record - xLeft_) * xPixelsPerUnit_); }

int PainterScale::YOfCode(int64_t code) const { return truncToInt(Height - double(code - yBottom_) * yPixelsPerUnit_); }

int PainterScale::YOfValue(double value) const { return truncToInt(Height - (value - yBottom_) * yPixelsPerUnit_); }

}  // namespace vx
