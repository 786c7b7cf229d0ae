// A window of the X11 backend. It is either a window of our own (the
// full-screen show, the --window try-out, the preview) or a foreign window
// we draw into (-window-id, -root). X events become WindowEvents calls.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <memory>
#include <vector>

#include "gfx/surface.h"
#include "platform/platform.h"
#include "platform/x11/x11_image.h"

namespace gm::x11 {

using Clock = std::chrono::steady_clock;

// What the windows of one connection share. The platform and its windows
// hold it together: windows that outlive the platform object at the end of
// the program still find their display.
struct X11Context {
    explicit X11Context(Display* d) : display(d) {}
    ~X11Context();
    X11Context(const X11Context&) = delete;
    X11Context& operator=(const X11Context&) = delete;

    Display* display;
    int screen = 0;
    bool windowManager = false;  // a EWMH window manager runs
    bool shm = false;            // the server offers MIT-SHM
    Cursor invisibleCursor = None;
    bool cursorHidden = false;
    std::vector<class X11Window*> windows;  // every live window, for dispatch
    std::map<::Window, ::Window> hosts;     // host -> our window embedded in it
};

class X11Window final : public Window {
  public:
    enum class Target {
        FullScreen,  // our own borderless window over the screen
        Normal,      // our own 1024 x 768 window with decorations
        Preview,     // our own window, to be embedded into a host
        Foreign,     // a window of another client (-window-id, -root)
    };

    X11Window(std::shared_ptr<X11Context> context, Target target, ::Window foreign,
              WindowEvents& events);
    ~X11Window() override;

    std::uintptr_t handle() const override { return xid_; }
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    gfx::Surface& image() override { return surface_; }
    void refresh() override;
    void refreshAreas(const ScreenArea* areas, int count) override;
    void show() override;
    bool keepOnTop(Stacking stacking, bool activate) override;
    void embedInto(std::uintptr_t host, int width, int height) override;
    void setTimer(std::uint32_t intervalMs, bool enabled) override;
    std::vector<MonitorArea> monitors() const override;

    ::Window xid() const { return xid_; }
    bool isOpen() const { return open_; }
    // Shows or hides the pointer over our own windows.
    void applyCursor();

    // Called by the pump.
    void handleEvent(XEvent& event);
    // Runs a waiting resize or else a due timer; true when either ran.
    bool runPending(Clock::time_point now);
    bool hasPendingResize() const { return resizePending_; }
    // When the timer is due next (time_point::max() when it is off).
    Clock::time_point timerDue() const;

  private:
    void followSize(int width, int height);
    void markShown();
    void onButton(const XButtonEvent& e);
    void onKey(XKeyEvent& e);
    void close();

    std::shared_ptr<X11Context> context_;
    Target target_;
    WindowEvents& events_;
    bool overrideRedirect_ = false;  // placed by us, not by a window manager
    ::Window xid_ = 0;
    GC gc_ = nullptr;
    X11Image image_;
    gfx::Surface surface_;
    bool open_ = true;
    bool shown_ = false;
    bool resizePending_ = false;
    std::chrono::milliseconds interval_{0};
    bool timerOn_ = false;
    Clock::time_point nextTick_{};
    Time lastPress_ = 0;  // of the left button, for double clicks
};

}  // namespace gm::x11
