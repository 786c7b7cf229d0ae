// The Linux program: takes the Linux-only options off the command line,
// connects to the Wayland compositor or opens the X display (and GTK for the
// settings dialog) and runs Main with what is left, as Windows runs the
// screen saver.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/settings.h"
#include "dialogs/frm_config.h"
#include "platform/gtk/gtk_dialog.h"
#include "platform/headless/headless_platform.h"
#include "platform/overridden_store.h"
#include "platform/posix_system.h"
#include "programs/console_system.h"
#include "programs/export_resources.h"
#include "programs/idle_command.h"
#include "programs/linux_options.h"
#include "programs/record_command.h"
#include "programs/render_commands.h"
#include "programs/settings_store.h"
#include "programs/xscreensaver_list.h"
#include "saver/frm_main.h"
#include "saver/saver.h"
#include "saver/show_parts.h"

namespace {

// What runs without a display: the headless platform with the system's
// clock, program path, version and settings file.
struct ConsolePlatform {
    gm::OverriddenStore store;
    gm::HeadlessPlatform platform{640, 480, gm::posix::tickCount()};
    explicit ConsolePlatform(gm::SettingOverrides overrides)
        : store(gm::openSettingsStore(), std::move(overrides)) {
        gm::describeThisSystem(platform, store);
    }
};

int printConfig(const gm::SettingOverrides& overrides) {
    ConsolePlatform console(overrides);
    gm::setPlatform(&console.platform);
    gm::LoadConfig();
    std::fputs(gm::describeSettings(gm::settings()).c_str(), stdout);
    return 0;
}

// The X display for the show, or nullptr after saying why there is none.
std::unique_ptr<gm::Platform> openX11(const gm::LinuxOptions& options, gm::SettingsStore& store) {
    if (options.wayland.target == gm::WaylandOptions::Target::Wallpaper) {
        std::fputs(
            "glintmoor: --wallpaper needs a Wayland compositor with the layer shell; on X11 "
            "-root draws on the desktop\n",
            stderr);
        return nullptr;
    }
    std::unique_ptr<gm::Platform> x11 = gm::makeX11Platform(options.x11, store);
    if (!x11) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr,
                     "glintmoor: cannot open the X display \"%s\"; start it from a desktop "
                     "session or give DISPLAY.\n",
                     display ? display : "");
        return nullptr;
    }
    // A window to draw into or a preview host that is not there would leave
    // a process waiting for ever.
    const std::string unusable = gm::unusableWindow(options, [&](unsigned long id) {
        int width = 0, height = 0;
        return x11->GetClientRect(id, width, height);
    });
    if (!unusable.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n", unusable.c_str());
        return nullptr;
    }
    return x11;
}

// The Wayland compositor for the show, or nullptr after saying why there is
// none. swaylock-plugin names the one output its background covers.
std::unique_ptr<gm::Platform> openWayland(const gm::LinuxOptions& options,
                                          gm::SettingsStore& store) {
    gm::WaylandOptions waylandOptions = options.wayland;
    if (const char* output = std::getenv("SWAYLOCK_PLUGIN_OUTPUT_NAME"); output && *output)
        waylandOptions.outputName = output;
    std::string why;
    std::unique_ptr<gm::Platform> wayland = gm::makeWaylandPlatform(waylandOptions, store, why);
    if (!wayland) std::fprintf(stderr, "glintmoor: %s\n", why.c_str());
    return wayland;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--export-resources") {
        if (args.size() != 2) {
            std::fputs("glintmoor: --export-resources takes one folder\n", stderr);
            return 2;
        }
        return gm::exportResources(args[1]);
    }
    if (args.size() == 1 && args[0] == "--add-to-xscreensaver") return gm::addToXScreenSaver();
    // --render and --gallery write files and need no display.
    if (const auto code = gm::runFileCommand(args)) return *code;
    // --record runs the show without a display and writes its frames.
    if (const auto code = gm::runRecordCommand(args)) return *code;
    const gm::LinuxOptions options =
        gm::parseLinuxOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (!options.error.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n\n%s", options.error.c_str(), gm::usageText().c_str());
        return 2;
    }
    // A malformed variable is the daemon's or the user's mistake; the usage
    // and the settings can still be shown.
    if (!options.variableError.empty())
        std::fprintf(stderr, "glintmoor: %s\n", options.variableError.c_str());
    if (options.help) {
        std::fputs(gm::usageText().c_str(), stdout);
        return 0;
    }
    if (options.seed) gm::setSeedOverride(options.seed);
    if (options.printConfig) return printConfig(options.settingOverrides);
    if (!options.variableError.empty()) return 2;
    if (options.idleSeconds)
        return gm::runIdleCommand(*options.idleSeconds, gm::withoutIdleOption(args));

    // The settings dialog is a GTK window; it shows and writes the stored
    // settings, so the setting options do not reach it.
    const bool settingsDialog = gm::opensSettingsDialog(options.commandLine);
    std::unique_ptr<gm::GtkDialogSystem> dialogs;
    if (settingsDialog && !(dialogs = gm::GtkDialogSystem::open())) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr,
                     "glintmoor: the settings dialog needs a display, and \"%s\" cannot be "
                     "opened; start it from a desktop session or give DISPLAY.\n",
                     display ? display : "");
        return 1;
    }
    gm::OverriddenStore store(gm::openSettingsStore(),
                              settingsDialog ? gm::SettingOverrides{} : options.settingOverrides);
    std::unique_ptr<gm::Platform> shown =
        gm::usesWayland(options, std::getenv("WAYLAND_DISPLAY"), std::getenv("WAYLAND_SOCKET"))
            ? openWayland(options, store)
            : openX11(options, store);
    if (!shown) return 1;
    gm::setPlatform(shown.get());
    gm::installShowParts();
    if (dialogs) {
        gm::setDialogSystem(dialogs.get());
        gm::forms().showFrmConfig = &gm::showFrmConfig;
    }
    gm::Main(options.commandLine);
    if (dialogs) dialogs->run();
    gm::platform().run();
    return 0;
}
