// Blend patterns: the clouds (111-120, white dots on black mark the pixels to
// lighten) and the snowman's shadow (183, black dots on white mark the pixels
// to darken). The density of dots is the strength of the effect: highest in
// the middle of the shape, thinning out to nothing at its edge. Dots are
// scattered by a fixed noise so the blended result looks like soft speckle,
// not like a regular grid.
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
    // A flat-bottomed heap of puffs across the width: tall ones in the middle.
    std::vector<Blob> blobs;
    const int n = std::max(3, static_cast<int>(w / double(h) * 1.6));
    for (int i = 0; i < n; ++i) {
        const double u = (i + 0.5) / n;
        const double bulge = std::sin(u * M_PI);
        const double ry = 0.28 + 0.24 * bulge * rnd.range(0.7, 1.0);
        const double rx = std::max(0.12, 1.25 / n) * rnd.range(0.9, 1.3);
        blobs.push_back({0.08 + 0.84 * u + rnd.range(-0.02, 0.02), 0.98 - ry, rx * 0.85, ry});
    }
    blobs.push_back({0.5, 0.72, 0.44, 0.24});  // a body that joins the puffs
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = cloudDensity(blobs, (x + 0.5) / w, (y + 0.5) / h);
            if (d <= 0) continue;
            const double density = 0.62 * std::pow(std::min(1.0, d * 1.6), 1.3);
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
            const double u = (x + 0.5 - kW / 2.0) / (kW / 2.0), v = (y + 0.5 - kH / 2.0) / (kH / 2.0);
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
        out.push_back({id, std::to_string(id), Storage::Bits1, cloudPattern(sizes[i][0], sizes[i][1], 1100 + id)});
    }
    out.push_back({183, "183", Storage::Bits1, shadowPattern()});
}

}  // namespace gm::art
