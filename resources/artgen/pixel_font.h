// A small proportional pixel font for the lettering in the art (the banner,
// the plane's advertising, the preview picture's clock): capitals and digits
// 7 pixels high, small letters with ascenders and descenders in a 9-row cell.
#pragma once

#include <string_view>

#include "resources/artgen/picture.h"

namespace gm::art {

inline constexpr int kFontCellHeight = 9;  // rows 0-6 capitals, 7-8 descenders

// Width in pixels of the text at the given scale (1 pixel of spacing between glyphs).
int textWidth(std::string_view text, int scale = 1);
// The text's pixels as a shape with its cell's top-left corner at (x, y).
Shape textShape(int w, int h, std::string_view text, int x, int y, int scale = 1);

}  // namespace gm::art
