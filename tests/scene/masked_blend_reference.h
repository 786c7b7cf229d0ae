// The masked lighten and darken written statement by statement, each
// statement skipped when it fails, through GetPixel, ConvRGB and SetPixel:
// the reference the fast procedures of scene/masked_blend.cpp are held to.
#pragma once

#include "basic/numeric.h"
#include "common/allgemein.h"
#include "errors/trap.h"
#include "gfx/surface.h"

namespace gm::reference {

// Pattern pixels above this colour value are light, below it dark.
inline constexpr gfx::Colour kPatternThreshold = 1000;

inline void LightenMasked(gfx::Surface& dc, const gfx::Surface& picBuffer, Int16 x, Int16 y,
                          Int16 percent) {
    Single f = 0, k = 0;
    Int16 add, lastColumn, lastRow, r, g, b;
    Int32 c, m;
    silently([&] { f = static_cast<Single>(percent / 100.0); });
    silently([&] { k = 1 - f; });
    silently([&] { add = CInt(f * 255); });
    silently([&] { lastColumn = CInt(picBuffer.width() - 1); });
    silently([&] { lastRow = CInt(picBuffer.height() - 1); });
    for (int i = 0; i <= lastColumn; ++i) {
        for (int j = 0; j <= lastRow; ++j) {
            silently([&] { c = gfx::GetPixel(dc, x + Int16(i), y + Int16(j)); });
            silently([&] { ConvRGB(c, r, g, b); });
            silently([&] { m = gfx::GetPixel(picBuffer, i, j); });
            silently([&] {
                if (m > kPatternThreshold) {
                    gfx::SetPixel(
                        dc, x + Int16(i), y + Int16(j),
                        gfx::rgb(CInt(k * r + add), CInt(k * g + add), CInt(k * b + add)));
                }
            });
        }
    }
}

inline void DarkenMasked(gfx::Surface& dc, const gfx::Surface& picBuffer, Int16 x, Int16 y,
                         Int16 percent) {
    Single f = 0, k = 0;
    Int16 subRed, subGreenBlue, lastColumn, lastRow, r, g, b, dx, dy;
    Int32 c, m;
    silently([&] { f = static_cast<Single>(percent / 100.0); });
    silently([&] { k = 1 - f; });
    silently([&] { subRed = floorInt16(f * 128); });
    silently([&] { subGreenBlue = floorInt16(f * 64); });
    silently([&] { lastColumn = CInt(picBuffer.width() - 1); });
    silently([&] { lastRow = CInt(picBuffer.height() - 1); });
    for (int i = 0; i <= lastColumn; ++i) {
        for (int j = 0; j <= lastRow; ++j) {
            silently([&] { c = gfx::GetPixel(dc, x + Int16(i), y + Int16(j)); });
            silently([&] { ConvRGB(c, r, g, b); });
            silently([&] { m = gfx::GetPixel(picBuffer, i, j); });
            if (m < kPatternThreshold) {
                silently([&] { r = CInt(k * r - subRed); });
                silently([&] { g = CInt(k * g - subGreenBlue); });
                silently([&] { b = CInt(k * b - subGreenBlue); });
                silently([&] { dx = Zz(0, 2); });
                silently([&] { dy = Zz(0, 1); });
                // A pixel read from beyond the target has no colour (its
                // components are garbage); only real pixels are written back.
                silently([&] {
                    if (c != gfx::kInvalidColour)
                        gfx::SetPixel(dc, x + Int16(i) + dx, y + Int16(j) + dy, gfx::rgb(r, g, b));
                });
            }
        }
    }
}
}  // namespace gm::reference
