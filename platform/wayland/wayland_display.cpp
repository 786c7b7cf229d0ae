#include "platform/wayland/wayland_display.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "ext_idle_notify-client-protocol.h"
#include "kde_idle-client-protocol.h"
#include "platform/wayland/layer_shell.h"
#include "platform/wayland/wayland_listeners.h"
#include "viewporter-client-protocol.h"
#include "xdg_output-client-protocol.h"
#include "xdg_shell-client-protocol.h"

namespace gm::wl {

// --- Registry and outputs ------------------------------------------------------

void Listeners::registryGlobal(void* data, wl_registry* registry, std::uint32_t name,
                               const char* interface, std::uint32_t version) {
    static_cast<Display*>(data)->global(registry, name, interface, version);
}

void Listeners::registryGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    static_cast<Display*>(data)->globalRemove(name);
}

void Listeners::wmBasePing(void*, xdg_wm_base* base, std::uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}

void Listeners::outputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {
}

// The current mode gives the size until xdg-output tells the logical one.
void Listeners::outputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                           std::int32_t height, std::int32_t) {
    auto* o = static_cast<Output*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) && o->width == 0) {
        o->width = width / std::max(o->scale, 1);
        o->height = height / std::max(o->scale, 1);
    }
}

void Listeners::outputScale(void* data, wl_output*, std::int32_t factor) {
    static_cast<Output*>(data)->scale = std::max(factor, 1);
}

void Listeners::outputName(void* data, wl_output*, const char* name) {
    static_cast<Output*>(data)->name = name;
}

void Listeners::outputDescription(void*, wl_output*, const char*) {}

void Listeners::xdgOutputPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto* o = static_cast<Output*>(data);
    o->x = x;
    o->y = y;
}

void Listeners::xdgOutputSize(void* data, zxdg_output_v1*, std::int32_t width,
                              std::int32_t height) {
    auto* o = static_cast<Output*>(data);
    o->width = width;
    o->height = height;
}

void Listeners::xdgOutputName(void* data, zxdg_output_v1*, const char* name) {
    static_cast<Output*>(data)->name = name;
}

void Listeners::xdgOutputDescription(void*, zxdg_output_v1*, const char*) {}
void Listeners::xdgOutputDone(void*, zxdg_output_v1*) {}

// wl_output.done closes a description (xdg-output v3 sends its events
// before it).
void Listeners::outputDone(void* data, wl_output*) {
    auto* o = static_cast<Output*>(data);
    o->described = true;
    if (o->owner->outputsChanged) o->owner->outputsChanged();
}

namespace {
const wl_registry_listener kRegistryListener = {Listeners::registryGlobal,
                                                Listeners::registryGlobalRemove};
const xdg_wm_base_listener kWmBaseListener = {Listeners::wmBasePing};
const wl_output_listener kOutputListener = {
    Listeners::outputGeometry, Listeners::outputMode, Listeners::outputDone,
    Listeners::outputScale,    Listeners::outputName, Listeners::outputDescription};
const zxdg_output_v1_listener kXdgOutputListener = {
    Listeners::xdgOutputPosition, Listeners::xdgOutputSize, Listeners::xdgOutputDone,
    Listeners::xdgOutputName, Listeners::xdgOutputDescription};

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}
}  // namespace

Display::Display(wl_display* display)
    : display_(display), xkb_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
}

std::unique_ptr<Display> Display::connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return nullptr;
    std::unique_ptr<Display> d(new Display(display));
    d->roundtrip();  // the globals
    d->roundtrip();  // the outputs' descriptions, the seat's capabilities
    d->roundtrip();  // the keymap
    return d;
}

Display::~Display() {
    if (keyState_) xkb_state_unref(keyState_);
    if (keymap_) xkb_keymap_unref(keymap_);
    xkb_context_unref(xkb_);
    wl_display_disconnect(display_);
}

void Display::global(wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
    const std::string_view i = interface;
    if (i == wl_compositor_interface.name) {
        compositorVersion_ = std::min<std::uint32_t>(version, 4);
        compositor_ = bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
    } else if (i == wl_shm_interface.name) {
        shm_ = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
    } else if (i == wp_viewporter_interface.name) {
        viewporter_ = bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
    } else if (i == xdg_wm_base_interface.name) {
        wmBase_ = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(wmBase_, &kWmBaseListener, this);
    } else if (i == zwlr_layer_shell_v1_interface.name) {
        layerShell_ =
            bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 3);
    } else if (i == zxdg_output_manager_v1_interface.name) {
        outputManager_ = bind<zxdg_output_manager_v1>(registry, name,
                                                      zxdg_output_manager_v1_interface, version, 3);
        for (auto& o : outputs_) describeOutput(*o);
    } else if (i == ext_idle_notifier_v1_interface.name) {
        idleNotifier_ =
            bind<ext_idle_notifier_v1>(registry, name, ext_idle_notifier_v1_interface, version, 1);
    } else if (i == org_kde_kwin_idle_interface.name) {
        kdeIdle_ = bind<org_kde_kwin_idle>(registry, name, org_kde_kwin_idle_interface, version, 1);
    } else if (i == wl_seat_interface.name && !seat_) {
        seat_ = bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
        wl_seat_add_listener(seat_, &Listeners::kSeatListener, this);
    } else if (i == wl_output_interface.name) {
        addOutput(registry, name, version);
    }
}

void Display::addOutput(wl_registry* registry, std::uint32_t name, std::uint32_t version) {
    auto o = std::make_unique<Output>();
    o->globalName = name;
    o->output = bind<wl_output>(registry, name, wl_output_interface, version, 4);
    wl_output_add_listener(o->output, &kOutputListener, o.get());
    o->owner = this;
    describeOutput(*o);
    outputs_.push_back(std::move(o));
}

void Display::describeOutput(Output& output) {
    if (!outputManager_ || output.xdgOutput) return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(outputManager_, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &kXdgOutputListener, &output);
}

void Display::globalRemove(std::uint32_t name) {
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                   [&](const auto& o) { return o->globalName == name; });
    if (gone == outputs_.end()) return;
    std::unique_ptr<Output> output = std::move(*gone);
    outputs_.erase(gone);
    if (outputsChanged) outputsChanged();
    if (output->xdgOutput) zxdg_output_v1_destroy(output->xdgOutput);
    wl_output_destroy(output->output);
}

std::vector<const Output*> Display::outputs() const {
    std::vector<const Output*> described;
    for (const auto& o : outputs_)
        if (o->described && o->width > 0 && o->height > 0) described.push_back(o.get());
    return described;
}

const Output* Display::outputOf(wl_output* output) const {
    for (const auto& o : outputs_)
        if (o->output == output) return o.get();
    return nullptr;
}

// --- The connection ----------------------------------------------------------

void Display::roundtrip() {
    if (connected_ && wl_display_roundtrip(display_) < 0) connected_ = false;
}

void Display::dispatchPending() { waitAndDispatch(0, -1); }

void Display::waitAndDispatch(int timeoutMs, int wakeFd) {
    if (!connected_) return;
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            connected_ = false;
            return;
        }
    }
    // A full socket takes the rest at the next turn.
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        connected_ = false;
        return;
    }
    pollfd fds[2] = {{wl_display_get_fd(display_), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int ready = poll(fds, wakeFd >= 0 ? 2 : 1, timeoutMs);
    if (ready > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
        if (wl_display_read_events(display_) < 0) connected_ = false;
    } else {
        wl_display_cancel_read(display_);
    }
    if (connected_ && wl_display_dispatch_pending(display_) < 0) connected_ = false;
}

bool Display::dispatchQueueUntil(wl_event_queue* queue, const std::function<bool()>& done,
                                 int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (connected_) {
        if (wl_display_dispatch_queue_pending(display_, queue) < 0) {
            connected_ = false;
            break;
        }
        if (done()) return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) break;
        if (wl_display_prepare_read_queue(display_, queue) != 0) continue;  // already queued
        if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display_);
            connected_ = false;
            break;
        }
        pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) > 0) {
            if (wl_display_read_events(display_) < 0) connected_ = false;
        } else {
            wl_display_cancel_read(display_);
        }
    }
    return done();
}

}  // namespace gm::wl
