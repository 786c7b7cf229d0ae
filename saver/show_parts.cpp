#include "saver/show_parts.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "animation/animation.h"
#include "common/settings.h"
#include "gfx/bitmap_resource.h"
#include "gfx/text.h"
#include "platform/text/system_text.h"
#include "scene/scene.h"

namespace gm {
namespace {

gfx::Bitmap loadPicture(int id) {
    const ShowParts& parts = showParts();
    return parts.LoadBitmapResource ? parts.LoadBitmapResource(id) : gfx::LoadBitmapResource(id);
}

// With GLINTMOOR_TICK_LOG naming a file, every tick appends a line with its
// start and its duration in microseconds (steady clock), flushed at once, so
// that tools/bench-show.sh can measure the gaps between ticks of the real
// show; the process may end at any moment.
std::FILE* tickLog() {
    static std::FILE* log = [] {
        const char* path = std::getenv("GLINTMOOR_TICK_LOG");
        return path ? std::fopen(path, "w") : nullptr;
    }();
    return log;
}

void loggedTick(Animation& a, std::FILE* log) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    a.tmrAnimation_Timer();
    const auto us = [](Clock::duration d) {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::microseconds>(d).count());
    };
    std::fprintf(log, "%lld %lld\n", us(start.time_since_epoch()), us(Clock::now() - start));
    std::fflush(log);
}

// A landscape for the show on `host`, in the shape and at the resolution
// of its monitor.
void buildLandscape(ShowSurfaces& surfaces, SceneState& state, ShowHost& host) {
    Scene scene(surfaces, state, settings(), host, &gfx::LoadBitmapResource);
    scene.canvas = canvasFor(host.windowWidth(), host.windowHeight(), settings().Classic != 0);
    scene.loadScaled = &gfx::LoadScaledBitmap;
    scene.BuildBG();
}

}  // namespace

void installScene(ShowParts& parts) {
    parts.BuildBG = [](FrmMain& form) { buildLandscape(form.surfaces, form.scene, form); };
    parts.BuildMonitorBG = [](MonitorShow& m) { buildLandscape(m.surfaces, m.scene, m); };
}

void installShowParts() {
    ShowParts parts;
    installScene(parts);
    installAnimation(parts);
    setShowParts(std::move(parts));
}

Animation& animationOf(FrmMain& window) {
    if (!window.animation) {
        auto a = std::make_shared<Animation>(window.surfaces, window.scene, settings(), window,
                                             &loadPicture);
        // Form_Load gave object 21 its first height.
        a->Objekte[21].y = window.objekt21Y;
        window.animation = std::move(a);
    }
    return *static_cast<Animation*>(window.animation.get());
}

Animation& animationOf(MonitorShow& monitor) {
    if (!monitor.animation)
        monitor.animation = std::make_shared<Animation>(monitor.surfaces, monitor.scene, settings(),
                                                        monitor, &loadPicture);
    return *static_cast<Animation*>(monitor.animation.get());
}

void installAnimation(ShowParts& parts) {
    // The date and time line is printed in the platform's fonts.
    gfx::setTextRenderer(&gfx::systemTextRenderer());
    parts.seedFlakes = [](FrmMain& w) {
        Animation& a = animationOf(w);
        // Fixed by Form_Load: the flake count and the timer's period.
        a.lastFlake = w.lastFlake;
        a.timerInterval = w.tmrInterval;
        a.seedFlakes();
    };
    parts.placeObjekte = [](FrmMain& w) { animationOf(w).placeObjekte(); };
    parts.moveFlakes = [](FrmMain& w) { animationOf(w).moveFlakes(); };
    parts.noteSizeChange = [](FrmMain& w) { animationOf(w).noteSizeChange(); };
    // The other monitors move their flakes one pass per tick, right after
    // drawing them: the flake loop that yields is the primary's alone.
    parts.startMonitorAnimation = [](MonitorShow& m) {
        Animation& a = animationOf(m);
        a.lastFlake = m.lastFlake;
        a.timerInterval = m.tmrInterval;
        a.seedFlakes();
        a.placeObjekte();
    };
    parts.tickMonitor = [](MonitorShow& m) {
        Animation& a = animationOf(m);
        a.tmrAnimation_Timer();
        a.moveFlakesOnce();
    };
    if (std::FILE* log = tickLog()) {
        parts.tmrAnimation_Timer = [log](FrmMain& w) { loggedTick(animationOf(w), log); };
    } else {
        parts.tmrAnimation_Timer = [](FrmMain& w) { animationOf(w).tmrAnimation_Timer(); };
    }
}

}  // namespace gm
