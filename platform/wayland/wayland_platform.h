// The Wayland backend of the platform seam.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace gm {

// Where the show goes on Wayland.
struct WaylandOptions {
    enum class Target {
        FullScreen,  // every output: a layer-shell overlay (the default)
        Normal,      // --window: a resizable toplevel
        Wallpaper,   // --wallpaper: the background layer of every output
    };
    Target target = Target::FullScreen;
    // The one output to cover, by name (swaylock-plugin's
    // SWAYLOCK_PLUGIN_OUTPUT_NAME); empty: every output.
    std::string outputName;
};

// Connects to the compositor (a connection handed over in WAYLAND_SOCKET,
// else WAYLAND_DISPLAY). Returns nullptr with `why` set when there is no
// compositor or it offers nothing the target can be shown with; a note on
// what a fallback cannot do goes to standard error.
// The settings live in `store`, which outlives the platform.
std::unique_ptr<Platform> makeWaylandPlatform(const WaylandOptions& options, SettingsStore& store,
                                              std::string& why);

}  // namespace gm
