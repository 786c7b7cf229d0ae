// The town (151/152): five skylines of 245 x 100 stacked in one sheet. Each
// is a row of high-rise blocks in many colours, seen slightly from the left
// so each block shows a lit front and a shaded side, with rows of windows
// (some lit), snow on every roof and ledge, and rooftop details. The second
// skyline has the television tower and the factory chimneys.
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/paint_kit.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

constexpr int kW = 245, kH = 100;

enum : std::uint8_t {
    kOutline = 1,
    kWindowDark,
    kGlow,
    kSnowWhite,
    kSnowShade,
    kBrick,
    kBrickDark,
    kOchre,
    kOchreDark,
    kTeal,
    kTealDark,
    kLavender,
    kLavenderDark,
    kConcrete,
    kGrey,
};
const std::vector<Rgb> kPalette = {
    {0, 0, 0},       {30, 30, 50},    {58, 70, 104},   {255, 218, 112},
    {250, 252, 255}, {176, 196, 230}, {186, 72, 60},   {124, 46, 46},
    {222, 172, 82},  {160, 116, 52},  {72, 152, 162},  {40, 96, 112},
    {152, 142, 194}, {100, 90, 142},  {204, 204, 206}, {128, 134, 152},
};
const SnowColours kSnow{kSnowWhite, kSnowWhite, kSnowShade, kOutline};

struct Block {
    int x0, x1, top;          // front face
    std::uint8_t face, side;  // colours
    int windowStyle;          // 0 grid, 1 bands, 2 tall slits
};

void paintBlock(Picture& p, Shape& figure, const Block& b, std::uint32_t seed) {
    const int w = kW, h = kH;
    const int depth = std::max(3, (b.x1 - b.x0) / 5);
    const Shape front = rect(w, h, b.x0, b.top, b.x1, h);
    const Shape side = polygon(w, h,
                               {{double(b.x1), double(b.top)},
                                {double(b.x1 + depth), b.top + depth * 0.5},
                                {double(b.x1 + depth), double(h)},
                                {double(b.x1), double(h)}});
    p.fill(front, b.face);
    p.fill(side, b.side);
    Random rnd(seed);
    const double lit = rnd.range(0.25, 0.55);
    auto window = [&](int x0, int y0, int x1, int y1) {
        p.fill(rect(w, h, x0, y0, x1, y1), rnd.uniform() < lit ? kGlow : kWindowDark);
    };
    if (b.windowStyle == 0) {
        for (int y = b.top + 4; y + 4 < h; y += 6)
            for (int x = b.x0 + 3; x + 3 <= b.x1 - 2; x += 5) window(x, y, x + 3, y + 4);
    } else if (b.windowStyle == 1) {
        for (int y = b.top + 4; y + 3 < h; y += 6) {
            p.fill(rect(w, h, b.x0 + 2, y, b.x1 - 2, y + 3), kWindowDark);
            for (int x = b.x0 + 2; x < b.x1 - 2; x += 4)
                if (rnd.uniform() < lit)
                    p.fill(rect(w, h, x, y, std::min(x + 3, b.x1 - 2), y + 3), kGlow);
        }
    } else {
        for (int x = b.x0 + 3; x + 2 <= b.x1 - 2; x += 5)
            for (int y = b.top + 4; y + 9 < h; y += 11) window(x, y, x + 2, y + 9);
    }
    for (int y = b.top + 4; y + 4 < h; y += 6)  // the side's windows, darker
        for (int x = b.x1 + 1; x + 2 <= b.x1 + depth - 1; x += 3)
            p.fill(rect(w, h, x, y + (x - b.x1) / 2, x + 1, y + 3 + (x - b.x1) / 2),
                   rnd.uniform() < lit * 0.5 ? kGlow : kOutline);
    const Shape roof = rect(w, h, b.x0 - 1, b.top - 2, b.x1 + 1, b.top) |
                       polygon(w, h,
                               {{double(b.x1), b.top - 2.0},
                                {double(b.x1 + depth), b.top - 2 + depth * 0.5},
                                {double(b.x1 + depth), b.top + depth * 0.5},
                                {double(b.x1), double(b.top)}});
    p.fill(roof, kConcrete);
    figure |= front | side | roof;
    figure |= snowOn(p, roof.shifted(0, -2) | roof, 3, kSnow, seed);
    // Rooftop details: an aerial or a water tank on some blocks.
    if (rnd.uniform() < 0.5) {
        const int ax = rnd.integer(b.x0 + 2, std::max(b.x0 + 2, b.x1 - 3));
        const Shape aerial = rect(w, h, ax, b.top - 12, ax + 1, b.top - 2) |
                             rect(w, h, ax - 3, b.top - 9, ax + 4, b.top - 8);
        p.fill(aerial, kGrey);
        figure |= aerial;
    } else if (b.x1 - b.x0 > 18) {
        const int tx = rnd.integer(b.x0 + 2, b.x1 - 10);
        const Shape tank = rect(w, h, tx, b.top - 9, tx + 8, b.top - 3) |
                           rect(w, h, tx + 1, b.top - 3, tx + 2, b.top - 1) |
                           rect(w, h, tx + 6, b.top - 3, tx + 7, b.top - 1);
        p.fill(tank, kBrickDark);
        figure |= tank;
        figure |= snowOn(p, rect(w, h, tx, b.top - 9, tx + 8, b.top - 7), 2, kSnow, seed + 5);
    }
}

struct Colours {
    std::uint8_t face, side;
};
constexpr Colours kColours[] = {
    {kBrick, kBrickDark}, {kOchre, kOchreDark}, {kTeal, kTealDark}, {kLavender, kLavenderDark},
    {kConcrete, kGrey},   {kOchre, kBrickDark}, {kTeal, kGrey},     {kLavender, kTealDark},
};

// A gabled town house between the blocks: a steep roof under snow.
void paintGabled(Picture& p, Shape& figure, int x0, int x1, int eaves, std::uint8_t face,
                 std::uint32_t seed) {
    const int w = kW, h = kH;
    const double cx = (x0 + x1) / 2.0;
    const int peak = eaves - (x1 - x0) * 2 / 3;
    const Shape front = rect(w, h, x0, eaves, x1, h);
    p.fill(front, face);
    Random rnd(seed);
    for (int y = eaves + 4; y + 5 < h; y += 8)
        for (int x = x0 + 3; x + 4 <= x1 - 2; x += 7)
            p.fill(rect(w, h, x, y, x + 4, y + 5), rnd.uniform() < 0.5 ? kGlow : kWindowDark);
    const Shape roof =
        polygon(w, h, {{x0 - 2.0, eaves + 1.0}, {cx, double(peak)}, {x1 + 2.0, eaves + 1.0}});
    p.fill(roof, kBrickDark);
    const Shape chimney = rect(w, h, x1 - 6, peak + 4, x1 - 3, eaves - 3);
    p.fill(chimney, kBrick);
    figure |= front | roof | chimney;
    figure |= snowOn(p, roof | roof.shifted(0, -2), 4, kSnow, seed);
    figure |= snowOn(p, chimney, 2, kSnow, seed + 1);
}

// A tower block crowned by a pointed roof.
void paintSpire(Picture& p, Shape& figure, const Block& b, std::uint32_t seed) {
    paintBlock(p, figure, b, seed);
    const int w = kW, h = kH;
    const double cx = (b.x0 + b.x1) / 2.0;
    const Shape spire = polygon(w, h,
                                {{b.x0 - 1.0, b.top - 2.0},
                                 {cx, b.top - 2.0 - (b.x1 - b.x0) * 0.8},
                                 {b.x1 + 1.0, b.top - 2.0}});
    p.fill(spire, kTealDark);
    p.fill(spire & rect(w, h, cx, 0, w, h), kOutline);
    p.fill(spire & rect(w, h, cx + 1, 0, w, h), kTealDark);
    figure |= spire;
    figure |= snowOn(p, spire, 2, kSnow, seed + 2);
}

Picture skyline(std::uint32_t seed, int minTop, int maxTop, int minW, int maxW) {
    Picture p(kW, kH, kPalette);
    Shape figure(kW, kH);
    Random rnd(seed);
    int x = rnd.integer(-6, 2);
    int k = rnd.integer(0, 7);
    while (x < kW - 8) {
        const int width = rnd.integer(minW, maxW);
        const int x1 = std::min(kW - 4, x + width);
        const int top = rnd.integer(minTop, maxTop);
        const Colours c = kColours[k++ % 8];
        const std::uint32_t s = seed * 7 + std::uint32_t(x + 10);
        const double style = rnd.uniform();
        if (style < 0.15 && top > 40) {
            paintGabled(p, figure, x, x1, top + 8, c.face, s);
        } else if (style < 0.3 && width > 16) {
            paintSpire(p, figure, {x, x1, top + 14, c.face, c.side, rnd.integer(0, 2)}, s);
        } else if (style < 0.55 && width > 20) {
            // A stepped tower: a slimmer upper part behind a wider base.
            const int inset = width / 4;
            paintBlock(p, figure, {x + inset, x1 - inset, top, c.face, c.side, rnd.integer(0, 2)},
                       s + 1);
            paintBlock(p, figure,
                       {x, x1, top + rnd.integer(14, 24), c.face, c.side, rnd.integer(0, 2)}, s);
        } else {
            paintBlock(p, figure, {x, x1, top, c.face, c.side, rnd.integer(0, 2)}, s);
        }
        x += width + rnd.integer(-2, 6);
    }
    outlineFigure(p, figure, kOutline, kOutline, {});
    return p;
}

// The second skyline: a factory with saw-tooth roofs and striped chimneys,
// the television tower rising behind, and a few blocks.
Picture industrialSkyline() {
    Picture p(kW, kH, kPalette);
    const int w = kW, h = kH;
    Shape figure(w, h);
    // Television tower: a tapering shaft, the round cabin with its windows, the mast.
    const double tx = 150;
    const Shape shaft =
        polygon(w, h, {{tx - 4, double(h)}, {tx - 1.5, 20}, {tx + 1.5, 20}, {tx + 4, double(h)}});
    p.fill(shaft, kConcrete);
    p.fill(shaft & rect(w, h, tx, 0, w, h), kGrey);
    const Shape cabin = ellipse(w, h, tx, 24, 9, 7);
    p.fill(cabin, kConcrete);
    p.fill(cabin & rect(w, h, tx + 2, 0, w, h), kGrey);
    p.fill(rect(w, h, tx - 9, 23, tx + 9, 26) & cabin, kGlow);
    p.fill(rect(w, h, tx - 9, 27, tx + 9, 28), kBrickDark);
    const Shape mast = rect(w, h, tx - 0.5, 1, tx + 1, 17) | rect(w, h, tx - 1.5, 10, tx + 2, 17);
    p.fill(mast, kBrick);
    p.fill(rect(w, h, tx - 0.5, 5, tx + 1, 8), kSnowWhite);
    p.fill(rect(w, h, tx - 0.5, 0, tx + 1, 2), kGlow);
    figure |= shaft | cabin | mast;
    figure |= snowOn(p, cabin, 2, kSnow, 1511);

    // Factory chimneys, red and white.
    for (const auto& [cx, top] : {std::pair{28, 12}, std::pair{44, 24}}) {
        const Shape chimney = polygon(w, h,
                                      {{cx - 4.5, double(h)},
                                       {cx - 2.5, double(top)},
                                       {cx + 2.5, double(top)},
                                       {cx + 4.5, double(h)}});
        p.fill(chimney, kBrick);
        for (int y = top; y < h; y += 12) p.fill(chimney & rect(w, h, 0, y, w, y + 5), kSnowWhite);
        p.fill(chimney & rect(w, h, cx + 1, 0, w, h), kBrickDark);
        p.fill(rect(w, h, cx - 3.5, top - 2, cx + 3.5, top), kOutline);
        figure |= chimney | rect(w, h, cx - 3.5, top - 2, cx + 3.5, top);
    }
    // The factory hall: saw-tooth roof with glazed north lights.
    std::vector<Pt> hall{{8, double(h)}, {8, 64}};
    for (int x = 8; x < 100; x += 16) {
        hall.push_back({x + 12.0, 52});
        hall.push_back({x + 12.0, 64});
        hall.push_back({x + 16.0, 64});
    }
    hall.push_back({104, 64});
    hall.push_back({104, double(h)});
    const Shape factory = polygon(w, h, hall);
    p.fill(factory, kBrick);
    for (int y = 68; y < h; y += 4) p.fill(factory & rect(w, h, 0, y, w, y + 1), kBrickDark);
    for (int x = 8; x < 100; x += 16) p.fill(rect(w, h, x + 12, 53, x + 14, 64) & factory, kGlow);
    for (int x = 14; x < 100; x += 12)
        p.fill(rect(w, h, x, 74, x + 7, 84), kWindowDark),
            p.fill(rect(w, h, x + 1, 75, x + 6, 79), kGlow);
    figure |= factory;
    figure |= snowOn(p, factory | factory.shifted(0, -2), 5, kSnow, 1512);

    // Blocks to the right of the tower.
    paintBlock(p, figure, {112, 134, 44, kOchre, kOchreDark, 1}, 1513);
    paintBlock(p, figure, {164, 188, 36, kTeal, kTealDark, 0}, 1514);
    paintBlock(p, figure, {196, 220, 54, kLavender, kLavenderDark, 2}, 1515);
    paintBlock(p, figure, {224, 243, 62, kBrick, kBrickDark, 0}, 1516);
    outlineFigure(p, figure, kOutline, kOutline, {});
    return p;
}

Picture townSheet() {
    Picture sheet(kW, 5 * kH, kPalette);
    sheet.paste(skyline(1501, 22, 50, 18, 30), 0, 0);
    sheet.paste(industrialSkyline(), 0, kH);
    sheet.paste(skyline(1503, 8, 40, 22, 34), 0, 2 * kH);   // the tall centre
    sheet.paste(skyline(1504, 40, 64, 16, 26), 0, 3 * kH);  // low blocks
    sheet.paste(skyline(1505, 14, 58, 14, 40), 0, 4 * kH);  // mixed heights
    return sheet;
}

}  // namespace

ScaledSprite scaledTown(double sx, double sy) { return paintedAt(sx, sy, townSheet); }

void paintTown(std::vector<Artwork>& out) {
    addSprite(out, 151, 152, Storage::Bits4Rle, townSheet());
}

}  // namespace gm::art
