// The two single houses, 153 x 115, standing on the bottom row: the red
// house (161/162) with white corner boards and window frames, a blue door
// and a brick chimney, and the log cabin (163/164) with green shutters and a
// stone chimney. Both carry a thick blanket of snow on the roof with
// icicles at the eaves, and lit windows.
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/paint_kit.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

constexpr int kW = 153, kH = 115;

// The space a blanket of snow fills on a roof: the roof raised by `depth`
// pixels, with rounded lumps hanging over both eaves.
Shape snowBlanket(const Shape& roof, int depth, Pt leftEave, Pt rightEave) {
    Shape s = roof;
    for (int k = 1; k <= depth; ++k) s |= roof.shifted(0, -k);
    s |= ellipse(roof.width(), roof.height(), leftEave.x + 2, leftEave.y - 1, 5, 4);
    s |= ellipse(roof.width(), roof.height(), rightEave.x - 2, rightEave.y - 1, 5, 4);
    return s;
}

// ---- the red house ----

enum RedHouse : std::uint8_t {
    kRhOutline = 1,
    kRedDark,
    kRed,
    kRedLight,
    kTrim,
    kTrimShade,
    kGlow,
    kGlowDeep,
    kDoor,
    kDoorDark,
    kRhSnowWhite = 11,
    kRhSnowMid,
    kRhSnowShade,
    kRhSnowOutline,
    kRoofTile,
};
const std::vector<Rgb> kRedHousePalette = {
    {0, 0, 0},       {44, 22, 30},    {124, 28, 32},  {184, 46, 42}, {222, 84, 66}, {246, 244, 238},
    {186, 192, 210}, {255, 218, 112}, {232, 152, 60}, {48, 92, 184}, {28, 54, 124}, {252, 253, 255},
    {214, 228, 246}, {160, 184, 226}, {98, 118, 164}, {88, 52, 48},
};
const SnowColours kRhSnow{kRhSnowWhite, kRhSnowMid, kRhSnowShade, kRhSnowOutline};

// A lit window with a white frame and a cross of glazing bars.
void paintWindow(Picture& p, int x0, int y0, int x1, int y1, std::uint8_t frame,
                 std::uint8_t frameShade, std::uint8_t glow, std::uint8_t glowDeep) {
    const int w = p.width(), h = p.height();
    p.fill(rect(w, h, x0, y0, x1, y1), frame);
    const Shape glass = rect(w, h, x0 + 3, y0 + 3, x1 - 3, y1 - 3);
    p.ramp(glass, {glow, glowDeep}, [&](double x, double y) {
        return 0.15 + 0.9 * double(y - y0) / (y1 - y0) - 0.2 * double(x - x0) / (x1 - x0);
    });
    const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
    p.fill(rect(w, h, mx - 1, y0 + 3, mx + 1, y1 - 3) | rect(w, h, x0 + 3, my - 1, x1 - 3, my + 1),
           frame);
    p.fill(rect(w, h, x0 + 3, y0 + 3, x1 - 3, y0 + 4) | rect(w, h, x0 + 3, y0 + 3, x0 + 4, y1 - 3),
           frameShade);
}

Picture redHouse() {
    Picture p(kW, kH, kRedHousePalette);
    const int w = kW, h = kH;
    Shape figure(w, h);
    // Chimney behind the roof.
    const Shape chimney = rect(w, h, 104, 14, 117, 46);
    p.fill(chimney, kRed);
    for (int y = 16; y < 46; y += 4) p.fill(rect(w, h, 104, y, 117, y + 1), kRedDark);
    for (int y = 14; y < 46; y += 8) p.fill(rect(w, h, 110, y + 1, 111, y + 4), kRedDark);
    p.fill(rect(w, h, 102, 11, 119, 15), kRedDark);
    figure |= chimney | rect(w, h, 102, 11, 119, 15);

    // Wall with horizontal boarding, white corner boards.
    const Shape wall = rect(w, h, 24, 56, 130, 110);
    const Shape gable = polygon(w, h, {{24, 58}, {77, 22}, {130, 58}});
    const Shape front = wall | gable;
    p.fill(front, kRed);
    for (int y = 26; y < 110; y += 4) {  // boards: a lit upper edge, a dark joint below
        p.fill(front & rect(w, h, 0, y + 1, w, y + 2), kRedLight);
        p.fill(front & rect(w, h, 0, y, w, y + 1), kRedDark);
    }
    p.fill(front & rect(w, h, 24, 56, 130, 62), kRedDark);  // the shadow under the eaves
    p.fill(rect(w, h, 24, 58, 29, 110), kTrim);
    p.fill(rect(w, h, 125, 58, 130, 110), kTrimShade);
    p.fill(rect(w, h, 24, 100, 130, 103), kRedDark);  // plinth shadow
    figure |= front;

    // Windows, the round attic window and the blue door.
    paintWindow(p, 35, 66, 59, 92, kTrim, kTrimShade, kGlow, kGlowDeep);
    paintWindow(p, 96, 66, 120, 92, kTrim, kTrimShade, kGlow, kGlowDeep);
    p.fill(ellipse(w, h, 77, 44, 8, 8), kTrim);
    p.ramp(ellipse(w, h, 77, 44, 5, 5), {kGlow, kGlowDeep},
           [](double, double y) { return (y - 39) / 10.0; });
    p.fill(rect(w, h, 76, 39, 78, 49) | rect(w, h, 72, 43, 82, 45), kTrim);
    const Shape doorFrame = rect(w, h, 65, 68, 90, 110);
    const Shape door = rect(w, h, 68, 71, 87, 110);
    p.fill(doorFrame, kTrim);
    p.ramp(door, {kDoor, kDoorDark}, [](double x, double) { return (x - 68) / 19.0; });
    p.fill(rect(w, h, 71, 75, 84, 90), kDoorDark);
    p.fill(rect(w, h, 72, 76, 83, 89), kDoor);
    p.fill(rect(w, h, 71, 94, 84, 106), kDoorDark);
    p.fill(rect(w, h, 72, 95, 83, 105), kDoor);
    p.fill(ellipse(w, h, 84, 93, 1.6, 1.6), kGlow);

    // Roof: tiles under a thick blanket of snow that hangs over the eaves.
    const Shape roof = polygon(w, h, {{8, 64}, {77, 12}, {146, 64}, {140, 68}, {77, 22}, {14, 68}});
    p.fill(roof, kRoofTile);
    p.fill(roof.rim(0, 1, 2), kRhOutline);
    figure |= roof;
    const Shape snow = snowOn(p, snowBlanket(roof, 7, {7, 63}, {147, 63}), 12, kRhSnow, 161);
    p.fill(icicles(w, h, snow | roof, 14, 140, 6, 1611) - snow - roof - figure, kRhSnowShade);
    figure |= snow;
    figure |= snowOn(p, chimney | rect(w, h, 102, 11, 119, 15), 4, kRhSnow, 162);
    // Snow on the sills.
    for (int x0 : {34, 95})
        figure |= snowOn(p, rect(w, h, x0, 92, x0 + 26, 95), 2, kRhSnow, 163 + x0);

    // Snow drift along the foot of the house.
    Shape drift = fromCurveDown(w, h, [](double x) {
        return 104 + 3 * std::sin(x * 0.08) + 2 * std::sin(x * 0.23 + 1) +
               (x < 20 || x > 134 ? 3 : 0);
    });
    drift &= rect(w, h, 2, 0, 151, h);
    p.ramp(drift, {kRhSnowWhite, kRhSnowMid, kRhSnowShade},
           [](double x, double y) { return 0.1 + (y - 102) / 14.0 + 0.3 * x / kW; });
    p.fill(drift.rim(0, -1, 1), kRhSnowWhite);
    figure |= drift;
    outlineFigure(p, figure, kRhOutline, kRhSnowOutline, {kRhSnowWhite, kRhSnowMid, kRhSnowShade});
    return p;
}

// ---- the log cabin ----

enum Cabin : std::uint8_t {
    kCbOutline = 1,
    kLogDark,
    kLog,
    kLogLight,
    kLogEnd,
    kShutterDark,
    kShutter,
    kCbGlow,
    kCbGlowDeep,
    kStone,
    kStoneLight,
    kCbSnowWhite,
    kCbSnowMid,
    kCbSnowShade,
    kCbSnowOutline,
};
const std::vector<Rgb> kCabinPalette = {
    {0, 0, 0},       {40, 26, 20},    {92, 56, 32},    {140, 90, 52},
    {184, 130, 78},  {222, 180, 120}, {28, 92, 52},    {58, 146, 72},
    {255, 218, 112}, {232, 152, 60},  {112, 112, 124}, {168, 168, 178},
    {252, 253, 255}, {214, 228, 246}, {160, 184, 226}, {98, 118, 164},
};
const SnowColours kCbSnow{kCbSnowWhite, kCbSnowMid, kCbSnowShade, kCbSnowOutline};

void shutteredWindow(Picture& p, int x0, int y0, int x1, int y1) {
    const int w = p.width(), h = p.height();
    p.fill(rect(w, h, x0, y0, x1, y1), kLogDark);
    p.ramp(rect(w, h, x0 + 2, y0 + 2, x1 - 2, y1 - 2), {kCbGlow, kCbGlowDeep},
           [&](double, double y) { return double(y - y0) / (y1 - y0); });
    const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
    p.fill(rect(w, h, mx - 1, y0, mx + 1, y1) | rect(w, h, x0, my - 1, x1, my + 1), kLogDark);
    for (int side : {0, 1}) {  // the shutters, opened outwards, with a heart cut-out
        const int sx0 = side == 0 ? x0 - 11 : x1 + 1, sx1 = sx0 + 10;
        const Shape shutter = rect(w, h, sx0, y0, sx1, y1);
        p.fill(shutter, kShutter);
        p.fill(shutter.rim(1, 0, 2) | shutter.rim(0, 1, 2), kShutterDark);
        for (int y = y0 + 5; y < y1 - 2; y += 6)
            p.fill(rect(w, h, sx0 + 1, y, sx1 - 1, y + 1), kShutterDark);
        const double cx = (sx0 + sx1) / 2.0, cy = y0 + 7;
        p.fill(ellipse(w, h, cx - 1.2, cy, 1.6, 1.6) | ellipse(w, h, cx + 1.2, cy, 1.6, 1.6) |
                   polygon(w, h, {{cx - 2.8, cy + 0.5}, {cx + 2.8, cy + 0.5}, {cx, cy + 3.6}}),
               kLogDark);
    }
}

Picture logCabin() {
    Picture p(kW, kH, kCabinPalette);
    const int w = kW, h = kH;
    Shape figure(w, h);
    // Stone chimney on the left.
    const Shape chimney = rect(w, h, 30, 18, 45, 52);
    p.fill(chimney, kStone);
    Random rnd(163);
    for (int y = 19; y < 52; y += 5)
        for (int x = 30 + (y / 5 % 2) * 3; x < 45; x += 6)
            p.fill(ellipse(w, h, x + 2.5, y + 2, 2.6, 1.9) & chimney,
                   rnd.uniform() < 0.5 ? kStoneLight : kStone);
    for (int y = 23; y < 52; y += 5) p.fill(chimney & rect(w, h, 0, y, w, y + 1), kCbOutline);
    figure |= chimney;

    // Walls of round logs, their ends showing at the corners.
    const Shape gable = polygon(w, h, {{22, 56}, {76, 24}, {130, 56}});
    const Shape wall = rect(w, h, 22, 54, 130, 110) | gable;
    figure |= wall;
    for (int y = 24; y < 110; y += 7) {
        const Shape log = wall & rect(w, h, 0, y, w, y + 7);
        p.ramp(log, {kLogLight, kLog, kLogDark}, [&](double x, double yy) {
            return 0.15 + 0.8 * (yy - y) / 6.0 + 0.15 * (x - 22) / 108.0;
        });
        p.fill(log & rect(w, h, 0, y + 6, w, y + 7), kCbOutline);
        if (y >= 56)
            for (int cx : {21, 131}) {
                const Shape end = ellipse(w, h, cx, y + 3.5, 4.2, 3.6);
                p.fill(end, kLogEnd);
                p.fill(end.outline(1) & rect(w, h, 0, y - 1, w, y + 8), kCbOutline);
                p.fill(ellipse(w, h, cx, y + 3.5, 1.6, 1.3), kLog);
                figure |= end;
            }
    }
    // Two shuttered windows and a plank door.
    shutteredWindow(p, 38, 66, 56, 88);
    shutteredWindow(p, 100, 66, 118, 88);
    const Shape door = rect(w, h, 67, 70, 87, 110);
    p.fill(door, kLogDark);
    for (int x = 70; x < 87; x += 5) p.fill(rect(w, h, x, 72, x + 3, 110), kLog);
    p.fill(rect(w, h, 69, 78, 86, 80) | rect(w, h, 69, 98, 86, 100), kLogDark);
    p.fill(ellipse(w, h, 83, 90, 1.5, 1.5), kLogEnd);
    p.fill(rect(w, h, 70, 42, 82, 54), kLogDark);  // hay loft hatch in the gable
    p.fill(rect(w, h, 72, 44, 80, 52), kCbGlowDeep);

    // Roof of dark shingles under the snow.
    const Shape roof = polygon(w, h, {{6, 64}, {76, 14}, {146, 64}, {140, 68}, {76, 24}, {12, 68}});
    p.fill(roof, kLogDark);
    p.fill(roof.rim(0, 1, 2), kCbOutline);
    figure |= roof;
    const Shape snow = snowOn(p, snowBlanket(roof, 8, {5, 63}, {147, 63}), 13, kCbSnow, 164);
    p.fill(icicles(w, h, snow | roof, 12, 142, 7, 1631) - snow - roof - figure, kCbSnowShade);
    figure |= snow;
    figure |= snowOn(p, chimney, 4, kCbSnow, 165);
    for (int x0 : {26, 88})
        figure |= snowOn(p, rect(w, h, x0, 88, x0 + 42, 91), 2, kCbSnow, 166 + x0);

    Shape drift = fromCurveDown(w, h, [](double x) {
        return 105 + 3 * std::sin(x * 0.07 + 2) + 2 * std::sin(x * 0.21) +
               (x < 18 || x > 136 ? 3 : 0);
    });
    drift &= rect(w, h, 2, 0, 151, h);
    p.ramp(drift, {kCbSnowWhite, kCbSnowMid, kCbSnowShade},
           [](double x, double y) { return 0.1 + (y - 102) / 14.0 + 0.3 * x / kW; });
    p.fill(drift.rim(0, -1, 1), kCbSnowWhite);
    figure |= drift;
    outlineFigure(p, figure, kCbOutline, kCbSnowOutline, {kCbSnowWhite, kCbSnowMid, kCbSnowShade});
    return p;
}

}  // namespace

ScaledSprite scaledHouse(int id, double sx, double sy) {
    return paintedAt(sx, sy, id == 161 ? redHouse : logCabin);
}

void paintHouses(std::vector<Artwork>& out) {
    addSprite(out, 161, 162, Storage::Bits4Rle, redHouse());
    addSprite(out, 163, 164, Storage::Bits4Rle, logCabin());
}

}  // namespace gm::art
