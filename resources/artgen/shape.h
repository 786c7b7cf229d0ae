// Coverage masks: the shapes the art is painted with.
//
// Every picture is drawn from shapes. A Shape is a boolean mask of the
// picture's size; shapes combine with set operations (union, difference,
// intersection), move by whole pixels and grow or shrink, which is how the
// painter derives outlines, lit rims and shaded sides from one silhouette.
// Rasterisation samples pixel centres and never blends, so every edge is hard.
#pragma once

#include <cstdint>
#include <vector>

namespace gm::art {

struct Pt {
    double x = 0;
    double y = 0;
};

class Shape {
  public:
    Shape(int width, int height)
        : width_(width), height_(height), bits_(std::size_t(width) * height, 0) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_ && bits_[std::size_t(y) * width_ + x];
    }
    void set(int x, int y, bool on = true) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) bits_[std::size_t(y) * width_ + x] = on;
    }

    Shape& operator|=(const Shape& o);
    Shape& operator&=(const Shape& o);
    Shape& operator-=(const Shape& o);
    friend Shape operator|(Shape a, const Shape& b) { return a |= b; }
    friend Shape operator&(Shape a, const Shape& b) { return a &= b; }
    friend Shape operator-(Shape a, const Shape& b) { return a -= b; }

    Shape shifted(int dx, int dy) const;
    Shape grown(int r) const;  // dilation by a disc of radius r
    Shape outline(int r = 1) const { return grown(r) - *this; }
    // The part of the shape within `depth` pixels of its edge facing (dx, dy):
    // a rim lit from that direction, or the shaded side for the opposite one.
    Shape rim(int dx, int dy, int depth) const;

  private:
    int width_;
    int height_;
    std::vector<std::uint8_t> bits_;
};

// Rasterisers: pixel centres inside the figure are set.
Shape polygon(int w, int h, const std::vector<Pt>& pts);
Shape ellipse(int w, int h, double cx, double cy, double rx, double ry);
Shape rect(int w, int h, double x0, double y0, double x1, double y1);
// A line of the given width through the points, with round joints and ends.
Shape stroke(int w, int h, const std::vector<Pt>& pts, double width);
// A closed area filled below a profile y = f(x) down to the bottom edge.
template <class F>
Shape below(int w, int h, F f) {
    Shape s(w, h);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            if (y + 0.5 >= f(x + 0.5)) s.set(x, y);
    return s;
}

// Point helpers for building outlines.
std::vector<Pt> cubic(Pt a, Pt b, Pt c, Pt d, int steps = 16);
void append(std::vector<Pt>& to, const std::vector<Pt>& more);

}  // namespace gm::art
