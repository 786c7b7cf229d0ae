// LightenMasked and DarkenMasked: the colour arithmetic, the pattern's
// threshold, the scan order with its read-after-write effect, and pixels
// beyond the target.
#include "scene/masked_blend.h"

#include <gtest/gtest.h>

#include "tests/scene/masked_blend_reference.h"
#include "tests/scene/scene_fixture.h"

namespace gm {
namespace {

using test::ScriptedRandom;
using test::TrapRecorder;

constexpr gfx::Colour kLight = 0xFFFFFF, kDark = 0;

// A new surface has its back colour all over, so the targets and patterns
// of one colour below are plain new surfaces.

TEST(LightenMasked, MovesLightMaskedPixelsTowardsWhite) {
    TrapRecorder trap;
    gfx::Surface target(4, 1, 0);
    gfx::SetPixel(target, 0, 0, gfx::rgb(255, 255, 255));
    gfx::SetPixel(target, 1, 0, gfx::rgb(0, 0, 0));
    gfx::SetPixel(target, 2, 0, gfx::rgb(100, 150, 200));
    gfx::SetPixel(target, 3, 0, gfx::rgb(100, 150, 200));
    gfx::Surface mask(4, 1, kLight);
    gfx::SetPixel(mask, 3, 0, 1000);  // exactly 1000 counts as neither light nor dark

    LightenMasked(target, mask, 0, 0, 20);  // k = 0.8, add = 51
    EXPECT_EQ(gfx::GetPixel(target, 0, 0), gfx::rgb(255, 255, 255));
    EXPECT_EQ(gfx::GetPixel(target, 1, 0), gfx::rgb(51, 51, 51));
    EXPECT_EQ(gfx::GetPixel(target, 2, 0), gfx::rgb(131, 171, 211));
    EXPECT_EQ(gfx::GetPixel(target, 3, 0), gfx::rgb(100, 150, 200));
    EXPECT_TRUE(trap.reports().empty());
}

TEST(LightenMasked, ZeroAndFullStrength) {
    gfx::Surface target(3, 3, gfx::rgb(10, 20, 30));
    gfx::Surface mask(2, 2, kLight);
    LightenMasked(target, mask, 0, 0, 0);
    EXPECT_EQ(gfx::GetPixel(target, 1, 1), gfx::rgb(10, 20, 30));
    LightenMasked(target, mask, 1, 1, 100);
    EXPECT_EQ(gfx::GetPixel(target, 1, 1), gfx::rgb(255, 255, 255));
    EXPECT_EQ(gfx::GetPixel(target, 2, 2), gfx::rgb(255, 255, 255));
    EXPECT_EQ(gfx::GetPixel(target, 0, 0), gfx::rgb(10, 20, 30));
    EXPECT_EQ(gfx::GetPixel(target, 0, 2), gfx::rgb(10, 20, 30));
}

TEST(LightenMasked, PatternBeyondTheTargetChangesOnlyWhatLiesInside) {
    TrapRecorder trap;
    gfx::Surface target(5, 4, gfx::rgb(0, 0, 0));
    gfx::Surface mask(4, 3, kLight);
    LightenMasked(target, mask, -2, -1, 100);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(gfx::GetPixel(target, x, y), x < 2 && y < 2 ? 0xFFFFFF : 0) << x << "," << y;
    // Coordinates past the 16-bit range are skipped without a report.
    LightenMasked(target, mask, 32766, 0, 100);
    EXPECT_TRUE(trap.reports().empty());
}

TEST(DarkenMasked, DarkensRedMostAndWritesAtTheRandomOffset) {
    ScriptedRandom random;
    random.zz(0, 2, 2).zz(0, 1, 1).strict();
    gfx::Surface target(4, 3, gfx::rgb(200, 200, 200));
    gfx::Surface mask(1, 1, kDark);
    DarkenMasked(target, mask, 0, 0, 20);  // k = 0.8, 25 off red, 12 off green and blue
    EXPECT_EQ(gfx::GetPixel(target, 0, 0), gfx::rgb(200, 200, 200));
    EXPECT_EQ(gfx::GetPixel(target, 2, 1), gfx::rgb(135, 148, 148));
    EXPECT_EQ(random.left(), 0u);
}

TEST(DarkenMasked, PixelsWrittenAheadOfTheScanAreDarkenedAgain) {
    ScriptedRandom random;
    for (int j = 0; j < 3; ++j) random.zz(0, 2, 0).zz(0, 1, 1);  // each result one row lower
    random.strict();
    gfx::Surface target(1, 4, gfx::rgb(200, 200, 200));
    const gfx::Surface mask(1, 3, kDark);
    DarkenMasked(target, mask, 0, 0, 20);
    EXPECT_EQ(gfx::GetPixel(target, 0, 0), gfx::rgb(200, 200, 200));
    EXPECT_EQ(gfx::GetPixel(target, 0, 1), gfx::rgb(135, 148, 148));
    EXPECT_EQ(gfx::GetPixel(target, 0, 2), gfx::rgb(83, 106, 106));
    EXPECT_EQ(gfx::GetPixel(target, 0, 3), gfx::rgb(41, 73, 73));
}

TEST(DarkenMasked, ComponentsBelowZeroBecomeZeroAndLightPatternPixelsStay) {
    ScriptedRandom random;
    random.zz(0, 2, 0).zz(0, 1, 0).strict();
    gfx::Surface target(2, 1, gfx::rgb(20, 5, 100));
    gfx::Surface mask(2, 1, kDark);
    gfx::SetPixel(mask, 1, 0, 1000);
    DarkenMasked(target, mask, 0, 0, 20);
    EXPECT_EQ(gfx::GetPixel(target, 0, 0), gfx::rgb(0, 0, 68));
    EXPECT_EQ(gfx::GetPixel(target, 1, 0), gfx::rgb(20, 5, 100));
}

TEST(DarkenMasked, PixelsReadBeyondTheTargetAreNotWrittenInside) {
    TrapRecorder trap;
    ScriptedRandom random;
    for (int i = 0; i < 3; ++i) random.zz(0, 2, 2).zz(0, 1, 0);
    random.strict();
    gfx::Surface target(5, 1, gfx::rgb(200, 200, 200));
    const gfx::Surface mask(3, 1, kDark);
    DarkenMasked(target, mask, -2, 0, 20);
    EXPECT_EQ(gfx::GetPixel(target, 0, 0), gfx::rgb(200, 200, 200));
    EXPECT_EQ(gfx::GetPixel(target, 1, 0), gfx::rgb(200, 200, 200));
    EXPECT_EQ(gfx::GetPixel(target, 2, 0), gfx::rgb(135, 148, 148));
    EXPECT_EQ(random.left(), 0u);
    EXPECT_TRUE(trap.reports().empty());
}

// The fast procedures against the statement-by-statement reference: random
// targets and patterns (with pixels of exactly 1000), positions across and
// beyond the target's edges and the 16-bit range, strengths in and out of
// 0..100; same pixels and the same random draws.
TEST(MaskedBlend, MatchesTheReference) {
    Pcg32Source dice(77);
    const auto roll = [&](int n) { return static_cast<int>(dice.next() * n); };
    const int percents[] = {0, 2, 3, 10, 20, 100, 150, -20, 32767};
    const std::pair<int, int> places[] = {{5, 4},     {-7, -3},    {50, 30}, {-40, 10},
                                          {32760, 0}, {0, -32768}, {58, 38}};
    for (int round = 0; round < 60; ++round) {
        gfx::Surface fast(60, 40, 0), slow(60, 40, 0), mask(0, 0, 0);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x)
                fast.row(y)[x] = slow.row(y)[x] = static_cast<std::uint32_t>(roll(1 << 24));
        mask.autoSize = true;
        gfx::Bitmap pattern(3 + roll(20), 2 + roll(15));
        const std::uint32_t kinds[] = {0, 0xFFFFFF, gfx::toPixel(1000), gfx::toPixel(999),
                                       gfx::toPixel(1001)};
        for (int y = 0; y < pattern.height(); ++y)
            for (int x = 0; x < pattern.width(); ++x) pattern.row(y)[x] = kinds[roll(5)];
        mask.setPicture(pattern.view());
        const int percent = percents[round % 9];
        const auto [px, py] = places[roll(7)];
        const bool lighten = round % 2 == 0;

        Randomize(round);
        if (lighten)
            LightenMasked(fast, mask, px, py, percent);
        else
            DarkenMasked(fast, mask, px, py, percent);
        const Single nextFast = Rnd();
        Randomize(round);
        if (lighten)
            reference::LightenMasked(slow, mask, px, py, percent);
        else
            reference::DarkenMasked(slow, mask, px, py, percent);
        ASSERT_EQ(Rnd(), nextFast) << "the same draws, round " << round;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x)
                ASSERT_EQ(fast.row(y)[x], slow.row(y)[x])
                    << (lighten ? "lighten" : "darken") << " " << percent << "% at (" << px << ", "
                    << py << "), pixel " << x << "," << y;
    }
}

}  // namespace
}  // namespace gm
