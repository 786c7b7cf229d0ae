// The flying objects: placing, the choice with its second chances and the
// five-minute rule of the plane (also across the sign change and the wrap of
// the tick count), mirroring, the motion step and its frames, the masked
// draw, and a flight that ends inside the tick.
#include <cstdint>

#include "animation_fixture.h"

namespace gm::test {
namespace {

bool bufferShows(const gfx::Surface& s, gfx::Colour colour) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (gfx::toColour(s.row(y)[x]) == colour) return true;
    return false;
}

TEST(FlyingObjects, PlacingPutsBirdsLeftOfTheWindowAndTheOthersAtItsRightEdge) {
    Show show(640, 480);
    ScriptedRandom random;
    for (int i = 0; i < 5; ++i) random.r(0);           // birds 1..5: y = 0.05 H
    for (int i = 0; i < 5; ++i) random.r(kAlmostOne);  // birds 11..15: y = 0.25 H
    random.r(kAlmostOne);                              // plane: y = 0.15 H
    show.anim.placeObjekte();
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(show.anim.Objekte[n].x, -150);
        EXPECT_EQ(show.anim.Objekte[n].y, 24);
    }
    for (int n = 11; n <= 15; ++n) {
        EXPECT_EQ(show.anim.Objekte[n].x, 640);
        EXPECT_EQ(show.anim.Objekte[n].y, 120);
    }
    EXPECT_EQ(show.anim.Objekte[21].x, 640);
    EXPECT_EQ(show.anim.Objekte[21].y, 72);
    EXPECT_EQ(show.anim.Objekte[1].frame, 1);
}

TEST(FlyingObjects, SecondChancesBecomeTheBirdTheyStandForInTheSameTick) {
    Show show(640, 480);
    ScriptedRandom random;
    random.zz(-2000, 21, 8);
    show.anim.chooseObjekt();
    EXPECT_EQ(show.anim.curObjekt, 3);
    EXPECT_EQ(show.strips.loaded, (std::vector<int>{213, 203}));
    // Not mirrored: the marked column stays at x = 1.
    EXPECT_EQ(gfx::GetPixel(show.surfaces.picObjekt, 1, 10), kMarker);

    show.strips.loaded.clear();
    random.zz(-2000, 21, 18);
    show.anim.chooseObjekt();
    EXPECT_EQ(show.anim.curObjekt, 13);
    EXPECT_EQ(show.strips.loaded, (std::vector<int>{213, 203}));
}

TEST(FlyingObjects, BirdsFlyingLeftAreMirroredOverTheFrameBand) {
    Show show(640, 480);
    ScriptedRandom random;
    random.zz(-2000, 21, 12);
    show.anim.chooseObjekt();
    ASSERT_EQ(show.anim.curObjekt, 12);
    const gfx::Surface& picture = show.surfaces.picObjekt;
    const gfx::Surface& mask = show.surfaces.picMask;
    // Source column 1 (the marker) lands on column 79; column 0 keeps the
    // loaded picture's own column 0, as the mirrored copy reads past its end.
    EXPECT_EQ(gfx::GetPixel(picture, 79, 10), kMarker);
    EXPECT_EQ(gfx::GetPixel(picture, 78, 10), spriteColour(202));
    EXPECT_EQ(gfx::GetPixel(picture, 0, 10), 0);
    EXPECT_EQ(gfx::GetPixel(picture, 1, 10), 0);  // from source column 79, outside the figure
    EXPECT_EQ(gfx::GetPixel(mask, 79, 10), 0);
    EXPECT_EQ(gfx::GetPixel(mask, 0, 10), 0xFFFFFF);
    EXPECT_EQ(gfx::GetPixel(mask, 1, 10), 0xFFFFFF);
    // Frames stay where they were vertically.
    EXPECT_EQ(gfx::GetPixel(picture, 50, 65 + 2), 0);
    EXPECT_EQ(gfx::GetPixel(picture, 50, 65 + 10), spriteColour(202));
}

TEST(FlyingObjects, NothingAtAllIsChosenMostOfTheTime) {
    Show show(640, 480);
    ScriptedRandom random;
    random.zz(-2000, 21, 0).zz(-2000, 21, -2000);
    show.anim.chooseObjekt();
    EXPECT_EQ(show.anim.curObjekt, 0);
    show.anim.chooseObjekt();
    EXPECT_EQ(show.anim.curObjekt, -2000);
    EXPECT_TRUE(show.strips.loaded.empty());
}

struct PlaneCase {
    std::int64_t lastBigTime, tickNow;
    bool starts;
};
class PlaneGap : public ::testing::TestWithParam<PlaneCase> {};

TEST_P(PlaneGap, ThePlaneStartsOnlyFiveMinutesAfterItsLastStart) {
    const PlaneCase c = GetParam();
    Show show(640, 480);
    show.anim.lastBigTime = Int32(static_cast<std::int32_t>(c.lastBigTime));
    show.anim.tickNow = Int32(static_cast<std::int32_t>(static_cast<std::uint32_t>(c.tickNow)));
    ScriptedRandom random;
    random.zz(-2000, 21, 21);
    show.anim.chooseObjekt();
    if (c.starts) {
        EXPECT_EQ(show.anim.curObjekt, 21);
        EXPECT_EQ(show.strips.loaded, (std::vector<int>{222, 221}));
        EXPECT_EQ(show.anim.lastBigTime, show.anim.tickNow);
    } else {
        EXPECT_EQ(show.anim.curObjekt, 0);
        EXPECT_TRUE(show.strips.loaded.empty());
        EXPECT_EQ(show.anim.lastBigTime, static_cast<std::int32_t>(c.lastBigTime));
    }
}

constexpr std::int64_t k2p31 = 1ll << 31, k2p32 = 1ll << 32;
INSTANTIATE_TEST_SUITE_P(
    TickCount, PlaneGap,
    ::testing::Values(PlaneCase{700001, 1000000, false}, PlaneCase{700000, 1000000, true},
                      // Never started: the system has to have run for five minutes.
                      PlaneCase{0, 299999, false}, PlaneCase{0, 300000, true},
                      // Up-time past 24.8 days: the count is negative, the plane may come.
                      PlaneCase{0, k2p31 + 5, true},
                      // A start just before the sign change.
                      PlaneCase{k2p31 - 1001, k2p31 + 298998, false},
                      PlaneCase{k2p31 - 1001, k2p31 + 298999, true},
                      // A start just before the wrap at 49.7 days.
                      PlaneCase{-1000, k2p32 + 298999, false},
                      PlaneCase{-1000, k2p32 + 299000, true}));

// Makes object n fly at (x, y) with the pictures loaded.
void fly(Show& show, ScriptedRandom& random, int n, int x, int y) {
    random.zz(-2000, 21, n);
    show.anim.lastBigTime = show.anim.tickNow - 300000;
    show.anim.chooseObjekt();
    show.anim.Objekte[n].x = x;
    show.anim.Objekte[n].y = y;
    show.anim.Objekte[n].active = kTrue;
}

TEST(FlyingObjects, BirdFramesRunOneToSixAndThePlanesOneToTwo) {
    Show show(640, 480);
    ScriptedRandom random;
    fly(show, random, 2, 100, 200);
    std::vector<int> frames;
    for (int i = 0; i < 14; ++i) {
        show.anim.ObjektFlieg();
        frames.push_back(show.anim.Objekte[2].frame);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 1, 2, 2}));

    Show big(640, 480, 400000);
    big.anim.tickNow = 400000;
    fly(big, random, 21, 600, 50);
    frames.clear();
    for (int i = 0; i < 7; ++i) {
        big.anim.ObjektFlieg();
        frames.push_back(big.anim.Objekte[21].frame);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 2, 1, 2, 2, 1}));
}

TEST(FlyingObjects, TheFirstStepStartsTheFlightWithoutMovingIt) {
    Show show(640, 480);
    ScriptedRandom random;
    fly(show, random, 4, -150, 100);
    show.anim.Objekte[4].active = kFalse;
    const int before = random.drawn();
    show.anim.ObjektFlieg();
    EXPECT_EQ(show.anim.Objekte[4].active, kTrue);
    EXPECT_EQ(show.anim.Objekte[4].x, -150);
    EXPECT_EQ(show.anim.Objekte[4].y, 100);
    EXPECT_EQ(random.drawn() - before, 2);  // dy1 and dy2 are drawn on every call
}

TEST(FlyingObjects, StepsMoveBySpeedOAndTheRandomShares) {
    Show show(640, 480);
    show.settings.SpeedO = 6;
    ScriptedRandom random;
    fly(show, random, 1, 100, 200);
    // dy1 = -10, dy2 = 5, dy = Zz(-10, 5) = -10, Zz(2, 4) = 4.
    random.zz(-10, -3, -10).zz(0, 5, 5).zz(-10, 5, -10).zz(2, 4, 4);
    show.anim.ObjektFlieg();
    EXPECT_EQ(show.anim.Objekte[1].x, 110);
    EXPECT_EQ(show.anim.Objekte[1].y, 190);

    fly(show, random, 11, 500, 200);
    random.zz(-10, -3, -3).zz(0, 5, 0).zz(-3, 0, 0).zz(2, 4, 2);
    show.anim.ObjektFlieg();
    EXPECT_EQ(show.anim.Objekte[11].x, 492);
    EXPECT_EQ(show.anim.Objekte[11].y, 200);

    show.anim.tickNow = 400000;
    fly(show, random, 21, 500, 50);
    random.zz(-10, -3, -10).zz(0, 5, 0);  // dy = -10 * 0.3 + 2 = -1
    show.anim.ObjektFlieg();
    EXPECT_EQ(show.anim.Objekte[21].x, 494);
    EXPECT_EQ(show.anim.Objekte[21].y, 49);
    random.zz(-10, -3, -5).zz(0, 5, 0);  // -5 * 0.3 + 2 = 0.5, rounds to 0
    show.anim.ObjektFlieg();
    EXPECT_EQ(show.anim.Objekte[21].y, 49);
}

TEST(FlyingObjects, AnEndedFlightIsResetForTheNextOne) {
    Show show(640, 480);
    ScriptedRandom random;
    fly(show, random, 5, 50, -45);
    // Climbs to -55: above -50, the flight ends; y anew in 0.1 H .. 0.4 H.
    random.zz(-10, -3, -10).zz(0, 5, 0).zz(-10, 0, -10).zz(2, 4, 2).r(0);
    show.anim.ObjektFlieg();
    EXPECT_EQ(show.anim.curObjekt, 0);
    EXPECT_EQ(show.anim.Objekte[5].active, 0);
    EXPECT_EQ(show.anim.Objekte[5].x, -150);
    EXPECT_EQ(show.anim.Objekte[5].y, 48);

    fly(show, random, 14, -141, 100);
    random.zz(-10, -3, -3).zz(0, 5, 0).zz(-3, 0, 0).zz(2, 4, 4).r(kAlmostOne);
    show.anim.ObjektFlieg();
    EXPECT_EQ(show.anim.curObjekt, 0);
    EXPECT_EQ(show.anim.Objekte[14].x, 640);
    EXPECT_EQ(show.anim.Objekte[14].y, 192);
}

TEST(FlyingObjects, ABirdStartingAtMinus150IsOutOfSightUntilItHasMoved72Pixels) {
    Show show(640, 480);
    show.anim.setComposition(Composition::Reference);  // draws at once
    ScriptedRandom random;
    fly(show, random, 1, -79, 100);
    show.anim.drawObjekt();
    EXPECT_FALSE(bufferShows(show.surfaces.picBuffer, spriteColour(201)));
    show.anim.Objekte[1].x = -78;
    show.anim.drawObjekt();
    EXPECT_TRUE(bufferShows(show.surfaces.picBuffer, spriteColour(201)));
}

TEST(FlyingObjects, AFlightEndingInTheTickIsNotDrawnAndTheNextChoiceRunsAtOnce) {
    Show show(640, 480);
    ScriptedRandom random;
    fly(show, random, 3, 636, 100);
    show.strips.loaded.clear();
    // The step takes x past the width; then the choice picks bird 4.
    random.zz(-10, -3, -3).zz(0, 5, 0).zz(-3, 0, 0).zz(2, 4, 2).r(0.5f);
    random.zz(-2000, 21, 4);
    show.anim.tmrAnimation_Timer();
    EXPECT_EQ(show.anim.curObjekt, 4);
    EXPECT_EQ(show.strips.loaded, (std::vector<int>{214, 204}));
    EXPECT_FALSE(bufferShows(show.surfaces.picBuffer, spriteColour(203)));
    EXPECT_FALSE(bufferShows(show.surfaces.picBuffer, spriteColour(204)));
    // The next tick starts the new flight and draws it where it waits.
    show.anim.Objekte[4].x = 200;
    show.anim.tmrAnimation_Timer();
    EXPECT_EQ(show.anim.Objekte[4].x, 200);
    EXPECT_EQ(gfx::GetPixel(show.surfaces.picBuffer, 220, show.anim.Objekte[4].y + 20),
              spriteColour(204));
    EXPECT_EQ(gfx::GetPixel(show.window.windowImage(), 220, show.anim.Objekte[4].y + 20),
              spriteColour(204));
}

TEST(FlyingObjects, AnOverflowInTheStepIsReportedUnderObjektFlieg) {
    Show show(640, 480);
    ScriptedRandom random;
    fly(show, random, 1, 32760, 100);
    ErrorRecorder errors(2);
    show.anim.ObjektFlieg();
    ASSERT_EQ(ErrorRecorder::reports().size(), 1u);
    EXPECT_EQ(ErrorRecorder::reports()[0].proc, "ObjektFlieg");
    EXPECT_EQ(ErrorRecorder::reports()[0].number, 6);
    EXPECT_EQ(ErrorRecorder::reports()[0].line, 50050);
}

}  // namespace
}  // namespace gm::test
