// The pictures of the windows and dialogs: the web-address banner in the
// saver's lower right corner, the about box's floppy disk and its logo, the
// three button icons of the settings dialog, and the program icon.
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/paint_kit.h"
#include "resources/artgen/pixel_font.h"
#include "resources/artgen/scaled_painters.h"
#include "resources/resource_ids.h"

namespace gm::art {
namespace {

constexpr const char* kWebAddress = "www.glintmoor.example";

// ---- banner: the address in small dark letters on a light ground ----

Picture banner() {
    constexpr int kW = 130, kH = 18;
    Picture p(kW, kH,
              {{236, 242, 250}, {40, 48, 96}, {150, 170, 206}, {96, 140, 210}, {255, 255, 255}});
    p.fill(p.whole(), 0);
    p.fill(p.whole().rim(0, 1, 1) | p.whole().rim(-1, 0, 1) | p.whole().rim(0, -1, 1) |
               p.whole().rim(1, 0, 1),
           2);
    const int tw = textWidth(kWebAddress);
    p.fill(textShape(kW, kH, kWebAddress, (kW - tw) / 2, 4), 1);
    return p;
}

// ---- the snowflake emblem used by the logo and the disk label ----

Shape snowflake(int w, int h, double cx, double cy, double r, double thickness) {
    Shape s(w, h);
    for (int k = 0; k < 6; ++k) {
        const double a = k * M_PI / 3 - M_PI / 2;
        const Pt tip{cx + r * std::cos(a), cy + r * std::sin(a)};
        s |= stroke(w, h, {{cx, cy}, tip}, thickness);
        for (const double side : {-1.0, 1.0}) {  // two little barbs on each arm
            const Pt at{cx + 0.55 * r * std::cos(a), cy + 0.55 * r * std::sin(a)};
            const double b = a + side * M_PI / 4;
            s |= stroke(w, h, {at, {at.x + 0.35 * r * std::cos(b), at.y + 0.35 * r * std::sin(b)}},
                        thickness);
        }
    }
    return s;
}

// ---- the logo: a snowflake in a blue disc, on the label's white ----

Picture logo() {
    constexpr int kS = 32;
    Picture p(kS, kS,
              {{255, 255, 255},
               {24, 40, 96},
               {40, 86, 170},
               {72, 130, 214},
               {150, 190, 240},
               {255, 255, 255}});
    const Shape disc = ellipse(kS, kS, 16, 16, 15, 15);
    p.ramp(disc, {4, 3, 2}, [](int x, int y) { return (x + y) / 62.0; });
    p.fill(disc.outline(1) & p.whole(), 1);
    p.fill(disc.rim(1, 1, 1), 1);
    p.fill(snowflake(kS, kS, 16, 16, 11, 2.0), 5);
    return p;
}

// ---- the about box: a 3.5-inch floppy disk on the dark blue ground ----

Picture aboutDisk() {
    constexpr int kW = 356, kH = 330;
    enum : std::uint8_t {
        kGround,
        kOutline,
        kBodyDark,
        kBody,
        kBodyLight,
        kLabel,
        kLabelLine,
        kStripe,
        kMetalDark,
        kMetal,
        kMetalLight,
        kHole,
        kEmblem,
        kEmblemLight
    };
    Picture p(kW, kH,
              {{0, 0, 128},
               {10, 12, 30},
               {34, 40, 62},
               {52, 62, 92},
               {82, 96, 132},
               {255, 255, 255},
               {200, 214, 236},
               {196, 40, 48},
               {120, 126, 140},
               {176, 182, 196},
               {226, 230, 238},
               {16, 18, 34},
               {52, 104, 196},
               {150, 190, 240}});
    p.fill(p.whole(), kGround);
    // The disk's body with one chamfered corner.
    const Shape body = polygon(kW, kH, {{6, 4}, {334, 4}, {350, 20}, {350, 326}, {6, 326}});
    p.ramp(body, {kBodyLight, kBody, kBodyDark},
           [](int x, int y) { return 0.25 + 0.5 * (x + y) / 680.0; });
    p.fill(body.rim(-1, -1, 2), kBodyLight);
    p.fill(body.outline(1) & p.whole(), kOutline);
    // The label: white, a red stripe along its top, the emblem in its corner.
    const Shape label = rect(kW, kH, 40, 40, 318, 214);
    p.fill(label, kLabel);
    p.fill(rect(kW, kH, 40, 40, 318, 48), kStripe);
    for (int y = 204; y < 212; y += 4) p.fill(rect(kW, kH, 46, y, 312, y + 1), kLabelLine);
    p.fill(label.outline(1), kBodyDark);
    p.fill(ellipse(kW, kH, 64, 64, 11, 11), kEmblem);
    p.fill(snowflake(kW, kH, 64, 64, 8, 1.6), kEmblemLight);
    // The metal shutter at the bottom edge with its window, and the hub slot.
    const Shape shutter = rect(kW, kH, 96, 232, 262, 330);
    p.ramp(shutter, {kMetalLight, kMetal, kMetalDark},
           [](int x, int) { return 0.2 + 0.6 * (x - 96) / 166.0; });
    p.fill(rect(kW, kH, 96, 232, 262, 234), kMetalLight);
    p.fill(rect(kW, kH, 196, 246, 234, 318), kMetalDark);
    p.fill(rect(kW, kH, 198, 248, 232, 316), kHole);
    p.fill(rect(kW, kH, 110, 244, 114, 320), kMetalDark);  // the shutter's spring slot
    p.fill(shutter.outline(1) & p.whole(), kOutline);
    p.fill(rect(kW, kH, 72, 228, 286, 230), kBodyDark);  // the groove the shutter slides in
    // The embossed arrow that shows which edge goes into the drive.
    const Shape arrow = polygon(kW, kH, {{326, 40}, {342, 40}, {334, 52}});
    p.fill(arrow, kBodyLight);
    p.fill(arrow.rim(1, 1, 1), kBodyDark);
    // Grip ridges beside the shutter.
    for (int x = 282; x < 330; x += 6) {
        p.fill(rect(kW, kH, x, 250, x + 2, 280), kBodyDark);
        p.fill(rect(kW, kH, x + 2, 250, x + 3, 280), kBodyLight);
    }
    // Write-protect window and the density hole in the lower corners.
    p.fill(rect(kW, kH, 22, 296, 38, 312), kHole);
    p.fill(rect(kW, kH, 24, 298, 30, 310), kBodyLight);
    p.fill(rect(kW, kH, 320, 296, 336, 312), kHole);
    return p;
}

// ---- button icons: sprites on black with masks ----

enum : std::uint8_t {
    kIOutline = 1,
    kIWhite,
    kIBlueDark,
    kIBlue,
    kIBlueLight,
    kIGreenDark,
    kIGreen,
    kIGreenLight
};
const std::vector<Rgb> kIconPalette = {{0, 0, 0},     {20, 28, 52},   {255, 255, 255},
                                       {28, 64, 150}, {52, 112, 212}, {130, 180, 246},
                                       {28, 110, 40}, {60, 170, 70},  {150, 220, 130}};

Picture globeIcon() {
    constexpr int kS = 32;
    Picture p(kS, kS, kIconPalette);
    const Shape globe = ellipse(kS, kS, 16, 16, 14, 14);
    p.ramp(globe, {kIBlueLight, kIBlue, kIBlueDark},
           [](int x, int y) { return 0.1 + (x + y) / 60.0; });
    // Continents.
    const Shape land = (ellipse(kS, kS, 11, 11, 6, 4) | ellipse(kS, kS, 9, 17, 3, 5) |
                        ellipse(kS, kS, 21, 20, 5, 6) | ellipse(kS, kS, 22, 9, 3, 2)) &
                       globe;
    p.ramp(land, {kIGreenLight, kIGreen, kIGreenDark},
           [](int x, int y) { return 0.1 + (x + y) / 60.0; });
    // Meridians and parallels.
    Shape grid = ellipse(kS, kS, 16, 16, 6, 14) - ellipse(kS, kS, 16, 16, 5, 13);
    grid |= rect(kS, kS, 2, 15.5, 30, 16.5) | rect(kS, kS, 15.5, 2, 16.5, 30);
    grid |= (ellipse(kS, kS, 16, 16, 14, 14) &
             (rect(kS, kS, 0, 8, kS, 9) | rect(kS, kS, 0, 23, kS, 24)));
    p.fill(grid & globe, kIBlueLight);
    p.fill(globe.outline(1), kIOutline);
    p.fill(ellipse(kS, kS, 10, 9, 3, 2) & globe, kIWhite);  // a glint
    return p;
}

Picture infoIcon() {
    constexpr int kS = 32;
    Picture p(kS, kS, kIconPalette);
    const Shape disc = ellipse(kS, kS, 16, 16, 14, 14);
    p.ramp(disc, {kIBlueLight, kIBlue, kIBlueDark},
           [](int x, int y) { return 0.1 + (x + y) / 60.0; });
    p.fill(disc.outline(1), kIOutline);
    p.fill(ellipse(kS, kS, 16, 9, 2.6, 2.6), kIWhite);
    p.fill(rect(kS, kS, 13, 13, 18.5, 15) | rect(kS, kS, 14, 13, 18.5, 24) |
               rect(kS, kS, 12.5, 23, 20, 25),
           kIWhite);
    return p;
}

Picture okIcon() {
    constexpr int kS = 32;
    Picture p(kS, kS, kIconPalette);
    const Shape tick = stroke(kS, kS, {{5, 17}, {12, 25}, {27, 6}}, 6);
    p.ramp(tick, {kIGreenLight, kIGreen, kIGreenDark},
           [](int x, int y) { return 0.1 + (x + y) / 58.0; });
    p.fill(tick.outline(1) & p.whole(), kIOutline);
    return p;
}

// ---- the program icon: the snowman's head in his top hat ----

IconImage programIcon(int size) {
    const double s = size / 32.0;
    Picture p(size, size,
              {{0, 0, 0},
               {24, 30, 54},
               {255, 255, 255},
               {206, 220, 244},
               {150, 172, 218},
               {20, 20, 28},
               {70, 72, 90},
               {206, 40, 44},
               {246, 132, 38},
               {60, 60, 70}});
    const Shape head = ellipse(size, size, 15 * s, 20 * s, 11 * s, 11 * s);
    p.ramp(head, {2, 3, 4}, [&](int x, int y) {
        return std::round((0.1 + (x + y - 20 * s) / (30 * s)) * 2) /
               2;  // flat bands read at 16 pixels
    });
    const Shape brim = ellipse(size, size, 15 * s, 10.5 * s, 12 * s, 2.6 * s);
    const Shape crown = rect(size, size, 8 * s, 1 * s, 22 * s, 10.5 * s);
    p.fill(brim | crown, 5);
    p.fill(crown & rect(size, size, 9 * s, 1 * s, 12 * s, 10 * s), 6);
    p.fill(rect(size, size, 8 * s, 7 * s, 22 * s, 9.5 * s), 7);
    const double eye = std::max(1.0, 1.7 * s);
    p.fill(ellipse(size, size, 11.5 * s, 18 * s, eye, eye) |
               ellipse(size, size, 18.5 * s, 18 * s, eye, eye),
           9);
    p.fill(polygon(size, size, {{15 * s, 20.5 * s}, {28 * s, 23.5 * s}, {15 * s, 23.5 * s}}), 8);
    const Shape figure = p.coverage();
    p.fill(figure.outline(1) & p.whole(), 1);
    IconImage image{size, std::vector<std::uint32_t>(std::size_t(size) * size, 0)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (p.coverage().at(x, y)) {
                const Rgb c = p.rgbAt(x, y);
                image.argb[std::size_t(y) * size + x] =
                    0xFF000000u | (c.r << 16) | (c.g << 8) | c.b;
            }
    return image;
}

}  // namespace

TrueColourPicture scaledBanner(double sx, double sy) {
    const PaintingScale scale(sx, sy);
    return trueColours(banner());
}

void paintUiPictures(std::vector<Artwork>& out) {
    out.push_back({res::kBanner, "banner", Storage::Bits4, banner()});
    out.push_back({res::kAboutBackground, "about", Storage::Bits4, aboutDisk()});
    out.push_back({res::kAboutLogo, "logo", Storage::Bits4, logo()});
    const struct {
        int id;
        const char* name;
        Picture picture;
    } icons[] = {
        {res::kIconHomepage, "icon-www", globeIcon()},
        {res::kIconInfo, "icon-info", infoIcon()},
        {res::kIconOk, "icon-ok", okIcon()},
    };
    for (const auto& icon : icons) {
        out.push_back({icon.id, icon.name, Storage::Bits4, icon.picture});
        out.push_back(
            {icon.id + 1, std::string(icon.name) + "-mask", Storage::Bits1, maskOf(icon.picture)});
    }
}

std::vector<IconImage> paintIcon() { return {programIcon(32), programIcon(16), programIcon(48)}; }

}  // namespace gm::art
