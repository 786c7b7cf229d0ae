// Coverage masks: the shapes the art is painted with.
//
// Every picture is drawn from shapes. A Shape is a boolean mask of the
// picture's size; shapes combine with set operations (union, difference,
// intersection), move by whole pixels and grow or shrink, which is how the
// painter derives outlines, lit rims and shaded sides from one silhouette.
// Rasterisation samples pixel centres and never blends, so every edge is
// hard: at the catalogue's size, and as crisp at any painting scale.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace gm::art {

struct Pt {
    double x = 0;
    double y = 0;
};

// The scale pictures are painted at: 1 for the catalogue. While a
// PaintingScale lives, the shapes and pictures made are that much finer:
// their sizes and every coordinate, radius and offset given to them stay in
// catalogue pixels, while they hold and rasterise physical pixels (painted
// at sx x sy times the size). At scale 1 both are the same.
struct Scale {
    double x = 1, y = 1;
};
const Scale& paintingScale();
class PaintingScale {
  public:
    PaintingScale(double sx, double sy);
    ~PaintingScale();
    PaintingScale(const PaintingScale&) = delete;
    PaintingScale& operator=(const PaintingScale&) = delete;

  private:
    Scale outer_;
};

class Shape {
  public:
    // A shape of width x height catalogue pixels at the painting scale.
    Shape(int width, int height);

    // The size in catalogue pixels.
    int width() const { return width_; }
    int height() const { return height_; }
    // A catalogue pixel: its centre, and all physical pixels it covers.
    bool at(int x, int y) const;
    void set(int x, int y, bool on = true);

    // The physical pixels.
    int pixelsAcross() const { return across_; }
    int pixelsDown() const { return down_; }
    double kx() const { return double(across_) / width_; }
    double ky() const { return double(down_) / height_; }
    bool atPixel(int x, int y) const {
        return x >= store_.left && y >= store_.top && x < store_.right && y < store_.bottom &&
               bits_[index(x, y)];
    }
    void setPixel(int x, int y, bool on = true) {
        if (x < 0 || y < 0 || x >= across_ || y >= down_) return;
        if (!on) {
            if (atPixel(x, y)) bits_[index(x, y)] = 0;
            return;
        }
        if (!store_.holds(x, y)) widenStore(x, y);
        bits_[index(x, y)] = 1;
        include(x, y);
    }
    // The physical pixels [x0, x1) of row y set.
    void setRun(int y, int x0, int x1);
    // The physical pixels that may be set: [left, right) x [top, bottom).
    struct Box {
        int left, top, right, bottom;
        bool empty() const { return right <= left || bottom <= top; }
        bool holds(int x, int y) const { return x >= left && y >= top && x < right && y < bottom; }
    };
    Box box() const { return box_; }
    // Makes room for pixels of the box to be set without growing the store
    // pixel by pixel (the rasterisers know their extent before they start).
    void reserve(Box b);

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
    Shape shiftedPixels(int dx, int dy) const;
    std::size_t index(int x, int y) const {
        return std::size_t(y - store_.top) * (store_.right - store_.left) + (x - store_.left);
    }
    void widenStore(int x, int y);
    void include(int x, int y) {
        box_.left = std::min(box_.left, x);
        box_.top = std::min(box_.top, y);
        box_.right = std::max(box_.right, x + 1);
        box_.bottom = std::max(box_.bottom, y + 1);
    }

    int width_;
    int height_;
    int across_;
    int down_;
    // The bits are stored for the pixels of store_ only, every pixel outside
    // it is clear: a painter's shapes are small parts of a large picture, and
    // a whole picture's bits for each would be most of the painting's work.
    Box store_;
    std::vector<std::uint8_t> bits_;
    Box box_;  // every set pixel lies inside (and inside store_)
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
    const double kx = s.kx(), ky = s.ky();
    s.reserve({0, 0, s.pixelsAcross(), s.pixelsDown()});
    for (int x = 0; x < s.pixelsAcross(); ++x) {
        const double top = f((x + 0.5) / kx);
        for (int y = 0; y < s.pixelsDown(); ++y)
            if ((y + 0.5) / ky >= top) s.setPixel(x, y);
    }
    return s;
}

// Point helpers for building outlines.
std::vector<Pt> cubic(Pt a, Pt b, Pt c, Pt d, int steps = 16);
void append(std::vector<Pt>& to, const std::vector<Pt>& more);

}  // namespace gm::art
