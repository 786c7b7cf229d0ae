// Ellipses and lines. The expected pictures are what Wine's GDI draws for
// the same calls (Ellipse with a one-pixel pen and a solid brush; lines with
// solid pens); the Windows build re-checks many more cases against GDI
// itself in gdi_oracle_test.cpp.
#include <gtest/gtest.h>

#include "gfx/surface.h"
#include "tests/gfx/pixel_art.h"

namespace gm::gfx {
namespace {

using test::rowsOf;

constexpr Colour kRed = 0x0000FF, kBlue = 0xFF0000;
const std::map<std::uint32_t, char> kLegend{{0, '.'}, {toPixel(kRed), 'o'}, {toPixel(kBlue), '#'}};

std::vector<std::string> ellipse(int w, int h, int left, int top, int right, int bottom) {
    Surface s(w, h, 0);
    s.foreColor = kRed;
    s.fillColor = kBlue;
    Ellipse(s, left, top, right, bottom);
    return rowsOf(s, kLegend);
}

std::vector<std::string> line(int w, int h, int width, int x1, int y1, int x2, int y2) {
    Surface s(w, h, 0);
    s.drawWidth = width;
    DrawLine(s, x1, y1, x2, y2, kRed);
    return rowsOf(s, kLegend);
}

TEST(Ellipse, SmallCirclesAsGdiDrawsThem) {
    EXPECT_EQ(ellipse(3, 3, 1, 1, 2, 2), (std::vector<std::string>{"...", "...", "..."}));
    EXPECT_EQ(ellipse(3, 3, 0, 0, 2, 2), (std::vector<std::string>{"oo.", "oo.", "..."}));
    EXPECT_EQ(ellipse(3, 3, 0, 0, 3, 3), (std::vector<std::string>{".o.", "o#o", ".o."}));
    EXPECT_EQ(ellipse(6, 6, 0, 0, 6, 6), (std::vector<std::string>{"..oo..", ".o##o.", "o####o",
                                                                   "o####o", ".o##o.", "..oo.."}));
    EXPECT_EQ(ellipse(8, 8, 0, 0, 8, 8),
              (std::vector<std::string>{"..oooo..", ".o####o.", "o######o", "o######o", "o######o",
                                        "o######o", ".o####o.", "..oooo.."}));
}

TEST(Ellipse, WideAndThinBoxes) {
    EXPECT_EQ(ellipse(16, 11, 0, 0, 16, 11),
              (std::vector<std::string>{".....oooooo.....", "...oo######oo...", "..o##########o..",
                                        ".o############o.", "o##############o", "o##############o",
                                        "o##############o", ".o############o.", "..o##########o..",
                                        "...oo######oo...", ".....oooooo....."}));
    EXPECT_EQ(ellipse(5, 2, 0, 0, 5, 2), (std::vector<std::string>{"ooooo", "ooooo"}));
    EXPECT_EQ(ellipse(2, 5, 0, 0, 1, 5), (std::vector<std::string>{"o.", "o.", "o.", "o.", "o."}));
}

TEST(Ellipse, ReversedBoxIsNormalisedAndEdgesClip) {
    EXPECT_EQ(ellipse(5, 5, 5, 5, 0, 0), ellipse(5, 5, 0, 0, 5, 5));
    // The right half of the 6 x 6 circle, cut by the left edge.
    EXPECT_EQ(ellipse(3, 6, -3, 0, 3, 6),
              (std::vector<std::string>{"o..", "#o.", "##o", "##o", "#o.", "o.."}));
    // Far outside: nothing, and no trouble.
    EXPECT_EQ(ellipse(2, 2, 100, -50, 300, -20), (std::vector<std::string>{"..", ".."}));
}

// A snowflake's ellipse (outline and fill in one colour) is drawn row by
// row in one span each: it covers the pixels the two-colour ellipse does.
TEST(Ellipse, InOneColourItCoversWhatTheTwoColourEllipseCovers) {
    for (int w = 1; w <= 40; ++w)
        for (int h = 1; h <= 40; ++h)
            for (const int x : {2, -w / 2}) {
                Surface two(44, 44, 0), one(44, 44, 0);
                two.foreColor = kRed;
                two.fillColor = kBlue;
                one.foreColor = one.fillColor = kRed;
                Ellipse(two, x, 2, x + w, 2 + h);
                Ellipse(one, x, 2, x + w, 2 + h);
                for (int y = 0; y < 44; ++y)
                    for (int px = 0; px < 44; ++px)
                        ASSERT_EQ(one.row(y)[px] != 0, two.row(y)[px] != 0)
                            << w << "x" << h << " at " << x << ", pixel " << px << "," << y;
            }
}

TEST(Line, ThinLinesOmitTheEndPointAndRoundTiesTowardsSmallerCoordinates) {
    // Slope 1/2 down-right: the half-way rows round up (to the smaller y).
    EXPECT_EQ(line(5, 3, 1, 0, 0, 4, 2), (std::vector<std::string>{"oo...", "..oo.", "....."}));
    // The same line drawn up-left from (4, 2): ties again to the smaller y,
    // so it is not the same pixels reversed.
    EXPECT_EQ(line(5, 3, 1, 4, 2, 0, 0), (std::vector<std::string>{".o...", "..oo.", "....o"}));
    // Steep, ties to the smaller x.
    EXPECT_EQ(line(3, 5, 1, 0, 0, 2, 4),
              (std::vector<std::string>{"o..", "o..", ".o.", ".o.", "..."}));
    EXPECT_EQ(line(2, 1, 1, 0, 0, 0, 0), (std::vector<std::string>{".."}));
    EXPECT_EQ(line(2, 1, 1, 0, 0, 1, 0), (std::vector<std::string>{"o."}));
}

TEST(Line, WideHorizontalAndVerticalLinesHaveRoundCaps) {
    // From (3, 3) to (8, 3), as GDI draws widths 2, 3 and 4.
    EXPECT_EQ(line(12, 6, 2, 3, 3, 8, 3),
              (std::vector<std::string>{"............", "............", "..ooooooo...",
                                        "..ooooooo...", "............", "............"}));
    EXPECT_EQ(line(12, 6, 3, 3, 3, 8, 3),
              (std::vector<std::string>{"............", "............", "...oooooo...",
                                        "..oooooooo..", "...oooooo...", "............"}));
    EXPECT_EQ(line(12, 6, 4, 3, 3, 8, 3),
              (std::vector<std::string>{"............", "..ooooooo...", ".ooooooooo..",
                                        ".ooooooooo..", "..ooooooo...", "............"}));
    // Vertical, width 3: a single pixel caps each end.
    EXPECT_EQ(line(5, 8, 3, 2, 2, 2, 5),
              (std::vector<std::string>{".....", "..o..", ".ooo.", ".ooo.", ".ooo.", ".ooo.",
                                        "..o..", "....."}));
    // A zero-length wide line is one cap.
    EXPECT_EQ(line(4, 4, 2, 2, 2, 2, 2),
              (std::vector<std::string>{"....", ".oo.", ".oo.", "...."}));
}

TEST(Line, WideSlantedLineIsAnUnbrokenStroke) {
    // Slanted wide lines are not pixel-exact with GDI; they must still cover
    // both end caps and leave no gap along the way.
    const auto rows = line(20, 12, 3, 2, 2, 17, 9);
    for (int x = 2; x <= 17; ++x) {
        int count = 0;
        for (const auto& r : rows) count += r[x] == 'o';
        EXPECT_GE(count, 3) << "column " << x;
    }
    EXPECT_EQ(rows[2][2], 'o');
    EXPECT_EQ(rows[9][17], 'o');
}

}  // namespace
}  // namespace gm::gfx
