#include "resources/artgen/fir.h"

#include <algorithm>
#include <cmath>

namespace gm::art {

void paintFir(Picture& p, const FirColours& c, const Fir& fir) {
    const int w = p.width(), h = p.height();
    Random rnd(fir.seed);
    const double top = fir.baseY - fir.height;
    const double trunkH = std::max(2.0, fir.height * 0.09);
    const double crownBottom = fir.baseY - trunkH;
    const double crownH = crownBottom - top;
    const double unit = std::max(1.0, fir.height / 50.0);  // a pixel scale for small details

    Shape figure(w, h);
    // Trunk.
    const double tw = std::max(2.0, fir.width * 0.09);
    Shape trunk = rect(w, h, fir.cx - tw / 2, crownBottom - trunkH, fir.cx + tw / 2, fir.baseY);
    p.fill(trunk, c.trunk);
    p.fill(trunk.rim(1, 0, std::max(1, int(tw / 3))), c.trunkDark);
    figure |= trunk;

    // Tiers from the bottom up, so that every upper tier overlaps the one below.
    for (int k = fir.tiers - 1; k >= 0; --k) {
        const double f0 = double(k) / fir.tiers, f1 = double(k + 1) / fir.tiers;
        const double tierTop = top + crownH * (k == 0 ? 0.0 : f0 * 0.92 - 0.06);
        const double tierBottom = top + crownH * f1;
        const double hw = fir.width / 2 * (0.3 + 0.7 * f1) * rnd.range(0.92, 1.05);
        const double th = tierBottom - tierTop;
        std::vector<Pt> pts{{fir.cx, tierTop}};
        append(pts,
               cubic({fir.cx, tierTop}, {fir.cx + hw * 0.25, tierTop + th * 0.35},
                     {fir.cx + hw * 0.8, tierBottom - th * 0.35}, {fir.cx + hw, tierBottom}, 10));
        // Scalloped lower edge: branch tips hanging down, right to left.
        const int tips = std::max(2, static_cast<int>(hw * 2 / (5 * unit)));
        for (int i = 1; i <= tips; ++i) {
            const double x = fir.cx + hw - 2 * hw * i / tips;
            const double xm = x + hw / tips;
            pts.push_back({xm, tierBottom - th * 0.16 - unit});
            pts.push_back({x, tierBottom + rnd.range(-0.4, 0.6) * unit});
        }
        append(pts, cubic({fir.cx - hw, tierBottom}, {fir.cx - hw * 0.8, tierBottom - th * 0.35},
                          {fir.cx - hw * 0.25, tierTop + th * 0.35}, {fir.cx, tierTop}, 10));
        const Shape tier = polygon(w, h, pts);

        // Green: lit on the left, shaded on the right and under the snow.
        // Flat bands of colour, no dither: a picture-book look.
        p.ramp(tier, {c.lightGreen, c.green, c.deepGreen}, [&](double x, double y) {
            const double across = (x + 0.5 - fir.cx) / std::max(1.0, hw);
            const double down = (y + 0.5 - tierTop) / std::max(1.0, th);
            return std::round((0.45 + 0.6 * across + 0.15 * down) * 2) / 2;
        });
        // Needle strokes hanging from the tier's lower edge.
        for (double x = fir.cx - hw + 2 * unit; x < fir.cx + hw - unit; x += 3 * unit) {
            const double y = tierBottom - th * 0.3;
            p.fill(stroke(w, h, {{x, y}, {x + 0.6 * unit, y + th * 0.2}}, 1) & tier, c.deepGreen);
        }
        // Snow lying on the tier, thicker in the middle, with lumpy lower edge.
        const double depth = th * 0.44;
        Shape snow = topLayer(tier, [&](double x) {
            const double across = std::fabs(x + 0.5 - fir.cx) / std::max(1.0, hw);
            const double lump = 0.8 * unit * std::sin(x * 1.3 / unit + fir.seed + k);
            return std::max(unit, depth * (1.0 - 0.55 * across) + lump);
        });
        const Shape underSnow = snow.shifted(0, std::max(1, int(unit))) - snow;
        p.fill(underSnow & tier, c.deepGreen);
        p.ramp(snow, {c.snowWhite, c.snowMid, c.snowShade}, [&](double x, double y) {
            const double across = (x + 0.5 - fir.cx) / std::max(1.0, hw);
            const int column = static_cast<int>(std::floor(x + 0.5));
            const int row = static_cast<int>(std::floor(y + 0.5));
            int depthInSnow = 0;
            while (snow.at(column, row - depthInSnow - 1)) ++depthInSnow;
            return std::round((0.1 + 0.6 * across + 0.5 * depthInSnow / std::max(1.0, depth)) * 2) /
                   2;
        });
        p.fill(snow.rim(0, -1, 1), c.snowWhite);  // the lit top of the snow
        figure |= tier;
    }

    // A little snow mound at the foot, as wide as the trunk's surroundings.
    const double moundW = std::max(tw * 2.5, fir.width * 0.32);
    const double moundH = std::max(2.0, trunkH * 0.9);
    Shape mound =
        ellipse(w, h, fir.cx, fir.baseY, moundW / 2, moundH) & rect(w, h, 0, 0, w, fir.baseY);
    p.ramp(mound, {c.snowWhite, c.snowMid, c.snowShade},
           [&](double x, double) { return 0.35 + 0.6 * (x + 0.5 - fir.cx) / moundW; });
    figure |= mound;
    outlineFigure(p, figure, c.outline, c.snowOutline, {c.snowWhite, c.snowMid, c.snowShade});
}

}  // namespace gm::art
