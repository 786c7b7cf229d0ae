// The command-line options only the Linux program has. They are taken off
// the command line first; what is left goes to Main exactly as Windows
// would pass it ("/s", "/c", "/p 1234", ...).
//
//   -root              draw on the root window (XScreenSaver)
//   -window-id ID      draw into the window ID, decimal or 0x hexadecimal
//   --window           a normal resizable window to try the show
//   --wallpaper        the show as the wallpaper of every output (Wayland)
//   --idle DURATION    start the show after DURATION of idle time (Wayland)
//   --wayland, --x11   the display system to show on (else WAYLAND_DISPLAY
//                      or WAYLAND_SOCKET chooses Wayland, X11 otherwise)
//   --seed N           a reproducible run (wins over GLINTMOOR_SEED)
//   --print-config     print the settings as read, then exit
//   --help             print the usage, then exit
//   -density N, -speed X, -no-date, ...
//                      the show's settings for this run (setting_options.h)
// Without a target option the variable XSCREENSAVER_WINDOW, when set, names
// the window to draw into, as the XScreenSaver daemon sets it. Drawing into
// a window of another client (-root, -window-id, XSCREENSAVER_WINDOW, the
// preview /p ID) is always X11's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/overridden_store.h"
#include "platform/wayland/wayland_platform.h"
#include "platform/x11/x11_platform.h"

namespace gm {

struct LinuxOptions {
    enum class Backend { Automatic, X11, Wayland };
    Backend backend = Backend::Automatic;  // --x11, --wayland
    X11Options x11;
    WaylandOptions wayland;
    std::optional<std::uint32_t> idleSeconds;  // --idle DURATION
    std::optional<std::uint64_t> seed;
    bool printConfig = false;
    bool help = false;
    SettingOverrides settingOverrides;  // -density N, ... (setting_options.h)
    std::string commandLine;            // the rest, joined by blanks
    std::string error;                  // set when an option is malformed
    // Set when XSCREENSAVER_WINDOW holds no window id: reported, and it
    // stops the show, but not --help or --print-config.
    std::string variableError;
};

// args: the command line without the program's name; xscreensaverWindow:
// the value of XSCREENSAVER_WINDOW or nullptr.
LinuxOptions parseLinuxOptions(const std::vector<std::string>& args,
                               const char* xscreensaverWindow);

// True when the show goes to a Wayland compositor: forced by --wayland, or
// WAYLAND_DISPLAY or WAYLAND_SOCKET set and no --x11; never for the targets
// that draw into a window of another client, which are X11's.
bool usesWayland(const LinuxOptions& options, const char* waylandDisplay,
                 const char* waylandSocket);

// A duration in seconds: "90", or with a unit, "90s", "5m", "1h".
std::optional<std::uint32_t> parseDuration(const std::string& text);

// An X window id: decimal or 0x hexadecimal, up to 32 bits.
std::optional<unsigned long> parseWindowId(const std::string& text);

// True when the rest of the command line opens the settings dialog ("/c",
// "/C", "/c:1234"): the dialog shows and writes the stored settings, so the
// setting options do not reach it.
bool opensSettingsDialog(const std::string& commandLine);

// The host window of a preview command line ("/p ID") as Main reads it: 0
// when the line names none or none that can be a window; nothing for the
// other modes.
std::optional<unsigned long> previewHost(const std::string& commandLine);

// Why the show cannot run with these options on a display where
// windowExists tells which windows there are: a preview without a host, or
// a target window or preview host that does not exist. Empty when it can.
std::string unusableWindow(const LinuxOptions& options,
                           const std::function<bool(unsigned long)>& windowExists);

std::string usageText();

}  // namespace gm
