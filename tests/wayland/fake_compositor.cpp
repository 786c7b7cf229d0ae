// A minimal Wayland compositor for the tests: a seat without devices and
// ext-idle-notify-v1, which no compositor of Debian 12 offers. It has no
// shell and no outputs. Each line it prints on standard output tells what
// happened: "client" when a client connects, "idled" and "resumed" when it
// tells a notification so. SIGUSR1 stands for input on the seat. With
// "plain" it offers the seat alone.
//   fake_compositor SOCKET_NAME [plain]       (in XDG_RUNTIME_DIR)
#include <signal.h>
#include <wayland-server.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ext_idle_notify-server-protocol.h"

namespace {

struct Notification {
    wl_resource* resource;
    wl_event_source* timer;
    std::uint32_t timeoutMs;
    bool idle = false;
};
std::vector<Notification*> gNotifications;

void say(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}

int becomeIdle(void* data) {
    auto* n = static_cast<Notification*>(data);
    n->idle = true;
    ext_idle_notification_v1_send_idled(n->resource);
    say("idled");
    return 0;
}

void restart(Notification& n) {
    // A timeout of 0 asks for the news as soon as possible.
    wl_event_source_timer_update(n.timer, n.timeoutMs > 0 ? static_cast<int>(n.timeoutMs) : 1);
}

int input(int, void*) {
    for (Notification* n : gNotifications) {
        if (n->idle) {
            n->idle = false;
            ext_idle_notification_v1_send_resumed(n->resource);
            say("resumed");
        }
        restart(*n);
    }
    return 0;
}

void destroyResource(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

void notificationGone(wl_resource* resource) {
    auto* n = static_cast<Notification*>(wl_resource_get_user_data(resource));
    std::erase(gNotifications, n);
    wl_event_source_remove(n->timer);
    delete n;
}

const struct ext_idle_notification_v1_interface kNotification = {destroyResource};

void getNotification(wl_client* client, wl_resource* notifier, std::uint32_t id,
                     std::uint32_t timeout, wl_resource*) {
    auto* n = new Notification{
        wl_resource_create(client, &ext_idle_notification_v1_interface, 1, id), nullptr, timeout};
    auto* loop = static_cast<wl_event_loop*>(wl_resource_get_user_data(notifier));
    n->timer = wl_event_loop_add_timer(loop, becomeIdle, n);
    wl_resource_set_implementation(n->resource, &kNotification, n, notificationGone);
    gNotifications.push_back(n);
    restart(*n);
}

const struct ext_idle_notifier_v1_interface kNotifier = {destroyResource, getNotification};

void bindNotifier(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    wl_resource* r = wl_resource_create(client, &ext_idle_notifier_v1_interface, version, id);
    wl_resource_set_implementation(r, &kNotifier, data, nullptr);
}

void seatRelease(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
void noDevice(wl_client*, wl_resource*, std::uint32_t) {}
const struct wl_seat_interface kSeat = {noDevice, noDevice, noDevice, seatRelease};

void bindSeat(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource* r = wl_resource_create(client, &wl_seat_interface, version, id);
    wl_resource_set_implementation(r, &kSeat, nullptr, nullptr);
    wl_seat_send_capabilities(r, 0);
}

void clientCreated(wl_listener*, void*) { say("client"); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return std::fputs("usage: fake_compositor SOCKET_NAME [plain]\n", stderr), 2;
    const bool plain = argc > 2 && std::strcmp(argv[2], "plain") == 0;
    wl_display* display = wl_display_create();
    if (wl_display_add_socket(display, argv[1]) != 0) return std::perror("fake_compositor"), 1;
    wl_event_loop* loop = wl_display_get_event_loop(display);
    wl_global_create(display, &wl_seat_interface, 1, nullptr, bindSeat);
    if (!plain) wl_global_create(display, &ext_idle_notifier_v1_interface, 1, loop, bindNotifier);
    wl_listener created{{}, clientCreated};
    wl_display_add_client_created_listener(display, &created);
    wl_event_loop_add_signal(loop, SIGUSR1, input, nullptr);
    wl_event_loop_add_signal(
        loop, SIGTERM,
        [](int, void* d) {
            wl_display_terminate(static_cast<wl_display*>(d));
            return 0;
        },
        display);
    say("ready");
    wl_display_run(display);
    wl_display_destroy(display);
    return 0;
}
