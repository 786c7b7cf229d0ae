// LightenMasked and DarkenMasked: the colour arithmetic, the pattern's
// threshold, the scan order with its read-after-write effect, and pixels
// beyond the target.
#include "animation/masked_blend.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace gm
