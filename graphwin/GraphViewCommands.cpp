#include "graphwin/GraphViewCommands.h"

#include <cstdio>

#include "graph/PainterScale.h"

namespace vx {

namespace view {
namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace

std::string MouseReadout::Text() const {
    return Format("(X=%d,Y=%d) %1.5fpix/X, %1.5fpix/Y", record, code, xPixelsPerUnit, yPixelsPerUnit);
}

MouseReadout ReadoutAt(int x, int y, int gridSize, int xScale, int yScale, int xLeft, int yTop) {
    // The painter keeps both scales at 1 or more; a zero here must not divide.
    double px = xScale != 0 ? double(gridSize) / xScale : 0.0;
    double py = yScale != 0 ? double(gridSize) / yScale : 0.0;
    if (!(px > 0.0)) px = 1.0;
    if (!(py > 0.0)) py = 1.0;
    const int record = truncToCode((x + 0.5 * px) / px + xLeft);
    const int code = truncToCode(yTop - (y + 0.5 * py) / py);
    return {record, code, px, py};
}

std::string TopLeftText(int yTop, int yScale) { return Format("YTop=%d, YScale=%d", yTop, yScale); }
std::string BottomLeftText(int yBottom, int xLeft) { return Format("YBottom=%d, XLeft=%d", yBottom, xLeft); }
std::string BottomRightText(int xScale, int xRight) { return Format("XScale=%d, XRight=%d", xScale, xRight); }
std::string CodeText(double value) { return Format("%d", truncToCode(value)); }
std::string StatText(double value) { return Format("%1.6f", value); }

}  // namespace view

}  // namespace vx
