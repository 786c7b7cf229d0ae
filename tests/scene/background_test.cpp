// The background layers: sky gradient and sky band, hills, sea, snow field,
// clouds and shadows.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/scene/scene_fixture.h"

namespace gm {
namespace {

using test::markOf;
using test::placementOf;
using test::SceneRig;
using test::ScriptedRandom;
using test::tagOf;

constexpr gfx::Colour kTileEdge = 0xFF00FF;  // column 0 of the fake gradient strips

// The columns of row y where a run of the tile-edge colour starts.
std::vector<int> tileStarts(const gfx::Surface& s, int y) {
    std::vector<int> starts;
    for (int x = 0; x < s.width(); ++x)
        if (gfx::GetPixel(s, x, y) == kTileEdge &&
            (x == 0 || gfx::GetPixel(s, x - 1, y) != kTileEdge))
            starts.push_back(x);
    return starts;
}

std::vector<int> every(int step, int count) {
    std::vector<int> v;
    for (int i = 0; i < count; ++i) v.push_back(i * step);
    return v;
}

// --- Hintergrund and Boden -------------------------------------------------------

TEST(Hintergrund, TilesTheStripOfTheSkyTypeOverCanvasAndSkyBand) {
    struct Case {
        int dpi, tile, bandTiles, canvasTiles;
    };
    // 35-pixel tiles: 22 passes cover the 738-pixel sky band, 19 of them
    // reach the canvas. At 192 dpi 265 hundredths of a millimetre over 8
    // twips per pixel (7.5 to even) give 33-pixel tiles.
    for (const Case c : {Case{96, 35, 22, 19}, Case{120, 35, 22, 19}, Case{144, 35, 22, 19},
                         Case{192, 33, 23, 20}}) {
        SceneRig rig;
        rig.host.dpi = c.dpi;
        rig.state.SkyType = 5;
        rig.scene.Hintergrund();
        EXPECT_EQ(rig.art.loads, std::vector<int>{105});
        EXPECT_EQ(tileStarts(rig.surfaces.picHimmel, 50), every(c.tile, c.bandTiles)) << c.dpi;
        EXPECT_EQ(tileStarts(rig.surfaces.picBG, 479), every(c.tile, c.canvasTiles)) << c.dpi;
        // Each tile is the whole strip stretched over the canvas's height.
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 10, 300), gfx::rgb(200, 150, 200));
    }
}

TEST(Boden, FillsFromTheRowDownWithTheStripsLowerEnd) {
    for (int row : {190, 335}) {
        SceneRig rig;
        rig.state.SkyType = 3;
        rig.scene.Boden(row);
        EXPECT_EQ(rig.art.loads, std::vector<int>{103});
        EXPECT_EQ(tileStarts(rig.surfaces.picBG, row), every(35, 19));
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 10, row - 1), 0) << "untouched above the row";
        // Strip rows 310..479 stretched over row..479.
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 10, row), gfx::rgb(120, 155, 200));
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 10, 479), gfx::rgb(120, 239, 200));
    }
}

// Columns of row y of s that still hold the colour c.
int columnsOf(const gfx::Surface& s, int y, gfx::Colour c) {
    int n = 0;
    for (int x = 0; x < s.width(); ++x) n += gfx::GetPixel(s, x, y) == c;
    return n;
}

TEST(Hintergrund, AndBodenCoverTheirSurfacesAtAnyResolution) {
    // From 2880 dpi on the twips per pixel round to 0.
    for (int dpi : {2880, 4000, 1000000}) {
        SceneRig rig;
        rig.host.dpi = dpi;
        rig.state.SkyType = 2;
        rig.scene.Hintergrund();
        rig.surfaces.picBG.clear();
        rig.scene.Boden(200);
        EXPECT_TRUE(rig.trap.reports().empty()) << dpi << " dpi";
        EXPECT_EQ(columnsOf(rig.surfaces.picHimmel, 50, gfx::rgb(192, 255, 255)), 0) << dpi;
        EXPECT_EQ(columnsOf(rig.surfaces.picBG, 479, 0), 0) << dpi << " dpi";
    }
}

TEST(Hintergrund, CoversTheCanvasBesideANarrowSkyBand) {
    SceneRig rig;
    rig.surfaces.picHimmel.setSize(462, 75);  // resampled for a 400-pixel window
    rig.state.SkyType = 1;
    rig.scene.Hintergrund();
    EXPECT_EQ(columnsOf(rig.surfaces.picBG, 479, 0), 0);
}

// --- Himmel -----------------------------------------------------------------------

// Scripts Himmel: sky top, band variant k, the flakes, no moon.
void scriptHimmel(ScriptedRandom& r, int skyTop, int k, int flakes, int W, int H) {
    r.zz(-100, 0, skyTop).zz(-1, 7, k);
    for (int i = 0; i < flakes; ++i) r.zz(0, W, 5 * i).zz(0, H, 10).zz(1, 6, 6);
    r.zz(0, 2, 1);
}

TEST(Himmel, ChoosesTheBandOfTheSkyTypeAndLimitsTheTypeToFour) {
    struct Case {
        int skyType, k, expectedId;
    };
    for (const Case c : {Case{5, 0, 126}, Case{5, 1, 125}, Case{1, 2, 122}, Case{4, 3, 127},
                         Case{2, 4, 124}, Case{2, 7, 123}}) {
        SceneRig rig;
        ScriptedRandom random;
        scriptHimmel(random, -20, c.k, 23, 738, 119);
        random.strict();
        rig.state.SkyType = c.skyType;
        rig.scene.Himmel();
        EXPECT_EQ(rig.art.loads, std::vector<int>{c.expectedId}) << c.skyType << "/" << c.k;
        EXPECT_EQ(rig.state.SkyType, c.skyType == 5 ? 3 : c.skyType);
        EXPECT_EQ(random.left(), 0u);
    }
}

TEST(Himmel, BandMeetsTheBottomPlainOrMirrored) {
    {
        SceneRig rig;
        ScriptedRandom random;
        scriptHimmel(random, -19, 0, 23, 738, 119);
        rig.state.SkyType = 1;
        rig.scene.Himmel();
        // The unmirrored band: its column 100 lands on the canvas's column 100
        // (the canvas keeps the band before resampling; skyOffset is 0).
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 100, 118) & 0xFFFF, 122 + 256 * 100);
    }
    {
        SceneRig rig;
        ScriptedRandom random;
        scriptHimmel(random, 0, 2, 23, 738, 119);
        rig.state.SkyType = 1;
        rig.scene.Himmel();
        // Mirrored over the full width: canvas column 0 shows the band's last column.
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 0, 60) & 0xFFFF, 122 + 256 * (737 & 0xFF));
    }
}

TEST(Himmel, NoBandKeepsTheGradientAndFlakesFollowMaxFl) {
    for (int maxFl : {110, 22}) {
        SceneRig rig;
        rig.settings.maxFl = maxFl;
        const int flakes = maxFl == 110 ? 23 : 5;
        ScriptedRandom random;
        scriptHimmel(random, -50, -1, flakes, 738, 119);
        random.strict();
        rig.state.SkyType = 2;
        rig.scene.Himmel();
        EXPECT_TRUE(rig.art.loads.empty());
        EXPECT_EQ(random.left(), 0u);
        // The flakes of size 3 stand at x = 5i, y = 10 in the copy on the canvas.
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 5 * (flakes - 1) + 1, 11), 0xFFFFFF);
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 5 * flakes + 1, 11), gfx::rgb(192, 255, 255))
            << "no flake beyond the last";
    }
}

TEST(Himmel, ResamplesTheBandToTheWindowAndPaintsTheMoonThere) {
    SceneRig rig(1024, 768);
    ScriptedRandom random;
    random.zz(-100, 0, 0).zz(-1, 7, -1);
    for (int i = 0; i < 23; ++i) random.zz(0, 738, 700).zz(0, 119, 100).zz(1, 6, 1);
    random.zz(0, 2, 0).zz(0, 1084, 1084).zz(0, 92, 92).zz(20, 50, 50).strict();
    rig.state.SkyType = 1;
    rig.state.skyTop = 7;
    rig.scene.Himmel();
    EXPECT_EQ(rig.surfaces.picHimmel.width(), 1184);
    EXPECT_EQ(rig.surfaces.picHimmel.height(), 192);
    EXPECT_EQ(rig.state.skyWidth, 1184);
    EXPECT_EQ(rig.state.skyHeight, 192);
    EXPECT_EQ(rig.state.skyTop, 0);
    // The moon's centre, in the resampled band only.
    EXPECT_EQ(gfx::GetPixel(rig.surfaces.picHimmel, 1109, 117), gfx::rgb(244, 244, 232));
    EXPECT_EQ(rig.surfaces.picHimmel.foreColor, 0xFFFFFF);
    EXPECT_EQ(rig.surfaces.picHimmel.fillColor, 0xFFFFFF);
    EXPECT_EQ(random.left(), 0u);
}

// --- Berge --------------------------------------------------------------------------

struct Band {
    test::Placement p;
    int row;
};

Band berge(int d, int m, int h = 100, int row = 300) {
    SceneRig rig;
    ScriptedRandom random;
    random.zz(1, 4, 2).zz(20, 120, h).zz(-400, 0, d).zz(-1, 0, m).strict();
    Int16 r = row;
    rig.scene.Berge(r);
    EXPECT_EQ(rig.art.loads, (std::vector<int>{133, 134}));
    EXPECT_EQ(random.left(), 0u);
    return {placementOf(rig.surfaces.picBG, tagOf(133)), r};
}

TEST(Berge, PlainBandStartsAtTheLeftEdge) {
    const Band full = berge(0, 0);
    EXPECT_EQ(full.row, 300);
    EXPECT_EQ(full.p.left, 0);
    EXPECT_EQ(full.p.right, 639);
    EXPECT_EQ(full.p.top, 200);
    EXPECT_EQ(full.p.bottom, 299);
    EXPECT_EQ(full.p.topLeft.sourceX, 0);

    const Band narrow = berge(-400, 0);
    EXPECT_EQ(narrow.p.left, 0);
    EXPECT_EQ(narrow.p.right, 239);
    EXPECT_EQ(narrow.p.topLeft.sourceX, 400);
    EXPECT_EQ(narrow.p.topRight.sourceX, 639);
}

TEST(Berge, MirroredBandStartsAtTheRightEdge) {
    const Band full = berge(0, -1);
    EXPECT_EQ(full.p.left, 0);
    EXPECT_EQ(full.p.right, 639);
    EXPECT_EQ(full.p.topLeft.sourceX, 639);
    EXPECT_EQ(full.p.topRight.sourceX, 0);

    // The mirror image of the plain band: the picture's right end, where
    // its hills sink to the ground, at the band's inner end.
    const Band narrow = berge(-400, -1);
    EXPECT_EQ(narrow.p.left, 400);
    EXPECT_EQ(narrow.p.right, 639);
    EXPECT_EQ(narrow.p.topLeft.sourceX, 639);
    EXPECT_EQ(narrow.p.topRight.sourceX, 400);
}

TEST(Berge, HeightSqueezesOrStretchesThePictureAboveTheRow) {
    for (int h : {20, 120}) {
        const Band b = berge(-100, 0, h, 480);
        EXPECT_EQ(b.row, 480);
        EXPECT_EQ(b.p.top, 480 - h);
        EXPECT_EQ(b.p.bottom, 479);
    }
}

// --- Meer ------------------------------------------------------------------------------

// A canvas whose rows 200.. have the sky colour sky, except row sampleRow.
struct SeaRig : SceneRig {
    SeaRig(gfx::Colour sky, int sampleRow, gfx::Colour sample) {
        surfaces.picBG.backColor = sky;
        surfaces.picBG.clear();
        gfx::SetPixel(surfaces.picBG, 1, sampleRow, sample);
    }
};

TEST(Meer, LinesLightenFromTheBottomToTheHorizonAndSaturate) {
    struct Case {
        int w, n, lines;
    };
    for (const Case c : {Case{2, 4, 24}, Case{4, 3, 9}, Case{3, 4, 16}}) {
        const int y = 300, H = 12 * c.n;
        SeaRig rig(gfx::rgb(1, 2, 3), 310, gfx::rgb(200, 240, 250));
        ScriptedRandom random;
        random.zz(2, 4, c.w).zz(3, 4, c.n).zz(200, y + H - 5, 310).zz(0, 1, 1).strict();
        rig.state.SkyType = 1;
        rig.scene.Meer(y);
        EXPECT_TRUE(rig.art.loads.empty()) << "no snow field below a sea at row 290 or lower";
        for (int k = 1; k <= c.lines; ++k)
            EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 320, y + H - c.w * k),
                      gfx::rgb(200 + 5 * k, 240 + 6 * k, 250 + 3 * k))
                << "line " << k << " of w " << c.w;
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 320, y - c.w - 1), gfx::rgb(1, 2, 3));
        EXPECT_EQ(rig.surfaces.picBG.drawWidth, 1);
        EXPECT_EQ(random.left(), 0u);
    }
}

TEST(Meer, HighSeaGetsASnowFieldBelowAndSometimesAGlint) {
    const int y = 250, H = 36;
    SeaRig rig(gfx::rgb(10, 20, 30), 210, gfx::rgb(10, 20, 30));
    ScriptedRandom random;
    random.zz(2, 4, 2).zz(3, 4, 3).zz(200, y + H - 5, 210).zz(0, 1, 0).strict();
    rig.state.SkyType = 4;
    rig.scene.Meer(y);
    EXPECT_EQ(rig.art.loads, std::vector<int>{104});
    EXPECT_EQ(tileStarts(rig.surfaces.picBG, 400), every(35, 19));
    EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, 320, y - 1), gfx::rgb(242, 248, 255));
}

// --- Wolken and Schatten -------------------------------------------------------------

TEST(Wolken, CloudAtTheLeftEdgeLightensOnlyInsideInThreePasses) {
    SceneRig rig;
    const gfx::Colour sky = gfx::rgb(0, 100, 200);
    rig.surfaces.picBG.backColor = sky;
    rig.surfaces.picBG.clear();
    ScriptedRandom random;
    random.zz(2, 5, 4).strict();
    rig.scene.Wolken(rig.surfaces.picBG, 118, -64, 150);  // 269 x 79
    EXPECT_EQ(rig.art.loads, std::vector<int>{118});
    EXPECT_EQ(rig.surfaces.picBuffer.width(), 269);
    EXPECT_EQ(rig.surfaces.picBuffer.height(), 79);
    EXPECT_TRUE(rig.trap.reports().empty());

    // Each pass lightens what lies under its copy of the (all-light) pattern.
    const auto lighten = [](int c, int percent) {
        const Single f = static_cast<Single>(percent / 100.0), k = 1 - f;
        return static_cast<int>(CInt(k * c + CInt(f * 255)));
    };
    const struct { int x, y, percent; } passes[] = {{-64, 150, 20}, {-68, 146, 10}, {-60, 154, 10}};
    for (int py = 0; py < 480; py += 3)
        for (int px = 0; px < 640; px += 3) {
            int r = 0, g = 100, b = 200;
            for (const auto& p : passes)
                if (px >= p.x && px < p.x + 269 && py >= p.y && py < p.y + 79) {
                    r = lighten(r, p.percent);
                    g = lighten(g, p.percent);
                    b = lighten(b, p.percent);
                }
            ASSERT_EQ(gfx::GetPixel(rig.surfaces.picBG, px, py), gfx::rgb(r, g, b))
                << px << "," << py;
        }
}

TEST(Schatten, ChangesOnlyPixelsAtOrJustBelowRightOfADarkPatternPixel) {
    SceneRig rig;
    rig.surfaces.picBG.backColor = gfx::rgb(250, 250, 250);
    rig.surfaces.picBG.clear();
    // A sparse shadow pattern: dark dots on a light ground.
    gfx::Bitmap dots(157, 74, 0xFFFFFF);
    for (int y = 0; y < 74; y += 7)
        for (int x = (y * 3) % 11; x < 157; x += 11) dots.row(y)[x] = 0;
    rig.art.put(183, dots);
    ScriptedRandom random;
    random.zz(2, 5, 5);  // d; the offsets of the writes come from the generator
    rig.scene.Schatten(rig.surfaces.picBG, 183, 200, 380);

    const auto allowed = [&](int px, int py) {
        for (const auto& [ox, oy] : {std::pair{200, 380}, {195, 375}, {205, 385}})
            for (int dy = 0; dy <= 1; ++dy)
                for (int dx = 0; dx <= 2; ++dx) {
                    const int i = px - dx - ox, j = py - dy - oy;
                    if (i >= 0 && i < 157 && j >= 0 && j < 74 && dots.row(j)[i] == 0) return true;
                }
        return false;
    };
    int changed = 0;
    for (int py = 0; py < 480; ++py)
        for (int px = 0; px < 640; ++px)
            if (gfx::GetPixel(rig.surfaces.picBG, px, py) != gfx::rgb(250, 250, 250)) {
                ++changed;
                ASSERT_TRUE(allowed(px, py)) << px << "," << py;
            }
    EXPECT_GT(changed, 100);
    EXPECT_TRUE(rig.trap.reports().empty());
}

}  // namespace
}  // namespace gm
