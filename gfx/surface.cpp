// Pictures and surfaces: pixel storage, size changes, single pixels.
#include "gfx/surface.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace gm::gfx {

Colour rgb(int r, int g, int b) {
    const auto clampByte = [](int v) { return std::clamp(v, 0, 255); };
    return clampByte(r) + 256 * clampByte(g) + 65536 * clampByte(b);
}

Bitmap::Bitmap(int width, int height, std::uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

Surface::Surface(int width, int height, Colour backColor) : backColor(backColor) {
    setSize(width, height);
}

void Surface::setSize(int width, int height) {
    // Attached memory belongs to a platform window, which resizes it itself.
    assert(owned_.data() == pixels_ || pixels_ == nullptr);
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_ && pixels_ != nullptr) return;

    std::vector<std::uint32_t> resized(static_cast<std::size_t>(width) * height,
                                       toPixel(backColor));
    const int keepW = std::min(width, width_);
    const int keepH = keepW > 0 ? std::min(height, height_) : 0;
    for (int y = 0; y < keepH; ++y)
        std::memcpy(resized.data() + static_cast<std::size_t>(y) * width, row(y),
                    sizeof(std::uint32_t) * keepW);
    owned_ = std::move(resized);
    pixels_ = owned_.data();
    width_ = width;
    height_ = height;
    stride_ = width;
}

void Surface::attach(std::uint32_t* pixels, int width, int height, int stride) {
    assert(pixels != nullptr || width * height == 0);
    assert(stride >= width);
    owned_.clear();
    owned_.shrink_to_fit();
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    stride_ = stride;
}

void Surface::setPicture(const ImageView& picture) {
    if (autoSize) setSize(picture.width, picture.height);
    clear();
    const int w = std::min(picture.width, width_);
    const int h = w > 0 ? std::min(picture.height, height_) : 0;
    for (int y = 0; y < h; ++y) std::memcpy(row(y), picture.row(y), sizeof(std::uint32_t) * w);
}

Bitmap Surface::image() const {
    Bitmap copy(width_, height_);
    for (int y = 0; width_ > 0 && y < height_; ++y)
        std::memcpy(copy.row(y), row(y), sizeof(std::uint32_t) * width_);
    return copy;
}

void Surface::clear() {
    const std::uint32_t fill = toPixel(backColor);
    for (int y = 0; y < height_; ++y) std::fill_n(row(y), width_, fill);
}

Colour GetPixel(const Surface& s, int x, int y) {
    if (x < 0 || y < 0 || x >= s.width() || y >= s.height()) return kInvalidColour;
    return toColour(s.row(y)[x]);
}

void SetPixel(Surface& s, int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= s.width() || y >= s.height()) return;
    s.row(y)[x] = toPixel(colour);
}

}  // namespace gm::gfx
