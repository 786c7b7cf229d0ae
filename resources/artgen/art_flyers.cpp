// The flying visitors. Birds (201-205, masks 211-215): 80 x 390 sheets of six
// 80 x 65 frames, a round cartoon bird with big eyes and an orange beak
// flying to the right through one full wing beat; grey, grey with a blue,
// red or yellow woollen cap, and brown. The plane (221/222): two 330 x 100
// frames of a little propeller plane with its pilot flying to the left,
// towing a banner that advertises the saver; the frames differ in the
// propeller's position and the banner's ripple.
#include <array>
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/paint_kit.h"
#include "resources/artgen/pixel_font.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

// The catalogue pixel (x, y); painted finer, a round dot in its place.
Shape dot(int w, int h, int x, int y) { return ellipse(w, h, x + 0.5, y + 0.5, 0.6, 0.6); }

// ---- birds ----

constexpr int kBirdW = 80, kBirdH = 65, kBirdFrames = 6;

enum Bird : std::uint8_t {
    kBOutline = 1,
    kBodyDark,
    kBody,
    kBodyLight,
    kBelly,
    kWingDark,
    kEyeWhite,
    kPupil,
    kBeak,
    kBeakDark,
    kCapDark,
    kCap,
    kCapLight,
    kPompom,
    kCheek,
};

struct BirdLook {
    Rgb body, belly;
    bool cap;
    Rgb capColour;
};

std::vector<Rgb> birdPalette(const BirdLook& b) {
    return {{0, 0, 0},
            {30, 30, 42},
            mix(b.body, {20, 20, 40}, 0.35),
            b.body,
            mix(b.body, {255, 255, 255}, 0.3),
            b.belly,
            mix(b.body, {20, 20, 40}, 0.5),
            {255, 255, 255},
            {16, 16, 22},
            {250, 150, 40},
            {196, 88, 22},
            mix(b.capColour, {10, 10, 30}, 0.4),
            b.capColour,
            mix(b.capColour, {255, 255, 255}, 0.4),
            {250, 250, 246},
            {240, 150, 150}};
}

// Direction the wing points in each frame (degrees, 0 = right, 90 = down):
// three frames of downstroke from high up to low, three back up; the body
// rises a little on the downstroke.
constexpr double kWingDirection[kBirdFrames] = {250, 195, 140, 118, 165, 218};
constexpr int kBob[kBirdFrames] = {1, 0, -1, -2, -1, 0};

Picture birdFrame(const BirdLook& look, int frame) {
    const int w = kBirdW, h = kBirdH;
    Picture p(w, h, birdPalette(look));
    Shape figure(w, h);
    const double cy = 36 + kBob[frame];
    const double cx = 38;

    // Tail feathers to the left.
    const Shape tail = polygon(w, h,
                               {{cx - 12, cy - 2},
                                {cx - 28, cy - 10},
                                {cx - 30, cy - 4},
                                {cx - 27, cy},
                                {cx - 30, cy + 4},
                                {cx - 26, cy + 8},
                                {cx - 10, cy + 6}});
    p.fill(tail, kBodyDark);
    p.fill(stroke(w, h, {{cx - 14, cy + 1}, {cx - 26, cy - 5}}, 1) & tail, kWingDark);
    p.fill(stroke(w, h, {{cx - 14, cy + 3}, {cx - 25, cy + 4}}, 1) & tail, kWingDark);
    figure |= tail;
    // Tucked feet.
    const Shape feet = stroke(w, h, {{cx - 2, cy + 14}, {cx - 6, cy + 19}}, 2) |
                       stroke(w, h, {{cx + 4, cy + 14}, {cx + 1, cy + 19}}, 2);
    p.fill(feet, kBeakDark);
    figure |= feet;

    // The round body, lit from the upper left, with a pale belly.
    const Shape body = ellipse(w, h, cx, cy, 18, 16);
    p.ramp(body, {kBodyLight, kBody, kBodyDark}, [&](double x, double y) {
        return std::round((0.4 + 0.5 * (y - cy) / 16 + 0.35 * (x - cx) / 18) * 2) /
               2;  // flat bands
    });
    const Shape belly = body & ellipse(w, h, cx + 5, cy + 8, 13, 10);
    p.ramp(belly, {kBelly, kBodyLight}, [&](double, double y) { return (y - cy - 2) / 14.0; });
    p.fill(ellipse(w, h, cx + 14, cy + 4, 3, 2) & body, kCheek);
    figure |= body;

    // Eyes: two big ones, the far one a little smaller.
    for (const auto& e : {std::array<double, 3>{cx + 13, cy - 5, 5.0},
                          std::array<double, 3>{cx + 5, cy - 6, 6.0}}) {
        const Shape white = ellipse(w, h, e[0], e[1], e[2] * 0.85, e[2]);
        p.fill(white, kEyeWhite);
        p.fill(white.outline(1), kBOutline);
        p.fill(ellipse(w, h, e[0] + 1.5, e[1] + 0.5, e[2] * 0.45, e[2] * 0.55), kPupil);
        p.fill(dot(w, h, int(e[0] + 1), int(e[1] - 1.5)), kEyeWhite);
        figure |= white.grown(1);
    }
    // The beak, pointing right.
    const Shape upper = polygon(w, h, {{cx + 16, cy - 5}, {cx + 29, cy - 1}, {cx + 16, cy + 1}});
    const Shape lower = polygon(w, h, {{cx + 16, cy + 1}, {cx + 26, cy + 1}, {cx + 16, cy + 4}});
    p.fill(upper, kBeak);
    p.fill(lower, kBeakDark);
    figure |= upper | lower;

    // The woollen cap with ribbed brim and pompom.
    if (look.cap) {
        const Shape dome = ellipse(w, h, cx + 1, cy - 16, 15, 10) & rect(w, h, 0, 0, w, cy - 14);
        p.ramp(dome, {kCapLight, kCap, kCapDark},
               [&](double x, double) { return 0.3 + 0.4 * (x - cx) / 15; });
        for (int x = int(cx) - 14; x < cx + 16; x += 4)
            p.fill(dome & rect(w, h, x, 0, x + 1, h), kCapDark);
        const Shape brim =
            rect(w, h, cx - 15, cy - 17, cx + 17, cy - 12) & ellipse(w, h, cx + 1, cy - 13, 17, 8);
        p.fill(brim, kCap);
        for (int x = int(cx) - 15; x < cx + 17; x += 2)
            p.fill(brim & rect(w, h, x, 0, x + 1, h), kCapLight);
        const Shape pompom = ellipse(w, h, cx - 4, cy - 27, 5, 5);
        p.fill(pompom, kPompom);
        p.fill(pompom.rim(1, 1, 2), kCapLight);
        figure |= dome | brim | pompom;
    }

    // The near wing, from the shoulder, pointing the way this frame's beat
    // has it; its feather tips always trail towards the tail.
    const double phi = kWingDirection[frame] * M_PI / 180;
    const Pt d{std::cos(phi), std::sin(phi)};
    Pt n{-d.y, d.x};
    if (n.x > 0) n = {-n.x, -n.y};
    const double sx = cx - 3, sy = cy - 3;
    std::vector<Pt> wing;
    for (const auto& [u, v] : std::vector<std::pair<double, double>>{{0, -6},
                                                                     {10, -7},
                                                                     {20, -6},
                                                                     {28, -3},
                                                                     {31, 0},
                                                                     {27, 2},
                                                                     {28, 5},
                                                                     {22, 5},
                                                                     {23, 8},
                                                                     {15, 7},
                                                                     {15, 10},
                                                                     {6, 8},
                                                                     {0, 6}})
        wing.push_back({sx + u * d.x + v * n.x, sy + u * d.y + v * n.y});
    const Shape wingShape = polygon(w, h, wing);
    p.ramp(wingShape, {kBodyLight, kBody, kBodyDark, kWingDark}, [&](double x, double y) {
        return std::round((0.1 + 0.8 * std::hypot(x - sx, y - sy) / 30) * 3) /
               3;  // flat bands, darker to the tips
    });
    for (const double u : {12.0, 20.0})  // feather lines
        p.fill(stroke(w, h,
                      {{sx + u * d.x + 1 * n.x, sy + u * d.y + 1 * n.y},
                       {sx + (u + 4) * d.x + 7 * n.x, sy + (u + 4) * d.y + 7 * n.y}},
                      1) &
                   wingShape,
               kWingDark);
    p.fill(wingShape.outline(1) & figure,
           kBOutline);  // keeps the wing apart from the body behind it
    figure |= wingShape;
    outlineFigure(p, figure, kBOutline, kBOutline, {});
    return p;
}

Picture birdSheet(const BirdLook& look) {
    Picture sheet(kBirdW, kBirdH * kBirdFrames, birdPalette(look));
    for (int f = 0; f < kBirdFrames; ++f) sheet.paste(birdFrame(look, f), 0, f * kBirdH);
    return sheet;
}

// ---- the plane ----

constexpr int kPlaneW = 330, kPlaneH = 100;

enum Plane : std::uint8_t {
    kPOutline = 1,
    kRedDark,
    kRed,
    kRedLight,
    kYellowDark,
    kYellow,
    kCloth,
    kClothShade,
    kLettering,
    kProp,
    kMetal,
    kSkin,
    kLeather,
    kGlass,
    kWhite,
};
const std::vector<Rgb> kPlanePalette = {
    {0, 0, 0},       {34, 30, 44},   {140, 24, 30},   {206, 44, 44},
    {242, 104, 86},  {206, 150, 32}, {250, 206, 72},  {252, 248, 232},
    {214, 204, 180}, {28, 54, 132},  {92, 92, 104},   {200, 204, 214},
    {248, 198, 160}, {120, 70, 36},  {150, 210, 240}, {255, 255, 255},
};

Picture planeFrame(int frame) {
    const int w = kPlaneW, h = kPlaneH;
    Picture p(w, h, kPlanePalette);
    Shape figure(w, h);

    // The banner: a rippling strip of cloth with the saver's name.
    const double bx0 = 138, bx1 = 324, by0 = 30, by1 = 68;
    const double phase = frame * M_PI * 0.6;
    auto ripple = [&](double x) {
        return 2.5 * std::sin((x - bx0) / 22.0 + phase) * (x - bx0) / (bx1 - bx0);
    };
    std::vector<Pt> cloth;
    for (double x = bx0; x <= bx1; x += 2) cloth.push_back({x, by0 + ripple(x)});
    for (double x = bx1; x >= bx0; x -= 2) cloth.push_back({x, by1 + ripple(x)});
    const Shape banner = polygon(w, h, cloth);
    p.ramp(banner, {kCloth, kClothShade},
           [&](double x, double) { return 0.5 + 0.5 * std::sin((x - bx0) / 22.0 + phase + 1.2); });
    // Two red stripes following the ripple, taken at each physical column's
    // left edge.
    Shape border(w, h);
    for (int x = int(std::ceil(int(bx0) * border.kx())); x < (int(bx1) + 1) * border.kx(); ++x) {
        const double r = ripple(x / border.kx());
        for (int y = 0; y < border.pixelsDown(); ++y) {
            const double row = (y + 0.5) / border.ky();
            if ((row >= by0 + r + 2 && row < by0 + r + 4) ||
                (row >= by1 + r - 4 && row < by1 + r - 2))
                border.setPixel(x, y);
        }
    }
    p.fill(border & banner, kRed);
    // Lettering, following the ripple column by column (physical columns,
    // moved by whole physical pixels).
    const Shape title =
        textShape(w, h, "GLINTMOOR", int((bx0 + bx1) / 2 - textWidth("GLINTMOOR", 2) / 2.0), 37, 2);
    const Shape sub = textShape(w, h, "SCREENSAVER",
                                int((bx0 + bx1) / 2 - textWidth("SCREENSAVER") / 2.0), 55, 1);
    for (int x = 0; x < title.pixelsAcross(); ++x) {
        const double r = ripple((x + 0.5) / title.kx() - 0.5);
        const int dy = static_cast<int>(std::lround(r * title.ky()));
        for (int y = 0; y < title.pixelsDown(); ++y) {
            if (title.atPixel(x, y - dy)) p.setPixel(x, y, kLettering);
            if (sub.atPixel(x, y - dy)) p.setPixel(x, y, kRed);
        }
    }
    // A wooden pole at the front edge, and the tow line.
    const Shape pole = rect(w, h, bx0 - 3, by0 - 3, bx0, by1 + 3);
    p.fill(pole, kLeather);
    const Shape line = stroke(w, h, {{112, 47}, {126, 44}, {bx0 - 2, by0 - 1}}, 1) |
                       stroke(w, h, {{112, 47}, {126, 52}, {bx0 - 2, by1 + 1}}, 1);
    p.fill(line, kProp);
    figure |= banner | pole | line;

    // Fuselage: pointed to the left, tail up at the right.
    std::vector<Pt> body;
    append(body, cubic({20, 44}, {40, 34}, {70, 36}, {94, 40}, 10));
    append(body, {{104, 26}, {114, 24}, {116, 30}, {112, 48}});
    append(body, cubic({112, 50}, {90, 58}, {50, 62}, {20, 58}, 10));
    const Shape fuselage = polygon(w, h, body);
    p.ramp(fuselage, {kRedLight, kRed, kRedDark},
           [](double, double y) { return std::round(((y - 34) / 26.0 + 0.1) * 2) / 2; });
    p.fill(fuselage & rect(w, h, 0, 48, w, 51), kWhite);  // a white stripe along the side
    figure |= fuselage;
    // Engine cowling and the spinner.
    const Shape cowl = ellipse(w, h, 22, 51, 8, 9);
    p.ramp(cowl, {kMetal, kProp}, [](double, double y) { return y < 53 ? 0.0 : 1.0; });
    const Shape spinner = polygon(w, h, {{16, 46}, {7, 51}, {16, 56}});
    p.fill(spinner, kRedDark);
    figure |= cowl | spinner;
    // Propeller: one blade upright in frame 1; in frame 2 the blade is
    // turned edge-on inside the pale disc of its sweep.
    if (frame == 0) {
        const Shape blade = ellipse(w, h, 9, 51, 2.2, 19);
        p.fill(blade, kProp);
        p.fill(blade & rect(w, h, 0, 0, 9, h), kMetal);
        figure |= blade;
    } else {
        const Shape sweep = ellipse(w, h, 9, 51, 3, 19);
        p.checker(sweep, kMetal, kClothShade);  // a pale, see-through blur
        figure |= sweep;
        const Shape blade = ellipse(w, h, 9, 51, 2.5, 5);
        p.fill(blade, kProp);
        figure |= blade;
    }
    // Wing (seen from the side) and the wheels.
    const Shape wing = polygon(w, h, {{34, 52}, {78, 50}, {82, 55}, {36, 58}});
    p.ramp(wing, {kYellow, kYellowDark}, [](double, double y) { return y < 55 ? 0.0 : 1.0; });
    figure |= wing;
    const Shape strut =
        stroke(w, h, {{46, 60}, {42, 70}}, 2) | stroke(w, h, {{54, 60}, {58, 70}}, 2);
    p.fill(strut, kProp);
    const Shape wheel = ellipse(w, h, 42, 71, 5, 5) | ellipse(w, h, 58, 71, 5, 5);
    p.fill(wheel, kPOutline);
    p.fill(ellipse(w, h, 42, 71, 2, 2) | ellipse(w, h, 58, 71, 2, 2), kMetal);
    figure |= strut | wheel;
    // Tail fin and stabiliser in yellow.
    const Shape fin = polygon(w, h, {{100, 30}, {110, 16}, {118, 18}, {116, 36}});
    p.ramp(fin, {kYellow, kYellowDark}, [](double x, double) { return (x - 100) / 18.0; });
    const Shape stabiliser = polygon(w, h, {{96, 44}, {122, 41}, {123, 46}, {98, 48}});
    p.fill(stabiliser, kYellowDark);
    figure |= fin | stabiliser;
    // The pilot in his open cockpit: leather cap, goggles, a scarf in the wind.
    const Shape windscreen = polygon(w, h, {{48, 38}, {52, 28}, {56, 37}});
    p.fill(windscreen, kGlass);
    const Shape head = ellipse(w, h, 62, 30, 7, 7);
    p.fill(head, kSkin);
    const Shape cap = ellipse(w, h, 63, 27, 7.5, 5.5) & rect(w, h, 0, 0, w, 29);
    p.fill(cap, kLeather);
    p.fill(stroke(w, h, {{57, 28}, {68, 28}}, 2), kLeather);
    p.fill(ellipse(w, h, 57, 29, 2.6, 2.2), kGlass);
    p.fill(ellipse(w, h, 57, 29, 2.6, 2.2).outline(1) & head.grown(1), kPOutline);
    p.fill(dot(w, h, 56, 33) | dot(w, h, 57, 34), kRedDark);  // a smile
    const Shape scarf = polygon(
        w, h, {{64, 35}, {76, 30 + frame * 2.0}, {86, 33 - frame * 2.0}, {78, 36}, {66, 38}});
    p.fill(scarf, kWhite);
    p.fill(scarf & rect(w, h, 74, 0, 78, h), kClothShade);
    figure |= windscreen | head | cap | scarf;
    outlineFigure(p, figure, kPOutline, kPOutline, {});
    return p;
}

// The five birds, 201-205.
const BirdLook kBirds[5] = {
    {{150, 156, 172}, {228, 230, 236}, false, {}},
    {{150, 156, 172}, {228, 230, 236}, true, {60, 110, 220}},
    {{150, 156, 172}, {228, 230, 236}, true, {220, 50, 50}},
    {{156, 104, 62}, {234, 204, 160}, false, {}},
    {{150, 156, 172}, {228, 230, 236}, true, {246, 200, 40}},
};

Picture planeSheet() {
    Picture plane(kPlaneW, 2 * kPlaneH, kPlanePalette);
    for (int f = 0; f < 2; ++f) plane.paste(planeFrame(f), 0, f * kPlaneH);
    return plane;
}

}  // namespace

ScaledSprite scaledBird(int id, double sx, double sy) {
    return paintedAt(sx, sy, [id] { return birdSheet(kBirds[id - 201]); });
}

ScaledSprite scaledPlane(double sx, double sy) { return paintedAt(sx, sy, planeSheet); }

void paintFlyers(std::vector<Artwork>& out) {
    for (int i = 0; i < 5; ++i)
        addSprite(out, 201 + i, 211 + i, Storage::Bits4Rle, birdSheet(kBirds[i]));
    addSprite(out, 221, 222, Storage::Bits4Rle, planeSheet());
}

}  // namespace gm::art
