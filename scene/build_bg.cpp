// BuildBG composes the landscape on picBG from the back to the front: sky,
// horizon, distant hills and snow, clouds, the middle belt of hills, forests,
// a village and a town, more clouds, then the foreground with fence, trees,
// a house, the snowman and the last hills. CopyBg shows every stage.
//
// The working row y is the base line on which the next layer or object
// stands; it only grows during a run.
#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/scene.h"

namespace gm {

void Scene::BuildBG() {
    trapped("frmMain", "BuildBG", [&](Trap& at) {
        Int16 y;            // the current row
        Int16 h;            // the horizon, later a pass's start row and the foreground's
        Int16 sea = 0;      // 1 once the sea is drawn
        Int16 village = 0;  // 1 once the village stands
        Int16 fences = 0;   // fences in the foreground (0-2)
        Int16 last, x, discY, s, c;
        bool draw = false;

        at(50010, [&] { host.setTimerEnabled(false); });
        at(50020, [&] {
            // Every scene starts from the surfaces of the first: the canvas
            // and a sky band of one band bitmap's size, which Himmel then
            // resamples once to the window's scale. A scaled canvas has both
            // at their final size from the start.
            if (scaled()) {
                picBG.setSize(canvas.width, canvas.height);
                picHimmel.setSize(skyBandTiles() * canvas.across(kSkyBandWidth),
                                  canvas.down(kScaledSkyRows));
            } else {
                picBG.setSize(640, 480);
                picHimmel.setSize(kSkyBandWidth, kSkyBandHeight);
            }
        });
        at(50030, [&] {
            state.weightLeft = 0;
            state.scale = scaled() ? canvas.ky() : 1;
        });
        at(50040, [&] { state.weightRight = 0; });

        // Sky: sky type 6 counts as 2, so the deep blue comes twice as often.
        at(50050, [&] { state.SkyType = Zz(1, 6); });
        at(50060, [&] {
            if (state.SkyType == 6) state.SkyType = 2;
        });
        at(50070, [&] { Hintergrund(); });
        // A scaled canvas shows its sky at once, before the band is painted.
        if (scaled()) CopyBg();
        at(50080, [&] { Himmel(); });

        // Horizon: the sea in a third of the scenes, else a snow field unless
        // the horizon lies too low for one.
        at(50090, [&] { y = Zz(190, 330); });
        at(50100, [&] {
            if (Zz(0, 2) == 2) {
                Meer(y);
                sea = 1;
            } else if (y < 320) {
                Boden(y);
            }
        });
        at(50110, [&] {
            if (Zz(0, 4) == 0) Berge(y);
        });
        at(50120, [&] {
            if (Zz(0, 4) == 0) Berge(y);
        });
        at(50130, [&] { h = y; });

        // Distant snow: small white discs between the sky band and the horizon.
        at(50140, [&] { last = CInt(settings.maxFl * 0.5); });
        for (int i = 0; i <= last; ++i) {
            at(50150, [&] { x = Zz(0, canvas.logicalWidth); });
            at(50160, [&] { discY = Zz(CInt(480 * 0.25), h); });
            at(50170, [&] { s = CInt(Zz(1, CInt(settings.Size)) * 0.3 + 1); });
            at(50180, [&] { disc(picBG, x, discY + canvas.skyRows(), s); });
        }
        at(50190, [&] { CopyBg(); });

        // Clouds in the sky.
        at(50200, [&] { last = Zz(1, 5); });
        for (int i = 0; i <= last; ++i) {
            at(50210, [&] { x = CInt(canvas.logicalWidth * ZzR(-0.1f, 0.9f)); });
            at(50220, [&] { discY = CInt(480 * ZzR(0.25f, 0.45f)); });
            at(50230, [&] { Wolken(picBG, 110 + Zz(1, 10), x, discY); });
            at(50240, [&] { CopyBg(); });
        }

        // The middle belt: 21 passes of hills, forests, a town or a village.
        at(50250, [&] { y = h; });
        for (int i = 0; i <= 20; ++i) {
            at(50260, [&] { h = y; });
            at(50270, [&] { c = Zz(1, 5); });
            switch (c.value()) {
                case 1:  // hills, rarer beside the sea
                    at(50280, [&] {
                        if (Zz(1, 6 + 10 * sea) < 5) Berge(y);
                    });
                    break;
                case 2:  // forest
                    at(50290, [&] {
                        if (Zz(1, 7) < 6) Wald(y);
                    });
                    break;
                case 3:  // a town, only high enough and never beside the village
                    at(50300, [&] { draw = Zz(1, 60) < 6 && y < 350 && village == 0; });
                    if (draw) {
                        at(50310, [&] { City(y); });
                        at(50320, [&] { y = y + Zz(2, 10); });
                        at(50330, [&] { Berge(y); });
                    }
                    break;
                case 4:  // the one village, never in the first eleven passes
                    at(50340, [&] {
                        // Both operands are evaluated: the draw is made in every pass.
                        const bool chosen = Zz(5 + village, 20) == 5;
                        draw = i > 10 && chosen;
                    });
                    if (draw) {
                        at(50350, [&] { Dorf(y); });
                        at(50360, [&] { village = 1; });
                        at(50370, [&] { y = y + Zz(2, 10); });
                        at(50380, [&] { Berge(y); });
                    }
                    break;
                default:  // nothing this pass
                    break;
            }
            at(50390, [&] { y = y + Zz(1, 5); });
            at(50400, [&] {
                if (y < h) y = h;
            });
        }
        at(50410, [&] { CopyBg(); });

        // The foreground starts at row 320 at the highest.
        at(50420, [&] {
            if (y < 320)
                h = 320;
            else
                h = y + Zz(5, 15);
        });

        // More clouds.
        at(50430, [&] { last = Zz(1, 3); });
        for (int i = 0; i <= last; ++i) {
            at(50440, [&] { x = CInt(canvas.logicalWidth * ZzR(-0.1f, 0.9f)); });
            at(50450, [&] { discY = CInt(480 * ZzR(0.25f, 0.45f)); });
            at(50460, [&] { Wolken(picBG, 110 + Zz(1, 10), x, discY); });
            at(50470, [&] { CopyBg(); });
        }

        at(50480, [&] { y = h; });
        at(50490, [&] { draw = Zz(1, 10) == 1; });
        if (draw) {
            at(50500, [&] { Zaun(y); });
            at(50510, [&] { fences = 1; });
            at(50520, [&] { y = y + 5; });
        }

        // Trees; only a tree moves the row.
        at(50530, [&] { last = Zz(1, 20); });
        for (int i = 0; i <= last; ++i) {
            at(50540, [&] { draw = Zz(1, 15) < 6; });
            if (draw) {
                at(50550, [&] { Baum(y); });
                at(50560, [&] { y = y + Zz(1, 5); });
            }
        }
        at(50570, [&] { Berge(y); });
        at(50580, [&] { CopyBg(); });
        at(50590, [&] { y = y + Zz(2, 5); });

        // Now and then a house between two trees, maybe behind a fence.
        at(50600, [&] { draw = Zz(1, 15) < 3; });
        if (draw) {
            at(50610, [&] { Baum(y); });
            at(50620, [&] {
                Int16 besideRow = y + 2;  // the second tree leaves the row as it is
                Baum(besideRow);
            });
            at(50630, [&] {
                if (Zz(1, 3) == 1) {
                    Zaun(y);
                    fences = fences + 1;
                }
            });
            at(50640, [&] { y = y + 20; });
            at(50650, [&] { Haus(y); });
            at(50660, [&] { y = y + Zz(10, 15); });
            at(50670, [&] { Berge(y); });
            at(50680, [&] {
                if (Zz(1, 3) == 1 && fences < 2 && y < 470) Zaun(y);
            });
        }

        while (y < 420) {
            at(50690, [&] { y = y + Zz(5, 15); });
            at(50700, [&] {
                if (Zz(1, 2) == 1) Berge(y);
            });
        }
        at(50710, [&] { CopyBg(); });

        // The snowman stands between rows 420 and 470.
        if (settings.Snowman == 1) {
            at(50720, [&] { y = y + Zz(3, 15); });
            at(50730, [&] {
                if (y < 420) y = 420;
            });
            at(50740, [&] {
                if (y > 470) y = 470;
            });
            at(50750, [&] { Schneemann(y); });
            at(50760, [&] { CopyBg(); });
        }

        while (y < 490) {
            at(50770, [&] { y = y + Zz(5, 15); });
            at(50780, [&] {
                if (Zz(1, 2) == 1) Berge(y);
            });
        }
        at(50790, [&] {
            Int16 bottomRow = 480;  // the last hills stand on the bottom edge
            Berge(bottomRow);
        });
        at(50800, [&] { CopyBg(); });
    });
}

void Scene::CopyBg() {
    if (!showStages) return;
    trapped("frmMain", "CopyBg", [&](Trap& at) {
        // picBG is a memory surface: its picture is always up to date.
        at(50010, [&] {
            gfx::DrawPicture(host.windowImage(), picBG.view(), 0, 0, host.windowWidth(),
                             host.windowHeight(), 0, 0, picBG.width(), picBG.height());
        });
        at(50020, [&] { host.refreshWindow(); });
        at(50030, [&] { host.yieldEvents(); });
    });
}

}  // namespace gm
