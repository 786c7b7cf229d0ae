// The saver's pictures, painted by code.
//
// Each painter returns finished pictures in palette indices; main.cpp stores
// them in their storage forms. Sprites come with their masks (derived from
// the sprite's own coverage by the encoder), so the painters only paint.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/artgen/bmp_encoder.h"
#include "resources/artgen/picture.h"

namespace gm::art {

// One stored bitmap: its resource id, its file name under bitmaps/, its form.
struct Artwork {
    int id;
    std::string name;
    Storage storage;
    Picture picture;
};

// A sprite and its 1-bit mask, the mask under `maskId`.
void addSprite(std::vector<Artwork>& out, int id, int maskId, Storage storage,
               const Picture& sprite);

// Painters, one per group of pictures; each appends what it paints.
void paintSky(std::vector<Artwork>& out);       // gradient strips and sky bands
void paintPatterns(std::vector<Artwork>& out);  // cloud and shadow blend patterns
void paintHills(std::vector<Artwork>& out);
void paintTrees(std::vector<Artwork>& out);   // single trees and forest strips
void paintHouses(std::vector<Artwork>& out);  // red house and log cabin
void paintVillage(std::vector<Artwork>& out);
void paintTown(std::vector<Artwork>& out);  // the five town skylines
void paintFence(std::vector<Artwork>& out);
void paintSnowman(std::vector<Artwork>& out);
void paintFlyers(std::vector<Artwork>& out);      // birds and the plane
void paintUiPictures(std::vector<Artwork>& out);  // banner, about box, logo, button icons
void paintPreview(std::vector<Artwork>& out);     // the preview picture (a scene from the others)

// The program icon's images, square, 32-bit colour with a hard 1-bit alpha.
struct IconImage {
    int size;
    std::vector<std::uint32_t> argb;  // row-major, top-down
};
std::vector<IconImage> paintIcon();

// ---- small helpers shared by the painters ----

Rgb mix(Rgb a, Rgb b, double t);
// n colours evenly spaced along the polyline through the stops.
std::vector<Rgb> gradientColours(const std::vector<Rgb>& stops, int n);
// Deterministic noise in [0, 1) for a pixel and a seed.
double noise(int x, int y, std::uint32_t seed);

// A deterministic random sequence (splitmix64) for placing things.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    double uniform();  // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int integer(int lo, int hi) { return lo + static_cast<int>(uniform() * (hi - lo + 1)); }

  private:
    std::uint64_t state_;
};

}  // namespace gm::art
