// A 4K render is drawn at the screen's resolution, not blown up from a
// small canvas: it differs from its own reduction to the logical canvas
// blown up again (nearest neighbour both ways, mapped as a stretch maps
// them). The measure is the share of pixels that differ from their cell's
// centre pixel at all. A canvas stretched from 640 x 480 (the Classic
// setting) reproduces its blocks exactly and scores next to nothing (the
// 1x banner in the corner: 0.01 %); detail finer than a logical pixel
// (edges at physical pixels, smooth shading, fine speckle) scores wherever
// the picture is not flat (about 40 % for these seeds; the flat upper sky
// scores nothing either way). The bars sit far from both.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/canvas_geometry.h"
#include "platform/ini_store.h"
#include "programs/render_commands.h"
#include "tests/support/test_env.h"

namespace gm::test {
namespace {

constexpr int kLevels = 0;

double blockShare(const gfx::Bitmap& b, int logicalW, int logicalH) {
    const double kx = double(b.width()) / logicalW, ky = double(b.height()) / logicalH;
    // The cells as a stretch maps them: destination pixel v shows source
    // pixel v * logical / physical, rounded down.
    const auto cell = [](int v, double k) { return static_cast<int>(v / k); };
    const auto centre = [](int c, double k) { return static_cast<int>((c + 0.5) * k); };
    long long differing = 0;
    for (int y = 0; y < b.height(); ++y) {
        const std::uint32_t* blown = b.row(centre(cell(y, ky), ky));
        for (int x = 0; x < b.width(); ++x) {
            const std::uint32_t p = b.row(y)[x], q = blown[centre(cell(x, kx), kx)];
            for (const int shift : {16, 8, 0})
                if (std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > kLevels) {
                    ++differing;
                    break;
                }
        }
    }
    return double(differing) / (double(b.width()) * b.height());
}

TEST(SharpRender, A4kRenderIsNoBlownUpCanvas) {
    TempDir dir;
    IniStore store(dir.file("settings.ini"));
    const CanvasGeometry g = canvasFor(3840, 2160, false);
    for (const std::uint64_t seed : {3u, 4242u}) {
        store.SaveSetting("Glintmoor", "Settings", "Classic", "1");
        const double stretched =
            blockShare(renderScene(seed, 3840, 2160, store).background, 640, 480);
        store.SaveSetting("Glintmoor", "Settings", "Classic", "0");
        const double sharp = blockShare(renderScene(seed, 3840, 2160, store).background,
                                        g.logicalWidth, g.logicalHeight);
        if (std::getenv("GLINTMOOR_PRINT_BLOCK_SHARE"))
            std::printf("seed %llu: stretched %.4f, sharp %.4f\n", (unsigned long long)seed,
                        stretched, sharp);
        EXPECT_LT(stretched, 0.01) << "seed " << seed;
        EXPECT_GT(sharp, 0.2) << "seed " << seed;
    }
}

}  // namespace
}  // namespace gm::test
