// Text rendering through the platform's fonts (FreeType on Linux, GDI on
// Windows). The raster calls the renderer installed for the process.
#pragma once

#include <string_view>

#include "gfx/surface.h"

namespace gm::gfx {

class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    virtual int textHeight(const FontSpec& font, std::string_view text) = 0;
    virtual int textWidth(const FontSpec& font, std::string_view text) = 0;
    // Draws text with its top-left corner at (x, y) in the colour, clipped
    // to the surface, without a background box.
    virtual void drawText(Surface& s, int x, int y, const FontSpec& font, std::string_view text,
                          Colour colour) = 0;
};

void setTextRenderer(TextRenderer* renderer);
TextRenderer& textRenderer();

}  // namespace gm::gfx
