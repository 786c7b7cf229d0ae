#include "resources/artgen/picture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "resources/artgen/art.h"

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
    : width_(width), height_(height), palette_(std::move(palette)), coverage_(width, height) {
    if (palette_.empty() || palette_.size() > 256)
        throw std::invalid_argument("palette needs 1 to 256 colours");
    index_.assign(std::size_t(across()) * down(), 0);
    coverage_.reserve({0, 0, across(), down()});
    if (paintingScale().x != 1 || paintingScale().y != 1)
        smooth_.assign(index_.size(), palette_[0]);
}

std::uint8_t Picture::at(int x, int y) const {
    const int px = static_cast<int>(std::floor((x + 0.5) * coverage_.kx()));
    const int py = static_cast<int>(std::floor((y + 0.5) * coverage_.ky()));
    return atPixel(px, py);
}

Rgb Picture::colourAtPixel(int x, int y) const {
    return smooth() ? smooth_[std::size_t(y) * across() + x] : palette_[atPixel(x, y)];
}

void Picture::setPixel(int x, int y, std::uint8_t index) {
    if (x < 0 || y < 0 || x >= across() || y >= down()) return;
    if (index >= palette_.size()) throw std::out_of_range("palette index");
    const std::size_t i = std::size_t(y) * across() + x;
    index_[i] = index;
    if (smooth()) smooth_[i] = palette_[index];
    coverage_.setPixel(x, y);
}

void Picture::set(int x, int y, std::uint8_t index) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const double kx = coverage_.kx(), ky = coverage_.ky();
    const int x0 = static_cast<int>(std::lround(x * kx)),
              x1 = static_cast<int>(std::lround((x + 1) * kx));
    const int y0 = static_cast<int>(std::lround(y * ky)),
              y1 = static_cast<int>(std::lround((y + 1) * ky));
    for (int py = y0; py < std::max(y1, y0 + 1); ++py)
        for (int px = x0; px < std::max(x1, x0 + 1); ++px) setPixel(px, py, index);
}

void Picture::fill(const Shape& s, std::uint8_t index) {
    const Shape::Box b = s.box();
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            if (s.atPixel(x, y)) setPixel(x, y, index);
}

void Picture::ramp(const Shape& s, const std::vector<std::uint8_t>& colours,
                   const std::function<double(double, double)>& tone) {
    const double last = double(colours.size() - 1);
    const double kx = coverage_.kx(), ky = coverage_.ky();
    const Shape::Box b = s.box();
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) {
            if (!s.atPixel(x, y)) continue;
            if (!smooth()) {
                const double t = std::clamp(tone(x, y), 0.0, 1.0) * last;
                const int lo = std::min(static_cast<int>(t), static_cast<int>(last));
                const bool up = (t - lo) > bayer(x, y) && lo < last;
                setPixel(x, y, colours[lo + (up ? 1 : 0)]);
                continue;
            }
            const double t =
                std::clamp(tone((x + 0.5) / kx - 0.5, (y + 0.5) / ky - 0.5), 0.0, 1.0) * last;
            const int lo = std::min(static_cast<int>(t), static_cast<int>(last));
            const int hi = std::min(lo + 1, static_cast<int>(last));
            setPixel(x, y, colours[t - lo < 0.5 ? lo : hi]);
            smooth_[std::size_t(y) * across() + x] =
                mix(palette_[colours[lo]], palette_[colours[hi]], t - lo);
        }
}

void Picture::checker(const Shape& s, std::uint8_t odd, std::uint8_t even) {
    const Shape::Box b = s.box();
    const Rgb mixed = mix(palette_.at(odd), palette_.at(even), 0.5);
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) {
            if (!s.atPixel(x, y)) continue;
            if (!smooth()) {
                setPixel(x, y, (x + y) % 2 ? odd : even);
                continue;
            }
            setPixel(x, y, even);
            smooth_[std::size_t(y) * across() + x] = mixed;
        }
}

void Picture::clear(const Shape& s) {
    const Shape::Box b = s.box();
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            if (s.atPixel(x, y)) {
                index_[std::size_t(y) * across() + x] = 0;
                if (smooth()) smooth_[std::size_t(y) * across() + x] = palette_[0];
                coverage_.setPixel(x, y, false);
            }
}

void Picture::paste(const Picture& p, int dx, int dy) {
    const int px = static_cast<int>(std::lround(dx * coverage_.kx()));
    const int py = static_cast<int>(std::lround(dy * coverage_.ky()));
    for (int y = 0; y < p.down(); ++y)
        for (int x = 0; x < p.across(); ++x)
            if (p.coverage().atPixel(x, y)) {
                setPixel(x + px, y + py, p.atPixel(x, y));
                if (smooth() && x + px >= 0 && y + py >= 0 && x + px < across() && y + py < down())
                    smooth_[std::size_t(y + py) * across() + x + px] = p.colourAtPixel(x, y);
            }
}

}  // namespace gm::art
