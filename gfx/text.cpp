// The text operations of a surface and the process's text renderer.
#include "gfx/text.h"

#include <cmath>

namespace gm::gfx {
namespace {

// Used until the platform installs its renderer: measures every text as
// empty and draws nothing, so code without fonts (unit tests of other
// modules) still runs.
class NoTextRenderer final : public TextRenderer {
  public:
    int textHeight(const FontSpec&, std::string_view) override { return 0; }
    int textWidth(const FontSpec&, std::string_view) override { return 0; }
    void drawText(Surface&, int, int, const FontSpec&, std::string_view, Colour) override {}
};

NoTextRenderer noRenderer;
TextRenderer* installed = &noRenderer;

}  // namespace

void setTextRenderer(TextRenderer* renderer) { installed = renderer ? renderer : &noRenderer; }

TextRenderer& textRenderer() { return *installed; }

void PrintText(Surface& s, std::string_view text) {
    // The text position is a real number; the text starts at the pixel it
    // rounds to (ties to even, as every real-to-integer conversion).
    const int x = static_cast<int>(std::nearbyint(s.currentX));
    const int y = static_cast<int>(std::nearbyint(s.currentY));
    TextRenderer& renderer = textRenderer();
    renderer.drawText(s, x, y, s.font, text, s.foreColor);
    s.currentX += renderer.textWidth(s.font, text);
}

int TextHeight(const Surface& s, std::string_view text) {
    return textRenderer().textHeight(s.font, text);
}

int TextWidth(const Surface& s, std::string_view text) {
    return textRenderer().textWidth(s.font, text);
}

}  // namespace gm::gfx
