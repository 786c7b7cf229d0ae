// The landscape on screens of every shape and resolution: the logical canvas
// takes the screen's shape, the scene covers it, and every object stands
// where its procedure put it on the classic canvas, measured from its own
// edge: the same objects in the same order, each within one logical pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/bitmap_resource.h"
#include "resources/artgen/scaled.h"
#include "tests/scene/scene_fixture.h"

namespace gm::test {
namespace {

TEST(CanvasFor, TakesTheScreensShapeAndKeepsTheClassicCanvasWhereItBelongs) {
    const struct {
        int w, h;
        bool classic;
        int logicalW, logicalH;
        bool isClassic;
    } cases[] = {
        {640, 480, false, 640, 480, true},     {800, 600, false, 640, 480, true},
        {1024, 768, false, 640, 480, true},    {1280, 960, false, 640, 480, false},
        {1920, 1080, false, 853, 480, false},  {3840, 2160, false, 853, 480, false},
        {2560, 1080, false, 1138, 480, false}, {1280, 1024, false, 640, 512, false},
        {1080, 1920, false, 640, 1138, false}, {1920, 1080, true, 640, 480, true},
        {3840, 2160, true, 640, 480, true},    {7680, 16, false, 1707, 480, false},
    };
    for (const auto& c : cases) {
        const CanvasGeometry g = canvasFor(c.w, c.h, c.classic);
        EXPECT_EQ(g.logicalWidth, c.logicalW) << c.w << "x" << c.h;
        EXPECT_EQ(g.logicalHeight, c.logicalH) << c.w << "x" << c.h;
        EXPECT_EQ(g.classic(), c.isClassic) << c.w << "x" << c.h;
        if (!c.isClassic) {
            EXPECT_EQ(g.width, c.w);
            EXPECT_EQ(g.height, c.h);
        }
    }
}

// One masked draw, in logical pixels of its canvas.
struct Placed {
    int id;
    double left, right, top, bottom;  // left > right: mirrored
};

// A scene that notes every masked draw as the canvas has it.
class WatchedScene final : public Scene {
  public:
    using Scene::Scene;
    std::vector<Placed> placed;

  protected:
    void drawMasked(const Sprite& sprite, double x, double y, double width, double height,
                    std::optional<int> srcX, std::optional<int> srcY, std::optional<int> srcWidth,
                    std::optional<int> srcHeight) override {
        const CanvasBox b = onCanvas(x, y, width, height);
        const double kx = canvas.kx(), ky = canvas.ky();
        placed.push_back({sprite.id, b.x / kx, (b.x + b.width) / kx, b.y / ky - canvas.skyRows(),
                          (b.y + b.height) / ky - canvas.skyRows()});
        Scene::drawMasked(sprite, x, y, width, height, srcX, srcY, srcWidth, srcHeight);
    }
};

// Pictures of the scaled size, plain: where they go is all that counts here.
gfx::Bitmap plainScaled(int id, int frame, double sx, double sy) {
    const gfx::Bitmap stored = gfx::LoadBitmapResource(id);
    // A frame of the tree sheet is as wide as the sheet and a fifth as high.
    const int height = frame ? stored.height() / art::kTreeFrames : stored.height();
    return gfx::Bitmap(art::scaledSize(stored.width(), sx), art::scaledSize(height, sy), 0x808080);
}

struct Composed {
    std::vector<Placed> placed;
    int uncovered = 0;  // canvas pixels nothing was drawn on
    gfx::Bitmap image;
};

Composed compose(std::uint64_t seed, const CanvasGeometry& canvas, ScaledBitmapLoader loader) {
    SceneRig rig(canvas.width, canvas.height);
    rig.surfaces.picBG.backColor = 0x010203;  // no picture of the catalogue has it
    rig.surfaces.picBG.setSize(0, 0);
    WatchedScene scene(rig.surfaces, rig.state, rig.settings, rig.host, &gfx::LoadBitmapResource);
    scene.canvas = canvas;
    scene.loadScaled = std::move(loader);
    Randomize(seed);
    scene.BuildBG();
    EXPECT_TRUE(rig.trap.reports().empty()) << "seed " << seed;
    const gfx::Surface& bg = rig.surfaces.picBG;
    Composed out{scene.placed, 0, bg.image()};
    EXPECT_EQ(bg.width(), canvas.width);
    EXPECT_EQ(bg.height(), canvas.height);
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x)
            out.uncovered += bg.row(y)[x] == gfx::toPixel(bg.backColor);
    return out;
}

// Where the classic placement p lies on a canvas `extra` columns wider:
// hills span the width, a mirrored object and what stands at the right edge
// (the right-hand trees and the snowman on the right) keep their distance to
// the right edge, everything else to the left edge.
Placed expectedOn(const Placed& p, const CanvasGeometry& g) {
    const bool hills = p.id >= 131 && p.id <= 137;
    const double across = g.logicalWidth / 640.0;
    if (hills) return {p.id, p.left * across, p.right * across, p.top, p.bottom};
    const bool mirrored = p.left > p.right;
    const bool atRight = (p.id == 143 || p.id == 181) && p.left >= 300;
    const double shift = mirrored || atRight ? g.extraColumns() : 0;
    return {p.id, p.left + shift, p.right + shift, p.top, p.bottom};
}

TEST(ScaledCanvas, EveryObjectStandsWhereItsProcedurePutItFromItsOwnEdge) {
    const std::pair<int, int> screens[] = {{1920, 1080}, {2560, 1080}, {3840, 2160},
                                           {1280, 1024}, {1080, 1920}, {1280, 960}};
    for (const std::uint64_t seed : {3u, 77u, 500u, 4242u, 8128u}) {
        const Composed classic = compose(seed, classicCanvas(), {});
        ASSERT_FALSE(classic.placed.empty());
        for (const auto& [w, h] : screens) {
            const CanvasGeometry g = canvasFor(w, h, false);
            const Composed scaled = compose(seed, g, &plainScaled);
            EXPECT_EQ(scaled.uncovered, 0) << "seed " << seed << " at " << w << "x" << h;
            ASSERT_EQ(scaled.placed.size(), classic.placed.size())
                << "seed " << seed << " at " << w << "x" << h;
            for (std::size_t i = 0; i < classic.placed.size(); ++i) {
                const Placed want = expectedOn(classic.placed[i], g);
                const Placed& got = scaled.placed[i];
                const auto where = [&] {
                    return "seed " + std::to_string(seed) + " at " + std::to_string(w) + "x" +
                           std::to_string(h) + ", draw " + std::to_string(i) + " (picture " +
                           std::to_string(want.id) + ")";
                };
                ASSERT_EQ(got.id, want.id) << where();
                EXPECT_NEAR(got.left, want.left, 1) << where();
                EXPECT_NEAR(got.right, want.right, 1) << where();
                EXPECT_NEAR(got.top, want.top, 1) << where();
                EXPECT_NEAR(got.bottom, want.bottom, 1) << where();
            }
        }
    }
}

TEST(ScaledCanvas, ThePaintedPicturesCoverTheCanvas) {
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{1080, 1920}}) {
        const Composed c = compose(3, canvasFor(w, h, false), &gfx::LoadScaledFrame);
        EXPECT_EQ(c.uncovered, 0) << w << "x" << h;
    }
}

// The sky above a portrait landscape is no flat field: from the band's
// lower edge down to the landscape's top row the gradient changes colour
// every few rows (a stretch of the strip's top colour would stand still
// over nearly all of them).
TEST(ScaledCanvas, APortraitSkyChangesColourOverItsWholeHeight) {
    const CanvasGeometry g = canvasFor(1080, 1920, false);
    const Composed c = compose(3, g, &gfx::LoadScaledFrame);
    const int top = g.down(120), bottom = g.y(0);
    int run = 1, longest = 1;
    for (int y = top + 1; y < bottom; ++y) {
        run = c.image.row(y)[0] == c.image.row(y - 1)[0] ? run + 1 : 1;
        longest = std::max(longest, run);
    }
    EXPECT_LT(longest, (bottom - top) / 20) << "rows " << top << " to " << bottom;
}

}  // namespace
}  // namespace gm::test
