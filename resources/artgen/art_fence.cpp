// The rail fence (165/166, 400 x 28): weathered posts with pointed tops and
// two split rails, snow heaped on the post tops and along the rails, the
// posts' feet buried in a drift.
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/paint_kit.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

constexpr int kW = 400, kH = 28;

enum : std::uint8_t {
    kOutline = 1,
    kWoodDark,
    kWood,
    kWoodLight,
    kGrain,
    kSnowWhite,
    kSnowMid,
    kSnowShade,
    kSnowOutline
};
const std::vector<Rgb> kPalette = {
    {0, 0, 0},     {46, 30, 22},    {96, 62, 38},    {142, 96, 58},   {186, 138, 88},
    {118, 78, 48}, {252, 253, 255}, {214, 228, 246}, {160, 184, 226}, {98, 118, 164},
};
const SnowColours kSnow{kSnowWhite, kSnowMid, kSnowShade, kSnowOutline};

Picture fence() {
    Picture p(kW, kH, kPalette);
    const int w = kW, h = kH;
    Shape figure(w, h);
    Random rnd(165);
    // Rails first: they run behind the posts, sagging a little between them.
    for (const int railY : {9, 18}) {
        std::vector<Pt> top, bottom;
        for (int x = -2; x <= kW + 2; x += 4) {
            const double sag = 0.8 * std::sin(x * M_PI / 48.0) + 0.4 * std::sin(x * 0.11);
            top.push_back({double(x), railY + sag});
            bottom.push_back({double(x), railY + 4 + sag});
        }
        std::vector<Pt> outline = top;
        outline.insert(outline.end(), bottom.rbegin(), bottom.rend());
        const Shape rail = polygon(w, h, outline);
        p.ramp(rail, {kWoodLight, kWood, kWoodDark},
               [&](double, double y) { return std::round((y - railY + 0.5) / 4.5 * 2) / 2; });
        for (int x = 0; x < kW; x += rnd.integer(7, 15))
            p.fill(rail & rect(w, h, x, 0, x + rnd.integer(2, 5), h) &
                       rail.rim(0, 1, 2).shifted(0, -1),
                   kGrain);
        figure |= rail;
        figure |= snowOn(p, rail | rail.shifted(0, -2), 4, kSnow, 1650 + railY);
    }
    // Posts every 48 pixels, each a little different.
    for (int x = 6; x < kW; x += 48) {
        const int px = x + rnd.integer(-2, 2);
        const int top = rnd.integer(3, 5);
        const Shape post = polygon(w, h,
                                   {{px - 3.0, double(h)},
                                    {px - 3.0, top + 3.0},
                                    {px + 0.5, double(top)},
                                    {px + 4.0, top + 3.0},
                                    {px + 4.0, double(h)}});
        p.ramp(post, {kWoodLight, kWood, kWoodDark},
               [&](double xx, double) { return std::round((xx - px + 3.5) / 7.0 * 2) / 2; });
        p.fill(post & rect(w, h, px, top + 6, px + 1, h - 4), kGrain);
        figure |= post;
        figure |= snowOn(p, post | ellipse(w, h, px + 0.5, top, 5, 3), 4, kSnow, 1660 + x);
    }
    // A drift along the foot.
    Shape drift = fromCurveDown(w, h, [](double x) {
        return 24 + 1.2 * std::sin(x * 0.05) + 0.8 * std::sin(x * 0.13 + 1);
    });
    drift &= figure.grown(3);
    p.ramp(drift, {kSnowWhite, kSnowMid, kSnowShade},
           [](double, double y) { return (y - 23) / 5.0; });
    figure |= drift;
    outlineFigure(p, figure, kOutline, kSnowOutline, {kSnowWhite, kSnowMid, kSnowShade});
    return p;
}

}  // namespace

ScaledSprite scaledFence(double sx, double sy) { return paintedAt(sx, sy, fence); }

void paintFence(std::vector<Artwork>& out) { addSprite(out, 165, 166, Storage::Bits4Rle, fence()); }

}  // namespace gm::art
