// Text rendering through the platform's fonts (FreeType on Linux, GDI on
// Windows). The raster calls the renderer installed for the process.
#pragma once

#include <string>
#include <string_view>

#include "gfx/surface.h"

namespace gm::gfx {

class TextRenderer {
  public:
    virtual ~TextRenderer() = default;
    virtual int textHeight(const FontLayout& font, std::string_view text) = 0;
    virtual int textWidth(const FontLayout& font, std::string_view text) = 0;
    // Draws text with its top-left corner at (x, y) in the colour, clipped
    // to the surface, without a background box.
    virtual void drawText(Surface& s, int x, int y, const FontLayout& font, std::string_view text,
                          Colour colour) = 0;
};

// Installs the renderer the text operations use (nullptr: none, text is
// then measured as empty and not drawn).
void setTextRenderer(TextRenderer* renderer);
TextRenderer& textRenderer();

// The characters of a text: UTF-8, where a byte that does not start a valid
// UTF-8 sequence stands for the Latin-1 character of that code.
std::u32string textCodePoints(std::string_view text);

}  // namespace gm::gfx
