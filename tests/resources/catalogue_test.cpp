// The bitmap catalogue as the program holds it: every id at its size, depth
// and compression; masks that agree with their sprites; frame sheets whose
// frames are all drawn; blend patterns in two colours; sky bands that end in
// their gradient's top colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "resources/resource_data.h"
#include "resources/resource_ids.h"
#include "tests/resources/dib_reader.h"

namespace gm {
namespace {

using test::Dib;
using test::kBiRgb;
using test::kBiRle4;
using test::kBiRle8;

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

Dib load(int id) {
    const auto bytes = bitmapResource(id);
    if (bytes.empty()) throw std::runtime_error("no bitmap " + std::to_string(id));
    return test::readDib(bytes);
}

struct Form {
    int width, height, bitCount;
    std::uint32_t compression;
};

void expectForm(int id, const Form& f) {
    SCOPED_TRACE("bitmap " + std::to_string(id));
    const Dib d = load(id);
    EXPECT_EQ(d.width, f.width);
    EXPECT_EQ(d.height, f.height);
    EXPECT_EQ(d.bitCount, f.bitCount);
    EXPECT_EQ(d.compression, f.compression);
}

// Sprites with their mask id, size, storage and number of frames stacked vertically.
struct Sprite {
    int id, mask;
    Form form;
    int frames;
    bool standsOnFrameBottom;  // a scene object whose picture stands on its base line
};
const Sprite kSprites[] = {
    {131, 132, {640, 100, 4, kBiRle4}, 1, true},
    {133, 134, {640, 100, 4, kBiRle4}, 1, true},
    {135, 136, {640, 100, 4, kBiRle4}, 1, true},
    {137, 138, {640, 100, 4, kBiRle4}, 1, true},
    {141, 142, {200, 250, 4, kBiRle4}, 5, true},
    {143, 144, {100, 500, 4, kBiRle4}, 5, true},
    {151, 152, {245, 500, 4, kBiRle4}, 5, true},
    {153, 154, {245, 100, 4, kBiRgb}, 1, true},
    {161, 162, {153, 115, 4, kBiRle4}, 1, true},
    {163, 164, {153, 115, 4, kBiRle4}, 1, true},
    {165, 166, {400, 28, 4, kBiRle4}, 1, true},
    {181, 182, {285, 300, 8, kBiRle8}, 1, true},
    {201, 211, {80, 390, 4, kBiRle4}, 6, false},
    {202, 212, {80, 390, 4, kBiRle4}, 6, false},
    {203, 213, {80, 390, 4, kBiRle4}, 6, false},
    {204, 214, {80, 390, 4, kBiRle4}, 6, false},
    {205, 215, {80, 390, 4, kBiRle4}, 6, false},
    {221, 222, {330, 200, 4, kBiRle4}, 2, false},
    {res::kIconHomepage, res::kIconHomepageMask, {32, 32, 4, kBiRgb}, 1, false},
    {res::kIconInfo, res::kIconInfoMask, {32, 32, 4, kBiRgb}, 1, false},
    {res::kIconOk, res::kIconOkMask, {32, 32, 4, kBiRgb}, 1, false},
};

bool isFigure(const Dib& mask, int x, int y) { return mask.rgb(x, y) == kBlack; }

TEST(BitmapCatalogue, EveryIdHasItsSizeDepthAndCompression) {
    for (int id = 101; id <= 105; ++id) expectForm(id, {20, 480, 4, kBiRgb});
    const int cloud[10][2] = {{441, 17}, {179, 23}, {185, 33}, {181, 31}, {329, 27},
                              {221, 69}, {187, 33}, {269, 79}, {169, 63}, {155, 87}};
    for (int i = 0; i < 10; ++i) expectForm(111 + i, {cloud[i][0], cloud[i][1], 1, kBiRgb});
    for (int id = 121; id <= 128; ++id) expectForm(id, {738, 119, 4, kBiRle4});
    expectForm(183, {157, 74, 1, kBiRgb});
    for (const Sprite& s : kSprites) {
        expectForm(s.id, s.form);
        expectForm(s.mask, {s.form.width, s.form.height, 1, kBiRgb});
    }
    expectForm(res::kBanner, {130, 18, 4, kBiRgb});
    expectForm(res::kPreview, {256, 192, 8, kBiRgb});
    expectForm(res::kAboutBackground, {356, 330, 4, kBiRgb});
    expectForm(res::kAboutLogo, {32, 32, 4, kBiRgb});
}

TEST(BitmapCatalogue, TheProgramHoldsExactlyTheCatalogueAndItsOwnPictures) {
    std::set<int> expected{183, res::kBanner, res::kPreview, res::kAboutBackground,
                           res::kAboutLogo};
    for (int id = 101; id <= 105; ++id) expected.insert(id);
    for (int id = 111; id <= 128; ++id) expected.insert(id);
    for (const Sprite& s : kSprites) expected.insert({s.id, s.mask});
    std::set<int> held;
    int previous = 0;
    for (const BitmapResourceName& n : bitmapResourceNames()) {
        EXPECT_GT(n.id, previous) << "names are sorted by id";
        previous = n.id;
        held.insert(n.id);
        EXPECT_FALSE(bitmapResource(n.id).empty()) << n.id;
    }
    EXPECT_EQ(held, expected);
    EXPECT_TRUE(bitmapResource(100).empty());
    EXPECT_TRUE(bitmapResource(30001).empty()) << "the icon is no bitmap";
}

TEST(BitmapCatalogue, MasksAreBlackAndWhiteAndTheSpriteIsBlackWhereverTheMaskIsWhite) {
    for (const Sprite& s : kSprites) {
        SCOPED_TRACE("sprite " + std::to_string(s.id));
        const Dib sprite = load(s.id), mask = load(s.mask);
        int figure = 0, strays = 0, holes = 0;
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x) {
                const std::uint32_t m = mask.rgb(x, y);
                ASSERT_TRUE(m == kBlack || m == kWhite);
                if (m == kWhite && sprite.rgb(x, y) != kBlack) ++strays;
                if (m == kBlack) ++figure;
                // A figure pixel with white all round would be a hole punched by a lone speck.
                if (m == kBlack && x > 0 && y > 0 && x + 1 < mask.width && y + 1 < mask.height &&
                    !isFigure(mask, x - 1, y) && !isFigure(mask, x + 1, y) &&
                    !isFigure(mask, x, y - 1) && !isFigure(mask, x, y + 1))
                    ++holes;
            }
        EXPECT_EQ(strays, 0) << "coloured pixels outside the figure would show as a fringe";
        EXPECT_GT(figure, mask.width * mask.height / 20)
            << "the figure fills a fair part of the picture";
        EXPECT_EQ(holes, 0);
    }
}

TEST(BitmapCatalogue, EveryFrameOfASheetIsDrawnAndTheFramesDiffer) {
    for (const Sprite& s : kSprites) {
        SCOPED_TRACE("sheet " + std::to_string(s.id));
        const Dib sprite = load(s.id), mask = load(s.mask);
        const int fh = mask.height / s.frames;
        ASSERT_EQ(fh * s.frames, mask.height);
        std::set<std::uint64_t> distinct;  // a hash of each frame's pixels
        for (int f = 0; f < s.frames; ++f) {
            int figure = 0, onBottomRow = 0;
            std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
            for (int y = f * fh; y < (f + 1) * fh; ++y)
                for (int x = 0; x < mask.width; ++x) {
                    figure += isFigure(mask, x, y);
                    hash = (hash ^ sprite.at(x, y)) * 1099511628211ull;
                }
            for (int x = 0; x < mask.width; ++x) onBottomRow += isFigure(mask, x, (f + 1) * fh - 1);
            EXPECT_GT(figure, 0) << "frame " << f + 1;
            if (s.standsOnFrameBottom) {
                EXPECT_GT(onBottomRow, 0) << "frame " << f + 1 << " stands on its lowest row";
            }
            distinct.insert(hash);
        }
        EXPECT_EQ(int(distinct.size()), s.frames);
    }
}

TEST(BitmapCatalogue, BirdsStayInsideTheColumnsBothFlightDirectionsShow) {
    // Left to right shows columns 0-78; the mirrored copy is taken from column 1 on.
    for (int id = 211; id <= 215; ++id) {
        const Dib mask = load(id);
        for (int y = 0; y < mask.height; ++y) {
            EXPECT_FALSE(isFigure(mask, 0, y)) << id;
            EXPECT_FALSE(isFigure(mask, 79, y)) << id;
        }
    }
}

// Share of marked pixels in the middle third of a pattern and in its outer ring.
std::pair<double, double> densities(const Dib& d, std::uint32_t marked) {
    int mid = 0, midN = 0, outer = 0, outerN = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const double u = std::abs(2.0 * x / d.width - 1), v = std::abs(2.0 * y / d.height - 1);
            const bool hit = d.rgb(x, y) == marked;
            if (u < 0.33 && v < 0.33) {
                mid += hit;
                ++midN;
            } else if (u > 0.9 || v > 0.9) {
                outer += hit;
                ++outerN;
            }
        }
    return {double(mid) / midN, double(outer) / outerN};
}

TEST(BitmapCatalogue, BlendPatternsAreDithersDenserInTheMiddle) {
    for (int id = 111; id <= 120; ++id) {
        SCOPED_TRACE("cloud " + std::to_string(id));
        const Dib d = load(id);
        const auto [mid, outer] = densities(d, kWhite);
        EXPECT_GT(mid, 0.2);
        EXPECT_LT(mid, 0.9) << "a dither, not a solid shape";
        EXPECT_LT(outer, mid / 2);
    }
    const Dib shadow = load(183);
    const auto [mid, outer] = densities(shadow, kBlack);
    EXPECT_GT(mid, 0.3);
    EXPECT_LT(mid, 0.9);
    EXPECT_LT(outer, 0.05) << "white round the oval";
}

TEST(BitmapCatalogue, HillsSinkToTheGroundAtTheirRightEnd) {
    // A band of hills stops inside the canvas with the picture's right end,
    // plain or mirrored; a tall figure there would stand as a cliff.
    for (const int mask : {132, 134, 136, 138}) {
        const Dib d = load(mask);
        int rows = 0;
        for (int y = 0; y < d.height; ++y) rows += isFigure(d, d.width - 1, y);
        EXPECT_LE(rows, 2) << "mask " << mask;
    }
}

TEST(BitmapCatalogue, SkyBandsEndInTheTopColourOfTheirGradient) {
    for (int sky = 1; sky <= 4; ++sky) {
        const Dib strip = load(100 + sky);
        const std::uint32_t top = strip.rgb(0, 0);
        for (int x = 0; x < strip.width; ++x) EXPECT_EQ(strip.rgb(x, 0), top);
        for (const int band : {119 + 2 * sky, 120 + 2 * sky}) {
            const Dib d = load(band);
            int mismatches = 0;
            for (int x = 0; x < d.width; ++x) mismatches += d.rgb(x, d.height - 1) != top;
            EXPECT_EQ(mismatches, 0) << "band " << band;
            auto brightness = [](std::uint32_t c) {
                return (c >> 16) + ((c >> 8) & 255) + (c & 255);
            };
            EXPECT_GT(brightness(d.rgb(0, 0)), brightness(top))
                << "band " << band << " is light at its top";
        }
    }
}

TEST(BitmapCatalogue, TheEveningSkyMeetsTheBandsItBorrows) {
    // A scene of sky type 5 lays the bands of type 3 over strip 105.
    EXPECT_EQ(load(105).rgb(0, 0), load(103).rgb(0, 0));
}

TEST(BitmapCatalogue, GradientsAreOneColourPerRow) {
    // The scene stretches a strip sideways into tiles: any change across a
    // row would show as dashes.
    for (int id = 101; id <= 105; ++id) {
        const Dib d = load(id);
        int mixedRows = 0;
        for (int y = 0; y < d.height; ++y)
            for (int x = 1; x < d.width; ++x)
                if (d.rgb(x, y) != d.rgb(0, y)) {
                    ++mixedRows;
                    break;
                }
        EXPECT_EQ(mixedRows, 0) << id;
    }
}

TEST(BitmapCatalogue, GradientsBrightenToNearWhiteFromRow320) {
    for (int id = 101; id <= 105; ++id) {
        const Dib d = load(id);
        auto brightness = [&](int y) {
            const std::uint32_t c = d.rgb(0, y);
            return int(c >> 16) + int((c >> 8) & 255) + int(c & 255);
        };
        EXPECT_LT(brightness(0), brightness(200)) << id;
        EXPECT_LT(brightness(200), brightness(320)) << id;
        for (int y = 320; y < d.height; ++y)
            EXPECT_GE(brightness(y), 3 * 225) << id << " row " << y;
    }
}

}  // namespace
}  // namespace gm
