#pragma once
// Draws trace lines and bars straight into the pixels of the trace image and
// its mask at once: the colour into the trace, black into the mask. Tens of
// thousands of tiny segments per redraw are far cheaper this way than through
// a general-purpose painter, and both images get exactly the same pixels.
#include <QImage>
#include <QRect>
#include <cstdint>

namespace vx {

class TraceRaster {
public:
    // Both images must have the same size and a 32-bit RGB format.
    TraceRaster(QImage& trace, QImage& mask);
    // Takes the images' pixels afresh: after events have run, someone may
    // hold a copy that must not see later drawing.
    void attach();

    void setColor(QRgb rgb) { color_ = 0xFF000000u | rgb; }
    // A pen of n pixels draws an n x n square at every point of the line.
    void setPenWidth(int n) { pen_ = n < 1 ? 1 : n; }
    // Lines keep their course but only pixels in columns x0..x1 are set: a
    // strip redrawn this way matches the same lines drawn across the image.
    void setClipColumns(int x0, int x1) {
        clipX0_ = x0;
        clipX1_ = x1;
    }

    void line(int x1, int y1, int x2, int y2);
    // Fills the rectangle in the current colour (trace) and black (mask).
    void fill(const QRect& r);
    // Clears to black (trace) and white (mask).
    void clear(const QRect& r);

private:
    void fillWith(const QRect& r, std::uint32_t traceValue, std::uint32_t maskValue);
    void plot(int x, int y);

    QImage& traceImage_;
    QImage& maskImage_;
    std::uint32_t* trace_;
    std::uint32_t* mask_;
    int stride_;  // in pixels
    int width_;
    int height_;
    std::uint32_t color_ = 0xFF000000u;
    int pen_ = 1;
    int clipX0_ = 0;
    int clipX1_ = 0x7FFFFFFF;
};

}  // namespace vx
