#include "saver/show_parts.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "common/settings.h"
#include "gfx/bitmap_resource.h"
#include "gfx/text.h"
#include "platform/text/system_text.h"
#include "scene/scene.h"

namespace gm {
namespace {

ShowParts* gParts = nullptr;

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

}  // namespace

// A landscape in the shape and at the resolution of the show's monitor.
void SceneParts::BuildBG(MonitorShow& show) {
    Scene scene(show.surfaces, show.scene, settings(), show.host, &gfx::LoadBitmapResource);
    scene.canvas =
        canvasFor(show.host.windowWidth(), show.host.windowHeight(), settings().Classic != 0);
    // Pictures at the canvas's scale come again in the next landscape and
    // are kept; one painted at a height of its own (a tree, a band of
    // hills) is this landscape's alone.
    scene.loadScaled = [k = scene.canvas.ky()](int id, int frame, double sx, double sy) {
        return sy == k ? gfx::LoadScaledFrame(id, frame, sx, sy)
                       : gfx::PaintScaledFrame(id, frame, sx, sy);
    };
    scene.BuildBG();
}

void SceneAndAnimation::tmrAnimation_Timer(MonitorShow& show) {
    if (std::FILE* log = tickLog()) {
        loggedTick(show.animation, log);
    } else {
        show.animation.tmrAnimation_Timer();
    }
}

void SceneAndAnimation::tickMonitor(MonitorShow& show) {
    show.animation.tmrAnimation_Timer();
    show.animation.moveFlakesOnce();
}

void setShowParts(ShowParts* parts) { gParts = parts; }

ShowParts& showParts() {
    static ShowParts none;
    return gParts ? *gParts : none;
}

void installShowParts(ShowParts& parts) {
    gfx::setTextRenderer(&gfx::systemTextRenderer());
    setShowParts(&parts);
}

void installShowParts() {
    static SceneAndAnimation program;
    installShowParts(program);
}

}  // namespace gm
