// Ellipses and lines, rasterised the way GDI does (Wine's GDI was the
// reference: tests/gfx/gdi_oracle_test.cpp compares them pixel by pixel).
//
// Ellipse. The outline is an incremental ellipse walk over the lower-right
// quarter of the box (see lowerRightQuarter), mirrored into the other three;
// the fill is everything strictly between the outline's left and right runs
// of each row. Boxes only one or two pixels wide or high are drawn whole in
// the outline colour, except a single pixel, which draws nothing.
//
// Lines. A one-pixel line steps along its major axis and rounds the minor
// coordinate to the nearest pixel, ties towards the smaller coordinate; the
// end point is not drawn. A wider line is a round-capped stroke: each end
// gets a disc whose box is [p - w/2, p + (w+1)/2) on both axes (the same
// pixel set as a filled Ellipse of that box), and the body is every pixel
// whose centre lies within w/2 of the segment (for odd widths the segment
// runs through the centres of its end pixels, for even widths through their
// top-left corners). Horizontal and vertical wide lines match GDI exactly;
// slanted wide lines may differ from GDI's polygon filling by a pixel at
// their long edges.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "gfx/surface.h"

namespace gm::gfx {
namespace {

// Boxes larger than this on either axis are not drawn: they keep the exact
// integer arithmetic below inside 64 bits and reach far beyond any screen.
constexpr int kMaxShapeSize = 1 << 15;

void fillSpan(Surface& s, int y, int x0, int x1, std::uint32_t pixel) {
    if (y < 0 || y >= s.height()) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, s.width() - 1);
    if (x0 > x1) return;
    std::fill(s.row(y) + x0, s.row(y) + x1 + 1, pixel);
}

void plot(Surface& s, int x, int y, std::uint32_t pixel) {
    if (x >= 0 && y >= 0 && x < s.width() && y < s.height()) s.row(y)[x] = pixel;
}

// --- Ellipse geometry --------------------------------------------------------

// Visits the outline points of the lower-right quarter of the ellipse in a
// w x h box (box-relative), from the middle of the right edge down to the
// middle of the bottom edge: an incremental ellipse walk after Alois Zingl's
// "A Rasterizing Algorithm for Drawing Curves" (2012). The error terms are
// exact integers; each step moves one pixel left, one down, or both. The
// walk stops as soon as it passes the middle column, also when it has not
// yet reached the bottom row: very narrow ellipses then end short of their
// box, exactly as GDI draws them.
template <typename Visit>
void lowerRightQuarter(int w, int h, Visit visit) {
    const long long a = w - 1, b = h - 1;
    const long long stepX = 8 * b * b, stepY = 8 * a * a;
    long long dx = 4 * b * b * (1 - a);
    long long dy = 4 * a * a * (1 + b % 2);
    long long err = dx + dy + a * a * (b % 2);
    int x = w - 1, y = h / 2;
    while (x >= w / 2 && y < h) {
        visit(x, y);
        const long long e2 = 2 * err;
        if (e2 >= dx) {
            --x;
            dx += stepX;
            err += dx;
        }
        if (e2 <= dy) {
            ++y;
            dy += stepY;
            err += dy;
        }
    }
}

// Calls run(y, first, last) for each row y of the lower half of a w x h box
// with the run of outline pixels the lower-right quarter gives it
// (box-relative, inclusive); the other quarters mirror it.
template <typename Run>
void lowerHalfRuns(int w, int h, Run run) {
    int row = -1, first = 0, last = 0;  // the run being collected
    lowerRightQuarter(w, h, [&](int x, int y) {
        if (y != row) {
            if (row >= 0) run(row, first, last);
            row = y;
            last = x;
        }
        first = x;
    });
    if (row >= 0) run(row, first, last);
}

// Calls outline(y, x0, x1) for every run of outline pixels and fill(y, x0, x1)
// for every run of interior pixels (inclusive, box-relative) of a w x h box.
template <typename Outline, typename Fill>
void rasterEllipse(int w, int h, Outline outline, Fill fill) {
    if (w <= 1 && h <= 1) return;
    if (w <= 2 || h <= 2) {
        for (int y = 0; y < h; ++y) outline(y, 0, w - 1);
        return;
    }
    lowerHalfRuns(w, h, [&](int row, int first, int last) {
        for (const int y : {row, h - 1 - row}) {
            outline(y, first, last);
            outline(y, w - 1 - last, w - 1 - first);
            if (w - first <= first - 1) fill(y, w - first, first - 1);
            if (y == h - 1 - y) break;
        }
    });
}

// The same pixels in one colour: a row's two outline runs and the fill
// between them always meet, so each row is one span (x0, x1 inclusive).
template <typename Span>
void rasterEllipseRows(int w, int h, Span span) {
    if (w <= 1 && h <= 1) return;
    if (w <= 2 || h <= 2) {
        for (int y = 0; y < h; ++y) span(y, 0, w - 1);
        return;
    }
    lowerHalfRuns(w, h, [&](int row, int, int last) {
        span(row, w - 1 - last, last);
        if (h - 1 - row != row) span(h - 1 - row, w - 1 - last, last);
    });
}

// --- Lines ---------------------------------------------------------------------

// round(num / den) for den > 0, ties towards minus infinity.
long long roundHalfDown(long long num, long long den) {
    // ceil((2 num - den) / (2 den)) with floor division on negative values.
    const long long n = 2 * num - den, d = 2 * den;
    return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

void thinLine(Surface& s, int x1, int y1, int x2, int y2, std::uint32_t pixel) {
    const long long dx = x2 - x1, dy = y2 - y1;
    const long long steps = std::max(std::llabs(dx), std::llabs(dy));
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    for (long long i = 0; i < steps; ++i) {
        const long long along = xMajor ? (dx > 0 ? i : -i) : (dy > 0 ? i : -i);
        const long long across = roundHalfDown(i * (xMajor ? dy : dx), steps);
        if (xMajor)
            plot(s, static_cast<int>(x1 + along), static_cast<int>(y1 + across), pixel);
        else
            plot(s, static_cast<int>(x1 + across), static_cast<int>(y1 + along), pixel);
    }
}

void roundCap(Surface& s, int x, int y, int width, std::uint32_t pixel) {
    const int left = x - width / 2, top = y - width / 2;
    const auto span = [&](int row, int x0, int x1) {
        fillSpan(s, top + row, left + x0, left + x1, pixel);
    };
    rasterEllipse(width, width, span, span);
}

void wideLine(Surface& s, int x1, int y1, int x2, int y2, int width, std::uint32_t pixel) {
    roundCap(s, x1, y1, width, pixel);
    roundCap(s, x2, y2, width, pixel);
    // Body: pixel centres within width/2 of the segment, in coordinates where
    // pixel (px, py) has its centre at (px + c, py + c).
    const double c = width % 2 == 1 ? 0.0 : 0.5;
    const double dx = x2 - x1, dy = y2 - y1, len2 = dx * dx + dy * dy;
    if (len2 == 0) return;
    const double half = width / 2.0, len = std::sqrt(len2);
    const int top = std::max(std::min(y1, y2) - width, 0);
    const int bottom = std::min(std::max(y1, y2) + width, s.height() - 1);
    const int left = std::max(std::min(x1, x2) - width, 0);
    const int right = std::min(std::max(x1, x2) + width, s.width() - 1);
    for (int py = top; py <= bottom; ++py) {
        for (int px = left; px <= right; ++px) {
            const double rx = px + c - x1, ry = py + c - y1;
            const double t = (rx * dx + ry * dy) / len2;
            if (t < 0 || t > 1) continue;
            if (std::abs(rx * dy - ry * dx) / len <= half) s.row(py)[px] = pixel;
        }
    }
}

// The box of an ellipse given by two corners in either order: its top left
// corner and size, or nullopt for an empty or too large one.
struct EllipseBox {
    int left, top, width, height;
};
std::optional<EllipseBox> ellipseBox(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const long long w = static_cast<long long>(right) - left;
    const long long h = static_cast<long long>(bottom) - top;
    if (w <= 0 || h <= 0 || w > kMaxShapeSize || h > kMaxShapeSize) return std::nullopt;
    return EllipseBox{left, top, static_cast<int>(w), static_cast<int>(h)};
}

}  // namespace

void Ellipse(Surface& s, int left, int top, int right, int bottom) {
    const std::optional<EllipseBox> box = ellipseBox(left, top, right, bottom);
    if (!box) return;
    const int x = box->left, y = box->top, w = box->width, h = box->height;
    const std::uint32_t outlinePixel = toPixel(s.foreColor), fillPixel = toPixel(s.fillColor);
    if (outlinePixel == fillPixel) {  // a snowflake
        rasterEllipseRows(w, h, [&](int row, int x0, int x1) {
            fillSpan(s, y + row, x + x0, x + x1, fillPixel);
        });
        return;
    }
    rasterEllipse(
        w, h, [&](int row, int x0, int x1) { fillSpan(s, y + row, x + x0, x + x1, outlinePixel); },
        [&](int row, int x0, int x1) { fillSpan(s, y + row, x + x0, x + x1, fillPixel); });
}

void CopyEllipse(Surface& to, const Surface& from, int left, int top, int right, int bottom) {
    const std::optional<EllipseBox> box = ellipseBox(left, top, right, bottom);
    if (!box) return;
    const int x = box->left, y = box->top, w = box->width, h = box->height;
    const int width = std::min(to.width(), from.width()),
              height = std::min(to.height(), from.height());
    rasterEllipseRows(w, h, [&](int row, int x0, int x1) {
        const int py = y + row;
        x0 = std::max(x + x0, 0);
        x1 = std::min(x + x1, width - 1);
        if (py < 0 || py >= height || x0 > x1) return;
        std::copy(from.row(py) + x0, from.row(py) + x1 + 1, to.row(py) + x0);
    });
}

void DrawLine(Surface& s, int x1, int y1, int x2, int y2, Colour colour) {
    for (const int v : {x1, y1, x2, y2})
        if (std::abs(v) > kMaxShapeSize * 4) return;
    const std::uint32_t pixel = toPixel(colour);
    if (s.drawWidth <= 1)
        thinLine(s, x1, y1, x2, y2, pixel);
    else
        wideLine(s, x1, y1, x2, y2, std::min(s.drawWidth, kMaxShapeSize), pixel);
}

}  // namespace gm::gfx
