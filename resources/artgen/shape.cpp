#include "resources/artgen/shape.h"

#include <algorithm>
#include <cmath>

namespace gm::art {

namespace {
Scale gScale;  // the program paints from one thread

int pixels(int size, double k) { return std::max(1, static_cast<int>(std::lround(size * k))); }
}  // namespace

const Scale& paintingScale() { return gScale; }
PaintingScale::PaintingScale(double sx, double sy) : outer_(gScale) { gScale = {sx, sy}; }
PaintingScale::~PaintingScale() { gScale = outer_; }

Shape::Shape(int width, int height)
    : width_(width),
      height_(height),
      across_(pixels(width, gScale.x)),
      down_(pixels(height, gScale.y)),
      store_{0, 0, 0, 0},
      box_{across_, down_, 0, 0} {}

bool Shape::at(int x, int y) const {
    return atPixel(static_cast<int>(std::floor((x + 0.5) * kx())),
                   static_cast<int>(std::floor((y + 0.5) * ky())));
}

void Shape::set(int x, int y, bool on) {
    const int x0 = static_cast<int>(std::lround(x * kx())),
              x1 = static_cast<int>(std::lround((x + 1) * kx()));
    const int y0 = static_cast<int>(std::lround(y * ky())),
              y1 = static_cast<int>(std::lround((y + 1) * ky()));
    for (int py = y0; py < std::max(y1, y0 + 1); ++py)
        for (int px = x0; px < std::max(x1, x0 + 1); ++px) setPixel(px, py, on);
}

void Shape::reserve(Box b) {
    b = {std::max(b.left, 0), std::max(b.top, 0), std::min(b.right, across_),
         std::min(b.bottom, down_)};
    if (b.empty()) return;
    if (!store_.empty())
        b = {std::min(b.left, store_.left), std::min(b.top, store_.top),
             std::max(b.right, store_.right), std::max(b.bottom, store_.bottom)};
    if (b.left == store_.left && b.top == store_.top && b.right == store_.right &&
        b.bottom == store_.bottom)
        return;
    std::vector<std::uint8_t> bits(std::size_t(b.right - b.left) * (b.bottom - b.top), 0);
    const int width = store_.right - store_.left;
    for (int y = store_.top; y < store_.bottom; ++y)
        std::copy_n(
            bits_.begin() + std::ptrdiff_t(y - store_.top) * width, width,
            bits.begin() + std::ptrdiff_t(y - b.top) * (b.right - b.left) + (store_.left - b.left));
    bits_ = std::move(bits);
    store_ = b;
}

void Shape::widenStore(int x, int y) {
    // A margin round the new pixel, so that a shape set pixel by pixel
    // grows its store now and then rather than at every pixel.
    constexpr int kMargin = 64;
    reserve({x - kMargin, y - kMargin, x + kMargin + 1, y + kMargin + 1});
}

void Shape::setRun(int y, int x0, int x1) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, across_);
    if (y < 0 || y >= down_ || x1 <= x0) return;
    if (!store_.holds(x0, y) || !store_.holds(x1 - 1, y)) reserve({x0, y, x1, y + 1});
    std::fill_n(bits_.begin() + std::ptrdiff_t(index(x0, y)), x1 - x0, std::uint8_t(1));
    include(x0, y);
    include(x1 - 1, y);
}

Shape& Shape::operator|=(const Shape& o) {
    const Box b = o.box_;
    if (b.empty()) return *this;
    reserve(b);
    for (int y = b.top; y < b.bottom; ++y) {
        const std::uint8_t* from = &o.bits_[o.index(b.left, y)];
        std::uint8_t* to = &bits_[index(b.left, y)];
        for (int x = 0; x < b.right - b.left; ++x) to[x] |= from[x];
    }
    include(b.left, b.top);
    include(b.right - 1, b.bottom - 1);
    return *this;
}
Shape& Shape::operator&=(const Shape& o) {
    const Box b = box_;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) bits_[index(x, y)] &= o.atPixel(x, y);
    box_ = {std::max(b.left, o.box_.left), std::max(b.top, o.box_.top),
            std::min(b.right, o.box_.right), std::min(b.bottom, o.box_.bottom)};
    if (box_.empty()) box_ = {across_, down_, 0, 0};
    return *this;
}
Shape& Shape::operator-=(const Shape& o) {
    const int left = std::max(box_.left, o.box_.left), right = std::min(box_.right, o.box_.right);
    for (int y = std::max(box_.top, o.box_.top); y < std::min(box_.bottom, o.box_.bottom); ++y) {
        const std::uint8_t* cut = &o.bits_[o.index(left, y)];
        std::uint8_t* to = &bits_[index(left, y)];
        for (int x = 0; x < right - left; ++x) to[x] &= static_cast<std::uint8_t>(!cut[x]);
    }
    return *this;
}

Shape Shape::shiftedPixels(int dx, int dy) const {
    Shape s(width_, height_);
    s.reserve({box_.left + dx, box_.top + dy, box_.right + dx, box_.bottom + dy});
    for (int y = box_.top; y < box_.bottom; ++y)
        for (int x = box_.left; x < box_.right; ++x)
            if (atPixel(x, y)) s.setPixel(x + dx, y + dy);
    return s;
}

Shape Shape::shifted(int dx, int dy) const {
    return shiftedPixels(static_cast<int>(std::lround(dx * kx())),
                         static_cast<int>(std::lround(dy * ky())));
}

Shape Shape::grown(int radius) const {
    // On the catalogue's pixels the dilation reaches sqrt(r * r + r / 2),
    // except that radius 1 is the four neighbours, a diamond (as a disc of
    // the same area, 0.8); finer pixels get the disc of that reach.
    const double reach = radius == 1 ? 0.8 : std::sqrt(radius * radius + radius / 2);
    const int r = kx() == 1 ? radius : static_cast<int>(std::lround(reach * kx()));
    // The disc's half width on each of its rows.
    std::vector<int> half(std::size_t(2 * r + 1), -1);
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = 0; dx <= r; ++dx)
            if (dx * dx + dy * dy <= r * r + r / 2) half[std::size_t(dy + r)] = dx;
    Shape s = *this;
    s.reserve({box_.left - r, box_.top - r, box_.right + r, box_.bottom + r});
    for (int y = box_.top; y < box_.bottom; ++y)
        for (int x = box_.left; x < box_.right; ++x) {
            // A disc round an inner pixel adds nothing the discs round the
            // edge do not.
            if (!atPixel(x, y) ||
                (atPixel(x - 1, y) && atPixel(x + 1, y) && atPixel(x, y - 1) && atPixel(x, y + 1)))
                continue;
            for (int dy = -r; dy <= r; ++dy) {
                const int h = half[std::size_t(dy + r)];
                if (h >= 0) s.setRun(y + dy, x - h, x + h + 1);
            }
        }
    return s;
}

Shape Shape::rim(int dx, int dy, int depth) const {
    // Unit steps of the physical pixels, as many as the depth covers: a
    // pixel is in the rim when one of that many pixels beyond it towards
    // (dx, dy) is outside the shape.
    const int steps = static_cast<int>(std::lround(depth * (dx != 0 ? kx() : ky())));
    Shape r(width_, height_);
    r.reserve(box_);
    for (int y = box_.top; y < box_.bottom; ++y)
        for (int x = box_.left; x < box_.right; ++x) {
            if (!atPixel(x, y)) continue;
            bool edge = false;
            for (int i = 1; i <= steps && !edge; ++i) edge = !atPixel(x + i * dx, y + i * dy);
            if (edge) r.setPixel(x, y);
        }
    return r;
}

Shape polygon(int w, int h, const std::vector<Pt>& pts) {
    Shape s(w, h);
    const double kx = s.kx(), ky = s.ky();
    const std::size_t n = pts.size();
    if (n == 0) return s;
    double top = pts[0].y, bottom = pts[0].y, left = pts[0].x, right = pts[0].x;
    for (const Pt& p : pts) {
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        left = std::min(left, p.x), right = std::max(right, p.x);
    }
    // Rows whose centre lies within the points' rows; columns likewise.
    const int y0 = std::max(0, static_cast<int>(std::floor(top * ky - 0.5)));
    const int y1 = std::min(s.pixelsDown(), static_cast<int>(std::ceil(bottom * ky + 0.5)));
    s.reserve({static_cast<int>(std::floor(left * kx)) - 1, y0,
               static_cast<int>(std::ceil(right * kx)) + 1, y1});
    std::vector<std::pair<double, int>> crossings;
    for (int y = y0; y < y1; ++y) {
        const double sy = (y + 0.5) / ky;
        crossings.clear();
        for (std::size_t i = 0; i < n; ++i) {
            const Pt a = pts[i];
            const Pt b = pts[(i + 1) % n];
            if ((a.y <= sy) == (b.y <= sy)) continue;
            const double x = a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x);
            crossings.emplace_back(x, a.y < b.y ? 1 : -1);
        }
        std::sort(crossings.begin(), crossings.end());
        // Non-zero winding: fill between crossings while the winding is not 0.
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += crossings[i].second;
            if (winding == 0) continue;
            const int x0 = static_cast<int>(std::ceil(crossings[i].first * kx - 0.5));
            const int x1 = static_cast<int>(std::ceil(crossings[i + 1].first * kx - 0.5));
            s.setRun(y, x0, x1);
        }
    }
    return s;
}

Shape ellipse(int w, int h, double cx, double cy, double rx, double ry) {
    Shape s(w, h);
    const double kx = s.kx(), ky = s.ky();
    const int y0 = std::max(0, static_cast<int>((cy - ry) * ky) - 1);
    const int y1 = std::min(s.pixelsDown() - 1, static_cast<int>((cy + ry) * ky) + 1);
    const int x0 = std::max(0, static_cast<int>((cx - rx) * kx) - 1);
    const int x1 = std::min(s.pixelsAcross() - 1, static_cast<int>((cx + rx) * kx) + 1);
    s.reserve({x0, y0, x1 + 1, y1 + 1});
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double u = ((x + 0.5) / kx - cx) / rx;
            const double v = ((y + 0.5) / ky - cy) / ry;
            if (u * u + v * v <= 1.0) s.setPixel(x, y);
        }
    return s;
}

Shape rect(int w, int h, double x0, double y0, double x1, double y1) {
    return polygon(w, h, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

Shape stroke(int w, int h, const std::vector<Pt>& pts, double width) {
    Shape s(w, h);
    const double r = width / 2;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        s |= ellipse(w, h, pts[i].x, pts[i].y, r, r);
        if (i + 1 == pts.size()) break;
        const Pt a = pts[i];
        const Pt b = pts[i + 1];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        if (len == 0) continue;
        const double nx = -(b.y - a.y) / len * r;
        const double ny = (b.x - a.x) / len * r;
        s |= polygon(w, h,
                     {{a.x + nx, a.y + ny},
                      {b.x + nx, b.y + ny},
                      {b.x - nx, b.y - ny},
                      {a.x - nx, a.y - ny}});
    }
    return s;
}

std::vector<Pt> cubic(Pt a, Pt b, Pt c, Pt d, int steps) {
    std::vector<Pt> pts;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double u = 1 - t;
        pts.push_back(
            {u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
             u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y});
    }
    return pts;
}

void append(std::vector<Pt>& to, const std::vector<Pt>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

}  // namespace gm::art
