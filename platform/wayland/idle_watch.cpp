#include "platform/wayland/idle_watch.h"

#include "ext_idle_notify-client-protocol.h"
#include "kde_idle-client-protocol.h"
#include "platform/posix_system.h"
#include "platform/wayland/wayland_display.h"

namespace gm {
namespace {

class WaylandIdleWatch final : public IdleWatch {
  public:
    WaylandIdleWatch(std::unique_ptr<wl::Display> display, std::uint32_t timeoutMs)
        : display_(std::move(display)) {
        if (ext_idle_notifier_v1* notifier = display_->idleNotifier()) {
            notification_ =
                ext_idle_notifier_v1_get_idle_notification(notifier, timeoutMs, display_->seat());
            static const ext_idle_notification_v1_listener listener = {idled, resumed};
            ext_idle_notification_v1_add_listener(notification_, &listener, this);
        } else {
            timeout_ = org_kde_kwin_idle_get_idle_timeout(display_->kdeIdle(), display_->seat(),
                                                          timeoutMs);
            static const org_kde_kwin_idle_timeout_listener listener = {kdeIdled, kdeResumed};
            org_kde_kwin_idle_timeout_add_listener(timeout_, &listener, this);
        }
    }
    ~WaylandIdleWatch() override {
        if (notification_) ext_idle_notification_v1_destroy(notification_);
        if (timeout_) org_kde_kwin_idle_timeout_release(timeout_);
    }

    bool waitForIdle(bool afterInput) override {
        display_->dispatchPending();
        if (afterInput && idle_ && !waitFor(false)) return false;
        return waitFor(true);
    }

    const char* protocol() const override {
        return notification_ ? ext_idle_notifier_v1_interface.name
                             : org_kde_kwin_idle_interface.name;
    }

  private:
    bool waitFor(bool idle) {
        while (idle_ != idle) {
            if (posix::terminationRequested() || !display_->connected()) return false;
            display_->waitAndDispatch(-1, posix::terminationFd());
        }
        return !posix::terminationRequested();
    }
    static void idled(void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = true;
    }
    static void resumed(void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = false;
    }
    static void kdeIdled(void* data, org_kde_kwin_idle_timeout*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = true;
    }
    static void kdeResumed(void* data, org_kde_kwin_idle_timeout*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = false;
    }

    std::unique_ptr<wl::Display> display_;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle_timeout* timeout_ = nullptr;
    bool idle_ = false;
};

}  // namespace

std::unique_ptr<IdleWatch> IdleWatch::open(std::uint32_t timeoutMs, std::string& why) {
    std::unique_ptr<wl::Display> display = wl::Display::connect();
    if (!display) {
        why = "--idle needs a Wayland compositor, and none answers (WAYLAND_DISPLAY)";
        return nullptr;
    }
    if (!display->seat() || (!display->idleNotifier() && !display->kdeIdle())) {
        why =
            "this Wayland compositor tells no idle time (it offers neither ext-idle-notify-v1 "
            "nor org_kde_kwin_idle); let its own idle settings start glintmoor instead";
        return nullptr;
    }
    posix::watchTermination();
    return std::make_unique<WaylandIdleWatch>(std::move(display), timeoutMs);
}

}  // namespace gm
