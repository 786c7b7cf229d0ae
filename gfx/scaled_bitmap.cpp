// Scaled catalogue pictures: painted at the scale, or enlarged smoothly.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "gfx/bitmap_resource.h"
#include "resources/artgen/scaled.h"

namespace gm::gfx {

namespace {

// Bilinear weights of a source position: the four neighbours and the two
// fractions.
struct Sample {
    int x0, x1, y0, y1;
    double fx, fy;
};

Sample sampleAt(const Bitmap& p, int x, int y, double sx, double sy) {
    const double u = std::clamp((x + 0.5) / sx - 0.5, 0.0, p.width() - 1.0);
    const double v = std::clamp((y + 0.5) / sy - 0.5, 0.0, p.height() - 1.0);
    const int x0 = static_cast<int>(u), y0 = static_cast<int>(v);
    return {x0,    std::min(x0 + 1, p.width() - 1), y0, std::min(y0 + 1, p.height() - 1), u - x0,
            v - y0};
}

double channel(std::uint32_t p, int shift) { return double((p >> shift) & 0xFF); }

// Weights of the four neighbours, in the order x0y0, x1y0, x0y1, x1y1.
std::array<double, 4> weights(const Sample& s) {
    return {(1 - s.fx) * (1 - s.fy), s.fx * (1 - s.fy), (1 - s.fx) * s.fy, s.fx * s.fy};
}

std::array<std::uint32_t, 4> neighbours(const Bitmap& p, const Sample& s) {
    return {p.row(s.y0)[s.x0], p.row(s.y0)[s.x1], p.row(s.y1)[s.x0], p.row(s.y1)[s.x1]};
}

// The covered share around a sample of a mask (black = covered).
double coverageAt(const Bitmap& mask, const Sample& s) {
    const auto w = weights(s);
    const auto n = neighbours(mask, s);
    double c = 0;
    for (int i = 0; i < 4; ++i) c += w[i] * (1 - channel(n[i], 0) / 255.0);
    return c;
}

Bitmap enlargedMask(const Bitmap& mask, int width, int height) {
    const double sx = double(width) / mask.width(), sy = double(height) / mask.height();
    Bitmap out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.row(y)[x] = coverageAt(mask, sampleAt(mask, x, y, sx, sy)) >= 0.5 ? 0 : 0xFFFFFF;
    return out;
}

// A sprite's colours mixed by coverage only, so that the black around the
// figure never darkens its edge; black where the enlarged mask is white.
Bitmap enlargedSprite(const Bitmap& picture, const Bitmap& mask, int width, int height) {
    const double sx = double(width) / picture.width(), sy = double(height) / picture.height();
    Bitmap out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Sample s = sampleAt(picture, x, y, sx, sy);
            if (coverageAt(mask, s) < 0.5) continue;
            const auto w = weights(s);
            const auto n = neighbours(picture, s);
            const auto m = neighbours(mask, s);
            double sum = 0, rgb[3] = {0, 0, 0};
            for (int i = 0; i < 4; ++i) {
                const double c = w[i] * (1 - channel(m[i], 0) / 255.0);
                sum += c;
                for (int k = 0; k < 3; ++k) rgb[k] += c * channel(n[i], 16 - 8 * k);
            }
            std::uint32_t p = 0;
            for (int k = 0; k < 3; ++k)
                p = p << 8 | static_cast<std::uint32_t>(std::lround(rgb[k] / sum));
            out.row(y)[x] = p;
        }
    return out;
}

Bitmap fromPainted(const art::TrueColourPicture& p) {
    Bitmap out(p.width, p.height);
    for (int y = 0; y < p.height; ++y)
        std::copy_n(p.pixels.begin() + std::ptrdiff_t(y) * p.width, p.width, out.row(y));
    return out;
}

}  // namespace

Bitmap PaintScaledBitmap(int id, double sx, double sy) {
    if (const auto painted = art::paintScaled(id, sx, sy)) return fromPainted(*painted);
    const Bitmap stored = LoadBitmapResource(id);
    const int w = art::scaledSize(stored.width(), sx), h = art::scaledSize(stored.height(), sy);
    if (art::spriteOfMask(id)) return enlargedMask(stored, w, h);
    if (const auto mask = art::maskOfSprite(id))
        return enlargedSprite(stored, LoadBitmapResource(*mask), w, h);
    return resampleSmooth(stored, w, h);
}

Bitmap resampleSmooth(const Bitmap& picture, int width, int height) {
    const double sx = double(width) / picture.width(), sy = double(height) / picture.height();
    Bitmap out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Sample s = sampleAt(picture, x, y, sx, sy);
            const auto w = weights(s);
            const auto n = neighbours(picture, s);
            std::uint32_t p = 0;
            for (int k = 0; k < 3; ++k) {
                double v = 0;
                for (int i = 0; i < 4; ++i) v += w[i] * channel(n[i], 16 - 8 * k);
                p = p << 8 | static_cast<std::uint32_t>(std::lround(v));
            }
            out.row(y)[x] = p;
        }
    return out;
}

Bitmap LoadScaledBitmap(int id, double sx, double sy) {
    // At most this many pixels are kept (about 200 MB); beyond it the
    // pictures are painted anew as asked for.
    constexpr std::size_t kMostKeptPixels = std::size_t(48) << 20;
    // The program paints from one thread, so the store needs no lock.
    static std::map<std::tuple<int, double, double>, Bitmap> kept;
    static std::size_t keptPixels = 0;
    const auto it = kept.find({id, sx, sy});
    if (it != kept.end()) return it->second;
    Bitmap b = PaintScaledBitmap(id, sx, sy);
    const std::size_t pixels = std::size_t(b.width()) * b.height();
    if (keptPixels + pixels > kMostKeptPixels) {
        kept.clear();
        keptPixels = 0;
    }
    kept.emplace(std::tuple{id, sx, sy}, b);
    keptPixels += pixels;
    return b;
}

}  // namespace gm::gfx
