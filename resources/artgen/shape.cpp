#include "resources/artgen/shape.h"

#include <algorithm>
#include <cmath>

namespace gm::art {

Shape& Shape::operator|=(const Shape& o) {
    for (std::size_t i = 0; i < bits_.size(); ++i) bits_[i] |= o.bits_[i];
    return *this;
}
Shape& Shape::operator&=(const Shape& o) {
    for (std::size_t i = 0; i < bits_.size(); ++i) bits_[i] &= o.bits_[i];
    return *this;
}
Shape& Shape::operator-=(const Shape& o) {
    for (std::size_t i = 0; i < bits_.size(); ++i)
        bits_[i] &= static_cast<std::uint8_t>(!o.bits_[i]);
    return *this;
}

Shape Shape::shifted(int dx, int dy) const {
    Shape s(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (at(x - dx, y - dy)) s.set(x, y);
    return s;
}

Shape Shape::grown(int r) const {
    Shape s(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            if (!at(x, y)) continue;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                    if (dx * dx + dy * dy <= r * r + r / 2) s.set(x + dx, y + dy);
        }
    return s;
}

Shape Shape::rim(int dx, int dy, int depth) const {
    Shape inner = *this;
    for (int i = 0; i < depth; ++i) inner &= inner.shifted(-dx, -dy);
    return *this - inner;
}

Shape polygon(int w, int h, const std::vector<Pt>& pts) {
    Shape s(w, h);
    const std::size_t n = pts.size();
    std::vector<std::pair<double, int>> crossings;
    for (int y = 0; y < h; ++y) {
        const double sy = y + 0.5;
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
            const int x0 = static_cast<int>(std::ceil(crossings[i].first - 0.5));
            const int x1 = static_cast<int>(std::ceil(crossings[i + 1].first - 0.5));
            for (int x = std::max(x0, 0); x < std::min(x1, w); ++x) s.set(x, y);
        }
    }
    return s;
}

Shape ellipse(int w, int h, double cx, double cy, double rx, double ry) {
    Shape s(w, h);
    const int y0 = std::max(0, static_cast<int>(cy - ry) - 1);
    const int y1 = std::min(h - 1, static_cast<int>(cy + ry) + 1);
    const int x0 = std::max(0, static_cast<int>(cx - rx) - 1);
    const int x1 = std::min(w - 1, static_cast<int>(cx + rx) + 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double u = (x + 0.5 - cx) / rx;
            const double v = (y + 0.5 - cy) / ry;
            if (u * u + v * v <= 1.0) s.set(x, y);
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
