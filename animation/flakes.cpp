// The falling snow: up to 501 white discs that drift with a random wind,
// fall at random speeds, wrap around at the right edge and vanish at a
// random ground line, to be reborn near the top.
//
// Motion and drawing are decoupled: moveFlakes moves one flake at a time and
// lets pending events run after each, and the tick draws all flakes once
// per frame on the window (never into picBuffer, so the next frame's copy
// erases them).
#include "animation/animation.h"
#include "animation/tick_count.h"
#include "common/allgemein.h"
#include "errors/trap.h"

namespace gm {

Animation::Animation(ShowSurfaces& surfaces, SceneState& scene, const Settings& settings,
                     ShowHost& host, BitmapLoader load)
    : s_(surfaces),
      scene_(scene),
      settings_(settings),
      host_(host),
      load_(std::move(load)),
      composer_(surfaces) {}

void Animation::seedFlakes() {
    gfx::Surface& window = host_.windowImage();
    const double w = W(), h = H();
    for (Int16 i = 0; i <= lastFlake; i = i + 1) {
        Flake& f = Flakes[i];
        f.x = CLng(Rnd() * w);
        f.y = CLng(Rnd() * h / 2);
        f.size = CLng((Rnd() * settings_.Size + 4) * k());
        // The first picture of a flake is up to 2 pixels narrower than high.
        const Int32 right = CLng(2.0 * k() * Rnd() + f.x + f.size - 2 * k());
        gfx::Ellipse(window, f.x, f.y, right, f.y + f.size);
    }
    // The window now shows flakes the previous frame did not draw.
    composer_.invalidate();
}

// One move of flake i: wind, fall, the right edge, the ground line.
void Animation::moveFlake(Trap& at, Int16 i) {
    // Wind: between SpeedF to the left and twice that to the right.
    at(50010, [&] {
        Flake& f = Flakes[i];
        f.x = f.x + CLng(Zz(CInt(-settings_.SpeedF), CInt(2.0 * settings_.SpeedF)) * k());
    });
    // Fall: mostly down, now and then a little up.
    at(50020, [&] {
        Flake& f = Flakes[i];
        f.y = f.y + CLng(Zz(CInt(-0.5 * settings_.SpeedF), CInt(4.0 * settings_.SpeedF)) * k());
    });
    // Past the right edge it comes back at the left, keeping the overshoot.
    at(50030, [&] {
        Flake& f = Flakes[i];
        if (static_cast<double>(f.x) > W()) f.x = CLng(static_cast<double>(f.x) - W());
    });
    // Ground line somewhere between 60 % and 110 % of the height: reborn in
    // the top tenth.
    at(50040, [&] {
        Flake& f = Flakes[i];
        if (static_cast<double>(f.y) > H() * (0.5 * Rnd() + 0.6)) {
            f.x = CLng(Rnd() * static_cast<double>(W()));
            f.y = CLng(Rnd() * static_cast<double>(H()) * 0.1);
            f.size = CLng((Rnd() * settings_.Size + 4) * k());
        }
    });
}

bool Animation::moveFlakes() {
    bool restart = false;
    trapped("frmMain", "moveFlakes", [&](Trap& at) {
        // After a flake: pending events run, and the move's time stamp.
        const auto letEventsRun = [&] {
            at(50050, [&] { platform().yield(); });
            at(50060, [&] { flakesDone = tickCountNow(); });
        };
        for (;;) {
            const Int16 last = lastFlake;
            for (Int16 i = 0; i <= last; i = i + 1) {
                moveFlake(at, i);
                letEventsRun();
                if (restartDue()) {
                    restart = true;
                    break;
                }
            }
            if (restart) break;
            // A pass without flakes (a stored maxFl below -1 leaves none)
            // still lets pending events run once and takes its time stamp,
            // so that input and signals end the show and the pacing below
            // waits for the next tick instead of spinning.
            if (last < 0) letEventsRun();
            // At most one pass per tick: wait until a tick has started at
            // least a third of a period after this pass's last move. The
            // event pump sleeps until the next event or due timer, then
            // runs what is pending.
            at(50070, [&] {
                const Int32 third = idiv(timerInterval, Int32(3));
                while (tickDiff(tickNow, flakesDone) < third.value() && !restartDue()) {
                    platform().wait();
                    platform().yield();
                }
            });
            if (restartDue()) {
                restart = true;
                break;
            }
        }
    });
    // The window builds the new scene and starts a fresh loop in our place.
    if (restart) sizeChangePending_ = false;
    return restart;
}

void Animation::moveFlakesOnce() {
    trapped("frmMain", "moveFlakes", [&](Trap& at) {
        for (Int16 i = 0; i <= lastFlake; i = i + 1) moveFlake(at, i);
    });
}

void Animation::drawFlakes(gfx::Surface& target, int width, int height) {
    const bool partial = width < target.width() || height < target.height();
    for (Int16 i = 0; i <= lastFlake; i = i + 1) {
        const Flake& f = Flakes[i];
        const Int32 right = f.x + f.size, bottom = f.y + f.size;
        if (partial && (right > width || bottom > height)) continue;
        gfx::Ellipse(target, f.x, f.y, right, bottom);
        composer_.noteFlake({f.x, f.y, right, bottom});
    }
}

void Animation::noteSizeChange() {
    sizeChangePending_ = true;
    lastSizeChange_ = platform().GetTickCount();
}

bool Animation::restartDue() const {
    return sizeChangePending_ && platform().GetTickCount() - lastSizeChange_ >= kSettleMs;
}

}  // namespace gm
