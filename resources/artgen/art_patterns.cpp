// Blend patterns: the clouds (111-120, white dots on black mark the pixels to
// lighten) and the snowman's shadow (183, black dots on white mark the pixels
// to darken). The density of dots is the strength of the effect: highest in
// the middle of the shape, thinning out to nothing at its edge. Dots are
// scattered by a fixed noise so the blended result looks like soft speckle,
// not like a regular grid.
#include <algorithm>
#include <cmath>
#include <functional>

#include "resources/artgen/art.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

struct Blob {
    double x, y, rx, ry;  // in units of the pattern's width and height
};

// Density of a cloud built from blobs: 1 deep inside, falling to 0 at the rim.
double cloudDensity(const std::vector<Blob>& blobs, double u, double v) {
    double best = 0;
    for (const Blob& b : blobs) {
        const double du = (u - b.x) / b.rx, dv = (v - b.y) / b.ry;
        best = std::max(best, 1 - (du * du + dv * dv));
    }
    return best;
}

// Round puffs side by side on a common base line, the biggest near the
// middle, all kept inside the pattern so the cloud fades out before its
// border; a low flat body joins them.
std::vector<Blob> cloudBlobs(int w, int h, std::uint64_t seed) {
    Random rnd(seed);
    std::vector<Blob> blobs;
    const double base = 0.86 * h;
    double x = 0.1 * w;
    while (x < 0.9 * w) {
        const double bulge = std::sin(x / w * M_PI);
        const double r = std::min(0.42 * h, (0.18 + 0.3 * bulge) * h * rnd.range(0.8, 1.15));
        const double cx = std::clamp(x + 0.4 * r, r + 2, w - r - 2);
        blobs.push_back({cx / w, (base - r) / h, r / w, r / h});
        x += r * rnd.range(0.9, 1.4);
    }
    blobs.push_back({0.5, (base - 0.14 * h) / h, 0.4, 0.14});
    return blobs;
}

// The share of lightened pixels at (u, v) in units of the pattern's size.
double cloudDots(const std::vector<Blob>& blobs, double u, double v) {
    const double d = cloudDensity(blobs, u, v);
    return d <= 0 ? 0 : 0.7 * std::pow(std::min(1.0, d * 1.3), 1.5);
}

constexpr int kShadowW = 157, kShadowH = 74;

// The share of darkened pixels of the shadow at (u, v) in units of its size.
double shadowDots(double u, double v) {
    const double x = 2 * u - 1, y = 2 * v - 1;
    const double d = 1 - (x * x + y * y);
    return d <= 0 ? 0 : 0.7 * std::pow(d, 0.9);
}

// Dots at a pattern's pixels, `on` where noise falls below the share.
template <class Share>
void dots(int w, int h, std::uint32_t seed, Share share, const std::function<void(int, int)>& on) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (noise(x, y, seed) < share((x + 0.5) / w, (y + 0.5) / h)) on(x, y);
}

Picture cloudPattern(int w, int h, std::uint64_t seed) {
    Picture p(w, h, {{0, 0, 0}, {255, 255, 255}});
    const std::vector<Blob> blobs = cloudBlobs(w, h, seed);
    dots(
        w, h, std::uint32_t(seed), [&](double u, double v) { return cloudDots(blobs, u, v); },
        [&](int x, int y) { p.set(x, y, 1); });
    return p;
}

Picture shadowPattern() {
    Picture p(kShadowW, kShadowH, {{0, 0, 0}, {255, 255, 255}});
    p.fill(p.whole(), 1);
    dots(kShadowW, kShadowH, 183, shadowDots, [&](int x, int y) { p.set(x, y, 0); });
    return p;
}

const int kCloudSizes[10][2] = {{441, 17}, {179, 23}, {185, 33}, {181, 31}, {329, 27},
                                {221, 69}, {187, 33}, {269, 79}, {169, 63}, {155, 87}};

}  // namespace

// A pattern at a scale: the same shape of density, the dots one physical
// pixel each, so that the blend comes out as fine as the screen.
TrueColourPicture scaledPattern(int id, double sx, double sy) {
    const bool shadow = id == 183;
    const int w = shadow ? kShadowW : kCloudSizes[id - 111][0];
    const int h = shadow ? kShadowH : kCloudSizes[id - 111][1];
    TrueColourPicture p{scaledSize(w, sx), scaledSize(h, sy), {}};
    p.pixels.assign(std::size_t(p.width) * p.height, shadow ? 0xFFFFFFu : 0u);
    const std::vector<Blob> blobs = shadow ? std::vector<Blob>{} : cloudBlobs(w, h, 1100 + id);
    const auto share = [&](double u, double v) {
        return shadow ? shadowDots(u, v) : cloudDots(blobs, u, v);
    };
    dots(p.width, p.height, std::uint32_t(shadow ? 183 : 1100 + id), share,
         [&](int x, int y) { p.pixels[std::size_t(y) * p.width + x] ^= 0xFFFFFFu; });
    return p;
}

void paintPatterns(std::vector<Artwork>& out) {
    for (int i = 0; i < 10; ++i) {
        const int id = 111 + i;
        out.push_back({id, std::to_string(id), Storage::Bits1,
                       cloudPattern(kCloudSizes[i][0], kCloudSizes[i][1], 1100 + id)});
    }
    out.push_back({183, "183", Storage::Bits1, shadowPattern()});
}

}  // namespace gm::art
