// Soft areas of the canvas: Boden fills it from a row down with the light
// lower end of the sky gradient (the snow field); Wolken lightens a cloud
// into the sky and Schatten darkens a shadow into the snow, each through a
// speckled blend pattern in picBuffer, three times with a small diagonal
// offset so that the edge is soft.
#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/masked_blend.h"
#include "scene/scene.h"

namespace gm {

namespace {
// The strips run from light to almost white below this row.
constexpr int kSnowFieldTop = 310;
}  // namespace

void Scene::Boden(Int16 y) {
    trapped("frmMain", "Boden", [&](Trap& at) {
        gfx::Bitmap strip;
        Int16 t, i = 0;
        at(50010, [&] { strip = loadPicture(100 + state.SkyType); });
        if (scaled()) {
            // One column of the painted strip spans the canvas.
            at(50060, [&] {
                const int top = canvas.y(y), from = canvas.down(kSnowFieldTop);
                gfx::DrawPicture(picBG, strip.view(), 0, top, canvas.width, canvas.height - top, 0,
                                 from, 1, strip.height() - from);
            });
            return;
        }
        at(50020, [&] { t = tileWidth(strip); });
        bool covered = false;
        do {
            at(50030, [&] {
                gfx::DrawPicture(picBG, strip.view(), i * t, y, t, picBG.height() - y, 0,
                                 kSnowFieldTop, strip.width(), strip.height() - kSnowFieldTop);
            });
            at(50040, [&] { i = i + 1; });
            at(50050, [&] { covered = i * t > picBG.width(); });
        } while (!covered);
    });
}

void Scene::Wolken(gfx::Surface& dc, Int16 id, Int16 x, Int16 y) {
    trapped("frmMain", "Wolken", [&](Trap& at) {
        Int16 d;
        at(50010, [&] { d = Zz(2, 5); });
        at(50020, [&] { picBuffer.setPicture(loadPicture(id).view()); });
        at(50030, [&] { LightenMasked(dc, picBuffer, canvas.x(x), canvas.y(y), 20); });
        at(50040, [&] { LightenMasked(dc, picBuffer, canvas.x(x - d), canvas.y(y - d), 10); });
        at(50050, [&] { LightenMasked(dc, picBuffer, canvas.x(x + d), canvas.y(y + d), 10); });
    });
}

void Scene::Schatten(gfx::Surface& dc, Int16 id, Int16 x, Int16 y) {
    trapped("frmMain", "Schatten", [&](Trap& at) {
        Int16 d;
        at(50010, [&] { d = Zz(2, 5); });
        at(50020, [&] { picBuffer.setPicture(loadPicture(id).view()); });
        if (!scaled()) {
            at(50030, [&] { DarkenMasked(dc, picBuffer, x, y, 3); });
            at(50040, [&] { DarkenMasked(dc, picBuffer, x - d, y - d, 2); });
            at(50050, [&] { DarkenMasked(dc, picBuffer, x + d, y + d, 2); });
            return;
        }
        // The painted pattern has more dots than the catalogue's: the
        // generator advances as the catalogue's would have made it.
        const gfx::Bitmap classicPattern = load_(id);
        at(50060,
           [&] { DarkenMaskedScaled(dc, picBuffer, canvas.x(x), canvas.y(y), 3, classicPattern); });
        at(50070, [&] {
            DarkenMaskedScaled(dc, picBuffer, canvas.x(x - d), canvas.y(y - d), 2, classicPattern);
        });
        at(50080, [&] {
            DarkenMaskedScaled(dc, picBuffer, canvas.x(x + d), canvas.y(y + d), 2, classicPattern);
        });
    });
}

}  // namespace gm
