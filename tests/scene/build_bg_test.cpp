// BuildBG: the order of the layers, the horizon, the distant snow, the rules
// of the middle belt and the foreground, and how CopyBg shows each stage.
// The procedures are silent (they only record their calls), so the scripts
// below hold BuildBG's own random draws.
#include <gtest/gtest.h>

#include "tests/scene/recording_scene.h"
#include "tests/scene/scene_fixture.h"

namespace gm {
namespace {

using test::Call;
using test::RecordingScene;
using test::SceneRig;
using test::ScriptedRandom;

struct BuildRig : SceneRig {
    BuildRig() { settings.maxFl = 10; }  // 6 discs of distant snow
    RecordingScene recorder{surfaces, state, settings, host, art.loader(), false};
};

// Sky type, horizon and sea choice, the two hill chances, `discs` discs of
// distant snow and two clouds.
void scriptPrefix(ScriptedRandom& r, int skyType, int horizon, int seaChoice, int discs = 6,
                  bool hills = false) {
    r.zz(1, 6, skyType).zz(190, 330, horizon).zz(0, 2, seaChoice);
    r.zz(0, 4, hills ? 0 : 3).zz(0, 4, hills ? 0 : 3);
    for (int i = 0; i < discs; ++i) r.zz(0, 640, 11 * i).zz(120, horizon, 130).zz(1, 6, 5 + i % 2);
    r.zz(1, 5, 1);
    for (int i = 0; i < 2; ++i) r.zzr(-0.1f, 0.9f, 0.5f).zzr(0.25f, 0.45f, 0.3f).zz(1, 10, 3);
}

std::vector<int> rowsIn(const std::vector<Call>& calls) {
    std::vector<int> rows;
    for (const Call& c : calls) rows.push_back(c.rowIn);
    return rows;
}

TEST(BuildBG, StartsAfreshAndMapsSkyTypeSixToTwo) {
    for (const auto& [drawn, seen] : {std::pair{6, 2}, {5, 5}, {1, 1}}) {
        BuildRig rig;
        rig.surfaces.picBG.setSize(100, 50);
        rig.state.weightLeft = 7;
        rig.state.weightRight = 9;
        ScriptedRandom random;
        scriptPrefix(random, drawn, 250, 0);
        rig.recorder.BuildBG();
        EXPECT_FALSE(rig.host.timerEnabled);
        EXPECT_EQ(rig.surfaces.picBG.width(), 640);
        EXPECT_EQ(rig.surfaces.picBG.height(), 480);
        ASSERT_GE(rig.recorder.calls.size(), 2u);
        EXPECT_EQ(rig.recorder.calls[0].proc, "Hintergrund");
        EXPECT_EQ(rig.recorder.calls[0].skyType, seen);
        EXPECT_EQ(rig.recorder.calls[0].weightLeft, 0);
        EXPECT_EQ(rig.recorder.calls[0].weightRight, 0);
        EXPECT_EQ(rig.recorder.calls[1].proc, "Himmel");
        EXPECT_TRUE(rig.trap.reports().empty());
    }
}

TEST(BuildBG, SeaOrSnowFieldAtTheHorizon) {
    struct Case {
        int horizon, seaChoice;
        const char* layer;  // nullptr: neither
    };
    for (const Case c : {Case{300, 2, "Meer"}, Case{325, 2, "Meer"}, Case{319, 1, "Boden"},
                         Case{190, 0, "Boden"}, Case{320, 0, nullptr}, Case{330, 1, nullptr}}) {
        BuildRig rig;
        ScriptedRandom random;
        scriptPrefix(random, 1, c.horizon, c.seaChoice, 6, true);
        rig.recorder.BuildBG();
        const auto& calls = rig.recorder.calls;
        ASSERT_GE(calls.size(), 5u);
        int next = 2;
        if (c.layer) {
            EXPECT_EQ(calls[2].proc, c.layer) << c.horizon;
            EXPECT_EQ(calls[2].rowIn, c.horizon);
            next = 3;
        }
        // Both hill chances taken: two bands on the horizon, then the distant snow.
        EXPECT_EQ(calls[next].proc, "Berge") << c.horizon;
        EXPECT_EQ(calls[next + 1].proc, "Berge");
        EXPECT_EQ(calls[next + 1].rowIn, c.horizon);
        EXPECT_EQ(calls[next + 2].proc, "CopyBg");
        const std::string layer = c.layer ? c.layer : "";
        EXPECT_EQ(rig.recorder.callsOf("Meer").size(), layer == "Meer" ? 1u : 0u);
        EXPECT_EQ(rig.recorder.callsOf("Boden").size(), layer == "Boden" ? 1u : 0u);
    }
}

TEST(BuildBG, DistantSnowFollowsMaxFlAndSize) {
    // maxFl 110 gives 56 discs; Size 6 with Zz = 5 gives diameter 2 (2.5
    // rounds to even), Zz = 6 diameter 3, drawn as 4 and 5 white pixels.
    BuildRig rig;
    rig.settings.maxFl = 110;
    ScriptedRandom random;
    scriptPrefix(random, 1, 300, 0, 56);
    rig.recorder.BuildBG();
    int white = 0;
    for (int y = 120; y <= 300; ++y)
        for (int x = 0; x < 640; ++x) white += gfx::GetPixel(rig.surfaces.picBG, x, y) == 0xFFFFFF;
    EXPECT_EQ(white, 28 * 4 + 28 * 5);
    // The two clouds come right after the discs, as scripted: 480 x 0.3.
    const auto clouds = rig.recorder.callsOf("Wolken");
    ASSERT_GE(clouds.size(), 2u);
    EXPECT_EQ(clouds[0].rowIn, 144);
}

// The calls of the middle belt: after the CopyBg of the second cloud up
// to the next CopyBg (the prefix scripts two clouds).
std::vector<Call> beltCalls(const std::vector<Call>& calls, const std::string& proc) {
    std::size_t i = 0;
    for (int clouds = 0; i < calls.size() && clouds < 2; ++i) clouds += calls[i].proc == "Wolken";
    std::vector<Call> belt;
    for (++i; i < calls.size() && calls[i].proc != "CopyBg"; ++i)
        if (calls[i].proc == proc) belt.push_back(calls[i]);
    return belt;
}

// One pass of the middle belt: the choice c, the draws it makes, the step.
struct Pass {
    int c;
    std::vector<Single> draws;  // raw values of the draws the choice makes
    int step = 1;
};
void scriptBelt(ScriptedRandom& r, const std::vector<Pass>& passes) {
    for (const Pass& p : passes) {
        r.zz(1, 5, p.c);
        for (Single v : p.draws) r.raw(v);
        r.zz(1, 5, p.step);
    }
}

TEST(BuildBG, OneVillageAtMostAndNeverInTheFirstElevenPasses) {
    BuildRig rig;
    ScriptedRandom random;
    scriptPrefix(random, 1, 200, 0);
    // Every pass chooses the village with the lowest draw, which hits 5 in
    // Zz(5, 20) but misses once the range starts at 6; the pass after the
    // village tries the town as well.
    std::vector<Pass> belt;
    for (int i = 0; i <= 20; ++i) {
        if (i == 11)
            belt.push_back({4, {0, 0}});  // the village, then y + Zz(2, 10) = y + 2
        else if (i == 12)
            belt.push_back({3, {0}});
        else
            belt.push_back({4, {0}});
    }
    scriptBelt(random, belt);
    rig.recorder.BuildBG();
    const auto villages = rig.recorder.callsOf("Dorf");
    ASSERT_EQ(villages.size(), 1u);
    EXPECT_EQ(villages[0].rowIn, 200 + 11);
    EXPECT_TRUE(rig.recorder.callsOf("City").empty());
    EXPECT_EQ(rowsIn(beltCalls(rig.recorder.calls, "Berge")), std::vector<int>{213});
}

TEST(BuildBG, TownOnlyAboveRow350) {
    BuildRig rig;
    ScriptedRandom random;
    scriptPrefix(random, 1, 330, 0);
    std::vector<Pass> belt;
    belt.push_back({3, {0, 1.0f - 1e-6f}, 5});  // town at 330, y + 10, step 5: 345
    belt.push_back({3, {0, 0.4f}, 1});          // town at 345, y + 5 = 350, step 1: 351
    for (int i = 2; i <= 20; ++i) belt.push_back({3, {0}});
    scriptBelt(random, belt);
    rig.recorder.BuildBG();
    EXPECT_EQ(rowsIn(rig.recorder.callsOf("City")), (std::vector<int>{330, 345}));
    EXPECT_EQ(rowsIn(beltCalls(rig.recorder.calls, "Berge")), (std::vector<int>{340, 350}));
}

TEST(BuildBG, BeltRowNeverMovesUp) {
    // A forest that hands back a higher row (as Berge does when an error
    // leaves it early) does not lift the belt: every pass starts where the
    // last one did at least.
    BuildRig rig;
    rig.recorder.waldShift = -30;
    ScriptedRandom random;
    scriptPrefix(random, 1, 260, 0);
    std::vector<Pass> belt(21, Pass{2, {0}});
    scriptBelt(random, belt);
    rig.recorder.BuildBG();
    EXPECT_EQ(rowsIn(rig.recorder.callsOf("Wald")), std::vector<int>(21, 260));
}

TEST(BuildBG, ForegroundInOrderDownToTheBottomEdge) {
    BuildRig rig;
    ScriptedRandom random;
    scriptPrefix(random, 1, 250, 0);
    scriptBelt(random, std::vector<Pass>(21, Pass{5, {}}));  // y = 271
    random.zz(1, 3, 1);                                      // two more clouds
    for (int i = 0; i < 2; ++i) random.zzr(-0.1f, 0.9f, 0.2f).zzr(0.25f, 0.45f, 0.4f).zz(1, 10, 8);
    random.zz(1, 10, 1);                                               // fence at 320, y 325
    random.zz(1, 20, 1).zz(1, 15, 1).zz(1, 5, 3).zz(1, 15, 10);        // one tree of two chances
    random.zz(2, 5, 2);                                                // y 330
    random.zz(1, 15, 1).zz(1, 3, 1);                                   // house group with a fence
    random.zz(10, 15, 15);                                             // y 365
    random.zz(1, 3, 1);                                                // a third fence is not drawn
    for (int step : {15, 15, 15}) random.zz(5, 15, step).zz(1, 2, 1);  // hills at 380, 395, 410
    random.zz(5, 15, 15).zz(1, 2, 2);                                  // 425, no hills
    random.zz(3, 15, 15);                                              // snowman at 440
    for (int step : {15, 15, 15}) random.zz(5, 15, step).zz(1, 2, 2);  // 455, 470, 485
    random.zz(5, 15, 15).zz(1, 2, 1);                                  // 500, hills
    random.strict();
    rig.recorder.BuildBG();
    EXPECT_EQ(random.left(), 0u);

    std::vector<std::string> foreground;
    std::vector<int> rows;
    const auto& calls = rig.recorder.calls;
    std::size_t i = 0;
    while (i < calls.size() && !(calls[i].proc == "Wolken" && calls[i].rowIn == 192)) ++i;
    for (; i < calls.size(); ++i) {
        foreground.push_back(calls[i].proc);
        rows.push_back(calls[i].rowIn);
    }
    EXPECT_EQ(foreground,
              (std::vector<std::string>{
                  "Wolken", "CopyBg",     "Wolken", "CopyBg", "Zaun",  "Baum",  "Berge", "CopyBg",
                  "Baum",   "Baum",       "Zaun",   "Haus",   "Berge", "Berge", "Berge", "Berge",
                  "CopyBg", "Schneemann", "CopyBg", "Berge",  "Berge", "CopyBg"}));
    EXPECT_EQ(rows, (std::vector<int>{192, 0,   192, 0,   320, 325, 328, 0, 330, 332, 330,
                                      350, 365, 380, 395, 410, 0,   440, 0, 500, 480, 0}));
    // The last band stands on the bottom edge, on a row of its own.
    const Call& last = calls[calls.size() - 2];
    EXPECT_NE(last.row, calls[calls.size() - 3].row);
}

TEST(BuildBG, SnowmanNeverBelowRow470) {
    BuildRig rig;
    rig.recorder.waldShift = 200;
    ScriptedRandom random;
    scriptPrefix(random, 1, 300, 0);
    std::vector<Pass> belt(21, Pass{5, {}});
    belt[0] = Pass{2, {0}};
    scriptBelt(random, belt);  // the rest from the generator
    rig.recorder.BuildBG();
    EXPECT_EQ(rowsIn(rig.recorder.callsOf("Schneemann")), std::vector<int>{470});

    BuildRig without;
    without.settings.Snowman = 0;
    ScriptedRandom again;
    without.recorder.BuildBG();
    EXPECT_TRUE(without.recorder.callsOf("Schneemann").empty());
}

TEST(CopyBg, StretchesTheCanvasOverTheWindowAndYields) {
    SceneRig rig(1280, 960);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) gfx::SetPixel(rig.surfaces.picBG, x, y, x + 1000 * y);
    rig.scene.CopyBg();
    gfx::Surface& window = rig.host.windowImage();
    for (const auto& [x, y] : {std::pair{0, 0}, {639, 479}, {100, 200}, {17, 401}}) {
        EXPECT_EQ(gfx::GetPixel(window, 2 * x, 2 * y), x + 1000 * y);
        EXPECT_EQ(gfx::GetPixel(window, 2 * x + 1, 2 * y + 1), x + 1000 * y);
    }
    EXPECT_EQ(rig.host.refreshes, 1);
    EXPECT_EQ(rig.host.yields, 1);
}

// A composition after an earlier one at another window size (a resized
// window) gives exactly the surfaces a first composition gives.
TEST(BuildBG, EverySceneStartsAsTheFirstDoes) {
    for (const auto& [firstW, firstH] : {std::pair{400, 300}, {3000, 300}}) {
        SceneRig fresh(1280, 720), resized(firstW, firstH);
        Randomize(9);
        resized.scene.BuildBG();
        resized.host.windowImage().setSize(1280, 720);
        Randomize(5);
        resized.scene.BuildBG();
        Randomize(5);
        fresh.scene.BuildBG();
        const auto same = [](const gfx::Surface& a, const gfx::Surface& b) {
            if (a.width() != b.width() || a.height() != b.height()) return false;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    if (a.row(y)[x] != b.row(y)[x]) return false;
            return true;
        };
        EXPECT_TRUE(same(resized.surfaces.picBG, fresh.surfaces.picBG)) << "after " << firstW;
        EXPECT_TRUE(same(resized.surfaces.picHimmel, fresh.surfaces.picHimmel))
            << "after " << firstW;
    }
}

TEST(BuildBG, FailingProcedureReportsUnderItsOwnNameAndTheSceneGoesOn) {
    int trees = 0;
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        SceneRig rig;
        rig.art.remove(143);
        RecordingScene recorder(rig.surfaces, rig.state, rig.settings, rig.host, rig.art.loader(),
                                true);
        Randomize(seed);
        recorder.BuildBG();
        const int baum = static_cast<int>(recorder.callsOf("Baum").size());
        trees += baum;
        ASSERT_EQ(rig.trap.reports().size(), static_cast<std::size_t>(baum));
        for (const auto& r : rig.trap.reports()) {
            EXPECT_EQ(r.module, "frmMain");
            EXPECT_EQ(r.proc, "Baum");
            EXPECT_EQ(r.number, err::ResourceNotFound);
            EXPECT_EQ(r.line, 50010);
        }
        // The composition still ends with the last hills on the bottom edge.
        ASSERT_GE(recorder.calls.size(), 2u);
        EXPECT_EQ(recorder.calls[recorder.calls.size() - 2].proc, "Berge");
        EXPECT_EQ(recorder.calls[recorder.calls.size() - 2].rowOut, 480);
        EXPECT_EQ(recorder.calls.back().proc, "CopyBg");
    }
    EXPECT_GT(trees, 0);
}

}  // namespace
}  // namespace gm
