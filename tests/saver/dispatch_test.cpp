// Main's dispatch on the command line, on the headless platform: which
// system flags change, which window opens, what the handle arguments give.
#include <vector>

#include "common/allgemein.h"
#include "tests/saver/saver_fixture.h"

namespace gm {
namespace {

const SystemFlagCall kSaverOff{SystemFlagCall::SaverActive, false};
const SystemFlagCall kRunning{SystemFlagCall::ShowRunning, true};

class Dispatch : public test::SaverTest {
  protected:
    Dispatch() {
        platform.setHostSize(1234, 152, 112);
        forms().showFrmConfig = [this] { ++configShown; };
        forms().showFrmPreview = [this](std::uintptr_t host, int w, int h) {
            previews.push_back({host, w, h});
        };
    }
    struct Preview {
        std::uintptr_t host;
        int width, height;
        bool operator==(const Preview&) const = default;
    };
    // Nothing but the screen saver switched off; no window, no dialog.
    void expectNothingOpened() {
        EXPECT_EQ(platform.systemFlags(), std::vector<SystemFlagCall>{kSaverOff});
        EXPECT_EQ(platform.cursorCount(), 0);
        EXPECT_TRUE(platform.windowsCreated().empty());
        EXPECT_EQ(configShown, 0);
        EXPECT_TRUE(previews.empty());
        EXPECT_EQ(fullScreen, kFalse);
    }
    int configShown = 0;
    std::vector<Preview> previews;
};

class FullScreenLines : public Dispatch, public ::testing::WithParamInterface<const char*> {};

TEST_P(FullScreenLines, StartTheShow) {
    EXPECT_EQ(runMain(GetParam()), std::nullopt);
    EXPECT_EQ(fullScreen, kTrue);
    EXPECT_EQ(platform.systemFlags(), (std::vector<SystemFlagCall>{kSaverOff, kRunning}));
    EXPECT_EQ(platform.cursorCount(), -1);
    EXPECT_EQ(platform.windowsCreated(), std::vector<WindowKind>{WindowKind::FullScreen});
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->visible());
    // Made top-most and active before it was shown.
    EXPECT_EQ(window()->stackings(), (std::vector<KeepOnTopCall>{{Stacking::TopMost, true}}));
    EXPECT_EQ(configShown, 0);
    EXPECT_TRUE(previews.empty());
}
INSTANTIATE_TEST_SUITE_P(Dispatch, FullScreenLines,
                         ::testing::Values("/s", "/S", "  /S  ", "/Sxyz", "", "   ", "\t/s"));

class NoModeLines : public Dispatch, public ::testing::WithParamInterface<const char*> {};

TEST_P(NoModeLines, EndWithoutAWindow) {
    EXPECT_EQ(runMain(GetParam()), std::nullopt);
    expectNothingOpened();
}
INSTANTIATE_TEST_SUITE_P(Dispatch, NoModeLines,
                         ::testing::Values("-s", "s", "/x", "S/", "//s", "/ s", "x/s"));

TEST_F(Dispatch, PreviewTakesTheHostFromTheFourthCharacter) {
    for (const char* line :
         {"/p 1234", "/P:1234", "/p  1234", "/P 1234 trailing", "/p 1234.4", " /p 1233.5 "}) {
        previews.clear();
        runMain(line);
        EXPECT_EQ(previews, (std::vector<Preview>{{1234, 152, 112}})) << line;
    }
    EXPECT_EQ(fullScreen, kFalse);
    EXPECT_EQ(platform.cursorCount(), 0);
    EXPECT_TRUE(platform.windowsCreated().empty());
    for (const SystemFlagCall& c : platform.systemFlags())
        EXPECT_EQ(c, kSaverOff) << "running flag untouched";
}

TEST_F(Dispatch, PreviewHandleEdgeCases) {
    const struct {
        const char* line;
        std::uintptr_t host;
    } cases[] = {
        {"/P", 0},
        {"/p ", 0},
        {"/p abc", 0},
        {"/p1234", 234},  // the argument starts at the fourth character
        {"/p 1234.5", 1234},
        {"/p 1235.5", 1236},
        {"/p 2147483647", 2147483647u},
        {"/p -5", static_cast<std::uintptr_t>(std::intptr_t{-5})},
    };
    for (const auto& c : cases) {
        previews.clear();
        runMain(c.line);
        ASSERT_EQ(previews.size(), 1u) << c.line;
        EXPECT_EQ(previews[0].host, c.host) << c.line;
    }
}

TEST_F(Dispatch, AHandleBeyond32BitsIsReportedAndNoWindowOpens) {
    runMain("/p 99999999999");
    EXPECT_TRUE(previews.empty());
    const std::string text = protocol();
    EXPECT_NE(text.find("Fehler-Nr / error :\t6 (Overflow)\r\n"), std::string::npos);
    EXPECT_NE(text.find("Modul:\tSaver\r\n"), std::string::npos);
    EXPECT_NE(text.find("Prozedur / procedure:\tMain\r\n"), std::string::npos);
    EXPECT_NE(text.find("Zeile / Line:\t50050\r\n"), std::string::npos);
    EXPECT_EQ(platform.beeps(), kRepeatBound) << "reported until the repeat bound leaves Main";
    EXPECT_THROW(handleArgument("2147483648"), VbError);
    EXPECT_EQ(handleArgument("-2147483648").value(), -2147483647 - 1);
}

// Main hands "/C" to the settings opener, whatever follows it; whether the
// program installs a real dialog there is the programs' own test.
TEST_F(Dispatch, SettingsLineCallsTheOpenerWhateverItsArgument) {
    for (const char* line : {"/c", "/C", "/c:5678", " /C 5678 "}) runMain(line);
    EXPECT_EQ(configShown, 4);
    EXPECT_EQ(platform.systemFlags(), std::vector<SystemFlagCall>(4, kSaverOff));
    EXPECT_TRUE(platform.windowsCreated().empty());
    EXPECT_EQ(fullScreen, kFalse);
}

TEST_F(Dispatch, PasswordChangeOnlyOnTheOlderFamily) {
    runMain("/a 1234");
    EXPECT_TRUE(platform.pwdChanges().empty());
    expectNothingOpened();

    platform.setOsVersion(test::win98());
    runMain("/a 1234");
    runMain("/A");
    EXPECT_EQ(platform.pwdChanges(),
              (std::vector<PwdChangeCall>{{"SCRSAVE", 1234}, {"SCRSAVE", 0}}));
    EXPECT_TRUE(platform.windowsCreated().empty());
}

TEST_F(Dispatch, IsWinNTNeedsSuccessAndTheNTPlatform) {
    EXPECT_EQ(IsWinNT(), kTrue);
    platform.setOsVersion(test::win98());
    EXPECT_EQ(IsWinNT(), kFalse);
    OsVersionInfo nt;
    nt.platformId = 2;
    platform.setOsVersion(nt, 0);  // the call failed
    EXPECT_EQ(IsWinNT(), kFalse);
}

// The settings are read before anything else happens.
const HeadlessPlatform* gPlatform = nullptr;
std::size_t gFlagsAtReport = 99;
Int16 noteFlags(const std::string&, const std::string&) {
    gFlagsAtReport = gPlatform->systemFlags().size();
    return 0;
}

TEST_F(Dispatch, SettingsAreLoadedFirst) {
    put("maxFl", "bad");
    put("Speed", "2");
    gPlatform = &platform;
    setErrorHandler(&noteFlags);
    Main("/x");
    EXPECT_EQ(gFlagsAtReport, 0u);
    EXPECT_EQ(settings().Speed, 2.0f);
    EXPECT_EQ(settings().maxFl.value(), 110);
}

TEST_F(Dispatch, SeedFromTheTimeOfDayOrTheOverride) {
    LocalDateTime t;
    t.secondsSinceMidnight = 45296.789;
    platform.setDateTime(t);
    Main("/x");
    const Single fromClock = Rnd();
    Randomize(seedFromTimeOfDay(45296.789));
    EXPECT_EQ(Rnd(), fromClock);

    test::ScopedEnv seed("GLINTMOOR_SEED", "77");
    Main("/x");
    const Single fromVariable = Rnd();
    Randomize(77);
    EXPECT_EQ(Rnd(), fromVariable);

    setSeedOverride(5);  // --seed wins over the variable
    Main("/x");
    const Single fromOption = Rnd();
    Randomize(5);
    EXPECT_EQ(Rnd(), fromOption);
}

}  // namespace
}  // namespace gm
