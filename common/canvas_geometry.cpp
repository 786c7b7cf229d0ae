#include "common/canvas_geometry.h"

#include <algorithm>
#include <cmath>

namespace gm {

namespace {
constexpr int kClassicWidth = 640, kClassicHeight = 480;
constexpr double kWidestAspect = 32.0 / 9.0;
constexpr int kLargestClassicWidth = 1024;
}  // namespace

int CanvasGeometry::x(double lx) const { return static_cast<int>(std::lround(lx * kx())); }

int CanvasGeometry::y(double ly) const {
    return static_cast<int>(std::lround((ly + skyRows()) * ky()));
}

int CanvasGeometry::down(double length) const {
    return static_cast<int>(std::lround(length * ky()));
}

CanvasGeometry canvasFor(int width, int height, bool classic) {
    const bool fourByThree = width * kClassicHeight == height * kClassicWidth;
    if (classic || (fourByThree && width <= kLargestClassicWidth)) return classicCanvas();
    const double aspect = std::clamp(double(width) / height, 1 / kWidestAspect, kWidestAspect);
    CanvasGeometry c;
    c.width = width;
    c.height = height;
    if (aspect >= double(kClassicWidth) / kClassicHeight)
        c.logicalWidth = static_cast<int>(std::lround(kClassicHeight * aspect));
    else
        c.logicalHeight = static_cast<int>(std::lround(kClassicWidth / aspect));
    c.logicalWidth = std::max(c.logicalWidth, kClassicWidth);
    c.logicalHeight = std::max(c.logicalHeight, kClassicHeight);
    return c;
}

}  // namespace gm
