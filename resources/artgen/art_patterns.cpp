// Blend patterns: the clouds (111-120, white dots on black mark the pixels to
// lighten) and the snowman's shadow (183, black dots on white mark the pixels
// to darken). The density of dots is the strength of the effect: highest in
// the middle of the shape, thinning out to nothing at its edge. Dots are
// scattered by a fixed noise so the blended result looks like soft speckle,
// not like a regular grid.
#include <algorithm>
#include <cmath>

#include "resources/artgen/art.h"

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

Picture cloudPattern(int w, int h, std::uint64_t seed) {
    Picture p(w, h, {{0, 0, 0}, {255, 255, 255}});
    Random rnd(seed);
    // Round puffs side by side on a common base line, the biggest near the
    // middle, all kept inside the pattern so the cloud fades out before its
    // border; a low flat body joins them.
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
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = cloudDensity(blobs, (x + 0.5) / w, (y + 0.5) / h);
            if (d <= 0) continue;
            const double density = 0.7 * std::pow(std::min(1.0, d * 1.3), 1.5);
            if (noise(x, y, std::uint32_t(seed)) < density) p.set(x, y, 1);
        }
    return p;
}

Picture shadowPattern() {
    constexpr int kW = 157, kH = 74;
    Picture p(kW, kH, {{0, 0, 0}, {255, 255, 255}});
    p.fill(p.whole(), 1);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double u = (x + 0.5 - kW / 2.0) / (kW / 2.0),
                         v = (y + 0.5 - kH / 2.0) / (kH / 2.0);
            const double d = 1 - (u * u + v * v);
            if (d <= 0) continue;
            if (noise(x, y, 183) < 0.7 * std::pow(d, 0.9)) p.set(x, y, 0);
        }
    return p;
}

}  // namespace

void paintPatterns(std::vector<Artwork>& out) {
    const int sizes[10][2] = {{441, 17}, {179, 23}, {185, 33}, {181, 31}, {329, 27},
                              {221, 69}, {187, 33}, {269, 79}, {169, 63}, {155, 87}};
    for (int i = 0; i < 10; ++i) {
        const int id = 111 + i;
        out.push_back({id, std::to_string(id), Storage::Bits1,
                       cloudPattern(sizes[i][0], sizes[i][1], 1100 + id)});
    }
    out.push_back({183, "183", Storage::Bits1, shadowPattern()});
}

}  // namespace gm::art
