// The sky: Hintergrund lays the sky gradient over the canvas and the sky
// band; Himmel paints the band (clouds, flakes, now and then a moon), copies
// it into the top of the canvas and resamples it to the screen's scale for
// the scrolling sky of the animation.
#include <algorithm>

#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/scene.h"

namespace gm {

void Scene::Hintergrund() {
    trapped("frmMain", "Hintergrund", [&](Trap& at) {
        gfx::Bitmap strip;
        Int16 t, i = 0;
        at(50010, [&] { strip = loadPicture(100 + state.SkyType); });
        at(50020, [&] { t = tileWidth(strip); });
        // The strip does not change from left to right, so tiles of it
        // stretched side by side give an even gradient. They go on until
        // both surfaces are covered.
        Int16 width;
        at(50030, [&] { width = std::max(picBG.width(), picHimmel.width()); });
        bool covered = false;
        do {
            at(50040, [&] { gfx::DrawPicture(picBG, strip.view(), i * t, 0, t, picBG.height()); });
            at(50050,
               [&] { gfx::DrawPicture(picHimmel, strip.view(), i * t, 0, t, picBG.height()); });
            at(50060, [&] { i = i + 1; });
            at(50070, [&] { covered = i * t > width; });
        } while (!covered);
    });
}

void Scene::Himmel() {
    trapped("frmMain", "Himmel", [&](Trap& at) {
        gfx::Bitmap band;
        Int16 k, last, x, y, s, d;
        at(50010, [&] { state.skyTop = Zz(-100, 0); });
        at(50020, [&] {
            if (state.SkyType == 5) state.SkyType = 3;
        });  // the evening sky has no band

        // Band variant: none (k = -1), one of the pair as it is (0, 1) or
        // mirrored (2, 3). The band's lower edge meets the bottom of the sky.
        at(50030, [&] { k = Zz(-1, 7); });
        at(50040, [&] {
            if (k > 3) k = k - 4;
        });
        if (k == 0 || k == 1) {
            at(50050, [&] { band = loadPicture(120 + 2 * state.SkyType - k); });
            at(50060, [&] {
                gfx::DrawPicture(picHimmel, band.view(), 0, state.skyTop, band.width(),
                                 picHimmel.height() - state.skyTop);
            });
        }
        if (k == 2 || k == 3) {
            at(50070, [&] { band = loadPicture(122 + 2 * state.SkyType - k); });
            at(50080, [&] {
                const int SW = picHimmel.width();
                gfx::DrawPicture(picHimmel, band.view(), SW, state.skyTop, -SW,
                                 picHimmel.height() - state.skyTop);
            });
        }

        // Snowflakes in the sky.
        at(50090, [&] { last = CInt(settings.maxFl * 0.2); });
        for (int i = 0; i <= last; ++i) {
            at(50100, [&] { x = Zz(0, CInt(picHimmel.width())); });
            at(50110, [&] { y = Zz(0, CInt(picHimmel.height())); });
            at(50120, [&] { s = CInt(Zz(1, CInt(settings.Size)) * 0.3 + 1); });
            at(50130, [&] { gfx::Ellipse(picHimmel, x, y, x + s, y + s); });
        }

        // The still background gets the band as it stands now, without the moon.
        at(50140, [&] { gfx::DrawPicture(picBG, picHimmel.view(), state.skyOffset, 0); });

        // Resample the band to 1.156 x the window's width by a quarter of its
        // height, through picBuffer.
        const int W = host.windowWidth();
        const int H = host.windowHeight();
        at(50150, [&] { picBuffer.setSize(CInt(W * 1.156), CInt(H * 0.25)); });
        at(50160, [&] {
            gfx::StretchBlt(picBuffer, 0, 0, CInt(W * 1.156), CInt(H * 0.25), picHimmel, 0, 0,
                            CInt(picHimmel.width()), CInt(picHimmel.height()), gfx::Rop::SrcCopy);
        });
        at(50170, [&] { picHimmel.setSize(CInt(W * 1.156), CInt(H * 0.25)); });
        at(50180, [&] {
            gfx::DrawPicture(picHimmel, picBuffer.view(), 0, 0, picHimmel.width(),
                             picHimmel.height());
        });

        // A pale moon in a third of the skies, only in the scrolling band.
        bool moon = false;
        at(50190, [&] { moon = Zz(0, 2) == 0; });
        if (moon) {
            at(50200, [&] { picHimmel.foreColor = picHimmel.fillColor = gfx::rgb(244, 244, 232); });
            at(50210, [&] { x = Zz(0, CInt(picHimmel.width() - 100)); });
            at(50220, [&] { y = Zz(0, CInt(picHimmel.height() - 100)); });
            at(50230, [&] { d = Zz(20, 50); });
            at(50240, [&] { gfx::Ellipse(picHimmel, x, y, x + d, y + d); });
            at(50250, [&] { picHimmel.foreColor = picHimmel.fillColor = gfx::rgb(255, 255, 255); });
        }

        at(50260, [&] { state.skyWidth = CInt(picHimmel.width()); });
        at(50270, [&] { state.skyHeight = CInt(picHimmel.height()); });
        at(50280, [&] { state.skyTop = 0; });
    });
}

}  // namespace gm
