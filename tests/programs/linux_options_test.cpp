// The Linux-only options come off the command line; the rest reaches Main
// as Windows would pass it.
#include "programs/linux_options.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/settings.h"
#include "dialogs/frm_config.h"
#include "platform/headless/headless_dialog.h"
#include "platform/headless/headless_platform.h"

namespace gm {
namespace {

using Target = X11Options::Target;

LinuxOptions parse(std::vector<std::string> args, const char* xscreensaverWindow = nullptr) {
    return parseLinuxOptions(args, xscreensaverWindow);
}

TEST(LinuxOptions, TheRestIsTheWindowsCommandLine) {
    LinuxOptions o = parse({"--seed", "42", "/p", "1234"});
    EXPECT_EQ(o.commandLine, "/p 1234");
    EXPECT_EQ(o.seed, 42u);
    EXPECT_EQ(o.x11.target, Target::FullScreen);
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(parse({}).commandLine, "");
    EXPECT_EQ(parse({"/S", "--print-config"}).commandLine, "/S");
    EXPECT_TRUE(parse({"/S", "--print-config"}).printConfig);
    EXPECT_TRUE(parse({"--help"}).help);
}

TEST(LinuxOptions, WhereTheShowGoes) {
    EXPECT_EQ(parse({"-root"}).x11.target, Target::Root);
    EXPECT_EQ(parse({"--window", "/s"}).x11.target, Target::Normal);
    LinuxOptions o = parse({"-window-id", "0x2a00007"});
    EXPECT_EQ(o.x11.target, Target::WindowId);
    EXPECT_EQ(o.x11.windowId, 0x2a00007u);
    EXPECT_EQ(parse({"-window-id", "44040199"}).x11.windowId, 44040199u);
    // An explicit window wins over -root in any order.
    EXPECT_EQ(parse({"-root", "-window-id", "12"}).x11.target, Target::WindowId);
    EXPECT_EQ(parse({"-window-id", "12", "-root"}).x11.target, Target::WindowId);
}

TEST(LinuxOptions, TheDaemonsWindowVariable) {
    LinuxOptions o = parse({}, "0x1e00004");
    EXPECT_EQ(o.x11.target, Target::WindowId);
    EXPECT_EQ(o.x11.windowId, 0x1e00004u);
    EXPECT_EQ(parse({"--window"}, "0x1e00004").x11.target, Target::Normal) << "an option wins";
    EXPECT_EQ(parse({"-window-id", "7"}, "0x1e00004").x11.windowId, 7u);
    EXPECT_EQ(parse({}, "").x11.target, Target::FullScreen);
}

// Wayland when the session has a compositor or --wayland says so; the
// targets in other programs' windows stay X11's whatever is asked.
TEST(LinuxOptions, WaylandOrX11) {
    struct Case {
        std::vector<std::string> args;
        const char* xscreensaverWindow;
        const char* waylandDisplay;
        const char* waylandSocket;
        bool wayland;
    };
    for (const Case& c : std::vector<Case>{
             {{}, nullptr, "wayland-0", nullptr, true},
             {{"/s"}, nullptr, nullptr, "5", true},
             {{"/s"}, nullptr, "", nullptr, false},
             {{"/s"}, nullptr, nullptr, nullptr, false},
             {{"--wayland"}, nullptr, nullptr, nullptr, true},
             {{"--x11", "--wallpaper"}, nullptr, "wayland-0", nullptr, false},
             {{"--window"}, nullptr, "wayland-0", nullptr, true},
             {{"-root"}, nullptr, "wayland-0", nullptr, false},
             {{"--wayland", "-window-id", "7"}, nullptr, "wayland-0", nullptr, false},
             {{"/p", "1234"}, nullptr, "wayland-0", nullptr, false},
             {{"--wayland"}, "0x1e00004", "wayland-0", nullptr, false},
         }) {
        const LinuxOptions o = parse(c.args, c.xscreensaverWindow);
        EXPECT_EQ(usesWayland(o, c.waylandDisplay, c.waylandSocket), c.wayland)
            << (c.args.empty() ? "" : c.args[0]) << " "
            << (c.waylandDisplay ? c.waylandDisplay : "-");
    }
    EXPECT_EQ(parse({"--wallpaper"}).wayland.target, WaylandOptions::Target::Wallpaper);
    EXPECT_EQ(parse({"--window"}).wayland.target, WaylandOptions::Target::Normal);
    EXPECT_EQ(parse({"--idle", "5m", "/s"}).idleSeconds, 300u);
    EXPECT_EQ(parse({"--idle", "5m", "/s"}).commandLine, "/s");
    for (const auto& [text, seconds] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"2", 2}, {"90s", 90}, {"5m", 300}, {"1h", 3600}, {"168h", 604800}})
        EXPECT_EQ(parseDuration(text), seconds) << text;
}

TEST(LinuxOptions, MalformedOptionsAreErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"-window-id"},
                                                                  {"-window-id", "zz"},
                                                                  {"-window-id", "0x"},
                                                                  {"-window-id", "0x100000000"},
                                                                  {"--seed"},
                                                                  {"--seed", "-1"},
                                                                  {"--seed", "12ab"},
                                                                  {"--idle"},
                                                                  {"--idle", "0"},
                                                                  {"--idle", "5x"},
                                                                  {"--idle", "m"},
                                                                  {"--idle", "200h"}}) {
        EXPECT_FALSE(parse(args).error.empty())
            << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
    EXPECT_FALSE(parse({}, "window").variableError.empty());
    EXPECT_EQ(parseWindowId("4294967295"), 4294967295ul);
    EXPECT_EQ(parseWindowId("4294967296"), std::nullopt);
}

TEST(LinuxOptions, SettingsForOneRun) {
    LinuxOptions o = parse({"-density", "22", "--flake-size", "10", "-cloud-speed", "0,04",
                            "-no-date", "-speed", "10.0", "/s"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.commandLine, "/s");
    const SettingOverrides expected{
        {"maxFl", "22"}, {"Size", "10"}, {"SpeedS", "0.04"}, {"Date", "0"}, {"Speed", "10"}};
    EXPECT_EQ(o.settingOverrides, expected);
    EXPECT_EQ(parse({"-no-time", "-time"}).settingOverrides.at("Time"), "1") << "the last one wins";
    for (const auto& args : std::vector<std::vector<std::string>>{{"-density"},
                                                                  {"-density", "21"},
                                                                  {"-density", "110.5"},
                                                                  {"-speed", "0.09"},
                                                                  {"-flake-speed", "10.01"},
                                                                  {"-object-speed", "2.07"},
                                                                  {"-cloud-speed", "nan"},
                                                                  {"-cloud-speed", "1e99"},
                                                                  {"-flake-size", ""}}) {
        EXPECT_FALSE(parse(args).error.empty())
            << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}

// The options take what the settings dialog stores with its sliders at 1
// and at 100, and nothing beyond.
TEST(LinuxOptions, RangesAreTheSettingsDialogsEnds) {
    const std::pair<const char*, const char*> options[] = {
        {"maxFl", "-density"},      {"SpeedF", "-flake-speed"},  {"Size", "-flake-size"},
        {"SpeedS", "-cloud-speed"}, {"SpeedO", "-object-speed"}, {"Speed", "-speed"}};
    for (const int end : {1, 100}) {
        HeadlessPlatform platform;
        HeadlessDialogSystem dialogs;
        setPlatform(&platform);
        setDialogSystem(&dialogs);
        LoadConfig();
        {
            FrmConfig form;
            form.Show();
            HeadlessDialog& d = *dialogs.find("frmConfig");
            for (int h = 0; h < 6; ++h) d.set("HScroll(" + std::to_string(h) + ")", end);
            d.click("cmdOK");
        }
        for (const auto& [key, option] : options) {
            const std::string text =
                platform.memoryStore().GetSetting("Glintmoor", "Settings", key).value();
            LinuxOptions o = parse({option, text});
            EXPECT_EQ(o.settingOverrides[key], text) << option << " " << text << o.error;
            const double step = std::string(key) == "maxFl" ? 1 : 0.01;
            char beyond[32];
            std::snprintf(beyond, sizeof beyond, "%g", std::stod(text) + (end == 1 ? -step : step));
            EXPECT_FALSE(parse({option, beyond}).error.empty()) << option << " " << beyond;
        }
        setDialogSystem(nullptr);
        setPlatform(nullptr);
    }
}

TEST(LinuxOptions, TheSettingsDialogsCommandLine) {
    for (const char* line : {"/c", "/C", " /c:1234", "/c 99"}) {
        EXPECT_TRUE(opensSettingsDialog(line)) << line;
    }
    for (const char* line : {"", "/s", "c", "/", "-c", "/p 12"}) {
        EXPECT_FALSE(opensSettingsDialog(line)) << line;
    }
}

TEST(LinuxOptions, AMalformedDaemonVariableDoesNotStopHelpOrPrintConfig) {
    for (const char* option : {"--help", "--print-config"}) {
        const LinuxOptions o = parse({option}, "0xnonsense");
        EXPECT_TRUE(o.error.empty()) << option;
        EXPECT_FALSE(o.variableError.empty()) << option;
    }
}

TEST(LinuxOptions, WindowsThatAreNotThereAreNamed) {
    const auto only42 = [](unsigned long id) { return id == 42; };
    const struct {
        std::vector<std::string> args;
        bool usable;
    } cases[] = {
        {{"/s"}, true},
        {{"-window-id", "42"}, true},
        {{"-window-id", "43"}, false},
        {{"/p", "42"}, true},
        {{"/P:42"}, true},
        {{"/p", "43"}, false},
        {{"/p"}, false},
        {{"/p", "0"}, false},
        {{"/P", "x"}, false},
        {{"/p", "99999999999"}, false},
        {{"/c"}, true},
    };
    for (const auto& c : cases) {
        const std::string why = unusableWindow(parse(c.args), only42);
        EXPECT_EQ(why.empty(), c.usable)
            << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "") << ": " << why;
    }
    EXPECT_NE(unusableWindow(parse({"-window-id", "0x2b"}), only42).find("0x2b"),
              std::string::npos);
}

}  // namespace
}  // namespace gm
