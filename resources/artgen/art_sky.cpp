// Sky gradient strips (101-105) and sky bands (121-128).
//
// A strip holds its sky type's top colour flat over its upper rows, then
// brightens to near-white by row 320 and stays near-white to the bottom. A
// band is light at its top and ends in exactly that top colour, so a band
// laid over the strip meets it without a seam. The evening sky (type 5) has
// no bands and borrows those of type 3, so both strips share their top
// colour. Bands repeat seamlessly from
// their right edge to their left, because the animation scrolls them.
#include <algorithm>
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

constexpr int kStripW = 20, kStripH = 480;
constexpr int kBandW = 738, kBandH = 119;
constexpr int kFlatRows = kStripFlatRows;
constexpr int kNearWhiteRow = kStripNearWhiteRow;
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
double stripTone(double y) {
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

// The band's palette: its background ramp from light to the strip's top
// colour, then the cloud colours.
struct BandColours {
    Rgb light, top, underside, shade, body, white;
    explicit BandColours(const SkyType& sky)
        : light(mix(sky.stops[0], {255, 255, 255}, 0.55)),
          top(sky.stops[0]),
          underside(mix(top, {255, 255, 255}, 0.45)),
          shade(mix(top, {236, 236, 246}, 0.55)),
          body(mix(top, {255, 255, 255}, 0.8)),
          white({255, 255, 255}) {}
};

// Background tone of band row y: 0 = light, 1 = the strip's top colour.
double bandTone(double y) { return std::min(1.0, std::pow(y / (kBandH - kBandClearRows), 0.8)); }

// Clouds: rows of overlapping puffs, flat-bottomed, in the upper part.
std::vector<Puff> bandPuffs(Random& rnd) {
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
    return puffs;
}

// How deep inside the puffs the point (x, y) lies (0 or less: outside), and
// its depth from the top of the puff it lies deepest in (0 at its top).
std::pair<double, double> insidePuffs(const std::vector<Puff>& puffs, double x, double y) {
    double inside = 0, depth = 0;
    for (const Puff& f : puffs) {
        const double u = wrapDx(x, f.x) / f.rx, v = (y - f.y) / f.ry;
        const double d = 1 - (u * u + v * v);
        if (d > inside) {
            inside = d;
            depth = (y - (f.y - f.ry)) / (2 * f.ry);
        }
    }
    return {inside, depth};
}

Picture skyBand(const SkyType& sky, std::uint64_t seed) {
    const BandColours c(sky);
    std::vector<Rgb> pal = gradientColours({c.light, c.top}, 9);  // 0-8, 8 = the strip's top colour
    pal.insert(pal.end(), {c.underside, c.shade, c.body, c.white});  // 9-12
    Picture p(kBandW, kBandH, pal);
    p.ramp(p.whole(), {0, 1, 2, 3, 4, 5, 6, 7, 8}, [](int, int y) { return bandTone(y); });

    Random rnd(seed);
    const std::vector<Puff> puffs = bandPuffs(rnd);
    const double baseLimit = kBandH - kBandClearRows;
    for (int y = 0; y < kBandH - kBandClearRows; ++y)
        for (int x = 0; x < kBandW; ++x) {
            const auto [inside, depth] = insidePuffs(puffs, x + 0.5, y + 0.5);
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

// The strip at a scale: every row one colour, the ramp's colour at the
// row's own tone, but never more than one level from the row above, so
// that no step shows; where the ramp is steeper than that (the peach sky
// below 2.2 times its size), the rows follow it as fast as they may and
// meet it again where it flattens.
TrueColourPicture scaledStrip(int id, double sx, double sy) {
    const SkyType& sky = kSkies[id - 101];
    TrueColourPicture p{scaledSize(kStripW, sx), scaledSize(kStripH, sy), {}};
    const double ky = double(p.height) / kStripH;
    Rgb last = colourAlong(sky.stops, 0);
    for (int y = 0; y < p.height; ++y) {
        const Rgb want = colourAlong(sky.stops, stripTone((y + 0.5) / ky - 0.5));
        const auto follow = [](std::uint8_t from, std::uint8_t to) {
            return std::uint8_t(std::clamp(int(to), from - 1, from + 1));
        };
        last = {follow(last.r, want.r), follow(last.g, want.g), follow(last.b, want.b)};
        p.pixels.insert(p.pixels.end(), p.width, word(last));
    }
    return p;
}

// The band at a scale: the same clouds and specks from the same draws, the
// background and the clouds shaded smoothly, the clouds' rims soft.
TrueColourPicture scaledBand(int id, double sx, double sy) {
    const int type = (id - 121) / 2;
    const BandColours c(kSkies[type]);
    TrueColourPicture p{scaledSize(kBandW, sx), scaledSize(kBandH, sy), {}};
    // Exact pixels per band pixel, so that the band wraps at its width.
    const double kx = double(p.width) / kBandW, ky = double(p.height) / kBandH;
    Random rnd(7000 + id);
    const std::vector<Puff> puffs = bandPuffs(rnd);
    const std::vector<Rgb> cloudTones = {c.white, c.body, c.shade, c.underside};
    const double clearFrom = kBandH - kBandClearRows - 4;
    p.pixels.resize(std::size_t(p.width) * p.height);
    std::vector<Puff> crossing;  // the puffs that reach the row
    for (int y = 0; y < p.height; ++y) {
        const double by = (y + 0.5) / ky;
        const Rgb ground = blend(c.light, c.top, bandTone(by - 0.5));
        crossing.clear();
        for (const Puff& f : puffs)
            if (std::fabs(by - f.y) < f.ry) crossing.push_back(f);
        for (int x = 0; x < p.width; ++x) {
            Rgb colour = ground;
            const auto [inside, depth] = insidePuffs(crossing, (x + 0.5) / kx, by);
            if (inside > 0 && by - 0.5 <= clearFrom)
                colour = blend(ground, colourAlong(cloudTones, depth), std::min(1.0, inside * 3.2));
            p.pixels[std::size_t(y) * p.width + x] = word(colour);
        }
    }
    // The specks: soft round dots of one band pixel, two for the larger.
    for (int i = 0; i < 220; ++i) {
        const int x = rnd.integer(0, kBandW - 1);
        const int y = rnd.integer(1, kBandH - kBandClearRows - 3);
        const bool large = rnd.uniform() < 0.3;
        const double cx = (x + (large ? 1.0 : 0.5)) * kx, cy = (y + (large ? 1.0 : 0.5)) * ky;
        const double r = (large ? 1.0 : 0.5) * ky;
        for (int py = int(cy - r - 1); py <= int(cy + r + 1); ++py)
            for (int px = int(cx - r - 1); px <= int(cx + r + 1); ++px) {
                if (py < 0 || py >= p.height) continue;
                const int wx = (px % p.width + p.width) % p.width;
                const double a = dotCover(std::hypot(px + 0.5 - cx, py + 0.5 - cy), r);
                std::uint32_t& w = p.pixels[std::size_t(py) * p.width + wx];
                if (a > 0) w = word(blend(rgbOf(w), c.white, a));
            }
    }
    return p;
}

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
