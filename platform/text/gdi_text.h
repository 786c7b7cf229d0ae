// Text through GDI, drawn into the saver's own pixel memory.
//
// The text is drawn white on black into a private 32-bit DIB section, and
// every pixel GDI set is then written onto the surface in the text colour:
// no background box, and the surface needs no device context of its own.
// Fonts are created non-antialiased (GDI would otherwise smooth Comic Sans
// with ClearType), so text pixels are exactly the text colour, as on Linux.
// "Comic Sans MS" falls back to "Comic Neue" where it is not installed
// (Wine without the Microsoft core fonts). Sizes are points at 96 dots per
// inch, whatever the display's setting, so the saver's layout stays the same.
#pragma once

#include <memory>
#include <string>

#include "gfx/text.h"

namespace gm::gfx {

// UTF-8 text as UTF-16, for the wide-character calls.
std::wstring utf16Text(std::string_view text);

class GdiTextRenderer final : public TextRenderer {
  public:
    GdiTextRenderer();
    ~GdiTextRenderer() override;

    int textHeight(const FontLayout& font, std::string_view text) override;
    int textWidth(const FontLayout& font, std::string_view text) override;
    void drawText(Surface& s, int x, int y, const FontLayout& font, std::string_view text,
                  Colour colour) override;

    // The face name GDI selected for the font.
    std::string resolvedFamily(const FontLayout& font);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace gm::gfx
