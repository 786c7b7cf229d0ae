// The catalogue's pictures painted at any scale, in true colour.
//
// The painters compute their shapes, so they paint a picture as well at
// 4.5 times its catalogue size as at its own: every shape, shade and speck
// is worked out at the picture's physical pixels, with smooth shading in
// place of the palettes and ordered dither of the stored 1x pictures. The
// program paints what a scaled canvas needs when it needs it (painting a
// landscape's pictures at 4K takes a fraction of a second; shipping sets in
// true colour for every scale would take tens of megabytes).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace gm::art {

// 0x00RRGGBB words, row-major, top-down. A sprite is black wherever its
// mask is white, as in the catalogue.
struct TrueColourPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The rows of the sky gradient strips (101-105, 480 rows): their top colour
// over the upper rows (past the band's lower edge, row 119), then brightening
// to near-white at kStripNearWhiteRow, near-white below.
inline constexpr int kStripFlatRows = 124;
inline constexpr int kStripNearWhiteRow = 320;

// The tree sheet (143/144) is kTreeFrames frames of 100 x 100 one above
// the other; a frame can be painted alone (paintScaledFrame).
inline constexpr int kTreeFrames = 5;

// A catalogue size at scale s: the whole number of pixels it covers.
int scaledSize(int size, double s);

// The catalogue picture `id` (or the mask of a sprite; the scene's pictures,
// the birds, the plane and the banner) painted at sx x sy times its
// catalogue size; nullopt for a picture that is painted at the catalogue
// size only (the dialogs' pictures).
std::optional<TrueColourPicture> paintScaled(int id, double sx, double sy);
// Frame `frame` (1 to kTreeFrames) of the tree sheet or its mask alone, at
// sx x sy times the frame's size, so that a tree drawn larger than its frame
// is painted at the size it is drawn; frame 0 is paintScaled.
std::optional<TrueColourPicture> paintScaledFrame(int id, int frame, double sx, double sy);

// The sprite a mask belongs to, and the other way round.
std::optional<int> spriteOfMask(int maskId);
std::optional<int> maskOfSprite(int spriteId);

}  // namespace gm::art
