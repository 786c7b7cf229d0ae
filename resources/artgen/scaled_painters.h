// The painters that paint at any scale (scaled.h), one per group of pictures.
#pragma once

#include <optional>

#include "resources/artgen/art.h"
#include "resources/artgen/scaled.h"

namespace gm::art {

// A sprite and what of it is covered (1: the figure).
struct ScaledSprite {
    TrueColourPicture picture;
    std::vector<std::uint8_t> covered;
};

// Smooth shading: the colour at t in [0, 1] along evenly spaced stops.
Rgb colourAlong(const std::vector<Rgb>& stops, double t);
inline std::uint32_t word(Rgb c) {
    return std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b;
}
inline Rgb rgbOf(std::uint32_t w) {
    return {std::uint8_t(w >> 16), std::uint8_t(w >> 8), std::uint8_t(w)};
}
// How much of the pixel at distance d from a round dot's centre the dot of
// radius r covers (a one-pixel soft edge), for dots of a few pixels.
double dotCover(double d, double r);

TrueColourPicture scaledStrip(int id, double sx, double sy);    // art_sky.cpp
TrueColourPicture scaledBand(int id, double sx, double sy);     // art_sky.cpp
TrueColourPicture scaledPattern(int id, double sx, double sy);  // art_patterns.cpp
ScaledSprite scaledHill(int id, double sx, double sy);          // art_hills.cpp

}  // namespace gm::art
