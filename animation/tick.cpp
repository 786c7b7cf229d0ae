// tmrAnimation_Timer: one timer event composes one frame. The frame is put
// together in picBuffer (static scene, scrolling sky strip, flying object,
// date and time), copied to the window, and the flakes are drawn on the
// window over everything. The order of the layers is fixed: sky over scene,
// object over sky, text over object, flakes over all.
#include <algorithm>
#include <cmath>

#include "animation/animation.h"
#include "animation/tick_count.h"
#include "errors/trap.h"
#include "platform/platform.h"

namespace gm {

void Animation::tmrAnimation_Timer() {
    trapped("frmMain", "tmrAnimation_timer", [&](Trap& at) {
        // Until the scene has been built for a new window size, picBG and
        // picBuffer keep the old size: the frame covers only the area they
        // know, so that nothing is drawn where no background erases it.
        const int w = std::min(W(), std::min(s_.picBG.width(), s_.picBuffer.width()));
        const int h = std::min(H(), std::min(s_.picBG.height(), s_.picBuffer.height()));
        gfx::Surface& window = host_.windowImage();
        // 1. The time stamp the flake loop paces itself by.
        at(50010, [&] { tickNow = tickCountNow(); });
        // 2. The static scene erases the previous frame in the buffer.
        at(50020, [&] { composer_.background(w, h); });
        // 3. Sky scroll: SpeedS pixels per tick on average, in single precision.
        // Drifting right, the offset climbs from 0 and wraps to 0 past the
        // strip width. Drifting left (a negative SpeedS), it falls from one
        // period of the band (the strip width less the 2 pixels by which the
        // copies overlap) and wraps back to it below 0.
        // On a scaled landscape SpeedS counts logical pixels and the band
        // moves by whole ones, k physical pixels at a time: as often and as
        // far in the landscape as on the classic canvas, and no dearer to
        // show at a finer resolution than the area it covers.
        at(50030, [&] {
            skyTick = skyTick + 1;
            Single travelled =
                static_cast<Single>(static_cast<Single>(skyTick.value()) * settings_.SpeedS);
            if (scene_.scale != 1)
                travelled = static_cast<Single>(std::trunc(travelled) * scene_.scale);
            const Single period = static_cast<Single>(scene_.skyWidth.value() - 2);
            scene_.skyOffset =
                travelled >= 0 ? CInt(travelled) : CInt(std::max(period + travelled, Single(-1)));
        });
        at(50040, [&] {
            if (scene_.skyOffset > scene_.skyWidth) {
                scene_.skyOffset = 0;
                skyTick = 0;
            } else if (scene_.skyOffset < 0) {
                scene_.skyOffset = scene_.skyWidth - 2;
                skyTick = 0;
            }
        });
        // 4. The strip at the offset and again one strip width to the left
        // (2 pixels overlap).
        at(50050, [&] {
            composer_.sky(scene_.skyOffset, scene_.skyTop, scene_.skyWidth, scene_.skyHeight);
        });
        // 5. Move the object; draw what flies after that, or choose anew: a
        // flight that ends in this step is not drawn any more.
        at(50060, [&] {
            if (objektFlies()) ObjektFlieg();
        });
        at(50070, [&] {
            if (curObjekt >= 1 && curObjekt <= 21) {
                drawObjekt();
            } else {
                chooseObjekt();
            }
        });
        // 6. Date and time at the lower left, in picBuffer's font and colour.
        LocalDateTime now;
        at(50080, [&] {
            if (k() == 1) {
                composer_.textPosition(5, h - gfx::TextHeight(window, "1") - 3);
            } else {
                // A scaled landscape prints at the monitor's dpi: the
                // classic size on a 96-dpi screen, larger where the system
                // scales its text.
                const double dpi = host_.screenDpi() / 96.0;
                s_.picBuffer.font.points = gfx::FontLayout{}.points * dpi;
                composer_.textPosition(5 * dpi, h - gfx::TextHeight(s_.picBuffer, "1") - 3 * dpi);
            }
            now = platform().now();
        });
        at(50090, [&] {
            if (settings_.Date != 0) composer_.print(platform().formatShortDate(now) + "   ");
        });
        at(50100, [&] {
            if (settings_.Time != 0) composer_.print(platform().formatTime(now));
        });
        // 7. The frame onto the window; this also erases the last flakes.
        at(50110, [&] { composer_.present(window, w, h); });
        // 8. The flakes, on the window only.
        at(50120, [&] {
            composer_.eraseFlakes(window);
            drawFlakes(window, w, h);
        });
        // 9. Show it.
        at(50130, [&] { composer_.refresh(host_); });
    });
}

}  // namespace gm
