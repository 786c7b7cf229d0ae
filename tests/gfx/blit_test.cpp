// Block transfers: raster operations, stretching, mirroring, clipping, the
// masked sprite, self-overlapping copies, and a per-pixel reference that the
// fast paths must agree with.
#include <gtest/gtest.h>

#include <random>

#include "gfx/surface.h"
#include "tests/gfx/pixel_art.h"

namespace gm::gfx {
namespace {

using test::numberPixels;
using test::picture;
using test::rowsOf;

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

// The source column each destination column of a one-row stretch shows, or
// -1 where the destination kept its value.
std::vector<int> columnsShown(int srcLen, int dstX, int dstLen, int dstWidth = 24) {
    Bitmap src(srcLen, 1);
    for (int x = 0; x < srcLen; ++x) src.row(0)[x] = static_cast<std::uint32_t>(x);
    Surface dst(dstWidth, 1);
    for (int x = 0; x < dstWidth; ++x) dst.row(0)[x] = 0xFFFF;
    DrawPicture(dst, src.view(), dstX, 0, dstLen, 1);
    std::vector<int> shown;
    for (int x = 0; x < dstWidth; ++x)
        shown.push_back(dst.row(0)[x] == 0xFFFF ? -1 : static_cast<int>(dst.row(0)[x]));
    return shown;
}

TEST(Blit, RasterOperationsCopyAndOrCombine) {
    Surface dst(3, 1);
    const std::uint32_t start[] = {0x0F0F0F, 0xFF00FF, 0x000000};
    const Bitmap src = picture({"abc"}, {{'a', 0x3355FF}, {'b', 0x00FF00}, {'c', 0x808080}});
    const auto run = [&](Rop rop) {
        std::copy(std::begin(start), std::end(start), dst.row(0));
        DrawPicture(dst, src.view(), 0, 0, {}, {}, {}, {}, {}, {}, rop);
        return std::vector<std::uint32_t>(dst.row(0), dst.row(0) + 3);
    };
    EXPECT_EQ(run(Rop::SrcCopy), (std::vector<std::uint32_t>{0x3355FF, 0x00FF00, 0x808080}));
    EXPECT_EQ(run(Rop::SrcAnd), (std::vector<std::uint32_t>{0x03050F, 0x000000, 0x000000}));
    EXPECT_EQ(run(Rop::SrcPaint), (std::vector<std::uint32_t>{0x3F5FFF, 0xFFFFFF, 0x808080}));
}

TEST(Blit, MaskedSpriteLeavesTheSceneWhereTheMaskIsWhite) {
    // Mask: black where the figure is. Sprite: the figure on pure black.
    const Bitmap mask = picture({"W.W", "..W"}, {{'W', kWhite}, {'.', kBlack}});
    const Bitmap sprite =
        picture({"0r0", "gb0"}, {{'0', kBlack}, {'r', 0xFF0000}, {'g', 0x00FF00}, {'b', 0x0000FF}});
    Surface scene(3, 2);
    numberPixels(scene);
    const Bitmap before = scene.image();
    DrawPicture(scene, mask.view(), 0, 0, {}, {}, {}, {}, {}, {}, Rop::SrcAnd);
    DrawPicture(scene, sprite.view(), 0, 0, {}, {}, {}, {}, {}, {}, Rop::SrcPaint);
    EXPECT_EQ(scene.row(0)[0], before.row(0)[0]);  // white mask, black sprite: unchanged
    EXPECT_EQ(scene.row(0)[2], before.row(0)[2]);
    EXPECT_EQ(scene.row(1)[2], before.row(1)[2]);
    EXPECT_EQ(scene.row(0)[1], 0xFF0000u);  // black mask: exactly the sprite
    EXPECT_EQ(scene.row(1)[0], 0x00FF00u);
    EXPECT_EQ(scene.row(1)[1], 0x0000FFu);
}

// The one-pass masked draw does what the two blits do, also where the
// rectangle reaches past the destination or past the sprite.
TEST(Blit, MaskedBltIsTheMaskAndThePictureBlitted) {
    std::mt19937 random(7);
    Surface mask(9, 7), sprite(9, 7);
    for (Surface* s : {&mask, &sprite})
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) s->row(y)[x] = random() & 0xFFFFFF;
    const struct {
        int x, y, w, h, srcX, srcY;
    } cases[] = {{2, 3, 5, 4, 1, 2},
                 {-3, -2, 9, 7, 0, 0},
                 {8, 5, 9, 7, 0, 0},
                 {1, 1, 12, 10, 3, 4},
                 {0, 0, 4, 4, -2, -1}};
    for (const auto& c : cases) {
        Surface one(12, 9), two(12, 9);
        numberPixels(one);
        numberPixels(two);
        MaskedBlt(one, c.x, c.y, c.w, c.h, mask, sprite, c.srcX, c.srcY);
        BitBlt(two, c.x, c.y, c.w, c.h, mask, c.srcX, c.srcY, Rop::SrcAnd);
        BitBlt(two, c.x, c.y, c.w, c.h, sprite, c.srcX, c.srcY, Rop::SrcPaint);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x)
                ASSERT_EQ(one.row(y)[x], two.row(y)[x]) << "case at " << c.x << "," << c.y;
    }
}

TEST(Blit, NegativeWidthMirrorsAndExtendsLeftOfX) {
    // Destination x = 5, width -3: columns 2, 3, 4, picture reversed.
    EXPECT_EQ(columnsShown(3, 5, -3, 8), (std::vector<int>{-1, -1, 2, 1, 0, -1, -1, -1}));
}

TEST(Blit, MirroredPlacementReflectsAboutTheCanvasCentre) {
    // An object of width W at left edge x drawn at 640 - x with width -W
    // covers 640 - x - W ... 640 - x, the mirror image of x ... x + W.
    Bitmap sprite(400, 1);
    for (int x = 0; x < 400; ++x) sprite.row(0)[x] = static_cast<std::uint32_t>(x + 1);
    Surface plain(640, 1), mirrored(640, 1);
    for (int x : {20, -50, 300, 0}) {
        plain.clear();
        mirrored.clear();
        DrawPicture(plain, sprite.view(), x, 0);
        DrawPicture(mirrored, sprite.view(), 640 - x, 0, -400);
        for (int c = 0; c < 640; ++c)
            ASSERT_EQ(mirrored.row(0)[c], plain.row(0)[639 - c]) << "x " << x << " column " << c;
    }
    // x = 0: exactly the last 400 columns, unscaled.
    EXPECT_EQ(mirrored.row(0)[239], 0u);
    EXPECT_EQ(mirrored.row(0)[240], 400u);
    EXPECT_EQ(mirrored.row(0)[639], 1u);
}

TEST(Blit, StretchingRepeatsOrDropsWholePixelsAsGdiDoes) {
    // Expected columns as Wine's GDI StretchBlt (COLORONCOLOR) draws them.
    EXPECT_EQ(columnsShown(3, 0, 7, 7), (std::vector<int>{0, 0, 1, 1, 1, 2, 2}));
    EXPECT_EQ(columnsShown(4, 0, 10, 10), (std::vector<int>{0, 0, 0, 1, 1, 2, 2, 2, 3, 3}));
    EXPECT_EQ(columnsShown(5, 0, 8, 8), (std::vector<int>{0, 0, 1, 2, 2, 3, 4, 4}));
    EXPECT_EQ(columnsShown(5, 0, 3, 3), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(columnsShown(7, 0, 3, 3), (std::vector<int>{1, 4, 6}));
    EXPECT_EQ(columnsShown(10, 0, 4, 4), (std::vector<int>{2, 4, 7, 9}));
    // Mirrored stretches are the same map read backwards.
    EXPECT_EQ(columnsShown(3, 7, -7, 7), (std::vector<int>{2, 2, 1, 1, 1, 0, 0}));
    EXPECT_EQ(columnsShown(10, 4, -4, 4), (std::vector<int>{9, 7, 4, 2}));
}

TEST(Blit, StretchKeepsItsMapWhenClipped) {
    // Clipping removes destination pixels but never shifts the others.
    const std::vector<int> whole = columnsShown(5, 0, 8, 8);
    const std::vector<int> left = columnsShown(5, -3, 8, 5);
    EXPECT_EQ(left, std::vector<int>(whole.begin() + 3, whole.end()));
}

TEST(Blit, ClipsOnAllFourEdges) {
    const Bitmap src = picture({"ab", "cd"}, {{'a', 1}, {'b', 2}, {'c', 3}, {'d', 4}});
    const std::map<std::uint32_t, char> legend{{0, '.'}, {1, 'a'}, {2, 'b'}, {3, 'c'}, {4, 'd'}};
    Surface s(3, 3);
    DrawPicture(s, src.view(), -1, -1);  // top-left corner
    DrawPicture(s, src.view(), 2, 2);    // bottom-right corner
    DrawPicture(s, src.view(), 2, -1);   // top-right
    DrawPicture(s, src.view(), -1, 2);   // bottom-left
    EXPECT_EQ(rowsOf(s, legend), (std::vector<std::string>{"d.c", "...", "b.a"}));
    Surface far(3, 3);
    DrawPicture(far, src.view(), 3, 0);
    DrawPicture(far, src.view(), 0, -2);
    DrawPicture(far, src.view(), -300, 1, 200, 5);
    EXPECT_EQ(rowsOf(far, legend), (std::vector<std::string>{"...", "...", "..."}));
}

TEST(Blit, SourceOutsideThePictureLeavesTheDestination) {
    // A 640-column source window starting 400 columns left of a 640-wide
    // picture: only the picture's first 240 columns arrive, at 400..639.
    Bitmap hills(640, 1);
    for (int x = 0; x < 640; ++x) hills.row(0)[x] = static_cast<std::uint32_t>(x + 1);
    const std::uint32_t untouched = toPixel(0x123456);
    Surface scene(640, 1, 0x123456);
    DrawPicture(scene, hills.view(), -400, 0, 640, 1, 0, 0, 640, 1);
    EXPECT_EQ(scene.row(0)[0], 401u);  // plain with d = -400: source 400.. at the left edge
    EXPECT_EQ(scene.row(0)[239], 640u);
    EXPECT_EQ(scene.row(0)[240], untouched);
    // Mirrored (x = 640 - d, width -640, source x = d): it covers -d..639;
    // source column s lands on canvas column 639 - s, and the source columns
    // left of 0 would fall beyond the right edge, so they draw nothing.
    Surface mirrored(640, 1, 0x123456);
    DrawPicture(mirrored, hills.view(), 640 + 400, 0, -640, 1, -400, 0, 640, 1);
    EXPECT_EQ(mirrored.row(0)[399], untouched);
    EXPECT_EQ(mirrored.row(0)[400], 240u);
    EXPECT_EQ(mirrored.row(0)[639], 1u);
}

TEST(Blit, OmittedSourceSizeIsTheWholePictureWhateverTheOrigin) {
    // Source x = 1 with the full width reads one column beyond the picture;
    // that destination column stays unchanged.
    Bitmap src(4, 1);
    for (int x = 0; x < 4; ++x) src.row(0)[x] = static_cast<std::uint32_t>(x);
    Surface dst(4, 1, 0xFFFF);
    DrawPicture(dst, src.view(), 0, 0, {}, {}, 1);
    EXPECT_EQ((std::vector<std::uint32_t>(dst.row(0), dst.row(0) + 4)),
              (std::vector<std::uint32_t>{1, 2, 3, toPixel(0xFFFF)}));
}

TEST(Blit, SurfaceOntoItselfReadsThePictureAsItWas) {
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {2, 3}, {-3, -1}}) {
        Surface s(6, 5);
        numberPixels(s);
        const Bitmap before = s.image();
        BitBlt(s, dx, dy, 6, 5, s, 0, 0, Rop::SrcCopy);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool covered = x - dx >= 0 && x - dx < 6 && y - dy >= 0 && y - dy < 5;
                const std::uint32_t want = covered ? before.row(y - dy)[x - dx] : before.row(y)[x];
                ASSERT_EQ(s.row(y)[x], want) << dx << "," << dy << " at " << x << "," << y;
            }
    }
}

TEST(Blit, MirroringALoadedStripInPlace) {
    // A sprite strip 4 wide painted onto itself at x = 4, width -4, from
    // source x = 1: columns 0..3 show source columns 4 (outside: unchanged),
    // 3, 2, 1.
    Surface strip(4, 2);
    numberPixels(strip);
    const Bitmap before = strip.image();
    DrawPicture(strip, strip.view(), 4, 0, -4, 2, 1);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(strip.row(y)[0], before.row(y)[0]);
        EXPECT_EQ(strip.row(y)[1], before.row(y)[3]);
        EXPECT_EQ(strip.row(y)[2], before.row(y)[2]);
        EXPECT_EQ(strip.row(y)[3], before.row(y)[1]);
    }
}

// --- Reference ------------------------------------------------------------------

// The blit by its definition, one destination pixel at a time, on a copy of
// the source taken first.
int referenceSource(int k, int dstLen, int srcFirst, int srcLen, bool mirrored, bool vertical) {
    const long long j = mirrored ? dstLen - 1 - k : k;
    const long long s = srcLen, d = dstLen;
    long long offset;
    if (d >= s)
        offset = ((2 * j + 1) * s - 1) / (2 * d);
    else if (vertical)
        offset = (2 * j * s + d) / (2 * d);
    else if (d == 1)
        offset = s - 2;
    else
        offset = ((2 * j + 2) * s - d) / (2 * d);
    return srcFirst + static_cast<int>(offset);
}

void referenceBlit(Surface& dst, int x, int y, int w, int h, const Bitmap& src, int sx, int sy,
                   int sw, int sh, Rop rop) {
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
    const int dx0 = w < 0 ? x + w : x, dy0 = h < 0 ? y + h : y;
    const int sx0 = sw < 0 ? sx + sw : sx, sy0 = sh < 0 ? sy + sh : sy;
    for (int ky = 0; ky < std::abs(h); ++ky)
        for (int kx = 0; kx < std::abs(w); ++kx) {
            const int px = dx0 + kx, py = dy0 + ky;
            const int qx =
                referenceSource(kx, std::abs(w), sx0, std::abs(sw), (w < 0) != (sw < 0), false);
            const int qy =
                referenceSource(ky, std::abs(h), sy0, std::abs(sh), (h < 0) != (sh < 0), true);
            if (px < 0 || py < 0 || px >= dst.width() || py >= dst.height()) continue;
            if (qx < 0 || qy < 0 || qx >= src.width() || qy >= src.height()) continue;
            const std::uint32_t s = src.row(qy)[qx];
            std::uint32_t& d = dst.row(py)[px];
            d = rop == Rop::SrcCopy ? s : rop == Rop::SrcAnd ? (d & s) : (d | s);
        }
}

TEST(Blit, FastPathsAgreeWithTheReference) {
    std::mt19937 rng(20261208);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const Rop rops[] = {Rop::SrcCopy, Rop::SrcAnd, Rop::SrcPaint};
    for (int round = 0; round < 4000; ++round) {
        Surface dst(pick(1, 20), pick(1, 20));
        for (int y = 0; y < dst.height(); ++y)
            for (int x = 0; x < dst.width(); ++x) dst.row(y)[x] = rng();
        const bool self = pick(0, 3) == 0;
        Bitmap src = self ? dst.image() : Bitmap(pick(1, 20), pick(1, 20));
        if (!self)
            for (int y = 0; y < src.height(); ++y)
                for (int x = 0; x < src.width(); ++x) src.row(y)[x] = rng();
        const int x = pick(-25, 25), y = pick(-25, 25), w = pick(-30, 30), h = pick(-30, 30);
        const int sx = pick(-5, 20), sy = pick(-5, 20);
        const bool stretch = pick(0, 1) == 1;
        const int sw = stretch ? pick(-30, 30) : w, sh = stretch ? pick(-30, 30) : h;
        const Rop rop = rops[pick(0, 2)];

        Surface want(dst.width(), dst.height());
        want.setPicture(dst.image().view());
        referenceBlit(want, x, y, w, h, src, sx, sy, sw, sh, rop);
        if (self)
            StretchBlt(dst, x, y, w, h, dst, sx, sy, sw, sh, rop);
        else
            DrawPicture(dst, src.view(), x, y, w, h, sx, sy, sw, sh, rop);
        for (int py = 0; py < dst.height(); ++py)
            for (int px = 0; px < dst.width(); ++px)
                ASSERT_EQ(dst.row(py)[px], want.row(py)[px])
                    << "round " << round << " pixel " << px << "," << py << " dst " << x << "," << y
                    << " " << w << "x" << h << " src " << sx << "," << sy << " " << sw << "x" << sh
                    << (self ? " self" : "");
    }
}

}  // namespace
}  // namespace gm::gfx
