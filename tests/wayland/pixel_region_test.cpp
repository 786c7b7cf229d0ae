// The pixel region the Wayland presenter copies by: random areas on a small
// picture, compared pixel for pixel with a plain mask of the same areas.
#include "platform/wayland/pixel_region.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace gm::wl {
namespace {

constexpr int kW = 40, kH = 30;

using Mask = std::vector<int>;  // per pixel: how often the region covers it

Mask maskOfRuns(const PixelRegion& region) {
    Mask m(kW * kH, 0);
    int lastY = -1, lastX1 = 0;
    region.forEachRun([&](int y, int x0, int x1) {
        // Sorted, disjoint and apart: touching runs would be one.
        EXPECT_TRUE(y > lastY || x0 > lastX1) << "row " << y << " at " << x0;
        EXPECT_LT(x0, x1);
        lastY = y;
        lastX1 = x1;
        for (int x = x0; x < x1; ++x) ++m[y * kW + x];
    });
    return m;
}

TEST(PixelRegion, HoldsTheExactUnionOfItsAreas) {
    std::mt19937 random(7);
    PixelRegion region;
    region.reset(kH);
    for (int round = 0; round < 300; ++round) {
        region.clear();
        Mask expected(kW * kH, 0);
        const int count = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            // Inside the picture's columns (the presenter clips them), and
            // now and then partly above or below it.
            const int x = static_cast<int>(random() % (kW - 1));
            const ScreenArea a{x, static_cast<int>(random() % 34) - 2,
                               1 + static_cast<int>(random() % std::min(12, kW - x)),
                               1 + static_cast<int>(random() % 10)};
            region.add(a);
            for (int y = std::max(a.y, 0); y < std::min(a.y + a.height, kH); ++y)
                for (int x = a.x; x < a.x + a.width; ++x) expected[y * kW + x] = 1;
        }
        ASSERT_EQ(maskOfRuns(region), expected) << "round " << round;
    }
}

TEST(PixelRegion, ClearedItIsEmptyAndTakesAreasAgain) {
    PixelRegion region;
    region.reset(kH);
    region.add({2, 3, 10, 8});
    region.clear();
    EXPECT_TRUE(region.empty());
    EXPECT_EQ(maskOfRuns(region), Mask(kW * kH, 0));
    region.add({1, 28, 2, 5});  // two rows inside the picture
    Mask expected(kW * kH, 0);
    for (const int y : {28, 29})
        for (const int x : {1, 2}) expected[y * kW + x] = 1;
    EXPECT_EQ(maskOfRuns(region), expected);
}

}  // namespace
}  // namespace gm::wl
