// The X11 backend of the platform seam.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace gm {

// Where the show's window goes on X11 (the options only Linux has).
struct X11Options {
    enum class Target {
        FullScreen,  // a borderless window covering the screen (the default)
        Normal,      // --window: a resizable 1024 x 768 window
        WindowId,    // -window-id ID or XSCREENSAVER_WINDOW: draw into that window
        Root,        // -root: draw on the root (or the daemon's virtual root) window
    };
    Target target = Target::FullScreen;
    unsigned long windowId = 0;
};

// Opens the display; returns nullptr when there is none. The settings live
// in `store`, which outlives the platform.
std::unique_ptr<Platform> makeX11Platform(const X11Options& options, SettingsStore& store);

}  // namespace gm
