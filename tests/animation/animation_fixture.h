// Test doubles for the animation: a scripted random source, a show window on
// the headless platform whose timer runs the tick, flying-object strips whose
// pixels tell which picture and frame they come from, and an error handler
// that records the reports.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "animation/animation.h"
#include "common/allgemein.h"
#include "errors/trap.h"
#include "platform/headless/headless_platform.h"

namespace gm::test {

// Thrown by the random source when a test has seen enough draws.
struct EnoughDraws {};

// Yields queued values first, then a seeded generator; zz(lo, hi, v) queues
// the value that makes Zz(lo, hi) return v. With a limit it throws
// EnoughDraws at the draw after the limit, which ends an endless loop.
class ScriptedRandom final : public RandomSource {
  public:
    explicit ScriptedRandom(std::uint64_t seed = 1) : rest_(seed) { setRandomSource(this); }
    ~ScriptedRandom() override { setRandomSource(nullptr); }

    ScriptedRandom& r(Single v) {
        values_.push_back(v);
        return *this;
    }
    ScriptedRandom& zz(int lo, int hi, int v) {
        return r(static_cast<Single>((v - lo + 0.5) / (hi - lo + 1)));
    }
    ScriptedRandom& limit(int draws) {
        limit_ = draws;
        return *this;
    }
    Single next() override {
        if (limit_ >= 0 && drawn_ >= limit_) throw EnoughDraws{};
        ++drawn_;
        if (!values_.empty()) {
            const Single v = values_.front();
            values_.pop_front();
            return v;
        }
        return rest_.next();
    }
    int drawn() const { return drawn_; }
    std::size_t left() const { return values_.size(); }

  private:
    std::deque<Single> values_;
    Pcg32Source rest_;
    int limit_ = -1;
    int drawn_ = 0;
};

// The largest value below 1 the generator can give.
inline constexpr Single kAlmostOne = 16777215.0f / 16777216.0f;

// Errors reported through the trap, answered with `answer`.
struct ErrorReport {
    std::string module, proc;
    int number, line;
};
class ErrorRecorder {
  public:
    explicit ErrorRecorder(Int16 answer = 2) {
        answer_ = answer;
        reports().clear();
        previous_ = errorHandler();
        setErrorHandler(&record);
    }
    ~ErrorRecorder() { setErrorHandler(previous_); }
    static std::vector<ErrorReport>& reports() {
        static std::vector<ErrorReport> all;
        return all;
    }

  private:
    static Int16 record(const std::string& module, const std::string& proc) {
        reports().push_back({module, proc, Err().number, Err().line});
        return answer_;
    }
    static inline Int16 answer_ = 2;
    ErrorHandler previous_;
};

// Flying-object strips: sprite id n is filled with colour spriteColour(n)
// inside a figure box of every frame and black elsewhere; its mask is black
// in the figure box and white elsewhere. Column 1 of every sprite frame is
// marked with kMarker, so a mirrored strip shows where its columns went.
inline gfx::Colour spriteColour(int id) { return gfx::rgb(40 + id % 50, 200 - id % 100, 90); }
inline constexpr gfx::Colour kMarker = 0x00FF00;  // pure green in r + 256 g + 65536 b
struct Strip {
    int width, height, frameHeight;
};
inline Strip stripOf(int id) {
    return (id == 221 || id == 222) ? Strip{330, 200, 100} : Strip{80, 390, 65};
}
inline bool isMaskId(int id) { return (id >= 211 && id <= 215) || id == 222; }

class StripLoader {
  public:
    std::vector<int> loaded;
    BitmapLoader loader() {
        return [this](int id) { return make(id); };
    }
    gfx::Bitmap make(int id) {
        loaded.push_back(id);
        const Strip s = stripOf(id);
        const bool mask = isMaskId(id);
        gfx::Bitmap b(s.width, s.height, mask ? 0xFFFFFF : 0);
        for (int y = 0; y < s.height; ++y) {
            const int inFrame = y % s.frameHeight;
            if (inFrame < 5 || inFrame >= s.frameHeight - 5) continue;
            for (int x = 1; x < s.width - 1; ++x)
                b.row(y)[x] = mask ? 0 : gfx::toPixel(x == 1 ? kMarker : spriteColour(id));
        }
        return b;
    }
};

// The show window on the headless platform: its timer runs the tick of the
// animation attached to it.
class ShowWindow final : public WindowEvents, public ShowHost {
  public:
    explicit ShowWindow(HeadlessPlatform& p)
        : window_(p.createWindow(WindowKind::FullScreen, *this)) {}
    Animation* animation = nullptr;
    int ticks = 0;

    gfx::Surface& windowImage() override { return window_->image(); }
    int windowWidth() const override { return window_->width(); }
    int windowHeight() const override { return window_->height(); }
    void refreshWindow() override {
        window_->refresh();
        lastRefreshWasFull = true;
        refreshedAreas.clear();
    }
    void refreshWindowAreas(const ScreenArea* areas, int count) override {
        window_->refreshAreas(areas, count);
        lastRefreshWasFull = false;
        refreshedAreas.assign(areas, areas + count);
    }
    bool lastRefreshWasFull = false;
    std::vector<ScreenArea> refreshedAreas;
    void yieldEvents() override { platform().yield(); }
    void setTimerEnabled(bool enabled) override { window_->setTimer(interval, enabled); }
    void onTimer() override {
        ++ticks;
        if (beforeTick) beforeTick();
        if (animation) animation->tmrAnimation_Timer();
        if (afterTick) afterTick();
    }
    std::function<void()> beforeTick, afterTick;
    Window& window() { return *window_; }
    std::uint32_t interval = 40;

  private:
    std::unique_ptr<Window> window_;
};

// A show of the given size: surfaces sized as after a composition (picBG a
// mid grey, the sky strip a gradient), default settings, an animation
// attached to the window's timer.
struct Show {
    explicit Show(int width = 640, int height = 480, std::uint64_t startMs = 100000)
        : platform(width, height, startMs) {
        setPlatform(&platform);
        settings.maxFl = 110;
        settings.minFl = 55;
        settings.SpeedF = 6;
        settings.Size = 6;
        settings.SpeedS = 0.53f;
        settings.SpeedO = 6;
        settings.Speed = 5;
        settings.Date = 0;
        settings.Time = 0;
        settings.Snowman = 1;
        surfaces.picBG.setSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) surfaces.picBG.row(y)[x] = 0x606060;
        surfaces.picBuffer.setSize(width, height);
        const int skyW = static_cast<int>(width * 1.156), skyH = height / 4;
        surfaces.picHimmel.setSize(skyW, skyH);
        for (int y = 0; y < skyH; ++y)
            for (int x = 0; x < skyW; ++x)
                surfaces.picHimmel.row(y)[x] =
                    0x203040 + static_cast<std::uint32_t>((x * 255) / skyW);
        scene.skyTop = 0;
        scene.skyWidth = skyW;
        scene.skyHeight = skyH;
        anim.lastFlake = 60;
        anim.timerInterval = 40;
        window.animation = &anim;
    }
    ~Show() { setPlatform(nullptr); }

    // Seeds the flakes, places the objects and starts the timer, as the
    // window's resize handler does before the flake loop.
    void start() {
        anim.seedFlakes();
        anim.placeObjekte();
        window.setTimerEnabled(true);
    }

    HeadlessPlatform platform;
    ShowWindow window{platform};
    ShowSurfaces surfaces;
    SceneState scene;
    Settings settings;
    StripLoader strips;
    Animation anim{surfaces, scene, settings, window, strips.loader()};
};

}  // namespace gm::test
