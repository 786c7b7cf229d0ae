// The monitors of the full-screen show. The window covers the whole screen,
// every monitor; the primary monitor shows the show of a one-monitor
// machine, and every other monitor a landscape of its own.
#pragma once

#include <cstdint>
#include <optional>

#include "animation/animation.h"
#include "basic/numeric.h"
#include "common/allgemein.h"
#include "common/show_host.h"
#include "gfx/surface.h"
#include "platform/platform.h"

namespace gm {

// One monitor's show: the surfaces, the scene state, the flakes and flying
// objects, and the generator it draws from. The window owns the primary's;
// every other monitor owns its own.
struct MonitorShow {
    // `index` 0 is the primary, which draws from the process's generator;
    // the others (1, 2, ... in the order the system lists the monitors)
    // draw from a generator of their own, seeded from the process's seed
    // and the index, so that the primary's draws stay those of a
    // one-monitor show.
    MonitorShow(ShowHost& host, int index);
    MonitorShow(const MonitorShow&) = delete;
    MonitorShow& operator=(const MonitorShow&) = delete;

    ShowHost& host;  // the monitor's part of the window
    ShowSurfaces surfaces;
    SceneState scene;
    Animation animation;  // the flakes and the flying objects
    std::optional<Pcg32Source> random;
};

// Zz, ZzR and Rnd draw from the show's generator while this lives.
class DrawingFor {
  public:
    explicit DrawingFor(MonitorShow& show);

  private:
    std::optional<UsingRandomSource> own_;
};

// The seed of monitor `index`'s generator.
std::uint64_t monitorSeed(std::uint64_t processSeed, int index);

// One monitor's part of a window's image as a surface of its own, so that
// what draws on it stays inside the monitor. It follows the window's image
// when that is made anew (a size change), clipped to what is left of it.
class MonitorView {
  public:
    // `whole`: the view is the whole image, whatever its size.
    MonitorView(Window& window, ScreenArea area, bool whole);

    gfx::Surface& image();
    // The area as it is now in the window's image.
    ScreenArea area();
    // Shows the view's part of the window's image, or the given areas of it
    // (in the view's coordinates).
    void refresh();
    void refreshAreas(const ScreenArea* areas, int count);

  private:
    void follow();

    Window& window_;
    ScreenArea wanted_;
    bool whole_;
    ScreenArea area_;
    const std::uint32_t* base_ = nullptr;
    int baseWidth_ = -1, baseHeight_ = -1;
    gfx::Surface view_;
};

// A monitor other than the primary: its part of the window and its show.
class OtherMonitor final : public ShowHost {
  public:
    OtherMonitor(Window& window, const MonitorArea& monitor, int index);

    MonitorShow show;
    // The monitor as the window told it when this was made.
    const MonitorArea& monitor() const { return monitor_; }

    // --- ShowHost -------------------------------------------------------------
    gfx::Surface& windowImage() override { return view_.image(); }
    int windowWidth() const override { return view_.area().width; }
    int windowHeight() const override { return view_.area().height; }
    void refreshWindow() override { view_.refresh(); }
    void refreshWindowAreas(const ScreenArea* areas, int count) override {
        view_.refreshAreas(areas, count);
    }
    void yieldEvents() override { platform().yield(); }
    // The window's one timer belongs to the primary's show; its ticks
    // animate this monitor too.
    void setTimerEnabled(bool) override {}
    int screenDpi() const override { return dpi_; }

  private:
    MonitorArea monitor_;
    mutable MonitorView view_;
    int dpi_;
};

}  // namespace gm
