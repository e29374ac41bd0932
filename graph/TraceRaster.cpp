#include "graph/TraceRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vx {

TraceRaster::TraceRaster(QImage& trace, QImage& mask) : traceImage_(trace), maskImage_(mask) { attach(); }

void TraceRaster::attach() {
    trace_ = reinterpret_cast<std::uint32_t*>(traceImage_.bits());
    mask_ = reinterpret_cast<std::uint32_t*>(maskImage_.bits());
    stride_ = int(traceImage_.bytesPerLine() / 4);
    width_ = std::min(traceImage_.width(), maskImage_.width());
    height_ = std::min(traceImage_.height(), maskImage_.height());
}

void TraceRaster::plot(int x, int y) {
    const int x0 = std::max({x - (pen_ - 1) / 2, 0, clipX0_});
    const int x1 = std::min({x + pen_ / 2, width_ - 1, clipX1_});
    const int y0 = std::max(y - (pen_ - 1) / 2, 0), y1 = std::min(y + pen_ / 2, height_ - 1);
    for (int yy = y0; yy <= y1; ++yy) {
        std::uint32_t* t = trace_ + std::ptrdiff_t(yy) * stride_;
        std::uint32_t* m = mask_ + std::ptrdiff_t(yy) * stride_;
        for (int xx = x0; xx <= x1; ++xx) {
            t[xx] = color_;
            m[xx] = 0xFF000000u;
        }
    }
}

// Clipped to the image (widened by the pen) first, so that a line from far
// outside costs no more than one across the picture.
void TraceRaster::line(int x1, int y1, int x2, int y2) {
    const double lo_x = -pen_, hi_x = width_ + pen_, lo_y = -pen_, hi_y = height_ + pen_;
    double ax = x1, ay = y1, bx = x2, by = y2;
    if (std::min(ax, bx) < lo_x || std::max(ax, bx) > hi_x || std::min(ay, by) < lo_y || std::max(ay, by) > hi_y) {
        // Liang-Barsky: keep the part of the line with parameter t0..t1 inside.
        const double dx = bx - ax, dy = by - ay;
        double t0 = 0, t1 = 1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {ax - lo_x, hi_x - ax, ay - lo_y, hi_y - ay};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0) {
                if (q[i] < 0) return;
                continue;
            }
            const double t = q[i] / p[i];
            if (p[i] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            if (t0 > t1) return;
        }
        bx = ax + t1 * dx;
        by = ay + t1 * dy;
        ax = ax + t0 * dx;
        ay = ay + t0 * dy;
        x1 = int(std::lround(ax));
        y1 = int(std::lround(ay));
        x2 = int(std::lround(bx));
        y2 = int(std::lround(by));
    }
    // Bresenham, both ends included.
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        plot(x1, y1);
        if (x1 == x2 && y1 == y2) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x1 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y1 += sy;
        }
    }
}

void TraceRaster::fillWith(const QRect& r, std::uint32_t traceValue, std::uint32_t maskValue) {
    const QRect c = r.intersected(QRect(0, 0, width_, height_));
    if (c.isEmpty()) return;
    for (int y = c.top(); y <= c.bottom(); ++y) {
        std::uint32_t* t = trace_ + std::ptrdiff_t(y) * stride_;
        std::uint32_t* m = mask_ + std::ptrdiff_t(y) * stride_;
        std::fill(t + c.left(), t + c.right() + 1, traceValue);
        std::fill(m + c.left(), m + c.right() + 1, maskValue);
    }
}

void TraceRaster::fill(const QRect& r) { fillWith(r, color_, 0xFF000000u); }

void TraceRaster::clear(const QRect& r) { fillWith(r, 0xFF000000u, 0xFFFFFFFFu); }

}  // namespace vx
