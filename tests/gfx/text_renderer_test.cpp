// The platform's text renderer (FreeType on Linux, GDI on Windows): the
// saver's font resolves to an installed face, measures sensibly, and draws
// only text-coloured pixels inside the text's box, clipped at the edges.
// Needs no display.
#include <gtest/gtest.h>

#include "gfx/text.h"
#include "platform/text/system_text.h"

#ifdef _WIN32
#include "platform/text/gdi_text.h"
using PlatformRenderer = gm::gfx::GdiTextRenderer;
#else
#include "platform/text/freetype_text.h"
using PlatformRenderer = gm::gfx::FreeTypeTextRenderer;
#endif

namespace gm::gfx {
namespace {

constexpr Colour kNavy = 0x800000;  // (0, 0, 128), the buffer's text colour
constexpr Colour kBackground = 0x00FF00;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1,
        bottom = -1;  // inclusive; empty when right < left
    int count = 0;
};

// Where a surface differs from its background, checking that every changed
// pixel has exactly the text colour.
Box inked(const Surface& s) {
    Box b;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const Colour c = GetPixel(s, x, y);
            if (c == kBackground) continue;
            EXPECT_EQ(c, kNavy) << "pixel " << x << "," << y << " is neither text nor background";
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
            ++b.count;
        }
    return b;
}

TEST(TextRenderer, SaverFontResolvesToComicSansOrItsLookAlike) {
    PlatformRenderer renderer;
    const std::string family = renderer.resolvedFamily(FontLayout{});
    EXPECT_TRUE(family == "Comic Sans MS" || family == "Comic Neue") << family;
}

TEST(TextRenderer, MeasuresALineOfThirteenPixelText) {
    TextRenderer& r = systemTextRenderer();
    const FontLayout font;  // Comic Sans MS, bold, 9.75 pt = 13 pixels per em
    const int height = r.textHeight(font, "1");
    EXPECT_GE(height, 13);
    EXPECT_LE(height, 26);
    EXPECT_EQ(r.textHeight(font, "08.12.2026"), height);  // a line height, whatever the text
    EXPECT_EQ(r.textWidth(font, ""), 0);
    const int one = r.textWidth(font, "1");
    EXPECT_GT(one, 0);
    EXPECT_EQ(r.textWidth(font, "111"), 3 * one);
    EXPECT_GT(r.textWidth(font, "W"), one);
    FontLayout bigger = font;
    bigger.points = 19.5;
    EXPECT_GT(r.textHeight(bigger, "1"), height);
}

TEST(TextRenderer, DrawsOnlyTextColourInsideTheTextBox) {
    TextRenderer& r = systemTextRenderer();
    const FontLayout font;
    Surface s(120, 40, kBackground);
    r.drawText(s, 10, 5, font, "12:34:56", kNavy);
    const Box b = inked(s);
    ASSERT_GT(b.count, 20);
    EXPECT_GE(b.left, 10);
    EXPECT_LE(b.right, 10 + r.textWidth(font, "12:34:56"));
    EXPECT_GE(b.top, 5);
    EXPECT_LT(b.bottom, 5 + r.textHeight(font, "1"));
}

TEST(TextRenderer, ClipsAtTheEdgesWithoutShiftingTheGlyphs) {
    TextRenderer& r = systemTextRenderer();
    const FontLayout font;
    Surface whole(80, 30, kBackground), cut(80, 30, kBackground);
    r.drawText(whole, 0, 0, font, "Glintmoor", kNavy);
    r.drawText(cut, -7, -4, font, "Glintmoor", kNavy);
    for (int y = 0; y + 4 < 30; ++y)
        for (int x = 0; x + 7 < 80; ++x)
            ASSERT_EQ(GetPixel(cut, x, y), GetPixel(whole, x + 7, y + 4)) << x << "," << y;
    Surface tiny(3, 3, kBackground);
    r.drawText(tiny, 70, 70, font, "far away", kNavy);
    EXPECT_EQ(inked(tiny).count, 0);
}

TEST(TextRenderer, PrintTextAdvancesByTheWidth) {
    setTextRenderer(&systemTextRenderer());
    Surface s(200, 30, kBackground);
    s.foreColor = kNavy;
    s.currentX = 5;
    PrintText(s, "08.12.2026   ");
    EXPECT_EQ(s.currentX, 5 + TextWidth(s, "08.12.2026   "));
    PrintText(s, "12:00");
    EXPECT_GT(inked(s).right, 5 + TextWidth(s, "08.12.2026   "));
    setTextRenderer(nullptr);
}

#ifndef _WIN32
// Widths come from advances measured once per face and character; they must
// equal rendering every character again, in every face, cold and warm.
TEST(TextRenderer, RemeasuredWidthsAgreeWithRenderingEveryCharacter) {
    PlatformRenderer renderer;
    FontLayout regular, large;
    regular.bold = false;
    large.points = 19.5;
    const std::string_view texts[] = {"08.12.2026   ", "23:59:07", "Gr\u00FC\u00DFe",
                                      "\xFF\xFEW",     "WiW",      ""};
    for (int round = 0; round < 2; ++round)
        for (const FontLayout& font : {FontLayout{}, regular, large})
            for (std::string_view text : texts)
                EXPECT_EQ(renderer.textWidth(font, text), renderer.referenceTextWidth(font, text))
                    << text << " at " << font.points << " pt, bold " << font.bold;
}
#endif

}  // namespace
}  // namespace gm::gfx
