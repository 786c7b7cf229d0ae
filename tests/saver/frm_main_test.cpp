// frmMain on the headless platform: load and resize, the input that ends
// the show, the password check of the older family, and the error path.
#include <algorithm>
#include <functional>
#include <set>
#include <vector>

#include "common/allgemein.h"
#include "gfx/bitmap_resource.h"
#include "gfx/surface.h"
#include "resources/resource_ids.h"
#include "saver/show_parts.h"
#include "scene/scene.h"
#include "tests/saver/saver_fixture.h"

namespace gm {
namespace {

const SystemFlagCall kSaverOn{SystemFlagCall::SaverActive, true};
const SystemFlagCall kNotRunning{SystemFlagCall::ShowRunning, false};

class FrmMainTest : public test::SaverTest {
  protected:
    // Starts the show; input scripted beforehand runs from run().
    void startShow() { ASSERT_EQ(runMain("/s"), std::nullopt); }
    // Runs the event loop; the exit code when the show ended.
    std::optional<int> runShow() {
        try {
            platform.run();
        } catch (const ProcessExit& e) {
            return e.code;
        } catch (const HeadlessStop&) {
        }
        return std::nullopt;
    }
    void move(std::uint64_t at, float x, float y) {
        platform.schedule(at, {InputKind::MouseMove, 0, x, y});
    }
    // The show ended the way exitScreensaver ends it.
    void expectEndedCleanly(std::optional<int> exit) {
        EXPECT_EQ(exit, 0);
        EXPECT_EQ(platform.cursorCount(), 0) << "cursor shown again";
        const auto& calls = platform.systemFlags();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2], kSaverOn);
        EXPECT_EQ(calls.back(), kNotRunning);
    }
};

TEST_F(FrmMainTest, FormLoadFixesFlakeCountAndTimerPeriod) {
    const struct {
        const char* speed;
        std::uint32_t interval;
    } cases[] = {{"5", 40},    {"0.1", 2000}, {"10", 20}, {"3", 67},
                 {"1.6", 125}, {"80", 2},     {"160", 1}};
    for (const auto& c : cases) {
        put("Speed", c.speed);
        put("maxFl", "23");
        forms() = Forms{};
        startShow();
        const FrmMain& f = *forms().frmMain;
        EXPECT_EQ(window()->timerInterval(), c.interval) << c.speed;
        EXPECT_EQ(f.tmrInterval.value(), static_cast<std::int32_t>(c.interval));
        EXPECT_GE(f.show.animation.lastFlake.value(), 12);
        EXPECT_LE(f.show.animation.lastFlake.value(), 23);
        EXPECT_EQ(f.show.animation.Objekte[21].y.value(), 50);
    }
    // 200 / 400 = 0.5 rounds to the even 0: the timer stays off.
    put("Speed", "400");
    forms() = Forms{};
    startShow();
    EXPECT_FALSE(window()->timerEnabled());
}

TEST_F(FrmMainTest, ResizeComposesTheBackgroundWithTheBannerInTheCorner) {
    constexpr gfx::Colour kSky = 0x804020;
    const gfx::Bitmap banner = gfx::LoadBitmapResource(res::kBanner);
    ASSERT_EQ(banner.width(), 130);
    ASSERT_EQ(banner.height(), 18);
    struct Watched final : ShowParts {
        void BuildBG(MonitorShow& show) override {
            calls.push_back("BuildBG");
            gfx::Surface& img = show.host.windowImage();
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) gfx::SetPixel(img, x, y, kSky + (x % 7));
        }
        void seedFlakes(MonitorShow&) override {
            calls.push_back(timerOn() ? "seed after timer" : "seedFlakes");
        }
        void placeObjekte(MonitorShow&) override { calls.push_back("placeObjekte"); }
        void moveFlakes(MonitorShow&) override {
            calls.push_back(timerOn() ? "moveFlakes" : "moveFlakes before timer");
        }
        static bool timerOn() { return forms().frmMain->tmrEnabled; }
        std::vector<std::string> calls;
    } parts;
    setShowParts(&parts);
    startShow();
    const std::vector<std::string>& calls = parts.calls;
    EXPECT_EQ(calls,
              (std::vector<std::string>{"BuildBG", "seedFlakes", "placeObjekte", "moveFlakes"}));

    FrmMain& f = *forms().frmMain;
    const ShowSurfaces& s = f.show.surfaces;
    const int W = 1024, H = 768;
    ASSERT_EQ(s.picBG.width(), W);
    ASSERT_EQ(s.picBG.height(), H);
    ASSERT_EQ(s.picBuffer.width(), W);
    ASSERT_EQ(s.picBuffer.height(), H);
    const gfx::Surface& img = f.windowImage();
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{0, 0}, {W - 131, H - 1}, {W - 1, H - 19}, {500, 700}}) {
        EXPECT_EQ(gfx::GetPixel(img, x, y), kSky + (x % 7)) << x << "," << y;
    }
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 130; ++x) {
            const gfx::Colour expected = gfx::toColour(banner.row(y)[x]);
            ASSERT_EQ(gfx::GetPixel(img, W - 130 + x, H - 18 + y), expected) << x << "," << y;
            ASSERT_EQ(gfx::GetPixel(s.picBG, W - 130 + x, H - 18 + y), expected);
            ASSERT_EQ(gfx::GetPixel(s.picBuffer, W - 130 + x, H - 18 + y),
                      kSky + ((W - 130 + x) % 7))
                << "picBuffer holds the scene before the banner";
        }
    }
    EXPECT_GT(window()->refreshes(), 0);
    EXPECT_TRUE(window()->timerEnabled());
}

TEST_F(FrmMainTest, TheProgramsSceneBecomesTheBackground) {
    // The program's scene without the animation, which would run for ever.
    SceneParts sceneOnly;
    setShowParts(&sceneOnly);
    test::ScopedEnv seed("GLINTMOOR_SEED", "1208");
    startShow();
    FrmMain& f = *forms().frmMain;
    const gfx::Surface& img = f.windowImage();
    std::set<gfx::Colour> colours;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            ASSERT_EQ(gfx::GetPixel(img, x, y), gfx::GetPixel(f.show.surfaces.picBG, x, y))
                << x << "," << y;
            colours.insert(gfx::GetPixel(img, x, y));
        }
    }
    EXPECT_GT(colours.size(), 50u) << "a painted landscape, not a blank screen";
}

// The monitor's dpi reaches the scene, and at 120, 144 and 192 dpi the
// gradient still covers the canvas and the sky band: no column left
// unpainted, and no seam: a strip whose columns are numbered shows, along
// every row, whole tiles of all its columns in order (only the last tile,
// at the right edge, may be cut).
TEST_F(FrmMainTest, TheGradientCoversCanvasAndSkyBandAtTheMonitorsDpi) {
    const std::uint32_t unpainted = gfx::toPixel(0xFF00FF);
    gfx::Bitmap numbered(20, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 20; ++x) numbered.row(y)[x] = static_cast<std::uint32_t>(x);
    const auto paint = [&](MonitorShow& m, int sky, BitmapLoader load) {
        for (gfx::Surface* s : {&m.surfaces.picBG, &m.surfaces.picHimmel})
            for (int y = 0; y < s->height(); ++y)
                std::fill(s->row(y), s->row(y) + s->width(), unpainted);
        m.scene.SkyType = sky;
        Scene(m.surfaces, m.scene, settings(), m.host, std::move(load)).Hintergrund();
    };
    for (const int dpi : {120, 144, 192}) {
        HeadlessPlatform system(1024, 768, 5000);
        system.setMonitors({{{0, 0, 1024, 768}, dpi}});
        setPlatform(&system);
        int seenDpi = 0, gaps = 0, seams = 0;
        struct Painted final : ShowParts {
            void BuildBG(MonitorShow& m) override { build(m); }
            std::function<void(MonitorShow&)> build;
        } parts;
        parts.build = [&](MonitorShow& m) {
            seenDpi = m.host.screenDpi();
            for (int sky = 1; sky <= 5; ++sky) {
                paint(m, sky, &gfx::LoadBitmapResource);
                for (const gfx::Surface* s : {&m.surfaces.picBG, &m.surfaces.picHimmel})
                    for (int y = 0; y < s->height(); ++y)
                        gaps += static_cast<int>(
                            std::count(s->row(y), s->row(y) + s->width(), unpainted));
            }
            paint(m, 1, [&](int) { return numbered; });
            for (const gfx::Surface* s : {&m.surfaces.picBG, &m.surfaces.picHimmel})
                for (int y = 0; y < s->height(); y += 7)
                    for (int x = 1; x < s->width(); ++x) {
                        const std::uint32_t before = s->row(y)[x - 1], now = s->row(y)[x];
                        const bool next =
                            now == before || now == before + 1 || (now == 0 && before == 19);
                        seams += !next;
                    }
        };
        setShowParts(&parts);
        startShow();
        EXPECT_EQ(seenDpi, dpi);
        EXPECT_EQ(gaps, 0) << dpi << " dpi";
        EXPECT_EQ(seams, 0) << dpi << " dpi";
        forms() = Forms{};
    }
    setPlatform(&platform);
}

TEST_F(FrmMainTest, TheTimerTicksAtItsPeriod) {
    struct Counted final : ShowParts {
        void tmrAnimation_Timer(MonitorShow&) override { ++ticks; }
        int ticks = 0;
    } parts;
    setShowParts(&parts);
    startShow();  // Speed 5: 40 ms
    platform.stopAt(5000 + 1000);
    EXPECT_EQ(runShow(), std::nullopt);
    EXPECT_EQ(parts.ticks, 25);
}

TEST_F(FrmMainTest, SmallMovesGoOnAThreePixelJumpEnds) {
    startShow();
    move(5100, 500, 400);  // the first move only records the position
    for (int i = 1; i <= 50; ++i) move(5100 + i * 10, 500 + 2.0f * i, 400 - 2.9f * i);
    platform.stopAt(6000);
    EXPECT_EQ(runShow(), std::nullopt) << "a slow drift never ends the show";
    EXPECT_EQ(platform.cursorCount(), -1);

    move(6100, 600, 255 + 3);  // 3 pixels in y from (600, 255)
    platform.stopAt(7000);
    expectEndedCleanly(runShow());
}

TEST_F(FrmMainTest, ThreePixelsInEitherDirectionEnd) {
    for (const auto& [dx, dy] :
         std::vector<std::pair<float, float>>{{3, 0}, {-3, 0}, {0, -3}, {2.5f, 3.5f}}) {
        forms() = Forms{};
        startShow();
        FrmMain& f = *forms().frmMain;
        f.Form_MouseMove(100, 100);
        try {
            f.Form_MouseMove(100 + dx, 100 + dy);
            ADD_FAILURE() << dx << "," << dy << " did not end the show";
        } catch (const ProcessExit& e) {
            EXPECT_EQ(e.code, 0);
        }
    }
}

TEST_F(FrmMainTest, APositionOfZeroLetsTheNextMoveThrough) {
    startShow();
    FrmMain& f = *forms().frmMain;
    f.Form_MouseMove(1, 1);
    f.Form_MouseMove(0, 0);      // within 3 pixels: stored
    f.Form_MouseMove(800, 600);  // (0, 0) counts as no position yet
    EXPECT_EQ(f.lastX, 800.0f);
    EXPECT_EQ(f.lastY, 600.0f);
    EXPECT_THROW(f.Form_MouseMove(700, 600), ProcessExit);
}

TEST_F(FrmMainTest, AnyKeyOrButtonEndsTheShow) {
    const InputEvent inputs[] = {
        keyDown(Key::Shift),  // shift alone
        keyDown(Key::Control),     keyDown(characterKey('a')), {InputKind::KeyPress, 'a'},
        {InputKind::Click},        {InputKind::DblClick},      {InputKind::MouseDown, 1},
        {InputKind::MouseDown, 2}, {InputKind::MouseDown, 4},  {InputKind::Close},
    };
    for (const InputEvent& input : inputs) {
        forms() = Forms{};
        startShow();
        platform.schedule(platform.nowMs() + 100, input);
        expectEndedCleanly(runShow());
    }
}

TEST_F(FrmMainTest, OlderFamilyAsksForThePassword) {
    platform.setOsVersion(test::win98());
    platform.setPasswordAnswer(0);  // cancelled
    startShow();
    platform.schedule(5100, keyDown(characterKey('a')));
    platform.schedule(5200, {InputKind::Click});
    platform.stopAt(5500);
    EXPECT_EQ(runShow(), std::nullopt) << "a refused password keeps the show running";
    EXPECT_EQ(platform.passwordChecks(), 2);
    EXPECT_EQ(platform.cursorCount(), -1) << "the cursor stays hidden";
    EXPECT_EQ(platform.systemFlags().size(), 2u) << "the flags stay as the show set them";

    platform.setPasswordAnswer(1);
    platform.schedule(5600, {InputKind::KeyPress, 13});
    platform.stopAt(6000);
    expectEndedCleanly(runShow());
    EXPECT_EQ(platform.passwordChecks(), 3);
}

TEST_F(FrmMainTest, OutsideTheShowExitChangesNothing) {
    for (const char* line : {"/c", "/p 1234", "/x"}) {
        runMain(line);
        exitScreensaver();
    }
    EXPECT_EQ(platform.cursorCount(), 0);
    for (const SystemFlagCall& c : platform.systemFlags())
        EXPECT_EQ(c.flag, SystemFlagCall::SaverActive) << "only Main's switch-off";
    EXPECT_EQ(platform.systemFlags().size(), 3u);
}

TEST_F(FrmMainTest, SpeedZeroEndsTheShowThroughTheTrap) {
    put("Speed", "0");
    const std::optional<int> exit = runMain("/s");
    expectEndedCleanly(exit);
    const std::string text = protocol();
    EXPECT_NE(text.find("Fehler-Nr / error :\t11 (Division by zero)\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Modul:\tfrmMain\r\n"), std::string::npos);
    EXPECT_NE(text.find("Prozedur / procedure:\tForm_Load\r\n"), std::string::npos);
    EXPECT_NE(text.find("Zeile / Line:\t50020\r\n"), std::string::npos);
    EXPECT_EQ(platform.beeps(), 1);
    EXPECT_EQ(platform.pointerResets(), 1);
}

TEST_F(FrmMainTest, ATimerPeriodBeyondTheControlsRangeIsAnInvalidPropertyValue) {
    put("Speed", "0.003");  // 66667 ms
    expectEndedCleanly(runMain("/s"));
    EXPECT_NE(protocol().find("Fehler-Nr / error :\t380 (Invalid property value)\r\n"),
              std::string::npos);
    put("Speed", "-5");
    forms() = Forms{};
    fullScreen = kFalse;
    expectEndedCleanly(runMain("/s"));
    EXPECT_NE(protocol().find("Modul:\tfrmMain"), std::string::npos);
}

// The Windows calls these become are the Win32 backend's test.
TEST_F(FrmMainTest, SetTopMostStackingAndActivation) {
    startShow();
    Window& w = forms().frmMain->window();
    EXPECT_EQ(SetTopMost(w, kTrue, kFalse), kTrue);
    EXPECT_EQ(SetTopMost(w, kFalse, kTrue), kTrue);
    EXPECT_EQ(SetTopMost(w, 1, kTrue), kTrue);
    EXPECT_EQ(SetTopMost(w, kTrue, 1), kTrue);
    const auto& p = window()->stackings();
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[1], (KeepOnTopCall{Stacking::TopMost, false}));
    EXPECT_EQ(p[2], (KeepOnTopCall{Stacking::NotTopMost, true}));
    EXPECT_EQ(p[3], (KeepOnTopCall{Stacking::Top, true}))
        << "neither true nor false: the top of the ordinary windows";
    EXPECT_EQ(p[4], (KeepOnTopCall{Stacking::TopMost, true})) << "only false keeps it inactive";
}

}  // namespace
}  // namespace gm
