// The C callbacks of the protocol objects the display binds, in one place:
// each forwards to the Display or the Output it was registered with.
#pragma once

#include "platform/wayland/wayland_display.h"

struct xdg_wm_base;
struct zxdg_output_v1;

namespace gm::wl {

struct Listeners {
    // wayland_display.cpp
    static void registryGlobal(void* data, wl_registry* registry, std::uint32_t name,
                               const char* interface, std::uint32_t version);
    static void registryGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    static void wmBasePing(void* data, xdg_wm_base* base, std::uint32_t serial);
    static void outputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t, std::int32_t, const char*, const char*, std::int32_t);
    static void outputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                           std::int32_t height, std::int32_t refresh);
    static void outputDone(void* data, wl_output*);
    static void outputScale(void* data, wl_output*, std::int32_t factor);
    static void outputName(void* data, wl_output*, const char* name);
    static void outputDescription(void*, wl_output*, const char*);
    static void xdgOutputPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y);
    static void xdgOutputSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height);
    static void xdgOutputDone(void*, zxdg_output_v1*);
    static void xdgOutputName(void* data, zxdg_output_v1*, const char* name);
    static void xdgOutputDescription(void*, zxdg_output_v1*, const char*);

    // wayland_input.cpp
    static const wl_seat_listener kSeatListener;
};

}  // namespace gm::wl
