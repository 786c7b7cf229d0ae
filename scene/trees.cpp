// Fir trees: Baum puts one tree (or a pair from one frame) at the left or the
// right edge, larger the nearer its base line; Wald puts up to three rows of
// forest across the scene. Both add to the scene weights by which the
// snowman later picks the emptier side.
#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/scene.h"

namespace gm {

namespace {
constexpr int kTreeFrame = 100;    // the tree sheet's frames are 100 x 100
constexpr int kForestWidth = 200;  // the forest sheet's strips are 200 x 50
}  // namespace

void Scene::Baum(Int16& baseY) {
    trapped("frmMain", "Baum", [&](Trap& at) {
        Sprite tree;
        Int16 h, w, s, f, x;
        // A scaled canvas paints only the tree's frame, at the size it stands.
        at(50010, [&] {
            if (!scaled()) tree = loadSprite(143, 144);
        });
        at(50020, [&] { h = Zz(CInt(baseY / 3.5), CInt(baseY / 1.8)); });
        at(50030, [&] { w = CInt(h * ZzR(0.7f, 1.0f)); });
        at(50040, [&] { baseY = baseY - h; });  // the tree's top edge
        at(50050, [&] { s = Zz(-1, 0); });
        at(50060, [&] { f = Zz(1, 5); });
        if (s == 0) {
            at(50070, [&] { x = Zz(-50, 50); });
            at(50080, [&] { state.weightLeft = state.weightLeft + 1; });
        } else {
            // At the right edge, however wide the canvas.
            at(50090, [&] { x = Zz(500, 600) + canvas.extraColumns(); });
            at(50100, [&] { state.weightRight = state.weightRight + 1; });
        }
        at(50110, [&] {
            if (scaled())
                drawMasked(loadFrame(143, 144, f, double(w) / kTreeFrame, double(h) / kTreeFrame),
                           x, baseY, w, h);
            else
                drawMasked(tree, x, baseY, w, h, 0, (f - 1) * kTreeFrame, kTreeFrame, kTreeFrame);
        });
        at(50120, [&] { baseY = baseY + h; });
    });
}

void Scene::Wald(Int16& baseY) {
    trapped("frmMain", "Wald", [&](Trap& at) {
        Sprite forest;
        Int16 H, k, x, m;
        at(50010, [&] { H = 50; });
        for (int row = 1; row <= 3; ++row) {
            bool drawRow = false;
            at(50020, [&] { drawRow = Zz(0, 2) == 0; });
            if (!drawRow) continue;
            at(50030, [&] { k = Zz(1, 5); });
            at(50040, [&] { forest = loadSprite(141, 142); });
            at(50050, [&] { baseY = baseY - H; });
            at(50060, [&] { x = Zz(-100, 500); });
            at(50070, [&] { m = Zz(-1, 0); });
            // The side counts by the unmirrored position, also for a mirrored row.
            at(50080, [&] {
                if (x < 300)
                    state.weightLeft = state.weightLeft + 4;
                else
                    state.weightRight = state.weightRight + 4;
            });
            if (m == 0) {
                at(50090, [&] {
                    drawMasked(forest, x, baseY, kForestWidth, H, 0, (k - 1) * H, kForestWidth, H);
                });
            } else {
                at(50100, [&] {
                    drawMasked(forest, canvas.logicalWidth - x, baseY, -kForestWidth, H, 0,
                               (k - 1) * H, kForestWidth, H);
                });
            }
            // Each row stands 0 to 2 rows in front of the one before.
            at(50110, [&] { baseY = baseY + Zz(H, H + 2); });
        }
    });
}

}  // namespace gm
