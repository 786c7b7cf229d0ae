// The whole show on the headless platform, as Main starts it: the scene is
// composed, the snow falls, input ends it; a stored "maxFl" past the flake
// slots ends it through the subscript error; a burst of size changes costs
// one rebuild and the flake loops never nest.
#include <set>

#include "animation/animation.h"
#include "saver/show_parts.h"
#include "animation_fixture.h"
#include "tests/saver/saver_fixture.h"

namespace gm::test {
namespace {

class ShowTest : public SaverTest {
  protected:
    // The scene and the animation plugged into the window, with the timer's
    // handler watched by `onTick` after each tick.
    void install() {
        installShowParts();
        ShowParts parts = showParts();
        parts.tmrAnimation_Timer = [this, tick = parts.tmrAnimation_Timer](FrmMain& f) {
            tick(f);
            ++ticks;
            if (onTick) onTick(f);
        };
        parts.BuildBG = [this, build = parts.BuildBG](FrmMain& f) {
            ++builds;
            build(f);
        };
        parts.moveFlakes = [this, move = parts.moveFlakes](FrmMain& f) {
            ++loops;
            maxLoops = std::max(maxLoops, loops);
            move(f);
            --loops;
        };
        setShowParts(parts);
        setSeedOverride(42);
        put("Date", "1");
        put("Time", "1");
    }

    static int colours(const gfx::Bitmap& b) {
        std::set<std::uint32_t> seen;
        for (int y = 0; y < b.height(); y += 3)
            for (int x = 0; x < b.width(); x += 3) seen.insert(b.row(y)[x]);
        return static_cast<int>(seen.size());
    }

    int ticks = 0, builds = 0, loops = 0, maxLoops = 0;
    std::function<void(FrmMain&)> onTick;
};

TEST_F(ShowTest, TheLandscapeIsComposedTheSnowFallsAndAKeyEndsIt) {
    install();
    gfx::Bitmap early, later;
    onTick = [&](FrmMain& f) {
        if (ticks == 25) early = f.windowImage().image();
        if (ticks == 100) later = f.windowImage().image();
    };
    platform.schedule(5000 + 10000, {InputKind::KeyDown, 65});
    EXPECT_EQ(runMain("/s"), 0);

    // 40 ms ticks for ten seconds, less the time nothing waited.
    EXPECT_GE(ticks, 240);
    ASSERT_EQ(early.width(), 1024);
    EXPECT_GT(colours(early), 100) << "a landscape, not a dark screen";
    int changed = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) changed += early.row(y)[x] != later.row(y)[x];
    EXPECT_GT(changed, 500) << "the flakes moved";
    // The show ended as a show ends: cursor back, flags restored.
    EXPECT_EQ(platform.cursorCount(), 0);
    EXPECT_TRUE(protocol().empty());
}

TEST_F(ShowTest, LastFlakeLiesBetweenHalfOfMaxFlAndMaxFl) {
    install();
    put("maxFl", "110");
    for (const Single r : {0.0f, kAlmostOne}) {
        forms() = Forms{};
        // Form_Load's Zz(minFl, maxFl) is the show's first random draw.
        ScriptedRandom random(5);
        random.r(r);
        platform.schedule(platform.nowMs() + 2000, {InputKind::KeyDown, 65});
        EXPECT_EQ(runMain("/s"), 0);
        const Animation& a = animationOf(*forms().frmMain);
        const int expected = r == 0 ? 55 : 110;
        EXPECT_EQ(a.lastFlake, expected);
        EXPECT_GE(a.Flakes[expected].size, 4) << "every flake up to lastFlake falls";
        EXPECT_EQ(a.Flakes[expected + 1].size, 0) << "the slots past it stay empty";
    }
}

TEST_F(ShowTest, AStoredMaxFlOf1002EndsTheShowThroughTheSubscriptError) {
    install();
    put("maxFl", "1002");  // every lastFlake lies past slot 500
    EXPECT_EQ(runMain("/s"), 0);
    const std::string p = protocol();
    EXPECT_NE(p.find("9 (Subscript out of range)"), std::string::npos) << p;
    EXPECT_NE(p.find("Form_Resize"), std::string::npos);
    EXPECT_NE(p.find("50080"), std::string::npos) << "step 8, the seeding";
    EXPECT_EQ(ticks, 0);
}

TEST_F(ShowTest, WithoutFlakesTheShowStillTicksAndAKeyEndsIt) {
    // maxFl -2 or less leaves lastFlake below 0: a flake loop without flakes.
    for (const char* maxFl : {"-2", "-1000"}) {
        install();
        forms() = Forms{};
        ticks = 0;
        put("maxFl", maxFl);
        platform.schedule(platform.nowMs() + 3000, {InputKind::KeyDown, 65});
        EXPECT_EQ(runMain("/s"), 0) << maxFl;
        EXPECT_GE(ticks, 50) << maxFl;
        EXPECT_TRUE(protocol().empty()) << protocol();
    }
}

TEST_F(ShowTest, UntilTheNewSceneIsBuiltNothingIsDrawnInTheGrownArea) {
    install();
    put("maxFl", "200");
    int checked = 0, lit = 0;
    onTick = [&](FrmMain& f) {
        // A window edge dragged outwards for two seconds.
        if (ticks >= 20 && ticks < 70) f.window().setWindowPos(0, 0, 0, 1100 + 2 * ticks, 900, 0);
        if (ticks < 21 || f.surfaces.picBG.width() != 1024) return;
        ++checked;
        const gfx::Surface& image = f.windowImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = y < 768 ? 1024 : 0; x < image.width(); ++x) lit += image.row(y)[x] != 0;
    };
    platform.schedule(5000 + 5000, {InputKind::KeyDown, 65});
    EXPECT_EQ(runMain("/s"), 0);
    EXPECT_GT(checked, 40);
    EXPECT_EQ(lit, 0) << "pixels drawn beyond the old scene";
    EXPECT_EQ(builds, 2);
}

TEST_F(ShowTest, ABurstOfSizeChangesBuildsOneNewSceneAndOneNewFlakeLoop) {
    install();
    onTick = [&](FrmMain& f) {
        // A dragged edge: six sizes, one per tick.
        if (ticks >= 20 && ticks < 26) f.window().setWindowPos(0, 0, 0, 800 + 10 * ticks, 600, 0);
    };
    platform.schedule(5000 + 5000, {InputKind::KeyDown, 65});
    EXPECT_EQ(runMain("/s"), 0);
    EXPECT_EQ(builds, 2);
    EXPECT_EQ(maxLoops, 1) << "a new flake loop replaces the old one";
    FrmMain& f = *forms().frmMain;
    EXPECT_EQ(f.surfaces.picBG.width(), 1050);
    EXPECT_EQ(f.surfaces.picBuffer.width(), 1050);
    EXPECT_EQ(animationOf(f).Objekte[21].x, 1050) << "objects placed for the new size";
}

}  // namespace
}  // namespace gm::test
