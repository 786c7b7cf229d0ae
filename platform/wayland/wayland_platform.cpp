// The Wayland backend: the show's panes on the compositor's outputs, the
// event pump over the connection, and Linux stand-ins for the Windows
// system calls (as on X11: no system flags, no password functions, no
// foreign windows; those modes run on X11).
#include "platform/wayland/wayland_platform.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/posix_platform.h"
#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_window.h"

namespace gm {
namespace {

using wl::WaylandWindow;

class WaylandPlatform final : public PosixPlatform {
  public:
    WaylandPlatform(std::unique_ptr<wl::Display> display, wl::Role showRole,
                    const WaylandOptions& options, SettingsStore& store)
        : display_(std::move(display)), showRole_(showRole), options_(options), store_(store) {
        watched_ = posix::watchConnection(wl_display_get_fd(display_->display()));
        display_->outputsChanged = [this] {
            for (WaylandWindow* w : windows_) w->followOutputs();
        };
    }

    int ShowCursor(bool show) override {
        cursorCount_ += show ? 1 : -1;
        display_->setCursorHidden(cursorCount_ < 0);
        return cursorCount_;
    }
    void Beep() override {}  // Wayland has no bell for clients
    // Windows of other clients are not ours to see on Wayland.
    bool GetClientRect(std::uintptr_t, int& width, int& height) override {
        width = height = 0;
        return false;
    }

    void yield() override {
        if (posix::terminationRequested()) exitProcess(0);
        if (!watched_ || posix::connectionSpoke()) display_->dispatchPending();
        checkConnection();
        const auto now = IntervalTimer::Clock::now();
        // By index: a handler may create or destroy windows.
        for (std::size_t i = 0; i < windows_.size(); ++i) windows_[i]->runPending(now);
        for (WaylandWindow* w : windows_) w->present();
        wl_display_flush(display_->display());
    }

    void wait() override {
        if (posix::terminationRequested()) return;
        auto due = IntervalTimer::Clock::time_point::max();
        for (WaylandWindow* w : windows_) {
            if (w->hasPendingResize()) return;
            due = std::min(due, w->timerDue());
        }
        int timeoutMs = -1;
        if (due != IntervalTimer::Clock::time_point::max()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(due - IntervalTimer::Clock::now());
            timeoutMs = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
        }
        display_->waitAndDispatch(timeoutMs, posix::terminationFd());
        checkConnection();
    }

    void run() override {
        while (std::any_of(windows_.begin(), windows_.end(),
                           [](WaylandWindow* w) { return w->isOpen(); })) {
            wait();
            yield();
        }
    }

    std::unique_ptr<Window> createWindow(WindowKind kind, WindowEvents& events) override {
        const wl::Role role = kind == WindowKind::FullScreen ? showRole_ : wl::Role::Toplevel;
        auto w = std::make_unique<Window_>(*this, *display_, role, options_.outputName, events);
        windows_.push_back(w.get());
        return w;
    }

    SettingsStore& settingsStore() override { return store_; }

  private:
    // A window that leaves the pump's list when it goes.
    struct Window_ final : WaylandWindow {
        Window_(WaylandPlatform& p, wl::Display& d, wl::Role role, const std::string& output,
                WindowEvents& events)
            : WaylandWindow(d, role, output, events), platform(p) {}
        ~Window_() override { std::erase(platform.windows_, this); }
        WaylandPlatform& platform;
    };

    // Without its compositor the show has nowhere to be.
    void checkConnection() {
        if (display_->connected()) return;
        std::fputs("glintmoor: the connection to the Wayland compositor broke\n", stderr);
        exitProcess(1);
    }

    std::unique_ptr<wl::Display> display_;
    wl::Role showRole_;
    WaylandOptions options_;
    SettingsStore& store_;
    std::vector<WaylandWindow*> windows_;
    int cursorCount_ = 0;
    bool watched_ = false;  // the socket raises SIGIO when the compositor sends
};

// The role the show's window takes on this compositor, or why there is none.
std::optional<wl::Role> showRole(const wl::Display& d, WaylandOptions::Target target,
                                 std::string& why) {
    if (!d.compositor() || !d.shm()) {
        why = "the Wayland compositor offers no shared-memory surfaces";
        return std::nullopt;
    }
    switch (target) {
        case WaylandOptions::Target::FullScreen:
            if (d.layerShell()) return wl::Role::Overlay;
            if (d.wmBase()) {
                std::fputs(
                    "glintmoor: the compositor has no layer shell (zwlr_layer_shell_v1): the show "
                    "runs as a full-screen window on each output, which panels and other windows "
                    "may cover\n",
                    stderr);
                return wl::Role::FullScreen;
            }
            why =
                "the Wayland compositor offers neither the layer shell (zwlr_layer_shell_v1) "
                "nor xdg-shell: there is no way to show a window";
            return std::nullopt;
        case WaylandOptions::Target::Normal:
            if (d.wmBase()) return wl::Role::Toplevel;
            why = "the Wayland compositor offers no xdg-shell (xdg_wm_base) for a window";
            return std::nullopt;
        case WaylandOptions::Target::Wallpaper:
            if (d.layerShell()) return wl::Role::Background;
            why =
                "a wallpaper needs the layer shell (zwlr_layer_shell_v1), which this Wayland "
                "compositor does not offer";
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::unique_ptr<Platform> makeWaylandPlatform(const WaylandOptions& options, SettingsStore& store,
                                              std::string& why) {
    std::unique_ptr<wl::Display> display = wl::Display::connect();
    if (!display) {
        why = "cannot connect to a Wayland compositor (WAYLAND_DISPLAY, WAYLAND_SOCKET)";
        return nullptr;
    }
    const std::optional<wl::Role> role = showRole(*display, options.target, why);
    if (!role) return nullptr;
    posix::watchTermination();
    return std::make_unique<WaylandPlatform>(std::move(display), *role, options, store);
}

}  // namespace gm
