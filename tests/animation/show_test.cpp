// The whole show on the headless platform, as Main starts it: the scene is
// composed, the snow falls, input ends it; a stored "maxFl" past the flake
// slots ends it through the subscript error; a burst of size changes costs
// one rebuild and the flake loops never nest; a monitor plugged in during
// the show gets a show of its own, and one unplugged takes its show along,
// the others going on untouched.
#include <set>

#include "animation/animation.h"
#include "animation_fixture.h"
#include "gfx/bitmap_resource.h"
#include "resources/resource_ids.h"
#include "saver/show_parts.h"
#include "tests/saver/saver_fixture.h"

namespace gm::test {
namespace {

class ShowTest : public SaverTest {
  protected:
    // The program's scene and animation, with the primary's scene builds and
    // flake loops counted and its timer's handler watched by `onTick` after
    // each tick.
    struct Watched final : SceneAndAnimation {
        explicit Watched(ShowTest& test) : t(test) {}
        void tmrAnimation_Timer(MonitorShow& show) override {
            SceneAndAnimation::tmrAnimation_Timer(show);
            ++t.ticks;
            if (t.onTick) t.onTick(*forms().frmMain);
        }
        void BuildBG(MonitorShow& show) override {
            t.builds += &show == &forms().frmMain->show;
            ++t.allBuilds;
            SceneAndAnimation::BuildBG(show);
            if (t.onBuilt) t.onBuilt();
        }
        void moveFlakes(MonitorShow& show) override {
            ++t.loops;
            t.maxLoops = std::max(t.maxLoops, t.loops);
            SceneAndAnimation::moveFlakes(show);
            --t.loops;
        }
        ShowTest& t;
    } watched{*this};

    void install() {
        installShowParts(watched);
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

    int ticks = 0, builds = 0, allBuilds = 0, loops = 0, maxLoops = 0;
    std::function<void(FrmMain&)> onTick;
    std::function<void()> onBuilt;  // after each scene's BuildBG
};

TEST_F(ShowTest, TheLandscapeIsComposedTheSnowFallsAndAKeyEndsIt) {
    install();
    gfx::Bitmap early, later;
    onTick = [&](FrmMain& f) {
        if (ticks == 25) early = f.windowImage().image();
        if (ticks == 100) later = f.windowImage().image();
    };
    platform.schedule(5000 + 10000, keyDown(characterKey('a')));
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
        platform.schedule(platform.nowMs() + 2000, keyDown(characterKey('a')));
        EXPECT_EQ(runMain("/s"), 0);
        const Animation& a = forms().frmMain->show.animation;
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
        platform.schedule(platform.nowMs() + 3000, keyDown(characterKey('a')));
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
        if (ticks >= 20 && ticks < 70) platform.activeWindow()->resize(1100 + 2 * ticks, 900);
        if (ticks < 21 || f.show.surfaces.picBG.width() != 1024) return;
        ++checked;
        const gfx::Surface& image = f.windowImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = y < 768 ? 1024 : 0; x < image.width(); ++x) lit += image.row(y)[x] != 0;
    };
    platform.schedule(5000 + 5000, keyDown(characterKey('a')));
    EXPECT_EQ(runMain("/s"), 0);
    EXPECT_GT(checked, 40);
    EXPECT_EQ(lit, 0) << "pixels drawn beyond the old scene";
    EXPECT_EQ(builds, 2);
}

TEST_F(ShowTest, ABurstOfSizeChangesBuildsOneNewSceneAndOneNewFlakeLoop) {
    install();
    onTick = [&](FrmMain&) {
        // A dragged edge: six sizes, one per tick.
        if (ticks >= 20 && ticks < 26) platform.activeWindow()->resize(800 + 10 * ticks, 600);
    };
    platform.schedule(5000 + 5000, keyDown(characterKey('a')));
    EXPECT_EQ(runMain("/s"), 0);
    EXPECT_EQ(builds, 2);
    EXPECT_EQ(maxLoops, 1) << "a new flake loop replaces the old one";
    FrmMain& f = *forms().frmMain;
    EXPECT_EQ(f.show.surfaces.picBG.width(), 1050);
    EXPECT_EQ(f.show.surfaces.picBuffer.width(), 1050);
    EXPECT_EQ(f.show.animation.Objekte[21].x, 1050) << "objects placed for the new size";
}

// A show on the given monitors, on a headless system of its own with the
// fixture's settings: the primary's and the first other monitor's pictures
// after `early` and `late` ticks, and how the show ended.
struct MonitorRun {
    gfx::Bitmap window, primary, secondEarly, secondLate;
    std::optional<int> exit;
    std::uint64_t endedAt = 0;
};

TEST_F(ShowTest, EveryMonitorShowsALandscapeAndThePrimaryTheOneMonitorShow) {
    install();
    const ScreenArea primaryArea{0, 0, 1024, 768};
    const ScreenArea left{-800, -200, 800, 600};  // left of and above the primary
    const auto run = [&](std::vector<MonitorArea> monitors, std::vector<InputEvent> moves) {
        HeadlessPlatform system(1024, 768, 5000);
        system.setSettingsStore(&platform.memoryStore());
        system.setMonitors(std::move(monitors));
        setPlatform(&system);
        MonitorRun r;
        ticks = 0;
        onTick = [&](FrmMain& f) {
            if (ticks == 100) r.primary = f.windowImage().image();
            if (f.otherMonitors.empty()) return;
            if (ticks == 25) r.secondEarly = f.otherMonitors[0]->windowImage().image();
            if (ticks == 100) r.secondLate = f.otherMonitors[0]->windowImage().image();
            if (ticks == 100) r.window = f.window().image().image();
        };
        for (std::size_t i = 0; i < moves.size(); ++i) system.schedule(10000 + 100 * i, moves[i]);
        system.schedule(20000, keyDown(characterKey('a')));
        r.exit = runMain("/s");
        r.endedAt = system.nowMs();
        forms() = Forms{};
        setPlatform(&platform);
        return r;
    };
    const MonitorRun alone = run({{primaryArea, 96}}, {});
    // Window coordinates: the primary lies at (800, 200) of the window; the
    // other monitor at (0, 0). Moves of 2 pixels there go on, 3 pixels end.
    const auto at = [](float x, float y) { return InputEvent{InputKind::MouseMove, 0, x, y}; };
    const MonitorRun two =
        run({{primaryArea, 96}, {left, 96}}, {at(300, 400), at(302, 402), at(302, 405)});

    ASSERT_EQ(two.window.width(), 1824);
    ASSERT_EQ(two.window.height(), 968);
    ASSERT_EQ(two.primary.width(), 1024);
    ASSERT_EQ(alone.primary.width(), 1024);
    int differ = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) differ += two.primary.row(y)[x] != alone.primary.row(y)[x];
    EXPECT_EQ(differ, 0) << "the primary shows the one-monitor show, draw for draw";

    ASSERT_EQ(two.secondLate.width(), 800);
    ASSERT_EQ(two.secondLate.height(), 600);
    EXPECT_GT(colours(two.secondLate), 100) << "a landscape of its own";
    int moved = 0, sameAsPrimary = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            moved += two.secondEarly.row(y)[x] != two.secondLate.row(y)[x];
            sameAsPrimary += two.secondLate.row(y)[x] == two.primary.row(y)[x];
        }
    EXPECT_GT(moved, 500) << "its snow falls";
    EXPECT_LT(sameAsPrimary, 800 * 600 / 2) << "not the primary's landscape";
    // The banner in its lower right corner (a flake may lie over it).
    const gfx::Bitmap banner = gfx::LoadBitmapResource(res::kBanner);
    int bannerPixels = 0;
    for (int y = 0; y < banner.height(); ++y)
        for (int x = 0; x < banner.width(); ++x)
            bannerPixels += two.secondLate.row(600 - banner.height() +
                                               y)[800 - banner.width() + x] == banner.row(y)[x];
    EXPECT_GT(bannerPixels, banner.width() * banner.height() * 9 / 10);
    // What lies on no monitor stays black.
    EXPECT_EQ(two.window.row(967)[0], 0u);
    EXPECT_EQ(two.window.row(0)[1823], 0u);

    EXPECT_EQ(two.exit, 0);
    EXPECT_EQ(two.endedAt, 10200u) << "the 3-pixel move on the other monitor ends the show";
    EXPECT_TRUE(protocol().empty()) << protocol();
}

TEST_F(ShowTest, AMonitorPluggedInGetsAShowAndOneUnpluggedTakesItsShowTheOthersGoOn) {
    install();
    const MonitorArea primary{{0, 0, 1024, 768}, 96}, second{{1024, 0, 800, 600}, 96};
    const MonitorArea third{{1824, 0, 640, 480}, 192};
    const auto run = [&](std::vector<MonitorArea> monitors, bool plug) {
        HeadlessPlatform system(1024, 768, 5000);
        system.setSettingsStore(&platform.memoryStore());
        system.setMonitors(std::move(monitors));
        setPlatform(&system);
        ticks = builds = allBuilds = 0;
        gfx::Bitmap late;
        const MonitorShow* secondShow = nullptr;
        onTick = [&](FrmMain& f) {
            if (plug && ticks == 30) {
                secondShow = &f.otherMonitors.at(0)->show;
                system.activeWindow()->plugMonitors({primary, second, third});
                EXPECT_EQ(allBuilds, 3) << "the new monitor's show is built at once";
                ASSERT_EQ(f.otherMonitors.size(), 2u);
                EXPECT_EQ(&f.otherMonitors[0]->show, secondShow) << "the second's show goes on";
                EXPECT_GT(colours(f.otherMonitors[1]->windowImage().image()), 100);
                EXPECT_EQ(f.otherMonitors[1]->windowImage().width(), 640);
            }
            if (plug && ticks == 60) {
                system.activeWindow()->plugMonitors({primary, third});
                ASSERT_EQ(f.otherMonitors.size(), 1u);
                EXPECT_EQ(f.otherMonitors[0]->monitor(), third);
            }
            if (ticks == 100) late = f.windowImage().image();
        };
        system.schedule(20000, keyDown(characterKey('a')));
        EXPECT_EQ(runMain("/s"), 0);
        forms() = Forms{};
        setPlatform(&platform);
        return late;
    };
    const gfx::Bitmap alone = run({primary}, false);
    const gfx::Bitmap plugged = run({primary, second}, true);
    EXPECT_EQ(builds, 1) << "the primary's scene is built once";
    EXPECT_EQ(allBuilds, 3) << "no show is built anew when a monitor goes";
    ASSERT_EQ(plugged.width(), 1024);
    int differ = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) differ += plugged.row(y)[x] != alone.row(y)[x];
    EXPECT_EQ(differ, 0) << "the primary shows the one-monitor show, draw for draw";
    EXPECT_TRUE(protocol().empty()) << protocol();
}

TEST_F(ShowTest, AMonitorPluggedInWhileTheScenesAreBuiltGetsAShowWhenTheyAreDone) {
    install();
    const MonitorArea primary{{0, 0, 1024, 768}, 96}, second{{1024, 0, 800, 600}, 96};
    HeadlessPlatform system(1024, 768, 5000);
    system.setSettingsStore(&platform.memoryStore());
    system.setMonitors({primary, second});
    setPlatform(&system);
    // Plugged in between the second monitor's BuildBG and its later steps
    // (its yields let events run): the window's image is made anew.
    onBuilt = [&] {
        if (allBuilds == 2)
            system.activeWindow()->plugMonitors({primary, second, {{1824, 0, 640, 480}, 96}});
    };
    system.schedule(15000, keyDown(characterKey('a')));
    EXPECT_EQ(runMain("/s"), 0);
    onBuilt = nullptr;
    EXPECT_EQ(forms().frmMain->otherMonitors.size(), 2u);
    EXPECT_EQ(builds, 2) << "the scenes are built anew for the monitors as they are";
    EXPECT_TRUE(protocol().empty()) << protocol();
    forms() = Forms{};
    setPlatform(&platform);
}

}  // namespace
}  // namespace gm::test
