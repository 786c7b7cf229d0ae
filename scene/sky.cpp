// The sky: Hintergrund lays the sky gradient over the canvas and the sky
// band; Himmel paints the band (clouds, flakes, now and then a moon), copies
// it into the top of the canvas and resamples it to the screen's scale for
// the scrolling sky of the animation.
#include <algorithm>
#include <cmath>

#include "common/allgemein.h"
#include "errors/trap.h"
#include "resources/artgen/scaled.h"
#include "scene/scene.h"

namespace gm {

void Scene::Hintergrund() {
    trapped("frmMain", "Hintergrund", [&](Trap& at) {
        gfx::Bitmap strip;
        Int16 t, i = 0;
        at(50010, [&] { strip = loadPicture(100 + state.SkyType); });
        if (scaled()) {
            at(50080, [&] {
                for (gfx::Surface* s : {&picBG, &picHimmel}) skyGradient(*s, strip);
            });
            return;
        }
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
        // On a scaled canvas the band lies in picHimmel as often as the
        // scrolling sky needs it side by side, in its own proportions.
        const int tiles = scaled() ? skyBandTiles() : 1;
        const auto drawBand = [&](bool mirrored) {
            const int top = scaled() ? canvas.down(state.skyTop) : state.skyTop.value();
            const int w = scaled() ? picHimmel.width() / tiles : band.width();
            for (int i = 0; i < tiles; ++i)
                gfx::DrawPicture(picHimmel, band.view(), mirrored ? (i + 1) * w : i * w, top,
                                 mirrored ? -w : w, picHimmel.height() - top);
        };
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
            at(50060, [&] { drawBand(false); });
        }
        if (k == 2 || k == 3) {
            at(50070, [&] { band = loadPicture(122 + 2 * state.SkyType - k); });
            at(50080, [&] { drawBand(true); });
        }

        // Snowflakes in the sky, in logical pixels on a scaled canvas.
        const int skyW = scaled() ? tiles * kSkyBandWidth : picHimmel.width();
        const int skyH = scaled() ? kScaledSkyRows : picHimmel.height();
        at(50090, [&] { last = CInt(settings.maxFl * 0.2); });
        for (int i = 0; i <= last; ++i) {
            at(50100, [&] { x = Zz(0, CInt(skyW)); });
            at(50110, [&] { y = Zz(0, CInt(skyH)); });
            at(50120, [&] { s = CInt(Zz(1, CInt(settings.Size)) * 0.3 + 1); });
            at(50130, [&] { disc(picHimmel, x, y, s); });
        }

        // The still background gets the band as it stands now, without the moon.
        at(50140, [&] { gfx::DrawPicture(picBG, picHimmel.view(), state.skyOffset, 0); });

        // Resample the band to 1.156 x the window's width by a quarter of its
        // height, through picBuffer. A scaled canvas has it at its size already.
        const int W = host.windowWidth();
        const int H = host.windowHeight();
        if (!scaled()) {
            at(50150, [&] { picBuffer.setSize(CInt(W * 1.156), CInt(H * 0.25)); });
            at(50160, [&] {
                gfx::StretchBlt(picBuffer, 0, 0, CInt(W * 1.156), CInt(H * 0.25), picHimmel, 0, 0,
                                CInt(picHimmel.width()), CInt(picHimmel.height()),
                                gfx::Rop::SrcCopy);
            });
            at(50170, [&] { picHimmel.setSize(CInt(W * 1.156), CInt(H * 0.25)); });
            at(50180, [&] {
                gfx::DrawPicture(picHimmel, picBuffer.view(), 0, 0, picHimmel.width(),
                                 picHimmel.height());
            });
        }

        // A pale moon in a third of the skies, only in the scrolling band.
        const int moonW = scaled() ? skyW : picHimmel.width();
        bool moon = false;
        at(50190, [&] { moon = Zz(0, 2) == 0; });
        if (moon) {
            at(50200, [&] { picHimmel.foreColor = picHimmel.fillColor = gfx::rgb(244, 244, 232); });
            at(50210, [&] { x = Zz(0, CInt(moonW - 100)); });
            at(50220, [&] { y = Zz(0, CInt((scaled() ? skyH : picHimmel.height()) - 100)); });
            at(50230, [&] { d = Zz(20, 50); });
            at(50240, [&] { disc(picHimmel, x, y, d); });
            at(50250, [&] { picHimmel.foreColor = picHimmel.fillColor = gfx::rgb(255, 255, 255); });
        }

        at(50260, [&] { state.skyWidth = CInt(picHimmel.width()); });
        at(50270, [&] { state.skyHeight = CInt(picHimmel.height()); });
        at(50280, [&] { state.skyTop = 0; });
    });
}

void Scene::skyGradient(gfx::Surface& s, const gfx::Bitmap& strip) const {
    // Each row of the painted strip is one colour: one column of it spans
    // the canvas. Its flat top lies under the band at the top of the canvas
    // and its near-white part under the landscape, as on the classic canvas;
    // on a canvas taller than that, its brightening spreads over the rows
    // between, so that the sky above a portrait landscape deepens upwards
    // over its whole height instead of standing flat.
    const int flat = static_cast<int>(std::lround(art::kStripFlatRows * canvas.ky()));
    const int white = static_cast<int>(std::lround(art::kStripNearWhiteRow * canvas.ky()));
    const int lift = canvas.y(0);  // the landscape's row 0
    const auto rows = [&](int top, int bottom, int from, int to) {
        if (bottom > top && to > from)
            gfx::DrawPicture(s, strip.view(), 0, top, s.width(), bottom - top, 0, from, 1,
                             to - from);
    };
    rows(0, flat, 0, flat);
    rows(flat, lift + white, flat, white);
    rows(lift + white, canvas.height, white, strip.height());
}

int Scene::skyBandTiles() const {
    constexpr double kSkyReach = 1.156;  // the scrolling sky's width over the canvas's
    return static_cast<int>(std::ceil(kSkyReach * canvas.logicalWidth / kSkyBandWidth));
}

void Scene::disc(gfx::Surface& s, int x, int y, int size) {
    if (!scaled()) {
        gfx::Ellipse(s, x, y, x + size, y + size);
        return;
    }
    const int X = canvas.across(x), Y = canvas.down(y);
    gfx::Ellipse(s, X, Y, X + canvas.across(size), Y + canvas.down(size));
}

}  // namespace gm
