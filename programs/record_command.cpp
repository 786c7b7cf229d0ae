#include "programs/record_command.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "gfx/text.h"
#include "platform/headless/headless_platform.h"
#include "platform/overridden_store.h"
#include "platform/posix_system.h"
#include "programs/console_system.h"
#include "programs/option_values.h"
#include "programs/png_file.h"
#include "programs/setting_options.h"
#include "programs/settings_store.h"
#include "saver/frm_main.h"
#include "saver/saver.h"
#include "saver/show_parts.h"

namespace gm {
namespace {

constexpr int kDefaultFrames = 100, kMaxFrames = 100000;
constexpr int kDefaultWidth = 1024, kDefaultHeight = 768;

struct RecordCommand {
    std::string folder;
    int frames = kDefaultFrames;
    std::optional<std::uint64_t> seed;
    int width = kDefaultWidth, height = kDefaultHeight;
    SettingOverrides overrides;  // -classic, -flake-size ... for this run
    std::string error;
};

RecordCommand parseRecordCommand(const std::vector<std::string>& args) {
    RecordCommand c;
    const auto fail = [&](const char* message) {
        if (c.error.empty()) c.error = message;
    };
    for (std::size_t i = 0; i < args.size() && c.error.empty(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string_view value =
            hasValue ? std::string_view(args[i + 1]) : std::string_view();
        if (a == "--record") {
            if (!hasValue)
                fail("--record needs a folder");
            else
                c.folder = args[++i];
        } else if (a == "--frames") {
            const auto n = parseWholeNumber<int>(value);
            if (!n || *n < 1 || *n > kMaxFrames)
                fail("--frames needs a number from 1 to 100000");
            else
                c.frames = *n, ++i;
        } else if (a == "--seed") {
            const auto n = parseWholeNumber<std::uint64_t>(value);
            if (!n)
                fail("--seed needs a decimal number");
            else
                c.seed = *n, ++i;
        } else if (a == "--size") {
            const auto size = parseScreenSize(value);
            if (!size)
                fail("--size needs WxH, each between 16 and 7680");
            else
                c.width = size->first, c.height = size->second, ++i;
        } else if (!takeSettingOption(args, i, c.overrides, c.error)) {
            c.error = "--record takes --frames, --seed, --size and the setting options, not \"" +
                      a + "\"";
        }
    }
    return c;
}

// Thrown from the timer's handler once the last frame is written: it ends
// the show that Main started, from inside the flake loop.
struct RecordingDone {};

int record(const RecordCommand& c) {
    std::error_code ec;
    std::filesystem::create_directories(c.folder, ec);
    if (ec) {
        std::fprintf(stderr, "glintmoor: cannot make the folder %s: %s\n", c.folder.c_str(),
                     ec.message().c_str());
        return 1;
    }
    OverriddenStore store(openSettingsStore(), c.overrides);
    HeadlessPlatform screen(c.width, c.height, kRecordStartMs);
    describeThisSystem(screen, store);
    setPlatform(&screen);
    if (c.seed) setSeedOverride(c.seed);

    // The show's own parts; after each tick the window's image is written.
    struct Recorded final : SceneAndAnimation {
        void tmrAnimation_Timer(MonitorShow& show) override {
            screen->setDateTime(posix::localNow());
            SceneAndAnimation::tmrAnimation_Timer(show);
            char name[32];
            std::snprintf(name, sizeof name, "frame-%04d.png", written + 1);
            failure = writePng((folder / name).string(), show.host.windowImage().view());
            if (!failure.empty() || ++written == frames) throw RecordingDone{};
        }
        HeadlessPlatform* screen = nullptr;
        std::filesystem::path folder;
        int frames = 0, written = 0;
        std::string failure;
    } parts;
    parts.screen = &screen;
    parts.folder = c.folder;
    parts.frames = c.frames;
    installShowParts(parts);
    std::string& failure = parts.failure;

    int code = 0;
    try {
        Main("/s");
        failure = "the show did not start";
    } catch (const RecordingDone&) {
    } catch (const ProcessExit&) {
        failure =
            "the show ended with a run-time error (see the .EPT protocol next to the program)";
    } catch (const HeadlessStop& stop) {
        failure = stop.what();
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n", failure.c_str());
        code = 1;
    }
    forms() = Forms{};
    setShowParts(nullptr);
    gfx::setTextRenderer(nullptr);
    setPlatform(nullptr);
    return code;
}

}  // namespace

std::optional<int> runRecordCommand(const std::vector<std::string>& args) {
    bool asked = false;
    for (const std::string& a : args) asked |= a == "--record";
    if (!asked) return std::nullopt;
    const RecordCommand c = parseRecordCommand(args);
    if (!c.error.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n", c.error.c_str());
        return 2;
    }
    return record(c);
}

}  // namespace gm
