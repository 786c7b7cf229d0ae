// Painting helpers shared by the painters: snow lying on surfaces and the
// outlines that give the art its picture-book look.
#pragma once

#include "resources/artgen/art.h"

namespace gm::art {

struct SnowColours {
    std::uint8_t white, mid, shade, outline;
};

// The part of `s` lying within thickness(x) pixels below its upper edges
// (x and the thickness in catalogue pixels; at a finer scale x is asked at
// each physical column, a fraction, so that a smooth thickness stays smooth).
template <class F>
Shape topLayer(const Shape& s, F thickness) {
    Shape out(s.width(), s.height());
    const Shape::Box b = s.box();
    out.reserve(b);
    for (int x = b.left; x < b.right; ++x) {
        const double limit = thickness(x / s.kx()) * s.ky();
        int run = 0;
        for (int y = b.top; y < b.bottom; ++y) {
            run = s.atPixel(x, y) ? run + 1 : 0;
            if (run > 0 && run <= limit) out.setPixel(x, y);
        }
    }
    return out;
}

// The area from the row y(x) of each column x down to the bottom edge: at
// the catalogue's size from y rounded down, at a finer scale every physical
// pixel below the curve itself.
template <class F>
Shape fromCurveDown(int w, int h, F y) {
    Shape s(w, h);
    s.reserve({0, 0, s.pixelsAcross(), s.pixelsDown()});
    if (s.kx() == 1 && s.ky() == 1) {
        for (int x = 0; x < w; ++x)
            for (int yy = static_cast<int>(y(x)); yy < h; ++yy) s.set(x, yy);
        return s;
    }
    for (int x = 0; x < s.pixelsAcross(); ++x) {
        const double top = y((x + 0.5) / s.kx() - 0.5);
        for (int yy = 0; yy < s.pixelsDown(); ++yy)
            if ((yy + 0.5) / s.ky() >= top) s.setPixel(x, yy);
    }
    return s;
}

// Remove the figure's loose specks and one-pixel spikes (pixels with fewer
// than two neighbours in the figure), so that outlines stay clean.
void removeSpecks(Picture& p, Shape& figure);

// Outline the picture's figure after removing its specks: each outline
// pixel takes `snowOutline` when it borders one of the snow colours, else
// `outline`.
void outlineFigure(Picture& p, Shape figure, std::uint8_t outline, std::uint8_t snowOutline,
                   const std::vector<std::uint8_t>& snowColours);

// Snow lying on the upward faces of `surface`: `thickness` pixels deep with a
// lumpy lower edge, lit at its top, bluer lower down and to the right.
// Returns the snow's shape.
Shape snowOn(Picture& p, const Shape& surface, double thickness, const SnowColours& c,
             std::uint32_t seed);

// Icicles hanging from the lower edge of `from` between columns x0 and x1.
Shape icicles(int w, int h, const Shape& from, int x0, int x1, int maxLength, std::uint32_t seed);

}  // namespace gm::art
