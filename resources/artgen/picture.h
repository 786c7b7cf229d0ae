// Indexed pictures: what the painter draws into and the encoders store.
//
// A Picture holds one palette index per pixel, its palette, and the coverage
// of everything painted on it. For a sprite, index 0 of the palette is pure
// black and stays under every pixel that nothing covered; the mask is the
// coverage itself, so sprite and mask come from the same drawing and always
// agree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "resources/artgen/shape.h"

namespace gm::art {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Ordered-dither threshold in [0, 1) for pixel (x, y): the 8 x 8 Bayer matrix.
double bayer(int x, int y);

class Picture {
  public:
    // A picture of width x height catalogue pixels at the painting scale
    // (shape.h). At a scale other than 1 it also keeps the true colour of
    // every pixel, which ramp() shades smoothly instead of dithering.
    Picture(int width, int height, std::vector<Rgb> palette);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<Rgb>& palette() const { return palette_; }
    // A catalogue pixel (its centre).
    std::uint8_t at(int x, int y) const;
    Rgb rgbAt(int x, int y) const { return palette_[at(x, y)]; }
    const Shape& coverage() const { return coverage_; }
    Shape whole() const { return rect(width_, height_, 0, 0, width_, height_); }

    // The physical pixels (the same as the catalogue pixels at scale 1).
    std::uint8_t atPixel(int x, int y) const { return index_[std::size_t(y) * across() + x]; }
    Rgb colourAtPixel(int x, int y) const;
    void setPixel(int x, int y, std::uint8_t index);

    // A catalogue pixel, all physical pixels of it.
    void set(int x, int y, std::uint8_t index);
    // Paint the shape in one colour.
    void fill(const Shape& s, std::uint8_t index);
    // Paint the shape with a ramp of colours: tone(x, y) in [0, 1] picks the
    // position along the ramp, ordered dithering mixes neighbouring colours.
    // At another scale tone() is asked at every physical pixel (x and y in
    // catalogue pixels, x + 0.5 the pixel's centre) and the neighbouring
    // colours mix smoothly.
    void ramp(const Shape& s, const std::vector<std::uint8_t>& colours,
              const std::function<double(double, double)>& tone);
    // Paint the shape in a checkerboard of two colours (`odd` where x + y is
    // odd); at another scale, in their even mix.
    void checker(const Shape& s, std::uint8_t odd, std::uint8_t even);
    // Clear the shape back to the background (index 0), uncovered.
    void clear(const Shape& s);
    // Copy another picture of the same palette at (dx, dy), its covered pixels only.
    void paste(const Picture& p, int dx, int dy);

  private:
    int across() const { return coverage_.pixelsAcross(); }
    int down() const { return coverage_.pixelsDown(); }
    bool smooth() const { return !smooth_.empty(); }

    int width_;
    int height_;
    std::vector<Rgb> palette_;
    std::vector<std::uint8_t> index_;
    std::vector<Rgb> smooth_;  // at another scale: the true colours
    Shape coverage_;
};

}  // namespace gm::art
