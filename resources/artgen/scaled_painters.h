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

// Smooth shading: a and b mixed by t in [0, 1] (mix() of art.h, rounded
// more cheaply), and the colour at t along evenly spaced stops.
inline Rgb blend(Rgb a, Rgb b, double t) {
    const auto channel = [t](std::uint8_t u, std::uint8_t v) {
        return static_cast<std::uint8_t>(u + (v - u) * t + 0.5);
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}
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
ScaledSprite scaledSnowman(double sx, double sy);               // art_snowman.cpp
// frame > 0: that frame of the tree sheet alone (kTreeFrames, scaled.h).
ScaledSprite scaledTrees(int id, int frame, double sx, double sy);  // art_trees.cpp
ScaledSprite scaledHouse(int id, double sx, double sy);             // art_houses.cpp
ScaledSprite scaledFence(double sx, double sy);                     // art_fence.cpp
ScaledSprite scaledTown(double sx, double sy);                      // art_town.cpp
ScaledSprite scaledVillage(double sx, double sy);                   // art_village.cpp
ScaledSprite scaledBird(int id, double sx, double sy);              // art_flyers.cpp
ScaledSprite scaledPlane(double sx, double sy);                     // art_flyers.cpp
TrueColourPicture scaledBanner(double sx, double sy);               // art_ui.cpp

// A picture's true colours, every pixel.
TrueColourPicture trueColours(const Picture& p);
// A sprite painted under a PaintingScale (shape.h), finished as the
// catalogue's are: loose specks removed, black around the figure.
ScaledSprite finishedSprite(Picture p);
// paint() run at sx x sy, its picture finished as a sprite.
template <class Paint>
ScaledSprite paintedAt(double sx, double sy, Paint paint) {
    const PaintingScale scale(sx, sy);
    return finishedSprite(paint());
}

}  // namespace gm::art
