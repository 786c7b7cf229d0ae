#include "resources/artgen/picture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace gm::art {

double bayer(int x, int y) {
    static constexpr int kMatrix[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    return (kMatrix[y & 7][x & 7] + 0.5) / 64.0;
}

Picture::Picture(int width, int height, std::vector<Rgb> palette)
    : width_(width),
      height_(height),
      palette_(std::move(palette)),
      index_(std::size_t(width) * height, 0),
      coverage_(width, height) {
    if (palette_.empty() || palette_.size() > 256)
        throw std::invalid_argument("palette needs 1 to 256 colours");
}

void Picture::set(int x, int y, std::uint8_t index) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    if (index >= palette_.size()) throw std::out_of_range("palette index");
    index_[std::size_t(y) * width_ + x] = index;
    coverage_.set(x, y);
}

void Picture::fill(const Shape& s, std::uint8_t index) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (s.at(x, y)) set(x, y, index);
}

void Picture::ramp(const Shape& s, const std::vector<std::uint8_t>& colours,
                   const std::function<double(int, int)>& tone) {
    const double last = double(colours.size() - 1);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            if (!s.at(x, y)) continue;
            const double t = std::clamp(tone(x, y), 0.0, 1.0) * last;
            const int lo = std::min(static_cast<int>(t), static_cast<int>(last));
            const bool up = (t - lo) > bayer(x, y) && lo < last;
            set(x, y, colours[lo + (up ? 1 : 0)]);
        }
}

void Picture::clear(const Shape& s) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (s.at(x, y)) {
                index_[std::size_t(y) * width_ + x] = 0;
                coverage_.set(x, y, false);
            }
}

void Picture::paste(const Picture& p, int dx, int dy) {
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (p.coverage().at(x, y)) set(x + dx, y + dy, p.at(x, y));
}

}  // namespace gm::art
