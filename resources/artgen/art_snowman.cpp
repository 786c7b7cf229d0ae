// The snowman (181/182, 285 x 300, 256 colours, RLE8): three snow balls
// shaded as spheres lit from the upper left, a black top hat with a red
// band, coal eyes, mouth and buttons, a carrot nose, a red knitted scarf
// with a hanging fringed end, twig arms, and a besom broom in his left hand
// (the viewer's right). He stands on the bottom row, centred over his
// shadow.
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/paint_kit.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

constexpr int kW = 285, kH = 300;

// Palette: black, outline, then one ramp per material, darkest first.
struct Ramp {
    std::uint8_t first;
    int count;
    std::vector<std::uint8_t> all() const {
        std::vector<std::uint8_t> v;
        for (int i = 0; i < count; ++i) v.push_back(std::uint8_t(first + i));
        return v;
    }
    std::vector<std::uint8_t> lightToDark() const {
        auto v = all();
        return {v.rbegin(), v.rend()};
    }
};

struct SnowmanPalette {
    std::vector<Rgb> colours{{0, 0, 0}, {36, 42, 70}};
    Ramp add(const std::vector<Rgb>& stops, int n) {
        const Ramp r{std::uint8_t(colours.size()), n};
        for (const Rgb& c : gradientColours(stops, n)) colours.push_back(c);
        return r;
    }
};

constexpr std::uint8_t kOutline = 1;

// The catalogue pixel a ramp's coordinate lies in, for patterns of whole
// pixels (stripes, knitted bands) that stay as crisp at any scale.
int row(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// Brightness of a sphere point lit from the upper left, in [0, 1].
double sphereLight(double x, double y, double cx, double cy, double r) {
    const double nx = (x - cx) / r, ny = (y - cy) / r;
    const double nz = std::sqrt(std::max(0.0, 1 - nx * nx - ny * ny));
    const double lx = -0.45, ly = -0.6, lz = 0.66;
    const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    return std::clamp(0.18 + 0.85 * diffuse, 0.0, 1.0);
}

Picture snowman() {
    SnowmanPalette pal;
    const Ramp snow =
        pal.add({{104, 124, 182}, {168, 188, 228}, {226, 236, 250}, {255, 255, 255}}, 40);
    const Ramp hat = pal.add({{8, 8, 14}, {40, 40, 54}, {96, 98, 120}}, 16);
    const Ramp band = pal.add({{96, 14, 22}, {200, 40, 44}, {250, 110, 96}}, 12);
    const Ramp carrot = pal.add({{160, 60, 16}, {236, 118, 30}, {255, 186, 92}}, 14);
    const Ramp scarf = pal.add({{92, 12, 22}, {196, 34, 40}, {244, 96, 84}}, 20);
    const Ramp coal = pal.add({{14, 14, 18}, {60, 60, 70}, {150, 150, 170}}, 10);
    const Ramp wood = pal.add({{60, 34, 18}, {128, 80, 42}, {196, 144, 90}}, 16);
    const Ramp straw = pal.add({{110, 76, 30}, {196, 150, 70}, {246, 220, 140}}, 16);
    Picture p(kW, kH, pal.colours);
    const int w = kW, h = kH;
    Shape figure(w, h);

    auto shadeSphere = [&](const Shape& s, double cx, double cy, double r, const Ramp& ramp) {
        p.ramp(s, ramp.all(),
               [&](double x, double y) { return sphereLight(x + 0.5, y + 0.5, cx, cy, r); });
    };

    // The broom, held upright behind his left hand: stick, binding, bristles.
    const double bx = 236;
    const Shape stick = rect(w, h, bx - 3, 92, bx + 3, 292);
    p.ramp(stick, wood.lightToDark(), [&](double x, double) { return (x - bx + 3.5) / 7.0; });
    figure |= stick;
    Shape bristles(w, h);
    Random rnd(181);
    for (int i = 0; i < 34; ++i) {
        const double spread = (i - 16.5) / 16.5;
        const double tipX = bx + spread * 30 + rnd.range(-3, 3);
        const double tipY = 16 + std::fabs(spread) * 18 + rnd.range(-5, 5);
        bristles |= stroke(w, h,
                           cubic({bx + spread * 5, 100}, {bx + spread * 8, 70},
                                 {tipX - spread * 4, 40}, {tipX, tipY}, 10),
                           2.2);
    }
    p.ramp(bristles, straw.lightToDark(), [&](double x, double y) {
        return 0.2 + 0.5 * (x - bx + 30) / 60.0 + 0.3 * (y - 20) / 80.0;
    });
    for (int i = 0; i < 60; ++i) {  // darker twigs among the straw
        const double t = rnd.uniform();
        const int x = static_cast<int>(bx + (t - 0.5) * 40), y = rnd.integer(34, 92);
        if (bristles.at(x, y))
            p.fill(
                stroke(w, h, {{double(x), double(y)}, {x + (t - 0.5) * 4, y - 8.0}}, 1) & bristles,
                straw.first + 2);
    }
    figure |= bristles;
    const Shape binding = rect(w, h, bx - 7, 88, bx + 7, 100);
    p.ramp(binding, band.lightToDark(), [&](double x, double y) {
        return 0.3 + (x - bx) / 20.0 + ((row(y) - 88) % 4 == 0 ? 0.3 : 0);
    });
    figure |= binding;
    figure |= snowOn(p, bristles, 4,
                     {std::uint8_t(snow.first + 39), std::uint8_t(snow.first + 30),
                      std::uint8_t(snow.first + 22), kOutline},
                     1811);

    // Twig arms: the right one reaches out to the broom.
    auto twig = [&](const std::vector<Pt>& pts, double width) {
        const Shape s = stroke(w, h, pts, width);
        p.ramp(s, wood.lightToDark(), [&](double, double y) { return 0.3 + 0.02 * (row(y) % 5); });
        figure |= s;
    };
    twig({{100, 150}, {70, 128}, {40, 108}}, 4.5);
    twig({{58, 120}, {50, 100}}, 3);
    twig({{46, 112}, {26, 106}}, 3);
    twig({{176, 150}, {208, 140}, {232, 128}}, 4.5);
    twig({{218, 135}, {224, 116}}, 3);
    // His hand round the stick: a knot of twigs in front of it.
    twig({{230, 124}, {242, 126}}, 3.5);
    twig({{230, 132}, {243, 134}}, 3.5);

    // Three balls, lowest first.
    const struct { double cx, cy, r; } balls[] = {{136, 238, 61}, {136, 152, 46}, {136, 82, 34}};
    for (const auto& b : balls) {
        const Shape ball = ellipse(w, h, b.cx, b.cy, b.r, b.r * 0.97);
        shadeSphere(ball, b.cx, b.cy, b.r, snow);
        figure |= ball;
    }
    // The upper balls cast soft shadows on the ones below.
    for (int i = 1; i < 3; ++i) {
        const auto& b = balls[i];
        const auto& below = balls[i - 1];
        const Shape shadow = (ellipse(w, h, b.cx + 6, b.cy + b.r * 0.55, b.r * 1.0, b.r * 0.55) &
                              ellipse(w, h, below.cx, below.cy, below.r, below.r * 0.97)) -
                             ellipse(w, h, b.cx, b.cy, b.r, b.r * 0.97);
        p.ramp(shadow, snow.all(), [&](double x, double y) {
            return 0.55 * sphereLight(x + 0.5, y + 0.5, below.cx, below.cy, below.r);
        });
    }
    // He stands in a little heap of packed snow.
    const Shape heap = ellipse(w, h, 138, kH, 50, 7);
    p.ramp(heap, snow.lightToDark(), [&](double x, double y) {
        return 0.25 + 0.4 * (x - 88) / 100.0 + 0.3 * (y - 293) / 7.0;
    });
    figure |= heap;
    // Glints on the snow.
    for (int i = 0; i < 70; ++i) {
        const auto& b = balls[i % 3];
        const double a = rnd.range(M_PI, 1.9 * M_PI), d = rnd.range(0.3, 0.9) * b.r;
        const int x = static_cast<int>(b.cx + std::cos(a) * d),
                  y = static_cast<int>(b.cy + std::sin(a) * d);
        if (sphereLight(x, y, b.cx, b.cy, b.r) > 0.7)
            p.set(x, y, std::uint8_t(snow.first + snow.count - 1));
    }

    // Coal buttons.
    auto coalStone = [&](double cx, double cy, double r) {
        const Shape s = ellipse(w, h, cx, cy, r, r * 0.9);
        shadeSphere(s, cx, cy, r, coal);
        figure |= s;
    };
    for (int i = 0; i < 3; ++i) coalStone(138 + i * 0.5, 138 + i * 17, 4.6);
    coalStone(139, 214, 5);
    coalStone(140, 236, 5);

    // Face: coal eyes with a glint, a smile of small coals.
    for (const double ex : {123.0, 149.0}) {
        coalStone(ex, 74, 5);
        p.set(int(ex) - 2, 71, coal.first + coal.count - 1);
        p.set(int(ex) - 1, 71, coal.first + coal.count - 1);
    }
    for (int i = 0; i < 5; ++i) {
        const double a = M_PI * (0.15 + 0.175 * i);
        coalStone(136 + std::cos(a) * -17, 83 + std::sin(a) * 12, 2.4);
    }
    // Carrot nose pointing to the right, with ridges.
    const Shape nose = polygon(w, h, {{136, 78}, {178, 88}, {136, 89}});
    p.ramp(nose, carrot.lightToDark(), [&](double x, double y) {
        return 0.15 + 0.7 * (y - 78) / 11.0 + 0.1 * (x - 136) / 42.0;
    });
    for (const double rx : {146.0, 156.0, 166.0})
        p.fill(stroke(w, h, {{rx, 81 + (rx - 136) * 0.2}, {rx + 1, 87}}, 1) & nose,
               carrot.first + 1);
    figure |= nose;

    // Scarf: a band round the neck and an end hanging over his chest.
    const Shape wrap = (ellipse(w, h, 136, 116, 40, 11) | ellipse(w, h, 136, 110, 36, 9)) -
                       ellipse(w, h, 136, 96, 30, 8);
    const Shape tail =
        polygon(w, h, {{104, 112}, {120, 116}, {118, 150}, {112, 172}, {94, 170}, {100, 146}});
    const Shape fringe = [&] {
        Shape f(w, h);
        for (int i = 0; i < 6; ++i)
            f |= stroke(w, h, {{95.0 + i * 3.3, 170}, {94.0 + i * 3.4, 178.0 + (i % 2) * 2}}, 1.6);
        return f;
    }();
    const Shape scarfShape = wrap | tail;
    p.ramp(scarfShape, scarf.lightToDark(), [&](double x, double y) {
        const double stripes =
            ((row(y) + (row(x) - 136) / 6) / 6) % 2 ? 0.12 : 0.0;  // knitted bands
        return 0.2 + 0.5 * (x - 96) / 80.0 + 0.25 * std::fabs(y - 114.0) / 14.0 + stripes;
    });
    for (int y = 118; y < 168; y += 6)
        p.fill(tail & rect(w, h, 0, y, w, y + 2), scarf.first + 6);  // stripes on the tail
    p.ramp(fringe, scarf.all(), [](double, double y) { return 0.4 + 0.05 * (row(y) % 3); });
    figure |= scarfShape | fringe;

    // The top hat: brim, crown, a red band, a dusting of snow on top.
    const Shape crown = polygon(w, h, {{112, 52}, {115, 14}, {160, 14}, {163, 52}}) |
                        ellipse(w, h, 137.5, 14, 22.5, 5);
    const Shape brim = ellipse(w, h, 137, 53, 39, 8);
    p.ramp(brim, hat.lightToDark(), [&](double x, double y) {
        return 0.35 + 0.4 * (x - 98) / 78.0 + 0.3 * (y - 45) / 16.0;
    });
    p.ramp(crown, hat.lightToDark(), [&](double x, double) {
        const double u = (x - 112) / 51.0;
        return 0.25 + 0.65 * std::fabs(u - 0.3);  // a soft sheen down the left third
    });
    const Shape hatBand = crown & rect(w, h, 0, 40, w, 50);
    p.ramp(hatBand, band.lightToDark(),
           [&](double x, double) { return 0.2 + 0.7 * (x - 112) / 51.0; });
    figure |= crown | brim;
    figure |= snowOn(p, ellipse(w, h, 137.5, 14, 22.5, 5) | crown, 5,
                     {std::uint8_t(snow.first + 39), std::uint8_t(snow.first + 30),
                      std::uint8_t(snow.first + 20), kOutline},
                     1812);
    figure |= snowOn(p, brim - crown, 3,
                     {std::uint8_t(snow.first + 39), std::uint8_t(snow.first + 30),
                      std::uint8_t(snow.first + 20), kOutline},
                     1813);

    std::vector<std::uint8_t> snowColours = snow.all();
    outlineFigure(p, figure, kOutline, kOutline, snowColours);
    return p;
}

}  // namespace

ScaledSprite scaledSnowman(double sx, double sy) { return paintedAt(sx, sy, snowman); }

void paintSnowman(std::vector<Artwork>& out) {
    addSprite(out, 181, 182, Storage::Bits8Rle, snowman());
}

}  // namespace gm::art
