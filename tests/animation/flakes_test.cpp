// The snowflakes: seeding, the moves of moveFlakes at the bounds of their
// random ranges, the right-edge wrap, the rebirth band, the pacing on
// tickNow / flakesDone (also across the sign change and the wrap of the
// tick count), the replacement of the loop after a size change, and errors.
#include <cstdint>
#include <vector>

#include "animation_fixture.h"

namespace gm::test {
namespace {

// Runs moveFlakes until the headless platform would block for ever (no
// timer runs) or the random source has given its allowed draws.
void runUntilStopped(Animation& anim) {
    try {
        anim.moveFlakes();
        ADD_FAILURE() << "moveFlakes returned";
    } catch (const HeadlessStop&) {
    } catch (const EnoughDraws&) {
    }
}

void place(Animation& anim, int i, int x, int y, int size = 6) {
    anim.Flakes[i].x = x;
    anim.Flakes[i].y = y;
    anim.Flakes[i].size = size;
}

TEST(Flakes, SeedingPlacesEveryFlakeInTheUpperHalfAndDrawsItOnce) {
    Show show;
    show.anim.lastFlake = 110;
    ScriptedRandom random;
    // Flake 0 takes the smallest values, flake 1 the largest.
    random.r(0).r(0).r(0).r(0);
    random.r(kAlmostOne).r(kAlmostOne).r(kAlmostOne).r(kAlmostOne);
    show.anim.seedFlakes();

    const Flake& low = show.anim.Flakes[0];
    EXPECT_EQ(low.x, 0);
    EXPECT_EQ(low.y, 0);
    EXPECT_EQ(low.size, 4);
    const Flake& high = show.anim.Flakes[1];
    EXPECT_EQ(high.x, 640);
    EXPECT_EQ(high.y, 240);
    EXPECT_EQ(high.size, 10);
    for (int i = 2; i <= 110; ++i) {
        const Flake& f = show.anim.Flakes[i];
        EXPECT_TRUE(f.x >= 0 && f.x <= 640 && f.y >= 0 && f.y <= 240 && f.size >= 4 && f.size <= 10)
            << "flake " << i;
    }
    // Slots past lastFlake stay empty.
    EXPECT_EQ(show.anim.Flakes[111].size, 0);
    EXPECT_EQ(show.anim.Flakes[500].size, 0);
    // Each flake was drawn once on the window, white.
    const Flake& f = show.anim.Flakes[5];
    EXPECT_EQ(gfx::GetPixel(show.window.windowImage(), f.x + f.size / 2, f.y + f.size / 2),
              0xFFFFFF);
    EXPECT_EQ(random.drawn(), 111 * 4);
}

struct Bounds {
    Single speedF;
    int windLo, windHi, fallLo, fallHi;
};

class FlakeMoves : public ::testing::TestWithParam<Bounds> {};

TEST_P(FlakeMoves, WindAndFallReachTheirBoundsAndNoFurther) {
    const Bounds b = GetParam();
    Show show;
    show.settings.SpeedF = b.speedF;
    show.anim.lastFlake = 1;
    place(show.anim, 0, 300, 100);
    place(show.anim, 1, 300, 100);
    ScriptedRandom random;
    random.r(0).r(0).r(kAlmostOne);                    // flake 0: least wind, least fall
    random.r(kAlmostOne).r(kAlmostOne).r(kAlmostOne);  // flake 1: the most of both
    runUntilStopped(show.anim);  // one pass; no timer, so the pacing wait ends it

    EXPECT_EQ(show.anim.Flakes[0].x, 300 + b.windLo);
    EXPECT_EQ(show.anim.Flakes[0].y, 100 + b.fallLo);
    EXPECT_EQ(show.anim.Flakes[1].x, 300 + b.windHi);
    EXPECT_EQ(show.anim.Flakes[1].y, 100 + b.fallHi);
}

// SpeedF 5: the lower fall bound is -2.5, which rounds to the even -2.
INSTANTIATE_TEST_SUITE_P(SpeedF, FlakeMoves,
                         ::testing::Values(Bounds{6, -6, 12, -3, 24}, Bounds{5, -5, 10, -2, 20}));

TEST(Flakes, PastTheRightEdgeAFlakeComesBackWithItsOvershoot) {
    Show show;  // 640 wide
    show.anim.lastFlake = 1;
    place(show.anim, 0, 630, 50);  // + 12 = 642: past the edge
    place(show.anim, 1, 628, 50);  // + 12 = 640: on the edge, stays
    ScriptedRandom random;
    for (int i = 0; i < 2; ++i) random.r(kAlmostOne).r(0.5f).r(kAlmostOne);
    runUntilStopped(show.anim);
    EXPECT_EQ(show.anim.Flakes[0].x, 2);
    EXPECT_EQ(show.anim.Flakes[1].x, 640);
}

TEST(Flakes, RebirthBandLiesBetweenSixtyAndOneHundredTenPercent) {
    Show show;  // 480 high: the ground line lies between 288 and 528
    show.anim.lastFlake = 2;
    // Wind -6, fall -3 for all three (r = 0).
    place(show.anim, 0, 100, 540);  // ends at 537, below every ground line
    place(show.anim, 1, 100, 500);  // ends at 497: only a high line catches it
    place(show.anim, 2, 100, 500);
    ScriptedRandom random;
    random.r(0).r(0).r(kAlmostOne);        // ground line at 528
    random.r(0.5f).r(kAlmostOne).r(0.5f);  // reborn at x 320, y 48, size 7
    random.r(0).r(0).r(kAlmostOne);        // ground line at 528: falls on
    random.r(0).r(0).r(0);                 // ground line at 288
    random.r(0).r(0).r(0);                 // reborn at 0, 0, size 4
    runUntilStopped(show.anim);

    EXPECT_EQ(show.anim.Flakes[0].x, 320);
    EXPECT_EQ(show.anim.Flakes[0].y, 48);
    EXPECT_EQ(show.anim.Flakes[0].size, 7);
    EXPECT_EQ(show.anim.Flakes[1].x, 94);
    EXPECT_EQ(show.anim.Flakes[1].y, 497);
    EXPECT_EQ(show.anim.Flakes[2].x, 0);
    EXPECT_EQ(show.anim.Flakes[2].y, 0);
    EXPECT_EQ(show.anim.Flakes[2].size, 4);
}

// A pass of one flake takes three draws; a second pass takes more.
struct PacingCase {
    std::uint64_t startMs;
    int tickAhead;  // tickNow - flakesDone after the pass
    bool secondPass;
};

class Pacing : public ::testing::TestWithParam<PacingCase> {};

TEST_P(Pacing, ANewPassStartsOnlyAThirdOfAPeriodAfterTheLastMove) {
    const PacingCase c = GetParam();
    Show show(640, 480, c.startMs);
    show.anim.lastFlake = 0;
    show.anim.timerInterval = 40;  // a third of 40 is 13
    place(show.anim, 0, 100, 10);
    show.anim.tickNow = Int32(static_cast<std::int32_t>(static_cast<std::uint32_t>(c.startMs) +
                                                        static_cast<std::uint32_t>(c.tickAhead)));
    ScriptedRandom random;
    random.limit(3);
    try {
        show.anim.moveFlakes();
    } catch (const HeadlessStop&) {
        EXPECT_FALSE(c.secondPass) << "waited although a pass was due";
    } catch (const EnoughDraws&) {
        EXPECT_TRUE(c.secondPass) << "started a pass before its time";
    }
    EXPECT_EQ(static_cast<std::uint32_t>(show.anim.flakesDone.value()),
              static_cast<std::uint32_t>(c.startMs));
}

// The tick count as the saver keeps it turns negative after 2^31 ms and
// wraps after 2^32 ms; the threshold stays 13 across both.
INSTANTIATE_TEST_SUITE_P(TickCount, Pacing,
                         ::testing::Values(PacingCase{100000, 12, false},
                                           PacingCase{100000, 13, true},
                                           PacingCase{100000, -20, false},
                                           PacingCase{(1ull << 31) - 5, 12, false},
                                           PacingCase{(1ull << 31) - 5, 13, true},
                                           PacingCase{(1ull << 32) - 5, 12, false},
                                           PacingCase{(1ull << 32) - 5, 13, true}));

// Counts the values drawn from the process's generator.
class CountingSource final : public RandomSource {
  public:
    CountingSource() { setRandomSource(this); }
    ~CountingSource() override { setRandomSource(nullptr); }
    Single next() override {
        ++draws;
        return inner.next();
    }
    int draws = 0;

  private:
    Pcg32Source inner{9};
};

TEST(Flakes, TheLoopMakesOnePassPerTickWithTheTicksRunningInsideIt) {
    // Slow flakes in a tall window are never reborn here, so every move
    // draws exactly three values: wind, fall and the ground line.
    Show show(640, 1000, 100000);
    show.settings.SpeedF = 0.4f;
    show.anim.lastFlake = 30;
    CountingSource counting;
    show.start();
    show.platform.stopAt(100000 + 40 * 50);
    int drawsBefore = 0, tickDraws = 0;
    std::vector<int> loopDrawsPerTick;
    show.window.beforeTick = [&] {
        loopDrawsPerTick.push_back(counting.draws - drawsBefore - tickDraws);
        drawsBefore = counting.draws;
    };
    show.window.afterTick = [&] { tickDraws = counting.draws - drawsBefore; };
    const int seeding = counting.draws;
    drawsBefore = seeding;
    EXPECT_THROW(show.anim.moveFlakes(), HeadlessStop);

    ASSERT_EQ(show.window.ticks, 50);
    // Before the first tick: the first pass. Between two ticks: one pass.
    for (std::size_t t = 0; t < loopDrawsPerTick.size(); ++t)
        EXPECT_EQ(loopDrawsPerTick[t], 31 * 3) << "before tick " << t + 1;
}

TEST(Flakes, ABurstOfSizeChangesEndsTheLoopOnceTheSizeHasSettled) {
    Show show(640, 480, 100000);
    show.anim.lastFlake = 10;
    show.start();
    show.platform.stopAt(100000 + 5000);
    // A dragged edge: a size change at every tick from the 10th to the 15th.
    std::uint64_t lastChange = 0;
    show.window.beforeTick = [&] {
        if (show.window.ticks >= 10 && show.window.ticks <= 15) {
            show.anim.noteSizeChange();
            lastChange = show.platform.nowMs();
        }
    };
    EXPECT_TRUE(show.anim.moveFlakes());
    const std::uint64_t ended = show.platform.nowMs();
    EXPECT_GE(ended - lastChange, Animation::kSettleMs);
    EXPECT_LT(ended - lastChange, Animation::kSettleMs + 2 * 40);
    EXPECT_FALSE(show.anim.restartDue());
}

TEST(Flakes, AFlakeIndexPastTheLastSlotIsASubscriptErrorOfMoveFlakes) {
    Show show;
    show.anim.lastFlake = 501;
    ErrorRecorder errors(2);  // leave the procedure
    ScriptedRandom random;
    EXPECT_FALSE(show.anim.moveFlakes());
    ASSERT_FALSE(ErrorRecorder::reports().empty());
    const ErrorReport& r = ErrorRecorder::reports().front();
    EXPECT_EQ(r.module, "frmMain");
    EXPECT_EQ(r.proc, "moveFlakes");
    EXPECT_EQ(r.number, 9);
    EXPECT_EQ(r.line, 50010);
}

// On a scaled landscape the snow keeps its look: sizes and steps are
// logical pixels, k physical pixels each.
TEST(Flakes, SizesAndStepsAreLogicalPixelsTimesTheLandscapesScale) {
    constexpr double k = 2.25;
    struct Run {
        std::vector<Flake> seeded, moved;
    };
    const auto run = [](double scale) {
        Show show(1920, 1080);
        show.scene.scale = scale;
        show.anim.lastFlake = 40;
        ScriptedRandom random(17);
        show.anim.seedFlakes();
        Run r;
        for (int i = 0; i <= 40; ++i) {
            r.seeded.push_back(show.anim.Flakes[i]);
            place(show.anim, i, 900, 300, show.anim.Flakes[i].size);  // clear of every edge
        }
        show.anim.moveFlakesOnce();
        for (int i = 0; i <= 40; ++i) r.moved.push_back(show.anim.Flakes[i]);
        return r;
    };
    const Run classic = run(1), scaled = run(k);
    for (int i = 0; i <= 40; ++i) {
        // Each rounded once: at most half a pixel off at either scale.
        EXPECT_NEAR(scaled.seeded[i].size, classic.seeded[i].size * k, 0.5 * k + 0.5) << i;
        EXPECT_NEAR(scaled.moved[i].x - 900, (classic.moved[i].x - 900) * k, 0.5) << i;
        EXPECT_NEAR(scaled.moved[i].y - 300, (classic.moved[i].y - 300) * k, 0.5) << i;
    }
}

}  // namespace
}  // namespace gm::test
