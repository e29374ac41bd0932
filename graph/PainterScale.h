#pragma once
// The painter's scale arithmetic, without pixels or widgets: which record and
// code sit at the left and bottom edges, how many of them fit a grid square,
// and the mapping from records and codes to pixel positions. Every setter
// reports what the view has to do afterwards instead of doing it, so the
// painter decides when to invalidate, redraw or rebuild its background.
#include <algorithm>
#include <cstdint>

namespace vx {

// Bit set of the follow-up work a scale change asks of the view.
enum ScaleEffect : unsigned {
    ScaleNone = 0,
    ScaleInvalidate = 1,  // repaint from the bitmaps as they are
    ScaleRedraw = 2,      // draw the traces anew, then repaint
    ScaleBackground = 4,  // rebuild the grid background
    ScaleAutoScale = 8,   // run the automatic scaler
};

// Float to pixel or unit: truncation toward zero, clamped far outside any
// screen so that absurd scales cannot overflow an int.
int truncToInt(double v);
// Truncation toward zero, clamped to the int range: exact for any code a
// record can hold, for read-outs.
int truncToCode(double v);

// Edges stay within the range truncToInt keeps exact, and a scale times five
// stays far inside an int: panning and zooming stop there instead of wrapping.
inline constexpr int kMaxEdge = 1 << 30;
inline constexpr int kMaxScale = 1 << 28;

// Smallest step of 1, 2, 5, 10, ... 5000000 not below v; above that, v itself.
int roundUp125(int v);

class PainterScale {
public:
    // Size of the drawing surface in pixels; kept current by the painter.
    int Width = 150;
    int Height = 150;

    bool AutoScale = false;
    bool AutoScaled = false;
    int RescaleThresholdYTop = 0;
    int RescaleThresholdYBottom = 0;

    int GridSize() const { return gridSize_; }
    int XScale() const { return xScale_; }
    int YScale() const { return yScale_; }
    int XLeft() const { return xLeft_; }
    int YBottom() const { return yBottom_; }
    double XPixelsPerUnit() const { return xPixelsPerUnit_; }
    double YPixelsPerUnit() const { return yPixelsPerUnit_; }
    int XRight() const;
    int YTop() const;

    unsigned SetXLeft(int v);
    unsigned SetYBottom(int v);
    unsigned SetXScale(int v);
    unsigned SetYScale(int v);
    unsigned SetGridSize(int v);
    unsigned SetXRight(int v);
    unsigned SetYTop(int v);
    unsigned SetAutoScale(bool on);

    // Stores edges without any side effect (the histogram fit uses these).
    void StoreXLeft(int v) { xLeft_ = std::clamp(v, -kMaxEdge, kMaxEdge); }
    void StoreYBottom(int v) { yBottom_ = std::clamp(v, -kMaxEdge, kMaxEdge); }

    // Fits the code range [overallMin, overallMax] and records 0..recordsUsed
    // into the view, centred, with the bottom edge on a multiple of YScale.
    // Leaves AutoScaled set; the caller redraws.
    void DoAutoScale(double overallMin, double overallMax, unsigned recordsUsed);

    // Pixel column of record r and row of code v (or of a display value).
    int XOf(int64_t record) const;
    int YOfCode(int64_t code) const;
    int YOfValue(double value) const;

private:
    void recomputePixelsPerUnit();

    int gridSize_ = 10;
    int xScale_ = 2;
    int yScale_ = 2;
    int xLeft_ = 0;
    int yBottom_ = 0;
    double xPixelsPerUnit_ = 5.0;
    double yPixelsPerUnit_ = 5.0;
};

}  // namespace vx
