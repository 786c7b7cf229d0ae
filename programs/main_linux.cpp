// The Linux program: takes the Linux-only options off the command line,
// opens the X display and runs Main with what is left, as Windows runs the
// screen saver.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "programs/record_command.h"
#include "platform/headless/headless_platform.h"
#include "platform/ini_store.h"
#include "platform/posix_system.h"
#include "programs/export_resources.h"
#include "programs/linux_options.h"
#include "saver/frm_main.h"
#include "saver/show_parts.h"
#include "saver/saver.h"
#include "common/settings.h"
#include "programs/render_commands.h"

namespace {

// What runs without a display: the headless platform with the system's
// clock, program path, version and settings file.
struct ConsolePlatform {
    gm::IniStore store{gm::posix::settingsFilePath()};
    gm::HeadlessPlatform platform{640, 480, gm::posix::tickCount()};
    ConsolePlatform() {
        platform.setProgramPath(gm::posix::executablePath());
        platform.setDateTime(gm::posix::localNow());
        platform.setOsVersion(gm::posix::versionInfo());
        platform.setSettingsStore(&store);
    }
};

int printConfig() {
    ConsolePlatform console;
    gm::setPlatform(&console.platform);
    gm::LoadConfig();
    std::fputs(gm::describeSettings(gm::settings()).c_str(), stdout);
    return 0;
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
    // --render and --gallery write files and need no display.
    if (const auto code = gm::runFileCommand(args)) return *code;
    // --record runs the show without a display and writes its frames.
    if (const auto code = gm::runRecordCommand(args)) return *code;
    const gm::LinuxOptions options = gm::parseLinuxOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (!options.error.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n\n%s", options.error.c_str(), gm::usageText().c_str());
        return 2;
    }
    // A malformed variable is the daemon's or the user's mistake; the usage
    // and the settings can still be shown.
    if (!options.variableError.empty()) std::fprintf(stderr, "glintmoor: %s\n", options.variableError.c_str());
    if (options.help) {
        std::fputs(gm::usageText().c_str(), stdout);
        return 0;
    }
    if (options.seed) gm::setSeedOverride(options.seed);
    if (options.printConfig) return printConfig();
    if (!options.variableError.empty()) return 2;

    std::unique_ptr<gm::Platform> x11 = gm::makeX11Platform(options.x11);
    if (!x11) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "glintmoor: cannot open the X display \"%s\"; start it from a desktop "
                     "session or give DISPLAY.\n", display ? display : "");
        return 1;
    }
    // A window to draw into or a preview host that is not there would leave
    // a process waiting for ever.
    const std::string unusable = gm::unusableWindow(options, [&](unsigned long id) {
        int width = 0, height = 0;
        return x11->GetClientRect(id, width, height);
    });
    if (!unusable.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n", unusable.c_str());
        return 1;
    }
    gm::setPlatform(x11.get());
    gm::installShowParts();
    gm::Main(options.commandLine);
    gm::platform().run();
    return 0;
}
