// The preview picture (256 x 192, 256 colours): a typical scene put
// together from the saver's own bitmaps at the scene's 640 x 480, then
// reduced by area averaging and reduced to one palette by median cut. It
// shows the snowman on a snowy shore with fir trees and the sea behind,
// falling snow, a bird in the sky, date and time at the lower left and the
// banner at the lower right.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

#include "resources/artgen/art.h"
#include "resources/artgen/pixel_font.h"
#include "resources/resource_ids.h"

namespace gm::art {
namespace {

constexpr int kSceneW = 640, kSceneH = 480;
constexpr int kPreviewW = 256, kPreviewH = 192;

struct Canvas {
    std::vector<Rgb> px = std::vector<Rgb>(std::size_t(kSceneW) * kSceneH);
    Rgb& at(int x, int y) { return px[std::size_t(y) * kSceneW + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < kSceneW && y < kSceneH; }
};

const Picture& find(const std::vector<Artwork>& art, int id) {
    for (const Artwork& a : art)
        if (a.id == id) return a.picture;
    throw std::runtime_error("preview needs picture " + std::to_string(id));
}

// Draws the source rectangle stretched to the destination, nearest pixel;
// with `masked`, only the sprite's covered pixels.
void draw(Canvas& c, const Picture& p, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
          int sh, bool masked) {
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            const int px = sx + x * sw / dw, py = sy + y * sh / dh;
            if (!c.inside(dx + x, dy + y) || (masked && !p.coverage().at(px, py))) continue;
            c.at(dx + x, dy + y) = p.rgbAt(px, py);
        }
}

void composeScene(Canvas& c, const std::vector<Artwork>& art) {
    const Picture& strip = find(art, 103);
    for (int y = 0; y < kSceneH; ++y)
        for (int x = 0; x < kSceneW; ++x) c.at(x, y) = strip.rgbAt(x % 20, y);
    const Picture& band = find(art, 125);
    draw(c, band, 0, 0, kSceneW, 119, 0, 0, 640, 119, false);
    // The sea below the horizon, darker towards its lower edge, with a few
    // glints on the water; then the snow field.
    constexpr int kHorizon = 236, kSeaH = 36, kLine = 3;
    for (int k = 1; k <= kSeaH / kLine; ++k) {
        const Rgb col{std::uint8_t(40 + 7 * k), std::uint8_t(72 + 8 * k),
                      std::uint8_t(140 + 6 * k)};
        for (int y = kHorizon + kSeaH - kLine * k; y < kHorizon + kSeaH - kLine * (k - 1); ++y)
            for (int x = 0; x < kSceneW; ++x) c.at(x, y) = col;
    }
    Random glints(236);
    for (int i = 0; i < 40; ++i) {
        const int x = glints.integer(0, kSceneW - 20),
                  y = glints.integer(kHorizon + 2, kHorizon + kSeaH - 4);
        for (int k = 0; k < glints.integer(6, 18); ++k) c.at(x + k, y) = {226, 238, 255};
    }
    for (int x = 0; x < kSceneW; ++x) c.at(x, kHorizon - 1) = {242, 248, 255};
    draw(c, strip, 0, kHorizon + kSeaH - 2, kSceneW, kSceneH - kHorizon - kSeaH + 2, 0, 310, 20,
         170, false);
    // Hills, trees, a fence.
    draw(c, find(art, 133), 0, 262, 640, 50, 0, 0, 640, 100, true);
    draw(c, find(art, 141), 330, 262, 200, 50, 0, 50, 200, 50, true);
    draw(c, find(art, 137), -200, 300, 640, 40, 0, 0, 640, 100, true);
    draw(c, find(art, 143), -30, 210, 190, 190, 0, 300, 100, 100, true);
    draw(c, find(art, 143), 500, 230, 130, 160, 0, 0, 100, 100, true);
    draw(c, find(art, 165), -160, 404, 400, 28, 0, 0, 400, 28, true);
    draw(c, find(art, 135), 0, 410, 640, 70, 0, 0, 640, 100, true);
    // The snowman's shadow, then the snowman.
    const Picture& shadow = find(art, 183);
    for (int y = 0; y < shadow.height(); ++y)
        for (int x = 0; x < shadow.width(); ++x)
            if (shadow.at(x, y) == 0 && c.inside(375 + x, 408 + y)) {
                Rgb& p = c.at(375 + x, 408 + y);
                p = mix(p, {60, 70, 110}, 0.35);
            }
    draw(c, find(art, 181), 300, 168, 285, 300, 0, 0, 285, 300, true);
    // A bird in the sky and falling snow.
    draw(c, find(art, 203), 420, 70, 79, 65, 0, 65, 79, 65, true);
    Random rnd(302);
    for (int i = 0; i < 170; ++i) {
        const int x = rnd.integer(0, kSceneW - 1), y = rnd.integer(0, kSceneH - 1),
                  s = rnd.integer(2, 4);
        for (int yy = 0; yy < s; ++yy)
            for (int xx = 0; xx < s; ++xx)
                if (c.inside(x + xx, y + yy) &&
                    !((xx == 0 || xx == s - 1) && (yy == 0 || yy == s - 1) && s > 2))
                    c.at(x + xx, y + yy) = {255, 255, 255};
    }
    // Date and time at the lower left, the banner at the lower right.
    const Shape clock = textShape(kSceneW, kSceneH, "24.12.2026  18:30", 8, 452, 2);
    for (int y = 0; y < kSceneH; ++y)
        for (int x = 0; x < kSceneW; ++x)
            if (clock.at(x, y)) c.at(x, y) = {0, 0, 128};
    const Picture& banner = find(art, res::kBanner);
    draw(c, banner, kSceneW - banner.width(), kSceneH - banner.height(), banner.width(),
         banner.height(), 0, 0, banner.width(), banner.height(), false);
}

// Area-averaging reduction from the scene to the preview size.
std::vector<Rgb> reduce(Canvas& c) {
    std::vector<Rgb> out(std::size_t(kPreviewW) * kPreviewH);
    const double fx = double(kSceneW) / kPreviewW, fy = double(kSceneH) / kPreviewH;
    for (int y = 0; y < kPreviewH; ++y)
        for (int x = 0; x < kPreviewW; ++x) {
            double r = 0, g = 0, b = 0, total = 0;
            for (int sy = int(y * fy); sy < std::ceil((y + 1) * fy); ++sy)
                for (int sx = int(x * fx); sx < std::ceil((x + 1) * fx); ++sx) {
                    const double wx =
                        std::min(sx + 1.0, (x + 1) * fx) - std::max(double(sx), x * fx);
                    const double wy =
                        std::min(sy + 1.0, (y + 1) * fy) - std::max(double(sy), y * fy);
                    const Rgb p = c.at(sx, sy);
                    r += p.r * wx * wy, g += p.g * wx * wy, b += p.b * wx * wy, total += wx * wy;
                }
            out[std::size_t(y) * kPreviewW + x] = {std::uint8_t(std::lround(r / total)),
                                                   std::uint8_t(std::lround(g / total)),
                                                   std::uint8_t(std::lround(b / total))};
        }
    return out;
}

// Median cut: split the box with the widest channel range at its median
// until there are 256 boxes; each box's mean is a palette colour.
std::vector<Rgb> medianCut(std::vector<Rgb> pixels, std::size_t colours) {
    struct Box {
        std::vector<Rgb> px;
        int range(int& channel) const {
            int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
            for (const Rgb& p : px) {
                const int v[3] = {p.r, p.g, p.b};
                for (int k = 0; k < 3; ++k)
                    lo[k] = std::min(lo[k], v[k]), hi[k] = std::max(hi[k], v[k]);
            }
            channel = 0;
            for (int k = 1; k < 3; ++k)
                if (hi[k] - lo[k] > hi[channel] - lo[channel]) channel = k;
            return hi[channel] - lo[channel];
        }
    };
    std::vector<Box> boxes{{std::move(pixels)}};
    while (boxes.size() < colours) {
        int best = -1, bestRange = 0, bestChannel = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            int channel;
            const int r = boxes[i].range(channel);
            if (r > bestRange && boxes[i].px.size() > 1)
                best = int(i), bestRange = r, bestChannel = channel;
        }
        if (best < 0) break;
        auto& px = boxes[best].px;
        auto key = [bestChannel](const Rgb& p) {
            return bestChannel == 0 ? p.r : bestChannel == 1 ? p.g : p.b;
        };
        std::sort(px.begin(), px.end(), [&](const Rgb& a, const Rgb& b) {
            return key(a) != key(b) ? key(a) < key(b)
                                    : std::tie(a.r, a.g, a.b) < std::tie(b.r, b.g, b.b);
        });
        Box upper{std::vector<Rgb>(px.begin() + px.size() / 2, px.end())};
        px.resize(px.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb> palette;
    for (const Box& b : boxes) {
        double r = 0, g = 0, bl = 0;
        for (const Rgb& p : b.px) r += p.r, g += p.g, bl += p.b;
        const double n = double(b.px.size());
        palette.push_back({std::uint8_t(std::lround(r / n)), std::uint8_t(std::lround(g / n)),
                           std::uint8_t(std::lround(bl / n))});
    }
    return palette;
}

std::uint8_t nearest(const std::vector<Rgb>& palette, Rgb c) {
    int best = 0, bestD = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestD) best = int(i), bestD = d;
    }
    return std::uint8_t(best);
}

}  // namespace

void paintPreview(std::vector<Artwork>& out) {
    Canvas scene;
    composeScene(scene, out);
    const std::vector<Rgb> small = reduce(scene);
    const std::vector<Rgb> palette = medianCut(small, 256);
    Picture p(kPreviewW, kPreviewH, palette);
    for (int y = 0; y < kPreviewH; ++y)
        for (int x = 0; x < kPreviewW; ++x)
            p.set(x, y, nearest(palette, small[std::size_t(y) * kPreviewW + x]));
    out.push_back({res::kPreview, "preview", Storage::Bits8, p});
}

}  // namespace gm::art
