// Ellipses and lines, rasterised the way GDI does (Wine's GDI was the
// reference: tests/gfx/gdi_oracle_test.cpp compares them pixel by pixel).
//
// Ellipse. For a box of W x H pixels let A = W - 1 and B = H - 1; the curve
// is the ellipse through the centres of the box's outer pixels. In the
// upper-left quadrant every column x gets the outline pixel nearest to the
// curve above it, and every row y the outline pixel nearest to the curve to
// its left (ties go inwards, towards the centre); the other quadrants
// mirror that quarter. Columns give the flat parts of the outline, rows the
// steep parts, and together they form an unbroken 8-connected ring. The fill
// is everything strictly inside the ring. A 1 x 1 box draws nothing.
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

// The outline offset, counted inwards from the box edge, of the ellipse with
// doubled radii a2 (across) and b2 (along), at the doubled offset u from the
// centre along the other axis (|u| <= b2): (a2 - t) / 2 rounded with ties
// inwards, where t = a2 * sqrt(b2^2 - u^2) / b2. That is the largest k with
// t <= a2 + 1 - 2k, decided in exact integer arithmetic after a floating
// estimate, so that exact ties (t integral) never depend on rounding errors.
int edgeOffset(long long a2, long long b2, long long u) {
    if (b2 == 0) return 0;
    const long long lhs = a2 * a2 * (b2 * b2 - u * u);  // (t * b2)^2
    const auto tAtMost = [&](long long m) { return m >= 0 && lhs <= m * m * b2 * b2; };
    const double t = static_cast<double>(a2) * std::sqrt(static_cast<double>(b2 * b2 - u * u)) /
                     static_cast<double>(b2);
    int k = std::max(0, static_cast<int>(std::floor((static_cast<double>(a2) + 1 - t) / 2)));
    while (tAtMost(a2 + 1 - 2 * (k + 1))) ++k;
    while (k > 0 && !tAtMost(a2 + 1 - 2 * k)) --k;
    return k;
}

// The upper-left quarter of an ellipse box of w x h pixels: per row y of the
// upper half, the outline pixel from the row rule, the columns whose outline
// pixel lies on this row, and where the fill starts.
class EllipseQuarter {
  public:
    EllipseQuarter(int w, int h) : a2_(w - 1), b2_(h - 1), halfW_((w + 1) / 2) {}

    // Outline column of row y (from the row rule). A tie at the middle of an
    // even-sized box rounds into the other half; its mirror image is the
    // last column of this half.
    int rowEdge(int y) const {
        return std::min(edgeOffset(a2_, b2_, 2LL * y - b2_), static_cast<int>(a2_ / 2));
    }
    // Outline row of column x (from the column rule), likewise.
    int columnEdge(int x) const {
        return std::min(edgeOffset(b2_, a2_, 2LL * x - a2_), static_cast<int>(b2_ / 2));
    }
    // Number of left-half columns whose outline row is at or below row y;
    // column outlines rise towards the middle, so these are columns 0..n-1.
    int columnsReaching(int y) const {
        int lo = 0, hi = halfW_;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (columnEdge(mid) >= y)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

  private:
    long long a2_, b2_;
    int halfW_;
};

// Calls outline(y, x0, x1) for every run of outline pixels and fill(y, x0, x1)
// for every run of interior pixels (inclusive, box-relative) of a w x h box.
template <typename Outline, typename Fill>
void rasterEllipse(int w, int h, Outline outline, Fill fill) {
    if (w <= 1 && h <= 1) return;
    const EllipseQuarter q(w, h);
    const int halfH = (h + 1) / 2;
    int reaching = q.columnsReaching(0);
    for (int y = 0; y < halfH; ++y) {
        const int next = q.columnsReaching(y + 1);
        const int edge = q.rowEdge(y);
        const int yb = h - 1 - y;  // mirrored row
        for (int row : {y, yb}) {
            outline(row, edge, edge);
            outline(row, w - 1 - edge, w - 1 - edge);
            if (next < reaching) {  // columns next..reaching-1 have their outline here
                outline(row, next, reaching - 1);
                outline(row, w - reaching, w - 1 - next);
            }
            const int inner = std::max(edge + 1, reaching);
            if (inner <= w - 1 - inner) fill(row, inner, w - 1 - inner);
            if (yb == y) break;
        }
        reaching = next;
    }
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

}  // namespace

void Ellipse(Surface& s, int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const long long w = static_cast<long long>(right) - left;
    const long long h = static_cast<long long>(bottom) - top;
    if (w <= 0 || h <= 0 || w > kMaxShapeSize || h > kMaxShapeSize) return;
    const std::uint32_t outlinePixel = toPixel(s.foreColor), fillPixel = toPixel(s.fillColor);
    rasterEllipse(
        static_cast<int>(w), static_cast<int>(h),
        [&](int row, int x0, int x1) {
            fillSpan(s, top + row, left + x0, left + x1, outlinePixel);
        },
        [&](int row, int x0, int x1) { fillSpan(s, top + row, left + x0, left + x1, fillPixel); });
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
