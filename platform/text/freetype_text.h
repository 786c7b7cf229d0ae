// Text through FreeType, with fonts found by fontconfig. Needs no display.
//
// The requested face is looked up by family name; "Comic Sans MS", rarely
// installed outside Windows, falls back to its look-alike "Comic Neue". Sizes
// are points at 96 dots per inch (9.75 pt = 13 pixels per em). Glyphs are
// rendered without anti-aliasing, so text pixels are exactly the text colour
// and no blending with the picture underneath is needed; a face without a
// bold style is emboldened when bold is asked for. Line height and baseline
// follow the face's Windows metrics (usWinAscent + usWinDescent), as GDI's
// text height does.
#pragma once

#include <memory>
#include <string>

#include "gfx/text.h"

namespace gm::gfx {

class FreeTypeTextRenderer final : public TextRenderer {
  public:
    FreeTypeTextRenderer();
    ~FreeTypeTextRenderer() override;

    int textHeight(const FontLayout& font, std::string_view text) override;
    int textWidth(const FontLayout& font, std::string_view text) override;
    void drawText(Surface& s, int x, int y, const FontLayout& font, std::string_view text,
                  Colour colour) override;

    // The width as textWidth measures it, every character rendered afresh.
    int referenceTextWidth(const FontLayout& font, std::string_view text);

    // The family name of the face the font resolves to.
    std::string resolvedFamily(const FontLayout& font);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace gm::gfx
