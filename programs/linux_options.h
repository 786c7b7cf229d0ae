// The command-line options only the Linux program has. They are taken off
// the command line first; what is left goes to Main exactly as Windows
// would pass it ("/s", "/c", "/p 1234", ...).
//
//   -root              draw on the root window (XScreenSaver)
//   -window-id ID      draw into the window ID, decimal or 0x hexadecimal
//   --window           a normal resizable window to try the show
//   --seed N           a reproducible run (wins over GLINTMOOR_SEED)
//   --print-config     print the settings as read, then exit
//   --help             print the usage, then exit
//   -density N, -speed X, -no-date, ...
//                      the show's settings for this run (setting_options.h)
// Without a target option the variable XSCREENSAVER_WINDOW, when set, names
// the window to draw into, as the XScreenSaver daemon sets it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/overridden_store.h"
#include "platform/x11/x11_platform.h"

namespace gm {

struct LinuxOptions {
    X11Options x11;
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
