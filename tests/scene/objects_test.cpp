// The scene objects: where each lands, how it changes the caller's base line
// and the scene weights.
#include <gtest/gtest.h>

#include "tests/scene/scene_fixture.h"

namespace gm {
namespace {

using test::placementOf;
using test::SceneRig;
using test::ScriptedRandom;
using test::tagOf;

struct Weights {
    int left, right;
    bool operator==(const Weights&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Weights& w) {
    return os << "(" << w.left << ", " << w.right << ")";
}
Weights weightsOf(const SceneRig& rig) { return {rig.state.weightLeft, rig.state.weightRight}; }

// --- Baum --------------------------------------------------------------------------

TEST(Baum, GrowsWithTheBaseLineAndStandsAtOneEdge) {
    struct Case {
        int baseY, lo, hi, h, side, x, frame;
    };
    // Height range nearest(baseY / 3.5) .. nearest(baseY / 1.8).
    for (const Case c : {Case{300, 86, 167, 167, 0, -50, 1}, Case{470, 134, 261, 134, -1, 600, 5},
                         Case{7, 2, 4, 4, 0, 50, 3}}) {
        SceneRig rig;
        ScriptedRandom random;
        random.zz(c.lo, c.hi, c.h).zzr(0.7f, 1.0f, 0.8f).zz(-1, 0, c.side).zz(1, 5, c.frame);
        random.zz(c.side == 0 ? -50 : 500, c.side == 0 ? 50 : 600, c.x).strict();
        Int16 baseY = c.baseY;
        rig.scene.Baum(baseY);
        EXPECT_EQ(baseY, c.baseY);
        EXPECT_EQ(weightsOf(rig), (c.side == 0 ? Weights{1, 0} : Weights{0, 1}));
        EXPECT_EQ(random.left(), 0u);

        const auto p = placementOf(rig.surfaces.picBG, tagOf(143));
        const int w = CInt(c.h * 0.8f);
        EXPECT_EQ(p.top, std::max(c.baseY - c.h, 0));
        EXPECT_EQ(p.bottom, c.baseY - 1);
        EXPECT_EQ(p.left, std::max(c.x, 0));
        EXPECT_EQ(p.right, std::min(c.x + w, 640) - 1);
        // The top row shows a row of frame f (rows (f - 1) * 100 .. f * 100 - 1;
        // the marks keep the low 8 bits of the source row).
        EXPECT_LT((p.topLeft.sourceY - (c.frame - 1) * 100) & 0xFF, 100) << "frame " << c.frame;
    }
}

// --- Wald ----------------------------------------------------------------------------

TEST(Wald, EachDrawnRowLowersTheBaseLineAndWeighsFour) {
    SceneRig rig;
    ScriptedRandom random;
    random.zz(0, 2, 0).zz(1, 5, 2).zz(-100, 500, 500).zz(-1, 0, -1).zz(50, 52, 52);  // mirrored
    random.zz(0, 2, 1);                                                              // skipped
    random.zz(0, 2, 0).zz(1, 5, 4).zz(-100, 500, -100).zz(-1, 0, -1).zz(50, 52, 51);
    random.strict();
    Int16 baseY = 300;
    rig.scene.Wald(baseY);
    EXPECT_EQ(baseY, 303);
    // Sides by the unmirrored x: 500 counts right, -100 left, though mirrored
    // they stand at -60..140 and 540..740.
    EXPECT_EQ(weightsOf(rig), (Weights{4, 4}));
    EXPECT_EQ(rig.art.loads, (std::vector<int>{141, 142, 141, 142}));
    const auto p = placementOf(rig.surfaces.picBG, tagOf(141));
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.right, 639);
    EXPECT_EQ(p.top, 250);
    EXPECT_EQ(p.bottom, 301);
    // The first row: mirrored at 640 - 500 = 140, so column 0 shows strip column 139.
    EXPECT_EQ(test::markOf(gfx::GetPixel(rig.surfaces.picBG, 0, 260)).sourceX, 139);
    EXPECT_EQ(test::markOf(gfx::GetPixel(rig.surfaces.picBG, 0, 260)).sourceY, 60);
    EXPECT_EQ(random.left(), 0u);
}

TEST(Wald, NoRowLeavesEverythingAsItWas) {
    SceneRig rig;
    ScriptedRandom random;
    random.zzN(3, 0, 2, 2).strict();
    Int16 baseY = 280;
    rig.scene.Wald(baseY);
    EXPECT_EQ(baseY, 280);
    EXPECT_EQ(weightsOf(rig), (Weights{0, 0}));
    EXPECT_TRUE(placementOf(rig.surfaces.picBG, tagOf(141)).empty());
}

// --- Haus ----------------------------------------------------------------------------

TEST(Haus, MirrorFlagDecidesTheSideAndTheWeight) {
    struct Case {
        int pick, x, m, left, right, expectId;
        Weights w;
    };
    for (const Case c :
         {Case{1, 20, -1, 467, 619, 161, {0, 10}}, Case{2, -50, -1, 537, 639, 163, {0, 10}},
          Case{1, -50, 0, 0, 102, 161, {10, 0}}, Case{2, 20, 0, 20, 172, 163, {10, 0}}}) {
        SceneRig rig;
        ScriptedRandom random;
        random.zz(1, 2, c.pick).zz(-50, 20, c.x).zz(-1, 0, c.m).strict();
        Int16 baseY = 400;
        rig.scene.Haus(baseY);
        EXPECT_EQ(baseY, 400);
        EXPECT_EQ(weightsOf(rig), c.w);
        EXPECT_EQ(rig.art.loads, (std::vector<int>{c.expectId, c.expectId + 1}));
        const auto p = placementOf(rig.surfaces.picBG, tagOf(c.expectId));
        EXPECT_EQ(p.left, c.left) << c.x << "/" << c.m;
        EXPECT_EQ(p.right, c.right) << c.x << "/" << c.m;
        EXPECT_EQ(p.top, 285);
        EXPECT_EQ(p.bottom, 399);
    }
}

// --- Dorf and City -----------------------------------------------------------------------

TEST(Dorf, NeverHigherThanRow230AndWeighsByTheUnmirroredEdge) {
    {
        SceneRig rig;
        ScriptedRandom random;
        random.zz(-100, 540, 0).zzN(3, 0, 4, 3).strict();
        Int16 baseY = 150;
        rig.scene.Dorf(baseY);
        EXPECT_EQ(baseY, 230);
        EXPECT_EQ(weightsOf(rig), (Weights{0, 0}));
        EXPECT_EQ(rig.art.loads, (std::vector<int>{153, 154})) << "loaded once per call";
    }
    SceneRig rig;
    ScriptedRandom random;
    random.zz(-100, 540, 90);
    random.zz(0, 4, 0).zz(2, 12, 12).zz(-70, 70, 9).zz(-1, 0, 0);   // x 99: left
    random.zz(0, 4, 0).zz(2, 12, 2).zz(-70, 70, 1).zz(-1, 0, -1);   // x 100: right, mirrored
    random.zz(0, 4, 0).zz(2, 12, 5).zz(-70, 70, -70).zz(-1, 0, 0);  // x 30: left
    random.strict();
    Int16 baseY = 300;
    rig.scene.Dorf(baseY);
    EXPECT_EQ(baseY, 319);
    EXPECT_EQ(weightsOf(rig), (Weights{4, 2}));
    EXPECT_EQ(rig.art.loads, (std::vector<int>{153, 154}));
    const auto p = placementOf(rig.surfaces.picBG, tagOf(153));
    EXPECT_EQ(p.left, 30);
    EXPECT_EQ(p.right, 639 - 100);
    EXPECT_EQ(p.top, 212);
    EXPECT_EQ(p.bottom, 318);
}

TEST(City, SkylinesInSheetOrderLowerTheBaseLine) {
    {
        SceneRig rig;
        ScriptedRandom random;
        random.zz(-100, 540, 0).zzN(5, 0, 2, 1).strict();
        Int16 baseY = 400;
        rig.scene.City(baseY);
        EXPECT_EQ(baseY, 400);
        EXPECT_EQ(weightsOf(rig), (Weights{0, 0}));
        EXPECT_TRUE(rig.art.loads.empty());
    }
    for (const int step : {2, 12}) {
        SceneRig rig;
        ScriptedRandom random;
        random.zz(-100, 540, 500);
        for (int i = 1; i <= 5; ++i)
            random.zz(0, 2, 0).zz(2, 12, step).zz(-90, 90, 90).zz(-1, 0, 0);
        random.strict();
        Int16 baseY = 100;
        rig.scene.City(baseY);
        EXPECT_EQ(baseY, 220 + 5 * step);
        // x wanders to 590, 680, ..., 950: all right, the last ones wholly outside.
        EXPECT_EQ(weightsOf(rig), (Weights{0, 10}));
        EXPECT_EQ(rig.art.loads.size(), 10u);
        const auto p = placementOf(rig.surfaces.picBG, tagOf(151));
        EXPECT_EQ(p.left, 590);
        EXPECT_EQ(p.topLeft.sourceY, 0) << "the first skyline is strip 1";
    }
}

TEST(City, LastSkylineStandsInFront) {
    SceneRig rig;
    ScriptedRandom random;
    random.zz(-100, 540, 100);
    random.zz(0, 2, 0).zz(2, 12, 2).zz(-90, 90, 0).zz(-1, 0, 0);  // strip 1
    random.zzN(3, 0, 2, 2);
    random.zz(0, 2, 0).zz(2, 12, 10).zz(-90, 90, 0).zz(-1, 0, -1).strict();  // strip 5, mirrored
    Int16 baseY = 300;
    rig.scene.City(baseY);
    EXPECT_EQ(baseY, 312);
    EXPECT_EQ(weightsOf(rig), (Weights{0, 4}));
    // Row 311 belongs to strip 5 only; strip 1 ends on row 301.
    const auto front = test::markOf(gfx::GetPixel(rig.surfaces.picBG, 300, 311));
    EXPECT_EQ(front.sourceY, 499 & 0xFF);
    EXPECT_EQ(front.sourceX, 239);  // mirrored: column 295 shows the strip's column 244
    // Where both stand, strip 5 covers strip 1.
    EXPECT_EQ(test::markOf(gfx::GetPixel(rig.surfaces.picBG, 300, 250)).sourceY, 438 & 0xFF);
}

// --- Zaun and Schneemann -------------------------------------------------------------------

TEST(Zaun, RunsInFromTheLeftOrTheRightEdge) {
    struct Case {
        int x, m, left, right;
    };
    for (const Case c : {Case{0, 0, 0, 399}, Case{-200, 0, 0, 199}, Case{0, -1, 240, 639},
                         Case{-200, -1, 440, 639}}) {
        SceneRig rig;
        ScriptedRandom random;
        random.zz(-200, 0, c.x).zz(-1, 0, c.m).strict();
        Int16 baseY = 450;
        rig.scene.Zaun(baseY);
        EXPECT_EQ(baseY, 450);
        EXPECT_EQ(weightsOf(rig), (Weights{0, 0}));
        const auto p = placementOf(rig.surfaces.picBG, tagOf(165));
        EXPECT_EQ(p.left, c.left);
        EXPECT_EQ(p.right, c.right);
        EXPECT_EQ(p.top, 422);
        EXPECT_EQ(p.bottom, 449);
    }
}

TEST(Schneemann, StandsOnTheEmptierSideWithHisShadowFirst) {
    struct Case {
        int weightLeft, weightRight, lo, hi, x;
    };
    for (const Case c :
         {Case{0, 0, 300, 380, 380}, Case{9, 10, 80, 120, 80}, Case{10, 10, 300, 380, 300}}) {
        SceneRig rig;
        rig.surfaces.picBG.backColor = gfx::rgb(255, 255, 255);
        rig.surfaces.picBG.clear();
        rig.state.weightLeft = c.weightLeft;
        rig.state.weightRight = c.weightRight;
        ScriptedRandom random;
        random.zz(c.lo, c.hi, c.x).zz(2, 5, 3);  // then the shadow's offsets
        Int16 baseY = 460;
        rig.scene.Schneemann(baseY);
        EXPECT_EQ(baseY, 460);
        EXPECT_EQ(rig.art.loads, (std::vector<int>{181, 182, 183}));
        const auto p = placementOf(rig.surfaces.picBG, tagOf(181), 460);
        EXPECT_EQ(p.left, c.x);
        EXPECT_EQ(p.right, std::min(c.x + 285, 640) - 1);
        EXPECT_EQ(p.top, 160);
        EXPECT_EQ(p.bottom, 459);
        EXPECT_EQ(p.topLeft.sourceX, 0) << "never mirrored";
        // The (all-dark) shadow shows below his feet, from x + 75 - d on.
        EXPECT_NE(gfx::GetPixel(rig.surfaces.picBG, c.x + 225, 470), 0xFFFFFF);
        EXPECT_EQ(gfx::GetPixel(rig.surfaces.picBG, c.x + 65, 470), 0xFFFFFF);
    }
}

}  // namespace
}  // namespace gm
