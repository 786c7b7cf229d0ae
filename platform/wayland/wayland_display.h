// The connection to a Wayland compositor: the globals the backend binds,
// the outputs with their names (xdg-output), places and scales, and the
// seat's pointer and keyboard (keys through xkbcommon with the
// compositor's keymap), handed to whichever pane has them.
#pragma once

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;

namespace gm::wl {

class Display;

// One output as the compositor describes it. The logical place and size
// are in the compositor's logical pixels; scale is wl_output's integer
// scale (buffer pixels per logical pixel).
struct Output {
    Display* owner = nullptr;
    std::uint32_t globalName = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    std::string name;  // "HEADLESS-1", "DP-2", ...
    int x = 0, y = 0, width = 0, height = 0;
    int scale = 1;
    bool described = false;  // the first description is complete
};

// What receives the seat's input: a pane of a window (one wl_surface).
// Positions are in the surface's logical pixels.
class InputTarget {
  public:
    virtual ~InputTarget() = default;
    virtual void pointerEnter(std::uint32_t serial, double x, double y) = 0;
    virtual void pointerMotion(double x, double y) = 0;
    virtual void pointerButton(std::uint32_t button) = 0;  // a press; linux/input.h codes
    virtual void pointerWheel() = 0;
    virtual void touchDown(double x, double y) = 0;
    virtual void touchMotion(double x, double y) = 0;
    virtual void keyDown(xkb_keysym_t sym, std::uint32_t character) = 0;
    // The keyboard came to the surface, or went to another client.
    virtual void keyboardFocus(bool focused) = 0;
};

class Display {
  public:
    // Connects through WAYLAND_SOCKET or WAYLAND_DISPLAY and learns the
    // globals and outputs; nullptr when no compositor answers.
    static std::unique_ptr<Display> connect();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    wl_display* display() const { return display_; }
    wl_compositor* compositor() const { return compositor_; }
    std::uint32_t compositorVersion() const { return compositorVersion_; }
    wl_shm* shm() const { return shm_; }
    wp_viewporter* viewporter() const { return viewporter_; }
    xdg_wm_base* wmBase() const { return wmBase_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    wl_seat* seat() const { return seat_; }
    ext_idle_notifier_v1* idleNotifier() const { return idleNotifier_; }
    org_kde_kwin_idle* kdeIdle() const { return kdeIdle_; }

    // Every described output, in the order the compositor announced them.
    std::vector<const Output*> outputs() const;
    const Output* outputOf(wl_output* output) const;
    // Called after an output was described anew, added or removed.
    std::function<void()> outputsChanged;

    // Input goes to the target a surface was registered with.
    void setTarget(wl_surface* surface, InputTarget* target);
    // The pointer's image over our surfaces: none while hidden.
    void setCursorHidden(bool hidden);

    // Sends what is queued; runs what has arrived without waiting.
    void dispatchPending();
    // Waits for the compositor's data (or `wakeFd`) up to timeoutMs (-1:
    // no limit), then dispatches it.
    void waitAndDispatch(int timeoutMs, int wakeFd);
    // Dispatches the events of `queue` as they come until done() holds,
    // at most timeoutMs long; events of the other queues wait for the pump.
    // Whether done() held.
    bool dispatchQueueUntil(wl_event_queue* queue, const std::function<bool()>& done,
                            int timeoutMs);
    // False once the connection broke (the compositor went away).
    bool connected() const { return connected_; }
    void roundtrip();

  private:
    explicit Display(wl_display* display);

    // --- the listeners' work (wayland_display.cpp, wayland_input.cpp) ---------
    void global(wl_registry* registry, std::uint32_t name, const char* interface,
                std::uint32_t version);
    void globalRemove(std::uint32_t name);
    void addOutput(wl_registry* registry, std::uint32_t name, std::uint32_t version);
    void describeOutput(Output& output);
    void seatCapabilities(std::uint32_t caps);
    void keymap(int fd, std::uint32_t size);
    void applyCursor();
    InputTarget* targetOf(wl_surface* surface) const;

    friend struct Listeners;
    friend struct SeatEvents;

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    std::uint32_t compositorVersion_ = 0;
    wl_shm* shm_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    xdg_wm_base* wmBase_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    zxdg_output_manager_v1* outputManager_ = nullptr;
    ext_idle_notifier_v1* idleNotifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;
    bool connected_ = true;

    // The seat: one pointer, one keyboard, one touch screen.
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_touch* touch_ = nullptr;
    std::vector<std::pair<wl_surface*, InputTarget*>> targets_;
    InputTarget* pointerFocus_ = nullptr;
    InputTarget* keyboardFocus_ = nullptr;
    std::vector<std::pair<std::int32_t, InputTarget*>> touches_;  // touch id -> target
    std::uint32_t pointerSerial_ = 0;
    bool cursorHidden_ = false;
    xkb_context* xkb_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keyState_ = nullptr;
};

}  // namespace gm::wl
