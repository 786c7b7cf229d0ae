// Buildings: Haus puts one house near the left or the right edge; Dorf puts
// up to three rows of a village and City up to five town skylines, each row
// a little lower than the one before, and both move the caller's base line
// down so that what comes next stands in front of them. All three add to
// the scene weights.
#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/scene.h"

namespace gm {

namespace {
constexpr int kHouseWidth = 153;  // houses are 153 x 115
constexpr int kRowWidth = 245;    // the village and the skylines are 245 x 100
}  // namespace

void Scene::Haus(Int16& baseY) {
    trapped("frmMain", "Haus", [&](Trap& at) {
        Sprite house;
        Int16 id, H, x, m;
        at(50010, [&] { id = 2 * Zz(1, 2) + 159; });  // the red house or the log cabin
        at(50020, [&] { house = loadSprite(id, id + 1); });
        at(50030, [&] { H = 115; });
        at(50040, [&] { baseY = baseY - H; });
        at(50050, [&] { x = Zz(-50, 20); });
        at(50060, [&] { m = Zz(-1, 0); });
        // An unmirrored house stands at the left edge, a mirrored one at the right.
        at(50070, [&] {
            if (m == 0)
                state.weightLeft = state.weightLeft + 10;
            else
                state.weightRight = state.weightRight + 10;
        });
        if (m == 0) {
            at(50080, [&] { drawMasked(house, x, baseY, kHouseWidth, H); });
        } else {
            at(50090, [&] { drawMasked(house, canvas.logicalWidth - x, baseY, -kHouseWidth, H); });
        }
        at(50100, [&] { baseY = baseY + H; });
    });
}

void Scene::Dorf(Int16& baseY) {
    trapped("frmMain", "Dorf", [&](Trap& at) {
        Sprite village;
        Int16 H, x, m;
        at(50010, [&] {
            if (baseY < 230) baseY = 230;
        });
        at(50020, [&] { H = 100; });
        at(50030, [&] { x = Zz(-100, 540); });
        at(50040, [&] { village = loadSprite(153, 154); });
        for (int row = 1; row <= 3; ++row) {
            bool drawRow = false;
            at(50050, [&] { drawRow = Zz(0, 4) == 0; });
            if (!drawRow) continue;
            at(50060, [&] { baseY = baseY + Zz(2, 12); });
            at(50070, [&] { x = x + Zz(-70, 70); });
            at(50080, [&] { baseY = baseY - H; });
            at(50090, [&] { m = Zz(-1, 0); });
            at(50100, [&] {
                if (x < 100)
                    state.weightLeft = state.weightLeft + 2;
                else
                    state.weightRight = state.weightRight + 2;
            });
            if (m == 0) {
                at(50110, [&] { drawMasked(village, x, baseY, kRowWidth, H, 0, 0, kRowWidth, H); });
            } else {
                at(50120, [&] {
                    drawMasked(village, canvas.logicalWidth - x, baseY, -kRowWidth, H, 0, 0,
                               kRowWidth, H);
                });
            }
            at(50130, [&] { baseY = baseY + H; });
        }
    });
}

void Scene::City(Int16& baseY) {
    trapped("frmMain", "City", [&](Trap& at) {
        Sprite town;
        Int16 H, x, m;
        at(50010, [&] {
            if (baseY < 220) baseY = 220;
        });
        at(50020, [&] { H = 100; });
        at(50030, [&] { x = Zz(-100, 540); });
        // Skyline i is strip i of the town sheet, so later ones stand in front.
        for (int i = 1; i <= 5; ++i) {
            bool drawSkyline = false;
            at(50040, [&] { drawSkyline = Zz(0, 2) == 0; });
            if (!drawSkyline) continue;
            at(50050, [&] { baseY = baseY + Zz(2, 12); });
            at(50060, [&] { x = x + Zz(-90, 90); });
            at(50070, [&] { town = loadSprite(151, 152); });
            at(50080, [&] { baseY = baseY - H; });
            at(50090, [&] { m = Zz(-1, 0); });
            at(50100, [&] {
                if (x < 100)
                    state.weightLeft = state.weightLeft + 2;
                else
                    state.weightRight = state.weightRight + 2;
            });
            if (m == 0) {
                at(50110,
                   [&] { drawMasked(town, x, baseY, kRowWidth, H, 0, (i - 1) * H, kRowWidth, H); });
            } else {
                at(50120, [&] {
                    drawMasked(town, canvas.logicalWidth - x, baseY, -kRowWidth, H, 0, (i - 1) * H,
                               kRowWidth, H);
                });
            }
            at(50130, [&] { baseY = baseY + H; });
        }
    });
}

}  // namespace gm
