// The village (153/154, 245 x 100, stored uncompressed): a row of small,
// brightly painted houses and a little church on a snow bank, roofs deep in
// snow, windows lit, a few firs between them.
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/fir.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

constexpr int kW = 245, kH = 100;

enum : std::uint8_t {
    kOutline = 1,
    kYellow,
    kBlue,
    kPink,
    kGreen,
    kRed,
    kGlow,
    kSnowWhite,
    kSnowMid,
    kSnowShade,
    kSnowOutline,
    kChurch,
    kCopper,
    kRoof,
    kWood,
};
const std::vector<Rgb> kPalette = {
    {0, 0, 0},       {38, 32, 48},    {238, 192, 72},  {86, 146, 214},
    {232, 132, 152}, {112, 174, 98},  {206, 62, 52},   {255, 222, 120},
    {252, 253, 255}, {214, 228, 246}, {160, 184, 226}, {98, 118, 164},
    {236, 230, 216}, {72, 150, 128},  {118, 58, 50},   {126, 80, 46},
};
const SnowColours kSnow{kSnowWhite, kSnowMid, kSnowShade, kSnowOutline};

struct House {
    int x0, x1;   // wall
    int wallTop;  // eaves row
    int peak;     // ridge row
    std::uint8_t colour;
};

constexpr int kGround = 90;  // the houses' foot, hidden in the snow bank

void paintHouse(Picture& p, Shape& figure, const House& hs, std::uint32_t seed) {
    const int w = kW, h = kH;
    const double cx = (hs.x0 + hs.x1) / 2.0;
    const Shape wall = rect(w, h, hs.x0, hs.wallTop, hs.x1, kGround) |
                       polygon(w, h,
                               {{double(hs.x0), hs.wallTop + 1.0},
                                {cx, double(hs.peak) + 3},
                                {double(hs.x1), hs.wallTop + 1.0}});
    p.fill(wall, hs.colour);
    // The side away from the light is shaded by a dither of the outline colour.
    p.checker(wall & rect(w, h, hs.x1 - 3, 0, hs.x1, h), kOutline, hs.colour);
    // Windows: lit squares with a cross, in one or two storeys.
    const int width = hs.x1 - hs.x0;
    const int cols = width >= 30 ? 2 : 1;
    for (int c = 0; c < cols; ++c) {
        const int wx = cols == 1 ? int(cx) - 3 : hs.x0 + 5 + c * (width - 16);
        for (int wy = hs.wallTop + 5; wy + 8 < kGround - 6; wy += 13) {
            p.fill(rect(w, h, wx - 1, wy - 1, wx + 7, wy + 8), kSnowWhite);
            p.fill(rect(w, h, wx, wy, wx + 6, wy + 7), kGlow);
            p.fill(rect(w, h, wx + 3, wy, wx + 4, wy + 7) | rect(w, h, wx, wy + 3, wx + 6, wy + 4),
                   kSnowWhite);
        }
    }
    p.fill(ellipse(w, h, cx, hs.wallTop - 6, 2.2, 2.2) & wall, kGlow);
    figure |= wall;
    const Shape roof = polygon(w, h,
                               {{hs.x0 - 5.0, hs.wallTop + 2.0},
                                {cx, double(hs.peak)},
                                {hs.x1 + 5.0, hs.wallTop + 2.0},
                                {hs.x1 + 3.0, hs.wallTop + 4.0},
                                {cx, hs.peak + 4.0},
                                {hs.x0 - 3.0, hs.wallTop + 4.0}});
    p.fill(roof, kRoof);
    figure |= roof;
    figure |= snowOn(p, roof | roof.shifted(0, -3), 5, kSnow, seed);
}

Picture village() {
    Picture p(kW, kH, kPalette);
    const int w = kW, h = kH;
    Shape figure(w, h);
    const FirColours fir{kOutline, kOutline,     kGreen,     kGreen,   kWood,
                         kWood,    kSnowOutline, kSnowShade, kSnowMid, kSnowWhite};
    paintFir(p, fir, {10, 92, 34, 20, 3, 1531});
    paintFir(p, fir, {232, 92, 40, 22, 4, 1532});
    paintFir(p, fir, {118, 84, 30, 17, 3, 1533});

    // The church: nave and a tower with an onion-free pointed copper spire.
    const Shape nave =
        rect(w, h, 96, 52, 140, kGround) | polygon(w, h, {{96, 53}, {118, 36}, {140, 53}});
    p.fill(nave, kChurch);
    for (int x : {104, 128}) {
        p.fill(ellipse(w, h, x + 3, 62, 3, 3) | rect(w, h, x, 62, x + 6, 74), kGlow);
        p.fill(rect(w, h, x + 3, 59, x + 4, 74), kChurch);
    }
    figure |= nave;
    const Shape tower = rect(w, h, 78, 22, 96, kGround);
    p.fill(tower, kChurch);
    p.fill(tower & rect(w, h, 93, 0, 96, h), kSnowShade);
    p.fill(ellipse(w, h, 87, 34, 4.5, 4.5), kYellow);  // clock face
    p.fill(rect(w, h, 87, 31, 88, 35) | rect(w, h, 87, 34, 90, 35), kOutline);
    p.fill(ellipse(w, h, 87, 48, 3, 3) | rect(w, h, 84, 48, 90, 56), kGlow);
    p.fill(rect(w, h, 83, 74, 91, kGround) | ellipse(w, h, 87, 74, 4, 4), kWood);
    const Shape spire = polygon(w, h, {{75, 23}, {87, 2}, {99, 23}});
    p.fill(spire, kCopper);
    p.fill(spire & rect(w, h, 87, 0, w, h), kOutline);
    p.fill(spire & rect(w, h, 88, 0, w, h), kCopper);
    for (int y = 6; y < 23; y += 4) p.fill(spire & rect(w, h, 0, y, w, y + 1), kOutline);
    p.fill(rect(w, h, 86, 0, 88, 3), kYellow);  // the weather-cock's rod
    figure |= tower | spire;
    const Shape naveRoof =
        polygon(w, h, {{93, 55}, {118, 33}, {143, 55}, {141, 57}, {118, 37}, {95, 57}});
    p.fill(naveRoof, kRoof);
    figure |= naveRoof;
    figure |= snowOn(p, naveRoof | naveRoof.shifted(0, -3), 5, kSnow, 1534);
    figure |= snowOn(p, spire, 2, kSnow, 1535);

    // The houses, each its own colour.
    const House houses[] = {
        {20, 50, 56, 34, kYellow}, {56, 76, 64, 48, kPink},    {146, 172, 58, 40, kBlue},
        {176, 202, 62, 44, kRed},  {206, 226, 66, 52, kGreen},
    };
    std::uint32_t seed = 1540;
    for (const House& hs : houses) paintHouse(p, figure, hs, seed++);

    // The snow bank all along the front.
    const Shape bank = fromCurveDown(w, h, [](double x) {
        return 86 + 2.5 * std::sin(x * 0.06 + 1) + 1.5 * std::sin(x * 0.17);
    });
    p.ramp(bank, {kSnowWhite, kSnowMid, kSnowShade},
           [](double x, double y) { return (y - 84) / 16.0 + 0.2 * x / kW; });
    p.fill(bank.rim(0, -1, 1), kSnowWhite);
    figure |= bank;
    figure |= p.coverage();
    outlineFigure(p, figure, kOutline, kSnowOutline, {kSnowWhite, kSnowMid, kSnowShade});
    return p;
}

}  // namespace

ScaledSprite scaledVillage(double sx, double sy) { return paintedAt(sx, sy, village); }

void paintVillage(std::vector<Artwork>& out) {
    addSprite(out, 153, 154, Storage::Bits4, village());
}

}  // namespace gm::art
