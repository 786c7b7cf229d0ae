// Surfaces and pictures: size changes, pictures, single pixels, colours,
// external pixel memory, and the text operations' use of the renderer.
#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/text.h"

namespace gm::gfx {
namespace {

TEST(Colour, ComponentsJoinRedLowAndClampToAByte) {
    EXPECT_EQ(rgb(1, 2, 3), 1 + 2 * 256 + 3 * 65536);
    EXPECT_EQ(rgb(300, 256, 1000), 0xFFFFFF);
    EXPECT_EQ(rgb(-5, 0, -1), 0);
    // Pixels store the same colour as 0x00RRGGBB.
    EXPECT_EQ(toPixel(rgb(0x12, 0x34, 0x56)), 0x123456u);
    EXPECT_EQ(toColour(0x123456u), rgb(0x12, 0x34, 0x56));
}

TEST(Surface, ResizeKeepsTheOverlapAndFillsNewAreaWithBackColour) {
    Surface s(2, 2, 0);
    SetPixel(s, 0, 0, 0x0000FF);
    SetPixel(s, 1, 1, 0x00FF00);
    s.backColor = 0xFFFFFF;
    s.setSize(3, 1);
    EXPECT_EQ(GetPixel(s, 0, 0), 0x0000FF);
    EXPECT_EQ(GetPixel(s, 1, 0), 0);
    EXPECT_EQ(GetPixel(s, 2, 0), 0xFFFFFF);
    s.setSize(3, 3);
    EXPECT_EQ(GetPixel(s, 1, 1), 0xFFFFFF);  // the old (1, 1) was cut off before
    s.setSize(-4, 2);
    EXPECT_EQ(s.width(), 0);
}

TEST(Surface, PixelsOutsideReadInvalidAndIgnoreWrites) {
    Surface s(2, 2, 0x123456);
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 2}}) {
        EXPECT_EQ(GetPixel(s, x, y), kInvalidColour);
        SetPixel(s, x, y, 0);
    }
    EXPECT_EQ(s.image().view().pixels[0], toPixel(0x123456));
}

TEST(Surface, AutoSizeTakesThePicturesSizeOthersDrawItOverTheirBackColour) {
    Bitmap pic(2, 1, 0xABCDEF);
    Surface fixed(3, 2, rgb(0, 0, 255));
    fixed.setPicture(pic.view());
    EXPECT_EQ(fixed.width(), 3);
    EXPECT_EQ(fixed.row(0)[1], 0xABCDEFu);
    EXPECT_EQ(fixed.row(0)[2], toPixel(rgb(0, 0, 255)));
    EXPECT_EQ(fixed.row(1)[0], toPixel(rgb(0, 0, 255)));

    Surface grows(1, 1);
    grows.autoSize = true;
    grows.setPicture(pic.view());
    EXPECT_EQ(grows.width(), 2);
    EXPECT_EQ(grows.height(), 1);
    EXPECT_EQ(grows.row(0)[0], 0xABCDEFu);
}

TEST(Surface, AttachedMemoryWithPaddedRowsIsDrawnInPlace) {
    // A 2 x 2 image whose rows are 3 pixels apart, as a DIB section or an X
    // image may lay them out; the padding pixel must never be touched.
    std::vector<std::uint32_t> memory(6, 0xDEAD);
    Surface window;
    window.attach(memory.data(), 2, 2, 3);
    window.backColor = 0;
    window.clear();
    SetPixel(window, 1, 1, 0xFFFFFF);
    EXPECT_EQ(memory, (std::vector<std::uint32_t>{0, 0, 0xDEAD, 0, 0xFFFFFF, 0xDEAD}));
    Surface other(2, 2, 0x00FF00);
    BitBlt(window, 0, 0, 2, 2, other, 0, 0, Rop::SrcCopy);
    EXPECT_EQ(memory[2], 0xDEADu);
    EXPECT_EQ(memory[3], toPixel(0x00FF00));
}

// A renderer that records what the text operations ask of it.
class FixedWidthRenderer final : public TextRenderer {
  public:
    int textHeight(const FontLayout&, std::string_view) override { return 18; }
    int textWidth(const FontLayout&, std::string_view text) override {
        return 7 * static_cast<int>(text.size());
    }
    void drawText(Surface&, int x, int y, const FontLayout& font, std::string_view text,
                  Colour colour) override {
        calls.push_back({x, y, std::string(text), colour, font.face});
    }
    struct Call {
        int x, y;
        std::string text;
        Colour colour;
        std::string face;
    };
    std::vector<Call> calls;
};

TEST(Text, PrintDrawsAtTheRoundedPositionInForeColourAndAdvances) {
    FixedWidthRenderer renderer;
    setTextRenderer(&renderer);
    Surface s(100, 50);
    s.foreColor = rgb(0, 0, 128);
    s.currentX = 5;
    s.currentY = 2.5;  // ties to even: row 2
    PrintText(s, "08.12.2026   ");
    PrintText(s, "12:00:00");
    ASSERT_EQ(renderer.calls.size(), 2u);
    EXPECT_EQ(renderer.calls[0].x, 5);
    EXPECT_EQ(renderer.calls[0].y, 2);
    EXPECT_EQ(renderer.calls[0].colour, rgb(0, 0, 128));
    EXPECT_EQ(renderer.calls[0].face, "Comic Sans MS");
    EXPECT_EQ(renderer.calls[1].x, 5 + 7 * 13);  // just after the first text
    EXPECT_EQ(TextHeight(s, "1"), 18);
    setTextRenderer(nullptr);
    EXPECT_EQ(TextHeight(s, "1"), 0);  // no platform renderer: nothing measured
}

}  // namespace
}  // namespace gm::gfx
