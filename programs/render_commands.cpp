#include "programs/render_commands.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/allgemein.h"
#include "common/settings.h"
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

constexpr int kCanvasWidth = 640, kCanvasHeight = 480;
constexpr int kDefaultGalleryCount = 12, kMaxGalleryCount = 1000;

struct FileCommand {
    enum class Kind { None, Render, Gallery } kind = Kind::None;
    std::string target;  // the PNG file or the gallery's folder
    std::optional<std::uint64_t> seed;
    std::optional<std::pair<int, int>> size;
    int count = kDefaultGalleryCount;
    SettingOverrides overrides;  // -classic, -flake-size ... for this run
    std::string error;
};

FileCommand parseFileCommand(const std::vector<std::string>& args) {
    FileCommand c;
    for (std::size_t i = 0; i < args.size() && c.error.empty(); ++i) {
        const std::string& a = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        if (a == "--render" || a == "--gallery") {
            if (c.kind != FileCommand::Kind::None)
                c.error = "give --render or --gallery once";
            else if (!value)
                c.error = a + " needs a " + (a == "--render" ? "file" : "folder");
            c.kind = a == "--render" ? FileCommand::Kind::Render : FileCommand::Kind::Gallery;
            if (value) c.target = args[++i];
        } else if (a == "--seed") {
            c.seed = value ? parseWholeNumber<std::uint64_t>(args[++i]) : std::nullopt;
            if (!c.seed) c.error = "--seed needs a decimal number";
        } else if (a == "--size") {
            c.size = value ? parseScreenSize(args[++i]) : std::nullopt;
            if (!c.size) c.error = "--size needs WxH, each between 16 and 7680";
        } else if (a == "--count") {
            const auto n = value ? parseWholeNumber<int>(args[++i]) : std::nullopt;
            if (!n || *n < 1 || *n > kMaxGalleryCount)
                c.error = "--count needs a number from 1 to 1000";
            c.count = n.value_or(0);
        } else if (!takeSettingOption(args, i, c.overrides, c.error)) {
            c.error = "unexpected \"" + a + "\"";
        }
    }
    if (c.error.empty() && c.kind == FileCommand::Kind::Render && c.count != kDefaultGalleryCount)
        c.error = "--count belongs to --gallery";
    if (c.error.empty() && c.kind == FileCommand::Kind::Gallery && (c.seed || c.size))
        c.error = "--gallery takes the seeds 1..N and the canvas size";
    return c;
}

bool asksForFileCommand(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--render" || a == "--gallery") return true;
    return false;
}

// The seed the show would take: --seed, else GLINTMOOR_SEED, else the time of day.
std::uint64_t showSeed(std::optional<std::uint64_t> seed) {
    if (seed) return *seed;
    if (const auto fromEnvironment = seedOverride()) return *fromEnvironment;
    return seedFromTimeOfDay(posix::localNow().secondsSinceMidnight);
}

int render(const FileCommand& c, SettingsStore& store) {
    const auto [w, h] = c.size.value_or(std::pair{kCanvasWidth, kCanvasHeight});
    const RenderedScene scene = renderScene(showSeed(c.seed), w, h, store);
    const std::string failure =
        writePng(c.target, (c.size ? scene.background : scene.canvas).view());
    if (!failure.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n", failure.c_str());
        return 1;
    }
    return 0;
}

int gallery(const FileCommand& c, SettingsStore& store) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(c.target, ec);
    std::ofstream index(fs::path(c.target) / "index.html");
    if (!index) {
        std::fprintf(stderr, "glintmoor: cannot write %s/index.html\n", c.target.c_str());
        return 1;
    }
    index
        << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Glintmoor scenes</title>\n"
           "<style>body{background:#223;color:#eef;font-family:sans-serif}"
           "figure{display:inline-block;margin:8px}</style></head><body>\n"
           "<h1>Glintmoor scenes, seeds 1 to "
        << c.count << "</h1>\n";
    for (int seed = 1; seed <= c.count; ++seed) {
        char name[32];
        std::snprintf(name, sizeof name, "scene-%04d.png", seed);
        const RenderedScene scene =
            renderScene(static_cast<std::uint64_t>(seed), kCanvasWidth, kCanvasHeight, store);
        const std::string failure =
            writePng((fs::path(c.target) / name).string(), scene.canvas.view());
        if (!failure.empty()) {
            std::fprintf(stderr, "glintmoor: %s\n", failure.c_str());
            return 1;
        }
        index << "<figure><img src=\"" << name << "\" width=\"640\" height=\"480\" alt=\"seed "
              << seed << "\"><figcaption>--seed " << seed << "</figcaption></figure>\n";
    }
    index << "</body></html>\n";
    return index ? 0 : 1;
}

}  // namespace

RenderedScene renderScene(std::uint64_t seed, int screenWidth, int screenHeight,
                          SettingsStore& store) {
    HeadlessPlatform screen(screenWidth, screenHeight, posix::tickCount());
    describeThisSystem(screen, store);
    setPlatform(&screen);

    // As Main starts the show: the settings, the seed, then the window.
    LoadConfig();
    Randomize(seed);
    // The show's BuildBG, with a copy of the canvas as it leaves it; without
    // the animation, the resize handler ends with the finished background.
    struct CanvasKept final : SceneParts {
        void BuildBG(MonitorShow& show) override {
            SceneParts::BuildBG(show);
            canvas = show.surfaces.picBG.image();
        }
        gfx::Bitmap canvas;
    } parts;
    setShowParts(&parts);
    RenderedScene out;
    {
        FrmMain frm;
        frm.Form_Resize();
        out.background = frm.show.surfaces.picBG.image();
    }
    out.canvas = std::move(parts.canvas);
    setShowParts(nullptr);
    setPlatform(nullptr);
    return out;
}

std::optional<int> runFileCommand(const std::vector<std::string>& args) {
    if (!asksForFileCommand(args)) return std::nullopt;
    const FileCommand c = parseFileCommand(args);
    if (!c.error.empty()) {
        std::fprintf(stderr, "glintmoor: %s\n", c.error.c_str());
        return 2;
    }
    OverriddenStore store(openSettingsStore(), c.overrides);
    return c.kind == FileCommand::Kind::Render ? render(c, store) : gallery(c, store);
}

}  // namespace gm
