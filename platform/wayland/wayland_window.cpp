#include "platform/wayland/wayland_window.h"

#include <linux/input-event-codes.h>

#include <algorithm>

#include "platform/keysyms.h"
#include "platform/wayland/layer_shell.h"
#include "platform/wayland/shm_presenter.h"
#include "viewporter-client-protocol.h"
#include "xdg_shell-client-protocol.h"

namespace gm::wl {
namespace {

constexpr char kTitle[] = "Glintmoor";
constexpr char kAppId[] = "glintmoor";
constexpr int kNormalWidth = 1024, kNormalHeight = 768;  // --window, in logical pixels
constexpr int kDpiPerScale = kDefaultDpi;                // a scale of 2 doubles the dots per inch

// Mouse buttons as the event handlers number them.
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;

}  // namespace

// One output's surface and the part of the window's image it shows.
struct WaylandWindow::Pane final : InputTarget {
    Pane(WaylandWindow& w, const Output* o)
        : window(w),
          output(o),
          surface(wl_compositor_create_surface(w.display_.compositor())),
          presenter(w.display_, surface) {}
    ~Pane() override;

    WaylandWindow& window;
    const Output* output;  // none for the --window toplevel
    wl_surface* surface;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wp_viewport* viewport = nullptr;
    ShmPresenter presenter;
    int logicalWidth = 0, logicalHeight = 0;  // as configured
    int pendingWidth = 0, pendingHeight = 0;  // toplevel: until xdg_surface.configure
    int scale = 1;
    bool configured = false;
    bool closed = false;  // by the compositor: the pane goes at the next layout
    ScreenArea area;      // in the window's image, in pixels
    bool placed = false;  // area.x is the pane's place

    int outputX() const { return output ? output->x : 0; }
    int outputY() const { return output ? output->y : 0; }

    // --- InputTarget: positions become the desktop's logical pixels ---------
    WindowEvents& events() { return window.events_; }
    bool movesCount() const { return window.role_ != Role::Toplevel; }
    void pointerEnter(std::uint32_t, double x, double y) override {
        window.yieldOverlay(false);
        // The pointer's arrival is no move of the user's: it only tells the
        // position, as the first move event on Windows does.
        if (movesCount()) events().onMouseMove(float(outputX() + x), float(outputY() + y));
    }
    void pointerMotion(double x, double y) override {
        window.yieldOverlay(false);
        if (movesCount()) events().onMouseMove(float(outputX() + x), float(outputY() + y));
    }
    void pointerButton(std::uint32_t button) override {
        switch (button) {
            case BTN_LEFT:
                events().onMouseDown(kLeftButton);
                break;
            case BTN_RIGHT:
                events().onMouseDown(kRightButton);
                break;
            default:
                events().onMouseDown(kMiddleButton);
                break;
        }
    }
    // A wheel step ends the show as a press of the wheel's button does.
    void pointerWheel() override { events().onMouseDown(kMiddleButton); }
    void touchDown(double, double) override { events().onMouseDown(kLeftButton); }
    void touchMotion(double x, double y) override { pointerMotion(x, y); }
    void keyboardFocus(bool focused) override { window.keyboardMoved(this, focused); }
    void keyDown(xkb_keysym_t sym, std::uint32_t character) override {
        events().onKeyDown(keyOf(sym));
        if (character > 0 && character < 256) events().onKeyPress(static_cast<int>(character));
    }
};

// The roles' C callbacks.
struct PaneEvents {
    using Pane = WaylandWindow::Pane;
    static Pane& of(void* data) { return *static_cast<Pane*>(data); }

    static void layerConfigure(void* data, zwlr_layer_surface_v1* s, std::uint32_t serial,
                               std::uint32_t width, std::uint32_t height) {
        zwlr_layer_surface_v1_ack_configure(s, serial);
        Pane& p = of(data);
        p.logicalWidth = static_cast<int>(width);
        p.logicalHeight = static_cast<int>(height);
        p.configured = true;
        p.window.layOut();
    }
    static void layerClosed(void* data, zwlr_layer_surface_v1*) {
        of(data).closed = true;
        of(data).window.layOut();
    }
    static void xdgConfigure(void* data, xdg_surface* s, std::uint32_t serial) {
        xdg_surface_ack_configure(s, serial);
        Pane& p = of(data);
        p.logicalWidth = p.pendingWidth;
        p.logicalHeight = p.pendingHeight;
        p.configured = true;
        p.window.layOut();
    }
    // A size of 0 leaves it to us: the output's, or the window's own.
    static void toplevelConfigure(void* data, xdg_toplevel*, std::int32_t width,
                                  std::int32_t height, wl_array*) {
        Pane& p = of(data);
        if (width > 0 && height > 0) {
            p.pendingWidth = width;
            p.pendingHeight = height;
        } else if (p.output) {
            p.pendingWidth = p.output->width;
            p.pendingHeight = p.output->height;
        } else if (p.pendingWidth == 0) {
            p.pendingWidth = kNormalWidth;
            p.pendingHeight = kNormalHeight;
        }
    }
    static void toplevelClose(void* data, xdg_toplevel*) { of(data).window.close(); }
    // The --window toplevel takes the scale of the output it is on.
    static void surfaceEnter(void* data, wl_surface*, wl_output* output) {
        Pane& p = of(data);
        const Output* o = p.window.display_.outputOf(output);
        if (!p.output && o && o->scale != p.scale) {
            p.scale = o->scale;
            p.window.layOut();
        }
    }
    static void surfaceLeave(void*, wl_surface*, wl_output*) {}
};

namespace {
const zwlr_layer_surface_v1_listener kLayerListener = {PaneEvents::layerConfigure,
                                                       PaneEvents::layerClosed};
const xdg_surface_listener kXdgSurfaceListener = {PaneEvents::xdgConfigure};
// Bound at version 1: the later events do not come.
const xdg_toplevel_listener kToplevelListener = {PaneEvents::toplevelConfigure,
                                                 PaneEvents::toplevelClose, nullptr, nullptr};
const wl_surface_listener kSurfaceListener = {PaneEvents::surfaceEnter, PaneEvents::surfaceLeave};
}  // namespace

WaylandWindow::Pane::~Pane() {
    window.display_.setTarget(surface, nullptr);
    if (viewport) wp_viewport_destroy(viewport);
    if (layerSurface) zwlr_layer_surface_v1_destroy(layerSurface);
    if (toplevel) xdg_toplevel_destroy(toplevel);
    if (xdgSurface) xdg_surface_destroy(xdgSurface);
    wl_surface_destroy(surface);
}

WaylandWindow::WaylandWindow(Display& display, Role role, std::string outputName,
                             WindowEvents& events)
    : display_(display),
      role_(role),
      outputName_(std::move(outputName)),
      events_(events),
      memory_(display.shm()) {
    image_.backColor = 0;
    if (role_ == Role::Toplevel)
        addPane(nullptr);
    else
        followOutputs();
    layOut();
}

WaylandWindow::~WaylandWindow() {
    panes_.clear();
    wl_display_flush(display_.display());
}

void WaylandWindow::addPane(const Output* output) {
    auto pane = std::make_unique<Pane>(*this, output);
    Pane& p = *pane;
    wl_surface_add_listener(p.surface, &kSurfaceListener, &p);
    if (output) {
        p.scale = output->scale;
        p.logicalWidth = output->width;
        p.logicalHeight = output->height;
    } else {
        p.logicalWidth = kNormalWidth;
        p.logicalHeight = kNormalHeight;
    }
    if (display_.viewporter())
        p.viewport = wp_viewporter_get_viewport(display_.viewporter(), p.surface);
    if (role_ == Role::Overlay || role_ == Role::Background) {
        const bool overlay = role_ == Role::Overlay;
        p.layerSurface = zwlr_layer_shell_v1_get_layer_surface(
            display_.layerShell(), p.surface, output->output,
            overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
            overlay ? "glintmoor" : "glintmoor-wallpaper");
        zwlr_layer_surface_v1_set_anchor(p.layerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                             ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                             ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                             ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over panels too, not pushed aside by them.
        zwlr_layer_surface_v1_set_exclusive_zone(p.layerSurface, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(p.layerSurface, overlay ? 1 : 0);
        zwlr_layer_surface_v1_add_listener(p.layerSurface, &kLayerListener, &p);
    } else {
        p.xdgSurface = xdg_wm_base_get_xdg_surface(display_.wmBase(), p.surface);
        xdg_surface_add_listener(p.xdgSurface, &kXdgSurfaceListener, &p);
        p.toplevel = xdg_surface_get_toplevel(p.xdgSurface);
        xdg_toplevel_add_listener(p.toplevel, &kToplevelListener, &p);
        xdg_toplevel_set_title(p.toplevel, kTitle);
        xdg_toplevel_set_app_id(p.toplevel, kAppId);
        if (output) xdg_toplevel_set_fullscreen(p.toplevel, output->output);
    }
    wl_region* none = wl_compositor_create_region(display_.compositor());
    if (role_ == Role::Background) wl_surface_set_input_region(p.surface, none);
    wl_region_destroy(none);
    if (role_ != Role::Background) display_.setTarget(p.surface, &p);
    // The first commit, without a picture, asks for the size.
    wl_surface_commit(p.surface);
    panes_.push_back(std::move(pane));
}

void WaylandWindow::followOutputs() {
    if (role_ == Role::Toplevel || !open_) return;
    const std::vector<const Output*> outputs = display_.outputs();
    const auto present = [&](const Output* o) {
        return std::find(outputs.begin(), outputs.end(), o) != outputs.end();
    };
    for (auto& p : panes_)
        if (!present(p->output)) p->closed = true;
    for (const Output* o : outputs) {
        if (!outputName_.empty() && o->name != outputName_) continue;
        const bool covered = std::any_of(panes_.begin(), panes_.end(),
                                         [&](const auto& p) { return p->output == o; });
        if (!covered) addPane(o);
    }
    // The panes in the order of the outputs: the first announced leads.
    std::stable_sort(panes_.begin(), panes_.end(), [&](const auto& a, const auto& b) {
        const auto at = [&](const Output* o) {
            return std::find(outputs.begin(), outputs.end(), o) - outputs.begin();
        };
        return at(a->output) < at(b->output);
    });
    layOut();
}

// The x where a pane `width` pixels wide fits beside the placed panes: the
// first gap wide enough, from the left.
int WaylandWindow::freePlace(int width) const {
    std::vector<int> starts{0};
    for (const auto& p : panes_)
        if (p->placed) starts.push_back(p->area.x + p->area.width);
    std::sort(starts.begin(), starts.end());
    for (const int x : starts) {
        const bool free = std::none_of(panes_.begin(), panes_.end(), [&](const auto& p) {
            return p->placed && x < p->area.x + p->area.width && p->area.x < x + width;
        });
        if (free) return x;
    }
    return starts.back();
}

// The panes side by side in the window's image, each at its size in buffer
// pixels. A pane keeps its place while its size stays, so that an output
// that comes, goes or changes leaves the others' pictures where they are; a
// new or resized pane takes the first gap that fits. Once shown, a change
// of the monitors raises the monitors' handler (the toplevel's size: the
// resize handler).
void WaylandWindow::layOut() {
    std::erase_if(panes_, [](const auto& p) { return p->closed; });
    for (auto& p : panes_) {
        if (p->output) p->scale = p->output->scale;
        const int w = std::max(p->logicalWidth, 1) * p->scale;
        const int h = std::max(p->logicalHeight, 1) * p->scale;
        if (p->area.width != w || p->area.height != h) p->placed = false;
        p->area.width = w;
        p->area.height = h;
    }
    int width = 0, height = 0;
    for (auto& p : panes_) {
        if (!p->placed) p->area.x = freePlace(p->area.width);
        p->placed = true;
        width = std::max(width, p->area.x + p->area.width);
        height = std::max(height, p->area.height);
        const int w = p->area.width, h = p->area.height;
        if (p->configured && (p->presenter.width() != w || p->presenter.height() != h)) {
            p->presenter.setSize(w, h);
            if (p->viewport)
                wp_viewport_set_destination(p->viewport, p->logicalWidth, p->logicalHeight);
            else
                wl_surface_set_buffer_scale(p->surface, p->scale);
            wl_region* opaque = wl_compositor_create_region(display_.compositor());
            wl_region_add(opaque, 0, 0, p->logicalWidth, p->logicalHeight);
            wl_surface_set_opaque_region(p->surface, opaque);
            wl_region_destroy(opaque);
        }
    }
    const bool resized = width != image_.width() || height != image_.height();
    if (resized) memory_.resize(image_, width, height);
    for (auto& p : panes_) p->presenter.showFrom(&memory_, p->area);
    const bool ready = !panes_.empty() && std::all_of(panes_.begin(), panes_.end(),
                                                      [](const auto& p) { return p->configured; });
    if (showing_ && ready && !shown_) {
        shown_ = true;
        resizePending_ = true;  // the first showing raises the resize handler
        shownMonitors_ = monitors();
    } else if (shown_ && role_ == Role::Toplevel) {
        resizePending_ = resizePending_ || resized;
    } else if (shown_ && monitors() != shownMonitors_) {
        shownMonitors_ = monitors();
        monitorsPending_ = true;
    }
    if (shown_) refresh();
}

std::vector<MonitorArea> WaylandWindow::monitors() const {
    std::vector<MonitorArea> monitors;
    for (const auto& p : panes_) monitors.push_back({p->area, kDpiPerScale * p->scale});
    if (monitors.empty()) monitors.push_back({{0, 0, width(), height()}, kDefaultDpi});
    return monitors;
}

void WaylandWindow::show() {
    showing_ = true;
    layOut();
}

void WaylandWindow::refresh() {
    if (!shown_) return;
    for (auto& p : panes_) p->presenter.damageAll();
    present();
}

void WaylandWindow::refreshAreas(const ScreenArea* areas, int count) {
    if (!shown_) return;
    for (auto& p : panes_) {
        const ScreenArea& pa = p->area;
        for (int i = 0; i < count; ++i) {
            const ScreenArea& a = areas[i];
            const int x0 = std::max(a.x, pa.x), y0 = std::max(a.y, pa.y);
            const int x1 = std::min(a.x + a.width, pa.x + pa.width);
            const int y1 = std::min(a.y + a.height, pa.y + pa.height);
            if (x1 > x0 && y1 > y0) p->presenter.damage({x0 - pa.x, y0 - pa.y, x1 - x0, y1 - y0});
        }
    }
    present();
}

void WaylandWindow::present() {
    if (keyboardLeft_) yieldOverlay(true);
    if (!shown_) return;
    for (auto& p : panes_)
        if (p->configured) p->presenter.present(image_, p->area.x, p->area.y);
    // All panes commit before any waits for its release: the waits overlap.
    for (auto& p : panes_)
        if (p->configured) p->presenter.awaitRelease(image_, p->area.x, p->area.y);
}

// A client that takes the keyboard from the show's overlay is a screen
// locker (its input inhibitor) or as urgent: the show steps down to the top
// layer and lets the keyboard go, so that the locker is seen and gets the
// keys. sway 1.7 stacks a later overlay below an earlier one and hands the
// keyboard straight back to an exclusive one: a leave answered by an enter
// of the same pane is that, while a leave and an enter of another pane is
// the keyboard moving between our outputs. Input that reaches the show
// again (the pointer: the locker has gone) takes the overlay back.
void WaylandWindow::keyboardMoved(const Pane* pane, bool focused) {
    if (role_ != Role::Overlay) return;
    if (!focused) {
        keyboardLeft_ = pane;
    } else if (pane != keyboardLeft_) {
        keyboardLeft_ = nullptr;
    }
}

void WaylandWindow::yieldOverlay(bool yield) {
    keyboardLeft_ = nullptr;
    if (yield == yielded_) return;
    yielded_ = yield;
    for (auto& p : panes_) {
        zwlr_layer_surface_v1_set_layer(p->layerSurface, yield ? ZWLR_LAYER_SHELL_V1_LAYER_TOP
                                                               : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY);
        zwlr_layer_surface_v1_set_keyboard_interactivity(p->layerSurface, yield ? 0 : 1);
        wl_surface_commit(p->surface);
    }
}

bool WaylandWindow::runPending(IntervalTimer::Clock::time_point now) {
    if (resizePending_) {
        resizePending_ = false;
        monitorsPending_ = false;  // the resize handler sees the monitors as they are
        events_.onResize();
        return true;
    }
    if (monitorsPending_) {
        monitorsPending_ = false;
        events_.onMonitorsChanged();
        return true;
    }
    if (open_ && timer_.take(now)) {
        events_.onTimer();
        return true;
    }
    return false;
}

void WaylandWindow::close() {
    events_.onUnload();
    if (!open_) return;
    open_ = false;
    panes_.clear();
    events_.onTerminate();
}

}  // namespace gm::wl
