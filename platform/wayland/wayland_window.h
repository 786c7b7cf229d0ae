// A window of the Wayland backend. The saver sees one window whose image
// holds every output side by side; on the compositor's side each output has
// a surface of its own (a pane) that shows its part of the image at the
// output's size and scale:
//   Overlay     the show: a layer-shell overlay on every output, anchored to
//               all edges, with the keyboard to itself
//   Background  the live wallpaper: the background layer, no input at all
//   FullScreen  the show where layer-shell is missing: a full-screen
//               xdg_toplevel on every output
//   Toplevel    --window: one ordinary resizable xdg_toplevel
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "platform/interval_timer.h"
#include "platform/platform.h"
#include "platform/wayland/shared_image.h"
#include "platform/wayland/wayland_display.h"

namespace gm::wl {

enum class Role { Overlay, Background, FullScreen, Toplevel };

class WaylandWindow : public Window {
  public:
    // outputName: the one output to cover (empty: all of them).
    WaylandWindow(Display& display, Role role, std::string outputName, WindowEvents& events);
    ~WaylandWindow() override;

    std::uintptr_t handle() const override { return reinterpret_cast<std::uintptr_t>(this); }
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    gfx::Surface& image() override { return image_; }
    void refresh() override;
    void refreshAreas(const ScreenArea* areas, int count) override;
    void show() override;
    // The compositor places our surfaces; the show's layer keeps it on top.
    bool keepOnTop(Stacking, bool) override { return true; }
    // Embedding into other programs' windows is X11's (the preview, /p).
    void embedInto(std::uintptr_t, int, int) override {}
    void setTimer(std::uint32_t intervalMs, bool enabled) override {
        timer_.set(intervalMs, enabled);
    }
    std::vector<MonitorArea> monitors() const override;

    // --- Called by the pump ----------------------------------------------------
    bool isOpen() const { return open_; }
    // Runs a waiting resize or change of the monitors, or else a due timer;
    // true when one ran.
    bool runPending(IntervalTimer::Clock::time_point now);
    bool hasPendingResize() const { return resizePending_ || monitorsPending_; }
    IntervalTimer::Clock::time_point timerDue() const {
        return open_ ? timer_.due() : IntervalTimer::Clock::time_point::max();
    }
    // Commits the panes whose next frame is due and whose picture changed.
    void present();
    // Panes for new outputs, none for outputs that went.
    void followOutputs();

  private:
    struct Pane;
    friend struct Pane;
    friend struct PaneEvents;

    void addPane(const Output* output);
    int freePlace(int width) const;
    void layOut();
    void keyboardMoved(const Pane* pane, bool focused);
    void yieldOverlay(bool yield);
    void close();

    Display& display_;
    Role role_;
    std::string outputName_;
    WindowEvents& events_;
    SharedImage memory_;                        // image_'s pixels
    std::vector<std::unique_ptr<Pane>> panes_;  // the primary output's first
    gfx::Surface image_;
    IntervalTimer timer_;
    bool open_ = true;
    bool showing_ = false;  // show() was called
    bool shown_ = false;    // and every pane has its size
    bool resizePending_ = false;
    bool monitorsPending_ = false;
    std::vector<MonitorArea> shownMonitors_;  // as the handlers last saw them
    const Pane* keyboardLeft_ = nullptr;      // the keyboard left this pane
    bool yielded_ = false;                    // the overlay stepped down for a locker
};

}  // namespace gm::wl
