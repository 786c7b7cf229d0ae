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
    int textHeight(const FontLayout&, std::string_view) override { return 0; }
    int textWidth(const FontLayout&, std::string_view) override { return 0; }
    void drawText(Surface&, int, int, const FontLayout&, std::string_view, Colour) override {}
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

std::u32string textCodePoints(std::string_view text) {
    std::u32string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // Sequence length and the smallest code point it may encode (to
        // refuse overlong forms).
        const int length = lead < 0x80         ? 1
                           : (lead >> 5) == 6  ? 2
                           : (lead >> 4) == 14 ? 3
                           : (lead >> 3) == 30 ? 4
                                               : 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? lead & 0x1F
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x07;
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (valid) {
            out += c;
            i += length;
        } else {
            out += static_cast<char32_t>(lead);
            ++i;
        }
    }
    return out;
}

int TextHeight(const Surface& s, std::string_view text) {
    return textRenderer().textHeight(s.font, text);
}

int TextWidth(const Surface& s, std::string_view text) {
    return textRenderer().textWidth(s.font, text);
}

}  // namespace gm::gfx
