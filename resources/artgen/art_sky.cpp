// Sky gradient strips (101-105) and sky bands (121-128).
//
// A strip holds its sky type's top colour flat over its upper rows, then
// brightens to near-white by row 320 and stays near-white to the bottom. A
// band is light at its top and ends in exactly that top colour, so a band
// laid over the strip meets it without a seam. The evening sky (type 5) has
// no bands and borrows those of type 3, so both strips share their top
// colour. Bands repeat seamlessly from
// their right edge to their left, because the animation scrolls them.
#include <cmath>

#include "resources/artgen/art.h"

namespace gm::art {
namespace {

constexpr int kStripW = 20, kStripH = 480;
constexpr int kBandW = 738, kBandH = 119;
constexpr int kFlatRows =
    124;  // the strip keeps its top colour below the band's lower edge (row 119)
constexpr int kNearWhiteRow = 320;
constexpr int kBandClearRows = 14;  // clouds and specks keep off the band's lowest rows

struct SkyType {
    std::vector<Rgb> stops;  // top colour first, near-white last
};

const SkyType kSkies[5] = {
    {{{150, 190, 232}, {196, 222, 244}, {238, 245, 252}, {250, 252, 255}}},  // pale blue
    {{{34, 62, 148}, {92, 132, 204}, {200, 220, 244}, {246, 249, 255}}},     // deep blue
    {{{66, 96, 176}, {150, 132, 200}, {224, 178, 214}, {250, 240, 246}}},    // blue, lilac, pink
    {{{40, 150, 172}, {112, 200, 206}, {206, 240, 236}, {248, 254, 252}}},   // turquoise
    {{{66, 96, 176},
      {170, 150, 190},
      {246, 180, 148},
      {255, 236, 218},
      {255, 248, 240}}},  // blue to peach
};

// Position along the ramp of the strip's row y: 0 = top colour, 1 = near-white.
double stripTone(int y) {
    if (y < kFlatRows) return 0.0;
    if (y < kNearWhiteRow) {
        const double t = double(y - kFlatRows) / (kNearWhiteRow - kFlatRows);
        return 0.88 * (1 - std::pow(1 - t, 1.6));
    }
    return 0.88 + 0.12 * (y - kNearWhiteRow) / double(kStripH - 1 - kNearWhiteRow);
}

// Every row is one colour: the scene stretches the strip sideways into wide
// tiles, which would turn a dither across the width into short dashes.
// Neighbouring colours of the ramp mix from row to row instead, by the first
// column of the ordered-dither matrix.
Picture gradientStrip(const SkyType& sky) {
    constexpr int kColours = 16;
    Picture p(kStripW, kStripH, gradientColours(sky.stops, kColours));
    for (int y = 0; y < kStripH; ++y) {
        const double t = stripTone(y) * (kColours - 1);
        const int lo = static_cast<int>(t);
        const int index = std::min(kColours - 1, lo + ((t - lo) > bayer(0, y) ? 1 : 0));
        p.fill(rect(kStripW, kStripH, 0, y, kStripW, y + 1), std::uint8_t(index));
    }
    return p;
}

// Horizontal distance on the band's circle of width kBandW.
double wrapDx(double a, double b) {
    double d = std::fmod(std::fabs(a - b), double(kBandW));
    return std::min(d, kBandW - d);
}

struct Puff {
    double x, y, rx, ry;
};

Picture skyBand(const SkyType& sky, std::uint64_t seed) {
    const Rgb top = sky.stops[0];
    const Rgb light = mix(top, {255, 255, 255}, 0.55);
    std::vector<Rgb> pal = gradientColours({light, top}, 9);  // 0-8, 8 = the strip's top colour
    const Rgb cloudShade = mix(top, {236, 236, 246}, 0.55);
    pal.push_back(mix(top, {255, 255, 255}, 0.45));  // 9: cloud underside
    pal.push_back(cloudShade);                       // 10
    pal.push_back(mix(top, {255, 255, 255}, 0.8));   // 11: cloud body
    pal.push_back({255, 255, 255});                  // 12: cloud tops and specks
    Picture p(kBandW, kBandH, pal);
    p.ramp(p.whole(), {0, 1, 2, 3, 4, 5, 6, 7, 8}, [](int, int y) {
        return std::min(1.0, std::pow(double(y) / (kBandH - kBandClearRows), 0.8));
    });

    // Clouds: rows of overlapping puffs, flat-bottomed, in the upper part.
    Random rnd(seed);
    std::vector<Puff> puffs;
    const int clouds = rnd.integer(5, 7);
    for (int c = 0; c < clouds; ++c) {
        const double cx = (c + rnd.range(0.1, 0.7)) * kBandW / clouds;
        const double base = rnd.range(34, 78);
        const double len = rnd.range(70, 150);
        const int n = rnd.integer(4, 7);
        for (int i = 0; i < n; ++i) {
            const double u = (i + 0.5) / n;
            const double r = (0.45 + 0.55 * std::sin(u * M_PI)) * rnd.range(13, 22);
            puffs.push_back(
                {cx - len / 2 + u * len + rnd.range(-6, 6), base - r * 0.55, r * 1.35, r});
        }
        puffs.push_back({cx, base - 4, len * 0.62, 7});  // the flat base that joins the puffs
    }
    const double baseLimit = kBandH - kBandClearRows;
    for (int y = 0; y < kBandH - kBandClearRows; ++y)
        for (int x = 0; x < kBandW; ++x) {
            double inside = 0, depth = 0;
            for (const Puff& f : puffs) {
                const double u = wrapDx(x + 0.5, f.x) / f.rx, v = (y + 0.5 - f.y) / f.ry;
                const double d = 1 - (u * u + v * v);
                if (d > inside) {
                    inside = d;
                    depth = (y + 0.5 - (f.y - f.ry)) / (2 * f.ry);  // 0 at the puff's top
                }
            }
            if (inside <= 0 || y > baseLimit - 4) continue;
            const double edge = std::min(1.0, inside * 3.2);  // soft, dithered rim
            if (edge < bayer(x, y)) continue;
            const std::uint8_t tones[4] = {12, 11, 10, 9};
            const double t = std::clamp(depth + 0.18 * (bayer(x + 3, y + 5) - 0.5), 0.0, 0.999);
            p.set(x, y, tones[static_cast<int>(t * 4)]);
        }

    // Small white specks of falling snow.
    for (int i = 0; i < 220; ++i) {
        const int x = rnd.integer(0, kBandW - 1);
        const int y = rnd.integer(1, kBandH - kBandClearRows - 3);
        p.set(x, y, 12);
        if (rnd.uniform() < 0.3) {  // a few larger, cross-shaped flakes
            p.set((x + 1) % kBandW, y, 12);
            p.set(x, y + 1, 12);
            p.set((x + 1) % kBandW, y + 1, 12);
        }
    }
    return p;
}

}  // namespace

void paintSky(std::vector<Artwork>& out) {
    for (int s = 0; s < 5; ++s)
        out.push_back({101 + s, std::to_string(101 + s), Storage::Bits4, gradientStrip(kSkies[s])});
    for (int s = 0; s < 4; ++s)
        for (int k = 0; k < 2; ++k) {
            const int id = 121 + 2 * s + k;
            out.push_back(
                {id, std::to_string(id), Storage::Bits4Rle, skyBand(kSkies[s], 7000 + id)});
        }
}

}  // namespace gm::art
