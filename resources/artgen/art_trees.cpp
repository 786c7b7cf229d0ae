// Fir trees (143/144: five 100 x 100 frames, three single trees and two
// pairs) and forest strips (141/142: five 200 x 50 strips of small firs on a
// snow bank, each with its own number and spacing of trees).
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/fir.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

enum : std::uint8_t {
    kOutline = 1,
    kDeepGreen,
    kGreen,
    kLightGreen,
    kTrunkDark,
    kTrunk,
    kSnowOutline,
    kSnowShade,
    kSnowMid,
    kSnowWhite,
};

const std::vector<Rgb> kPalette = {
    {0, 0, 0},     {18, 42, 40},   {26, 74, 54},    {44, 112, 68},   {96, 156, 84},   {62, 36, 24},
    {116, 72, 40}, {92, 116, 164}, {164, 188, 226}, {214, 228, 246}, {252, 253, 255},
};

const FirColours kFir{kOutline, kDeepGreen,   kGreen,     kLightGreen, kTrunkDark,
                      kTrunk,   kSnowOutline, kSnowShade, kSnowMid,    kSnowWhite};
// Trees further back, in the shade of the front row: darker greens and snow.
const FirColours kFirBehind{kOutline,   kDeepGreen,   kDeepGreen, kGreen,     kTrunkDark,
                            kTrunkDark, kSnowOutline, kSnowShade, kSnowShade, kSnowMid};

constexpr int kTreeFrame = 100;

// Frame f (1 to 5) of the tree sheet.
Picture treeFrame(int f) {
    static const std::vector<std::vector<Fir>> frames = {
        {{50, 100, 97, 74, 5, 1431}},                              // a classic tree
        {{50, 100, 96, 94, 4, 1432}},                              // broad and bushy
        {{50, 100, 98, 58, 6, 1433}},                              // tall and slim
        {{33, 100, 96, 62, 5, 1434}, {72, 100, 66, 48, 4, 1435}},  // a pair, the small one in front
        {{68, 100, 94, 60, 5, 1436}, {28, 100, 72, 50, 4, 1437}},  // a pair the other way round
    };
    Picture frame(kTreeFrame, kTreeFrame, kPalette);
    for (const Fir& fir : frames[std::size_t(f - 1)]) paintFir(frame, kFir, fir);
    return frame;
}

Picture treeSheet() {
    Picture sheet(kTreeFrame, kTreeFrames * kTreeFrame, kPalette);
    for (int f = 1; f <= kTreeFrames; ++f) sheet.paste(treeFrame(f), 0, (f - 1) * kTreeFrame);
    return sheet;
}

// One forest strip: trees of varied heights on a snow bank.
Picture forestStrip(int trees, int treesBehind, double minH, double maxH, std::uint32_t seed) {
    constexpr int kW = 200, kH = 50;
    Picture p(kW, kH, kPalette);
    const double top = 0;
    const double bankTop = top + kH - 7;
    Random rnd(seed);
    // Trees from the back (higher up, smaller) to the front.
    for (int i = 0; i < treesBehind; ++i) {  // a back row, closing the gaps
        const double x = (i + rnd.range(0.2, 0.8)) * kW / treesBehind;
        const double h = rnd.range(minH * 0.7, maxH * 0.8);
        paintFir(p, kFirBehind,
                 {x, bankTop, h, h * rnd.range(0.55, 0.7), 3, seed * 29 + std::uint32_t(i)});
    }
    struct Spot {
        double x, h;
    };
    std::vector<Spot> spots;
    for (int i = 0; i < trees; ++i) {
        const double x = (i + rnd.range(0.15, 0.85)) * kW / trees;
        spots.push_back({x, rnd.range(minH, maxH)});
    }
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = pass; i < spots.size(); i += 2) {
            const double h = spots[i].h * (pass == 0 ? 1.0 : 0.85);
            const double base = bankTop + 3 + (pass == 0 ? 0 : 2);
            paintFir(p, kFir,
                     {spots[i].x, base, h, h * rnd.range(0.55, 0.7), h > 36 ? 4 : 3,
                      seed * 17 + std::uint32_t(i)});
        }
    // The snow bank in front, a wavy drift across the whole strip.
    // Each column from the first row at or below the drift's line (taken at
    // the column's left edge) down.
    const Shape bank = below(p.width(), p.height(), [&](double centre) {
        const double x = centre - 0.5;
        return bankTop + 1.6 * std::sin(x * 0.07 + seed) + 1.2 * std::sin(x * 0.19 + 2 * seed) +
               0.5;
    });
    p.ramp(bank, {kSnowWhite, kSnowMid, kSnowShade},
           [&](double, double y) { return (y - bankTop) / 6.0 + 0.1; });
    p.fill(bank.rim(0, -1, 1), kSnowOutline);
    p.fill(bank.rim(0, -1, 2) - bank.rim(0, -1, 1), kSnowWhite);
    return p;
}

Picture forestSheet() {
    Picture sheet(200, 250, kPalette);
    sheet.paste(forestStrip(13, 0, 30, 43, 1411), 0, 0);     // evenly spaced
    sheet.paste(forestStrip(19, 16, 24, 43, 1412), 0, 50);   // a dense wood
    sheet.paste(forestStrip(8, 0, 34, 43, 1413), 0, 100);    // sparse and tall
    sheet.paste(forestStrip(15, 12, 22, 36, 1414), 0, 150);  // low and even
    sheet.paste(forestStrip(11, 7, 26, 43, 1415), 0, 200);   // ragged
    return sheet;
}

}  // namespace

ScaledSprite scaledTrees(int id, int frame, double sx, double sy) {
    if (frame > 0) return paintedAt(sx, sy, [frame] { return treeFrame(frame); });
    return paintedAt(sx, sy, id == 141 ? forestSheet : treeSheet);
}

void paintTrees(std::vector<Artwork>& out) {
    addSprite(out, 141, 142, Storage::Bits4Rle, forestSheet());
    addSprite(out, 143, 144, Storage::Bits4Rle, treeSheet());
}

}  // namespace gm::art
