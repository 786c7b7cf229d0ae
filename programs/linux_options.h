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
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/x11_platform.h"

namespace gm {

struct LinuxOptions {
    X11Options x11;
    std::optional<std::uint64_t> seed;
    bool printConfig = false;
    bool help = false;
    SettingOverrides settingOverrides;  // -density N, ... (setting_options.h)
    std::string commandLine;  // the rest, joined by blanks
    std::string error;        // set when an option is malformed
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

std::string usageText();

}  // namespace gm
