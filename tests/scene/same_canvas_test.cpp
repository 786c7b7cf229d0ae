// One seed, one landscape, on every platform: the canvases of a few seeds,
// composed with the program's own pictures, must match the digests the Linux
// build recorded in data/canvas_digests.inc. The Windows build runs this
// test under Wine.
//
// After a deliberate change of the scene or of the art, record new digests
// with the Linux build:
//   GLINTMOOR_RECORD_DIGESTS=tests/scene/data/canvas_digests.inc scene_same_canvas_test
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <utility>

#include "gfx/bitmap_resource.h"
#include "tests/scene/scene_fixture.h"

namespace gm {
namespace {

// {seed, FNV-1a digest of the canvas's red, green and blue bytes}
constexpr std::pair<std::uint64_t, std::uint64_t> kCanvasDigests[] = {
#include "tests/scene/data/canvas_digests.inc"
};

std::uint64_t digestOf(const gfx::Surface& s) {
    std::uint64_t h = 14695981039346656037ULL;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const std::uint32_t p = s.row(y)[x];
            for (const int shift : {16, 8, 0}) {
                h ^= (p >> shift) & 0xFFu;
                h *= 1099511628211ULL;
            }
        }
    return h;
}

std::uint64_t composedDigest(std::uint64_t seed) {
    test::SceneRig rig;
    Scene scene(rig.surfaces, rig.state, rig.settings, rig.host, &gfx::LoadBitmapResource);
    Randomize(seed);
    scene.BuildBG();
    EXPECT_TRUE(rig.trap.reports().empty()) << "seed " << seed;
    return digestOf(rig.surfaces.picBG);
}

TEST(BuildBG, SameSeedSameCanvasOnEveryPlatform) {
    if (const char* path = std::getenv("GLINTMOOR_RECORD_DIGESTS")) {
        std::ofstream out(path);
        for (const auto& [seed, digest] : kCanvasDigests)
            out << "{" << seed << "u, 0x" << std::hex << composedDigest(seed) << std::dec
                << "u},\n";
        GTEST_SKIP() << "recorded new digests in " << path;
    }
    for (const auto& [seed, digest] : kCanvasDigests)
        EXPECT_EQ(composedDigest(seed), digest) << "seed " << seed;
}

}  // namespace
}  // namespace gm
