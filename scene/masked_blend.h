// Pixel-by-pixel blending of a target surface through a 1-bit pattern: the
// clouds are lightened into the sky and the snowman's shadow darkened into
// the snow with these while the scene is built.
//
// The pattern is the picture in picBuffer, its top-left corner placed at
// (x, y) on the target. The scan runs column by column, top to bottom.
// Neither procedure reports errors: a statement that fails is skipped and the
// scan goes on.
#pragma once

#include "basic/numeric.h"
#include "gfx/surface.h"

namespace gm {

// Pulls every target pixel under a light pattern pixel (colour value above
// 1000) towards white by percent.
void LightenMasked(gfx::Surface& dc, const gfx::Surface& picBuffer, Int16 x, Int16 y,
                   Int16 percent);

// Darkens every target pixel under a dark pattern pixel (colour value below
// 1000) by percent, red more than green and blue, and writes it back up to
// 2 pixels to the right and 1 lower (Zz(0, 2), Zz(0, 1)). A written pixel may
// be read again further on in the scan and is then darkened once more.
// Components below 0 count as 0.
void DarkenMasked(gfx::Surface& dc, const gfx::Surface& picBuffer, Int16 x, Int16 y, Int16 percent);

// The same through a pattern painted at a scale (a scaled canvas's): the
// offsets come from a fixed noise of the pattern pixel's place, and the
// random sequence advances by the draws DarkenMasked would have made
// through classicPattern, so that everything drawn afterwards stays as on
// the classic canvas.
void DarkenMaskedScaled(gfx::Surface& dc, const gfx::Surface& pattern, int x, int y, Int16 percent,
                        const gfx::Bitmap& classicPattern);

}  // namespace gm
