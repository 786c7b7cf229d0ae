// Settings: the text forms, LoadConfig's defaults and minFl, bad stored
// text, SaveConfig's keys and order, round trips through the INI store.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "common/settings.h"
#include "errors/reporter.h"
#include "errors/trap.h"
#include "platform/headless/headless_platform.h"
#include "platform/ini_store.h"
#include "tests/support/test_env.h"

namespace gm {
namespace {

int errorOf(auto&& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

// Records the order of the writes.
class RecordingStore final : public SettingsStore {
  public:
    std::optional<std::string> GetSetting(const std::string& a, const std::string& s,
                                          const std::string& k) override {
        return inner.GetSetting(a, s, k);
    }
    void SaveSetting(const std::string& a, const std::string& s, const std::string& k,
                     const std::string& v) override {
        written.push_back(a + "/" + s + "/" + k);
        inner.SaveSetting(a, s, k, v);
    }
    MemoryStore inner;
    std::vector<std::string> written;
};

struct Report {
    std::string module, proc;
    int number, line;
};

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setPlatform(&platform);
        platform.setSettingsStore(&store);
        settings() = Settings{};
        reports.clear();
        setErrorHandler(&record);
    }
    void TearDown() override {
        setErrorHandler(nullptr);
        setPlatform(nullptr);
    }
    void put(const std::string& key, const std::string& value) {
        store.inner.SaveSetting("Glintmoor", "Settings", key, value);
    }
    std::optional<std::string> stored(const std::string& key) {
        return store.inner.GetSetting("Glintmoor", "Settings", key);
    }
    // The reporter's answer without its file: run the statement again.
    static Int16 record(const std::string& module, const std::string& proc) {
        reports.push_back({module, proc, Err().number, Err().line});
        return 0;
    }

    HeadlessPlatform platform;
    RecordingStore store;
    static inline std::vector<Report> reports;
};

TEST(SettingText, Integers) {
    EXPECT_EQ(textToInt16("110").value(), 110);
    EXPECT_EQ(textToInt16(" 111 ").value(), 111);
    EXPECT_EQ(textToInt16("-32768").value(), -32768);
    EXPECT_EQ(textToInt16("+7").value(), 7);
    EXPECT_EQ(textToInt16("110.5").value(), 110) << "ties to even";
    EXPECT_EQ(textToInt16("111,5").value(), 112);
    EXPECT_EQ(textToInt16("1e2").value(), 100);
    EXPECT_EQ(errorOf([] { textToInt16("32768"); }), err::Overflow);
    EXPECT_EQ(errorOf([] { textToInt16("-40000"); }), err::Overflow);
    for (const char* bad :
         {"", "  ", "abc", "12abc", "1.2.3", "1,2,3", "--1", ".", "e5", "0x10", "1e"}) {
        EXPECT_EQ(errorOf([&] { textToInt16(bad); }), err::TypeMismatch) << '"' << bad << '"';
    }
}

TEST(SettingText, FloatsReadPointAndComma) {
    EXPECT_EQ(textToSingle("0.53"), 0.53f);
    EXPECT_EQ(textToSingle("0,53"), 0.53f);
    EXPECT_EQ(textToSingle("6"), 6.0f);
    EXPECT_EQ(textToSingle(".5"), 0.5f);
    EXPECT_EQ(textToSingle("-2,08"), -2.08f);
    EXPECT_EQ(errorOf([] { textToSingle("1e39"); }), err::Overflow);
    EXPECT_EQ(errorOf([] { textToSingle("fast"); }), err::TypeMismatch);
}

TEST(SettingText, FloatsWriteTheShortestInvariantText) {
    EXPECT_EQ(singleToText(6.0f), "6");
    EXPECT_EQ(singleToText(10.0f), "10");
    EXPECT_EQ(singleToText(0.53f), "0.53");
    EXPECT_EQ(singleToText(2.08f), "2.08");
    EXPECT_EQ(singleToText(0.1f), "0.1");
    EXPECT_EQ(singleToText(0.0f), "0");
    EXPECT_EQ(singleToText(1e10f), "10000000000") << "no exponent";
    // At most 7 significant digits, even where reading back needs more.
    EXPECT_EQ(singleToText(1.0f / 3), "0.3333333");
    EXPECT_EQ(singleToText(-2.0f / 3), "-0.6666667");
    EXPECT_EQ(singleToText(1234567.9f), "1234568");
    EXPECT_EQ(singleToText(0.00012345678f), "0.0001234568");
}

// Digits of a decimal text from its first nonzero one.
std::size_t significantDigits(std::string text) {
    std::erase_if(text, [](char c) { return c == '-' || c == '.'; });
    const auto first = text.find_first_not_of('0');
    return first == std::string::npos ? 0 : text.size() - first;
}

// Every value the dialog's sliders can produce reads back unchanged.
TEST(SettingText, EveryDialogValueRoundTrips) {
    for (int v = 1; v <= 100; ++v) {
        const Single values[] = {
            static_cast<Single>(v * 0.08 + 2),     // SpeedF, Size, SpeedO
            static_cast<Single>(v * 0.01 + 0.03),  // SpeedS
            static_cast<Single>(v * 0.1),          // Speed
        };
        for (Single f : values) {
            const std::string text = singleToText(f);
            EXPECT_EQ(textToSingle(text), f) << text;
            EXPECT_LE(significantDigits(text), 7u) << text;
            EXPECT_EQ(text.find_first_of("eE,"), std::string::npos) << text;
            std::string comma = text;
            if (auto p = comma.find('.'); p != std::string::npos) comma[p] = ',';
            EXPECT_EQ(textToSingle(comma), f) << comma;
        }
        const Int16 maxFl = CInt(v * 1.8 + 20);
        EXPECT_EQ(textToInt16(std::to_string(maxFl.value())), maxFl);
    }
}

TEST_F(SettingsTest, AnEmptyStoreGivesTheDefaults) {
    LoadConfig();
    const Settings& s = settings();
    EXPECT_EQ(s.maxFl.value(), 110);
    EXPECT_EQ(s.minFl.value(), 55);
    EXPECT_EQ(s.SpeedF, 6.0f);
    EXPECT_EQ(s.Size, 6.0f);
    EXPECT_EQ(s.SpeedS, 0.53f);
    EXPECT_EQ(s.SpeedO, 6.0f);
    EXPECT_EQ(s.Speed, 5.0f);
    EXPECT_EQ(s.Date.value(), 1);
    EXPECT_EQ(s.Time.value(), 1);
    EXPECT_EQ(s.Snowman.value(), 1);
    EXPECT_EQ(s.Classic.value(), 0);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(describeSettings(s),
              "maxFl=110\nminFl=55\nSpeedF=6\nSize=6\nSpeedS=0.53\nSpeedO=6\nSpeed=5\n"
              "Date=1\nTime=1\nSnowman=1\nClassic=0\n");
}

TEST_F(SettingsTest, MinFlIsHalfOfMaxFlTiesToEven) {
    for (const auto& [maxFl, minFl] : std::vector<std::pair<int, int>>{
             {111, 56}, {109, 54}, {1, 0}, {110, 55}, {3, 2}, {5, 2}, {-3, -2}, {200, 100}}) {
        put("maxFl", std::to_string(maxFl));
        LoadConfig();
        EXPECT_EQ(settings().minFl.value(), minFl) << maxFl;
    }
}

TEST_F(SettingsTest, StoredValuesAreUsedAsTheyStand) {
    put("maxFl", "600");
    put("Speed", "0");
    put("SpeedS", "0,03");
    put("Snowman", "0");
    put("Date", "0");
    put("Classic", "1");
    LoadConfig();
    EXPECT_EQ(settings().Classic.value(), 1);
    EXPECT_EQ(settings().maxFl.value(), 600);
    EXPECT_EQ(settings().Speed, 0.0f);
    EXPECT_EQ(settings().SpeedS, 0.03f);
    EXPECT_EQ(settings().Snowman.value(), 0);
    EXPECT_EQ(settings().Date.value(), 0);
    EXPECT_TRUE(reports.empty());
}

TEST_F(SettingsTest, BadTextIsReportedOnceAndTheDefaultUsed) {
    put("maxFl", "viele");
    put("SpeedS", "0.5x");
    put("Time", "70000");
    put("Speed", "7");
    LoadConfig();
    const Settings& s = settings();
    EXPECT_EQ(s.maxFl.value(), 110);
    EXPECT_EQ(s.minFl.value(), 55);
    EXPECT_EQ(s.SpeedS, 0.53f);
    EXPECT_EQ(s.Time.value(), 1);
    EXPECT_EQ(s.Speed, 7.0f) << "the good keys load";
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].module, "Saver");
    EXPECT_EQ(reports[0].proc, "LoadConfig");
    EXPECT_EQ(reports[0].number, err::TypeMismatch);
    EXPECT_EQ(reports[0].line, 50010);
    EXPECT_EQ(reports[1].number, err::TypeMismatch);
    EXPECT_EQ(reports[1].line, 50040);
    EXPECT_EQ(reports[2].number, err::Overflow);
    EXPECT_EQ(reports[2].line, 50090);
}

TEST_F(SettingsTest, SaveConfigWritesEightKeysInOrderAndNeverSnowman) {
    put("Snowman", "0");
    LoadConfig();
    Settings& s = settings();
    s.maxFl = 24;
    s.SpeedS = 0.56f;
    s.Speed = 0.1f;
    s.Date = 0;
    s.Snowman = 1;  // changed in memory: still not written
    store.written.clear();
    SaveConfig();
    SaveConfig();
    const std::vector<std::string> order = {"SpeedF", "Size",  "maxFl", "SpeedS",
                                            "SpeedO", "Speed", "Date",  "Time"};
    ASSERT_EQ(store.written.size(), 16u);
    for (std::size_t i = 0; i < store.written.size(); ++i) {
        EXPECT_EQ(store.written[i], "Glintmoor/Settings/" + order[i % 8]);
    }
    EXPECT_EQ(stored("Snowman"), "0");
    EXPECT_EQ(stored("maxFl"), "24");
    EXPECT_EQ(stored("SpeedS"), "0.56");
    EXPECT_EQ(stored("Speed"), "0.1");
    EXPECT_EQ(stored("SpeedF"), "6");
    EXPECT_EQ(stored("Date"), "0");
}

TEST_F(SettingsTest, SaveAndLoadThroughAnIniFile) {
    test::TempDir dir;
    IniStore ini(dir.file("deep/er/settings.ini"));
    platform.setSettingsStore(&ini);
    Settings& s = settings();
    s.maxFl = 200, s.SpeedF = 2.08f, s.Size = 10, s.SpeedS = 1.03f, s.SpeedO = 2.16f;
    s.Speed = 9.9f, s.Date = 1, s.Time = 0;
    SaveConfig();
    const std::string text = test::readFile(ini.path());
    EXPECT_EQ(text,
              "[Settings]\nSpeedF=2.08\nSize=10\nmaxFl=200\nSpeedS=1.03\nSpeedO=2.16\nSpeed=9.9\n"
              "Date=1\nTime=0\n");
    settings() = Settings{};
    LoadConfig();
    EXPECT_EQ(s.maxFl.value(), 200);
    EXPECT_EQ(s.minFl.value(), 100);
    EXPECT_EQ(s.SpeedF, 2.08f);
    EXPECT_EQ(s.Size, 10.0f);
    EXPECT_EQ(s.SpeedS, 1.03f);
    EXPECT_EQ(s.SpeedO, 2.16f);
    EXPECT_EQ(s.Speed, 9.9f);
    EXPECT_EQ(s.Time.value(), 0);
    EXPECT_EQ(s.Snowman.value(), 1);
}

TEST(IniStore, MissingFileIsAnEmptyStore) {
    test::TempDir dir;
    IniStore ini(dir.file("none/settings.ini"));
    EXPECT_EQ(ini.GetSetting("Glintmoor", "Settings", "maxFl"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none"))) << "reading creates nothing";
}

TEST(IniStore, EditsKeepForeignLinesAndSections) {
    test::TempDir dir;
    const std::string path = dir.file("settings.ini");
    test::writeFile(path,
                    "; written by hand\r\n[Other]\r\nmaxFl=1\r\n\r\n[settings]\r\n MAXFL = 23 \r\n"
                    "SpeedS=0,56\r\n\r\n[Tail]\r\nx=y\r\n");
    IniStore ini(path);
    EXPECT_EQ(ini.GetSetting("Glintmoor", "Settings", "maxFl"), "23")
        << "case and blanks do not matter";
    EXPECT_EQ(ini.GetSetting("Glintmoor", "Settings", "SpeedS"), "0,56");
    EXPECT_EQ(ini.GetSetting("Glintmoor", "Settings", "x"), std::nullopt)
        << "other sections do not count";
    ini.SaveSetting("Glintmoor", "Settings", "maxFl", "24");
    ini.SaveSetting("Glintmoor", "Settings", "Speed", "5");
    EXPECT_EQ(
        test::readFile(path),
        "; written by hand\n[Other]\nmaxFl=1\n\n[settings]\nmaxFl=24\nSpeedS=0,56\nSpeed=5\n\n"
        "[Tail]\nx=y\n");
}

TEST(IniStore, AByteOrderMarkIsReadOverAndKept) {
    test::TempDir dir;
    const std::string path = dir.file("settings.ini");
    test::writeFile(path, "\xEF\xBB\xBF[Settings]\r\nmaxFl=23\r\n");
    IniStore ini(path);
    EXPECT_EQ(ini.GetSetting("Glintmoor", "Settings", "maxFl"), "23");
    ini.SaveSetting("Glintmoor", "Settings", "Date", "0");
    EXPECT_EQ(test::readFile(path), "\xEF\xBB\xBF[Settings]\nmaxFl=23\nDate=0\n");
}

#ifndef _WIN32
// A write that fails half way (here: a file-size limit, as a full disk
// would) reports 75 and leaves the file as it was, every key in it.
TEST(IniStore, AFailedWriteKeepsTheFile) {
    test::TempDir dir;
    const std::string path = dir.file("settings.ini");
    const std::string before = "[Settings]\nmaxFl=23\nSpeedS=0.56\nDate=0\nTime=0\n";
    test::writeFile(path, before);
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
        IniStore ini(path);
        const int error = errorOf([&] { ini.SaveSetting("Glintmoor", "Settings", "Speed", "5"); });
        _exit(error);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), err::PathFileAccess);
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}
#endif

}  // namespace
}  // namespace gm
