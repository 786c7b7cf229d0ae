#include "programs/linux_options.h"

#include <charconv>
#include <cstdio>

#include "basic/vb_error.h"
#include "programs/setting_options.h"
#include "saver/saver.h"

namespace gm {
namespace {

template <typename T>
std::optional<T> parseUnsigned(const std::string& text, int base) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

}  // namespace

std::optional<unsigned long> parseWindowId(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const auto id = hex ? parseUnsigned<std::uint32_t>(text.substr(2), 16)
                        : parseUnsigned<std::uint32_t>(text, 10);
    if (!id) return std::nullopt;
    return *id;
}

LinuxOptions parseLinuxOptions(const std::vector<std::string>& args,
                               const char* xscreensaverWindow) {
    LinuxOptions o;
    bool targetChosen = false;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size() && o.error.empty(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-root") {
            if (o.x11.target != X11Options::Target::WindowId)
                o.x11.target = X11Options::Target::Root;
            targetChosen = true;
        } else if (a == "-window-id" || a == "--window-id") {
            const auto id = hasValue ? parseWindowId(args[++i]) : std::nullopt;
            if (!id) o.error = "-window-id needs a window id (decimal or 0x hexadecimal)";
            o.x11.target = X11Options::Target::WindowId;
            o.x11.windowId = id.value_or(0);
            targetChosen = true;
        } else if (a == "--window") {
            if (o.x11.target != X11Options::Target::WindowId)
                o.x11.target = X11Options::Target::Normal;
            o.wayland.target = WaylandOptions::Target::Normal;
            targetChosen = true;
        } else if (a == "--wallpaper") {
            o.wayland.target = WaylandOptions::Target::Wallpaper;
        } else if (a == "--idle") {
            o.idleSeconds = hasValue ? parseDuration(args[++i]) : std::nullopt;
            if (!o.idleSeconds) o.error = "--idle needs a duration: seconds, or 90s, 5m, 1h";
        } else if (a == "--wayland") {
            o.backend = LinuxOptions::Backend::Wayland;
        } else if (a == "--x11") {
            o.backend = LinuxOptions::Backend::X11;
        } else if (a == "--seed") {
            o.seed = hasValue ? parseUnsigned<std::uint64_t>(args[++i], 10) : std::nullopt;
            if (!o.seed) o.error = "--seed needs a decimal number";
        } else if (a == "--print-config") {
            o.printConfig = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (!takeSettingOption(args, i, o.settingOverrides, o.error)) {
            rest.push_back(a);
        }
    }
    if (!targetChosen && xscreensaverWindow && *xscreensaverWindow) {
        const auto id = parseWindowId(xscreensaverWindow);
        if (!id) o.variableError = "XSCREENSAVER_WINDOW does not hold a window id";
        o.x11.target = X11Options::Target::WindowId;
        o.x11.windowId = id.value_or(0);
    }
    for (const std::string& a : rest) o.commandLine += (o.commandLine.empty() ? "" : " ") + a;
    return o;
}

bool usesWayland(const LinuxOptions& o, const char* waylandDisplay, const char* waylandSocket) {
    if (o.x11.target == X11Options::Target::WindowId || o.x11.target == X11Options::Target::Root ||
        previewHost(o.commandLine))
        return false;
    if (o.backend != LinuxOptions::Backend::Automatic)
        return o.backend == LinuxOptions::Backend::Wayland;
    return (waylandDisplay && *waylandDisplay) || (waylandSocket && *waylandSocket);
}

std::optional<std::uint32_t> parseDuration(const std::string& text) {
    constexpr std::uint32_t kMaxSeconds = 7 * 24 * 3600;  // a week
    std::uint32_t unit = 1;
    std::string number = text;
    if (!number.empty()) {
        switch (number.back()) {
            case 's':
                unit = 1;
                break;
            case 'm':
                unit = 60;
                break;
            case 'h':
                unit = 3600;
                break;
            default:
                unit = 0;
                break;
        }
        if (unit != 0)
            number.pop_back();
        else
            unit = 1;
    }
    const auto value = parseUnsigned<std::uint32_t>(number, 10);
    if (!value || *value == 0 || *value > kMaxSeconds / unit) return std::nullopt;
    return *value * unit;
}

bool opensSettingsDialog(const std::string& commandLine) {
    const auto first = commandLine.find_first_not_of(" \t");
    return first != std::string::npos && commandLine.compare(first, 1, "/") == 0 &&
           first + 1 < commandLine.size() && (commandLine[first + 1] | 0x20) == 'c';
}

std::optional<unsigned long> previewHost(const std::string& commandLine) {
    const auto first = commandLine.find_first_not_of(" \t");
    if (first == std::string::npos || commandLine.size() < first + 2) return std::nullopt;
    if (commandLine[first] != '/' ||
        (commandLine[first + 1] != 'p' && commandLine[first + 1] != 'P'))
        return std::nullopt;
    const std::size_t argument = first + 3;  // Main's argument starts at the fourth character
    try {
        const Int32 host =
            handleArgument(argument < commandLine.size() ? commandLine.substr(argument) : "");
        return host > 0 ? static_cast<unsigned long>(host.value()) : 0;
    } catch (const VbError&) {
        return 0;  // beyond 32 bits
    }
}

std::string unusableWindow(const LinuxOptions& o,
                           const std::function<bool(unsigned long)>& windowExists) {
    char text[160];
    if (o.x11.target == X11Options::Target::WindowId && !windowExists(o.x11.windowId)) {
        std::snprintf(text, sizeof text, "there is no X window 0x%lx to draw into", o.x11.windowId);
        return text;
    }
    const auto host = previewHost(o.commandLine);
    if (host && *host == 0) return "/p needs the id of an X window to show the preview in";
    if (host && !windowExists(*host)) {
        std::snprintf(text, sizeof text, "there is no X window %lu to show the preview in", *host);
        return text;
    }
    return {};
}

std::string usageText() {
    return "Usage: glintmoor [options] [/s | /c | /p ID | /a]\n"
           "An animated winter landscape with a little snowman.\n"
           "\n"
           "Modes (as the Windows screen saver takes them):\n"
           "  /s or nothing      the full-screen show; a key, a click or a mouse move ends it\n"
           "  /c                 the settings dialog and its about box (GTK windows; needs a\n"
           "                     display); OK writes the settings file, the setting options\n"
           "                     below do not reach it\n"
           "  /p ID              a still preview inside the X window ID\n"
           "  /a                 change the password (nothing to do on Linux)\n"
           "\n"
           "Options:\n"
           "  -root              draw on the root window (XScreenSaver)\n"
           "  -window-id ID      draw into the window ID (decimal or 0x hexadecimal)\n"
           "  --window           show in a normal resizable window\n"
           "  --wallpaper        the show as the wallpaper of every output, below the\n"
           "                     windows; it never ends on input (Wayland, layer shell)\n"
           "  --idle DURATION    stay in the background and start the show after DURATION\n"
           "                     without input (seconds, or 90s, 5m, 1h; Wayland)\n"
           "  --wayland, --x11   show on Wayland or on X11 (default: Wayland when\n"
           "                     WAYLAND_DISPLAY is set); -root, -window-id, /p and\n"
           "                     XSCREENSAVER_WINDOW are always X11's\n"
           "  --seed N           the same landscape for the same N\n"
           "  --print-config     print the settings as read, then exit\n"
           "  --help             this text\n"
           "  --add-to-xscreensaver\n"
           "                     add glintmoor to the programs: list of ~/.xscreensaver\n"
           "\n"
           "The show's settings for this run, overriding the stored ones (the settings\n"
           "dialog's ranges; XScreenSaver's settings for glintmoor pass them):\n" +
           settingOptionsUsage() +
           "\n"
           "Without a display (each takes the settings' options above too):\n"
           "  --render FILE.png [--seed N] [--size WxH]\n"
           "                     write the composed 640x480 landscape as a PNG; with --size\n"
           "                     the full-screen background of a W x H screen instead\n"
           "  --gallery DIR [--count N]\n"
           "                     write N landscapes (12) with seeds 1..N and an index.html\n"
           "  --export-resources DIR\n"
           "                     write every bitmap of the program as .bmp and .png with\n"
           "                     an index.html\n"
           "  --record DIR [--frames N] [--seed N] [--size WxH]\n"
           "                     run the show and write what the window shows after each of\n"
           "                     N ticks (100) as DIR/frame-0001.png ...; the screen is\n"
           "                     1024x768 unless given; the virtual clock starts at tick\n"
           "                     count 600000 (ten minutes after a system start); date and\n"
           "                     time come from the real clock\n"
           "\n"
           "Environment: GLINTMOOR_SEED (seed), GLINTMOOR_SETTINGS (settings file),\n"
           "GLINTMOOR_PROTOCOL_DIR (folder of the error protocol), XSCREENSAVER_WINDOW,\n"
           "WAYLAND_DISPLAY, WAYLAND_SOCKET and SWAYLOCK_PLUGIN_OUTPUT_NAME (the one\n"
           "output to cover, as swaylock-plugin starts its background).\n";
}

}  // namespace gm
