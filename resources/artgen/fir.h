// The snow-laden fir tree, shared by the single trees, the forest strips
// and the village.
#pragma once

#include "resources/artgen/paint_kit.h"

namespace gm::art {

// Palette indices a fir is painted with.
struct FirColours {
    std::uint8_t outline, deepGreen, green, lightGreen, trunkDark, trunk, snowOutline, snowShade,
        snowMid, snowWhite;
};

struct Fir {
    double cx;     // centre of the trunk
    double baseY;  // the row the tree stands on (its lowest row is baseY - 1)
    double height;
    double width;  // width of the lowest tier
    int tiers;
    std::uint32_t seed;
};

// Paints the tree with outline and a snow mound at its foot.
void paintFir(Picture& p, const FirColours& c, const Fir& fir);

}  // namespace gm::art
