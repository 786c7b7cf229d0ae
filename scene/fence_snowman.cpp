// The last objects of the scene: Zaun runs a wooden fence in from the left
// or the right edge; Schneemann puts the snowman with his shadow on the side
// that the other objects have left emptier.
#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/scene.h"

namespace gm {

namespace {
constexpr int kFenceWidth = 400;    // the fence is 400 x 28
constexpr int kSnowmanWidth = 285;  // the snowman is 285 x 300
constexpr Int16 kShadowPattern = 183;
}  // namespace

void Scene::Zaun(Int16& baseY) {
    trapped("frmMain", "Zaun", [&](Trap& at) {
        Sprite fence;
        Int16 H, x, m;
        at(50010, [&] { fence = loadSprite(165, 166); });
        at(50020, [&] { H = 28; });
        at(50030, [&] { baseY = baseY - H; });
        at(50040, [&] { x = Zz(-200, 0); });
        at(50050, [&] { m = Zz(-1, 0); });
        if (m == 0) {
            at(50060, [&] { drawMasked(fence, x, baseY, kFenceWidth, H); });
        } else {
            at(50070, [&] { drawMasked(fence, canvas.logicalWidth - x, baseY, -kFenceWidth, H); });
        }
        at(50080, [&] { baseY = baseY + H; });
    });
}

void Scene::Schneemann(Int16& baseY) {
    trapped("frmMain", "Schneemann", [&](Trap& at) {
        Sprite snowman;
        Int16 H, x;
        at(50010, [&] { snowman = loadSprite(181, 182); });
        at(50020, [&] { H = 300; });
        // Equal weights put him on the right, as far from the right edge as
        // on the classic canvas.
        at(50030, [&] {
            if (state.weightLeft < state.weightRight)
                x = Zz(80, 120);
            else
                x = Zz(300, 380) + canvas.extraColumns();
        });
        // The shadow lies under his lower body; he covers the part behind him.
        at(50040, [&] { Schatten(picBG, kShadowPattern, x + 75, baseY - 60); });
        at(50050, [&] { baseY = baseY - H; });
        // Never mirrored: he always holds his broom on the same side.
        at(50060, [&] { drawMasked(snowman, x, baseY, kSnowmanWidth, H); });
        at(50070, [&] { baseY = baseY + H; });
    });
}

}  // namespace gm
