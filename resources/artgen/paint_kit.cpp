#include "resources/artgen/paint_kit.h"

#include <algorithm>
#include <cmath>

namespace gm::art {

void outlineFigure(Picture& p, Shape figure, std::uint8_t outline, std::uint8_t snowOutline,
                   const std::vector<std::uint8_t>& snowColours) {
    removeSpecks(p, figure);
    const Shape ring = figure.outline(1);
    auto isSnow = [&](int x, int y) {
        return figure.atPixel(x, y) && std::find(snowColours.begin(), snowColours.end(),
                                                 p.atPixel(x, y)) != snowColours.end();
    };
    // The ring is one catalogue pixel wide: its pixels look that far for snow.
    const int d = std::max(1, static_cast<int>(std::lround(figure.kx())));
    const Shape::Box b = ring.box();
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) {
            if (!ring.atPixel(x, y)) continue;
            bool snow = false;
            for (int k = 1; k <= d && !snow; ++k)
                snow = isSnow(x, y + k) || isSnow(x, y - k) || isSnow(x - k, y) || isSnow(x + k, y);
            p.setPixel(x, y, snow ? snowOutline : outline);
        }
}

void removeSpecks(Picture& p, Shape& figure) {
    for (int pass = 0; pass < 2; ++pass) {
        Shape loose(figure.width(), figure.height());
        const Shape::Box b = figure.box();
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x)
                if (figure.atPixel(x, y) && figure.atPixel(x - 1, y) + figure.atPixel(x + 1, y) +
                                                    figure.atPixel(x, y - 1) +
                                                    figure.atPixel(x, y + 1) <
                                                2)
                    loose.setPixel(x, y);
        p.clear(loose);
        figure -= loose;
    }
}

Shape snowOn(Picture& p, const Shape& surface, double thickness, const SnowColours& c,
             std::uint32_t seed) {
    // At the catalogue's size the depth is whole pixels; at a finer scale
    // it follows the lumps smoothly, the noise between its pixels blended.
    const bool whole = paintingScale().x == 1;
    const Shape snow = topLayer(surface, [&](double x) {
        const int column = static_cast<int>(std::floor(x));
        const double between = x - column;
        const double grain =
            (1 - between) * noise(column, 0, seed) + between * noise(column + 1, 0, seed);
        const double lump = 0.5 * thickness * (0.5 * std::sin(x * 0.45 + seed) + 0.5 * grain);
        const double depth = thickness * 0.75 + lump;
        return whole ? std::max(1.0, double(std::lround(depth))) : std::max(1.0, depth);
    });
    int x0 = p.width(), x1 = 0;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (snow.at(x, y)) x0 = std::min(x0, x), x1 = std::max(x1, x);
    const double span = std::max(1, x1 - x0);
    p.ramp(snow, {c.white, c.mid, c.shade}, [&](double x, double y) {
        const int column = static_cast<int>(std::floor(x + 0.5));
        const int row = static_cast<int>(std::floor(y + 0.5));
        int depth = 0;
        while (snow.at(column, row - depth - 1)) ++depth;
        return 0.15 + 0.55 * depth / std::max(1.0, thickness) + 0.45 * (x - x0) / span - 0.1;
    });
    p.fill(snow.rim(0, -1, 1), c.white);
    return snow;
}

Shape icicles(int w, int h, const Shape& from, int x0, int x1, int maxLength, std::uint32_t seed) {
    Shape s(w, h);
    Random rnd(seed);
    for (int x = x0; x <= x1; x += rnd.integer(2, 5)) {
        int y = h - 1;
        while (y > 0 && !from.at(x, y)) --y;
        if (!from.at(x, y)) continue;
        const int len = rnd.integer(1, maxLength);
        for (int k = 1; k <= len; ++k) s.set(x, y + k);
        if (len > 3) s.set(x + 1, y + 1);
    }
    return s;
}

}  // namespace gm::art
