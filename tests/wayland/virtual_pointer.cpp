// A pointer for the Wayland tests (zwlr_virtual_pointer_v1): reads one
// command a line from standard input and answers "ok" once the compositor
// has taken it.
//   abs X Y       move to (X, Y) of the layout (its extent: the last "extent")
//   extent W H    the layout's size for "abs" (default 1024 768)
//   rel DX DY     move by (DX, DY)
//   button        press and release the left button
//   wheel         one step of the wheel
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "wlr_virtual_pointer-client-protocol.h"

namespace {

zwlr_virtual_pointer_manager_v1* gManager = nullptr;
wl_seat* gSeat = nullptr;

void global(void*, wl_registry* r, std::uint32_t name, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        gManager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(r, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !gSeat)
        gSeat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistry = {global, globalRemove};

}  // namespace

int main() {
    wl_display* d = wl_display_connect(nullptr);
    if (!d) return std::fputs("virtual_pointer: no compositor\n", stderr), 1;
    wl_registry_add_listener(wl_display_get_registry(d), &kRegistry, nullptr);
    wl_display_roundtrip(d);
    if (!gManager) return std::fputs("virtual_pointer: no zwlr_virtual_pointer_v1\n", stderr), 1;
    zwlr_virtual_pointer_v1* p =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(gManager, gSeat);
    std::uint32_t width = 1024, height = 768, time = 0;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        time += 10;
        if (command == "abs") {
            std::uint32_t x = 0, y = 0;
            in >> x >> y;
            zwlr_virtual_pointer_v1_motion_absolute(p, time, x, y, width, height);
        } else if (command == "extent") {
            in >> width >> height;
        } else if (command == "rel") {
            double dx = 0, dy = 0;
            in >> dx >> dy;
            zwlr_virtual_pointer_v1_motion(p, time, wl_fixed_from_double(dx),
                                           wl_fixed_from_double(dy));
        } else if (command == "button") {
            zwlr_virtual_pointer_v1_button(p, time, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(p);
            zwlr_virtual_pointer_v1_button(p, time + 5, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (command == "wheel") {
            zwlr_virtual_pointer_v1_axis_source(p, WL_POINTER_AXIS_SOURCE_WHEEL);
            zwlr_virtual_pointer_v1_axis_discrete(p, time, WL_POINTER_AXIS_VERTICAL_SCROLL,
                                                  wl_fixed_from_int(15), 1);
        } else {
            std::fprintf(stderr, "virtual_pointer: unknown command \"%s\"\n", line.c_str());
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(p);
        wl_display_roundtrip(d);
        std::cout << "ok" << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(p);
    wl_display_roundtrip(d);
    wl_display_disconnect(d);
    return 0;
}
