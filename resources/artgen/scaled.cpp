#include "resources/artgen/scaled.h"

#include <algorithm>
#include <cmath>

#include "resources/artgen/paint_kit.h"
#include "resources/artgen/scaled_painters.h"
#include "resources/resource_ids.h"

namespace gm::art {

namespace {

// The scene's sprites: picture id, mask id.
constexpr int kSprites[][2] = {{131, 132}, {133, 134}, {135, 136}, {137, 138}, {141, 142},
                               {143, 144}, {151, 152}, {153, 154}, {161, 162}, {163, 164},
                               {165, 166}, {181, 182}, {201, 211}, {202, 212}, {203, 213},
                               {204, 214}, {205, 215}, {221, 222}};

// A sprite's mask from its picture: black where the figure is, white around it.
TrueColourPicture maskFrom(const ScaledSprite& s) {
    TrueColourPicture m{s.picture.width, s.picture.height, {}};
    m.pixels.reserve(s.covered.size());
    for (const std::uint8_t c : s.covered) m.pixels.push_back(c ? 0x000000u : 0xFFFFFFu);
    return m;
}

}  // namespace

Rgb colourAlong(const std::vector<Rgb>& stops, double t) {
    const double segments = double(stops.size() - 1);
    const double u = std::clamp(t, 0.0, 1.0) * segments;
    const int k = std::min(static_cast<int>(u), static_cast<int>(stops.size()) - 2);
    return blend(stops[k], stops[k + 1], u - k);
}

double dotCover(double d, double r) { return std::clamp(r + 0.5 - d, 0.0, 1.0); }

TrueColourPicture trueColours(const Picture& p) {
    const Shape& c = p.coverage();
    TrueColourPicture out{c.pixelsAcross(), c.pixelsDown(), {}};
    out.pixels.reserve(std::size_t(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.pixels.push_back(word(p.colourAtPixel(x, y)));
    return out;
}

ScaledSprite finishedSprite(Picture p) {
    Shape figure = p.coverage();
    removeSpecks(p, figure);
    const Shape& covered = p.coverage();
    ScaledSprite s{{covered.pixelsAcross(), covered.pixelsDown(), {}}, {}};
    for (int y = 0; y < covered.pixelsDown(); ++y)
        for (int x = 0; x < covered.pixelsAcross(); ++x) {
            const bool on = covered.atPixel(x, y);
            s.picture.pixels.push_back(on ? word(p.colourAtPixel(x, y)) : 0);
            s.covered.push_back(on);
        }
    return s;
}

int scaledSize(int size, double s) { return std::max(1, static_cast<int>(std::lround(size * s))); }

std::optional<int> spriteOfMask(int maskId) {
    for (const auto& [sprite, mask] : kSprites)
        if (mask == maskId) return sprite;
    return std::nullopt;
}

std::optional<int> maskOfSprite(int spriteId) {
    for (const auto& [sprite, mask] : kSprites)
        if (sprite == spriteId) return mask;
    return std::nullopt;
}

std::optional<TrueColourPicture> paintScaled(int id, double sx, double sy) {
    return paintScaledFrame(id, 0, sx, sy);
}

std::optional<TrueColourPicture> paintScaledFrame(int id, int frame, double sx, double sy) {
    if (frame != 0 && ((id != 143 && id != 144) || frame < 0 || frame > kTreeFrames))
        return std::nullopt;
    if (id >= 101 && id <= 105) return scaledStrip(id, sx, sy);
    if (id >= 121 && id <= 128) return scaledBand(id, sx, sy);
    if ((id >= 111 && id <= 120) || id == 183) return scaledPattern(id, sx, sy);
    if (id == res::kBanner) return scaledBanner(sx, sy);
    const std::optional<int> mask = spriteOfMask(id);
    const int sprite = mask.value_or(id);
    // The latest sprite painted, so that its mask comes without painting
    // it again (the scene loads a sprite's picture and its mask together).
    static struct {
        int id, frame;
        double sx, sy;
        std::optional<ScaledSprite> sprite;
    } latest{0, 0, 0, 0, std::nullopt};
    if (latest.id != sprite || latest.frame != frame || latest.sx != sx || latest.sy != sy) {
        latest = {sprite, frame, sx, sy, std::nullopt};
        if (sprite >= 131 && sprite <= 137 && sprite % 2 == 1)
            latest.sprite = scaledHill(sprite, sx, sy);
        if (sprite == 181) latest.sprite = scaledSnowman(sx, sy);
        if (sprite == 141 || sprite == 143) latest.sprite = scaledTrees(sprite, frame, sx, sy);
        if (sprite == 161 || sprite == 163) latest.sprite = scaledHouse(sprite, sx, sy);
        if (sprite == 165) latest.sprite = scaledFence(sx, sy);
        if (sprite == 151) latest.sprite = scaledTown(sx, sy);
        if (sprite == 153) latest.sprite = scaledVillage(sx, sy);
        if (sprite >= 201 && sprite <= 205) latest.sprite = scaledBird(sprite, sx, sy);
        if (sprite == 221) latest.sprite = scaledPlane(sx, sy);
    }
    if (!latest.sprite) return std::nullopt;
    return mask ? maskFrom(*latest.sprite) : latest.sprite->picture;
}

}  // namespace gm::art
