// The error reporter: the protocol text line by line, the protocol file and
// its name, the steps of OnError and the bound on repeated reports.
#include "errors/protocol.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "errors/reporter.h"
#include "errors/trap.h"
#include "platform/headless/headless_platform.h"
#include "tests/support/test_env.h"

namespace gm {
namespace {

int gExitCalls = 0;
void countExit() { ++gExitCalls; }

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

void setError(int number, int line) {
    Err().number = number;
    Err().description = errorDescription(number);
    Err().line = line;
}

class ProtocolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LocalDateTime t;
        t.year = 2026, t.month = 3, t.day = 7, t.hour = 9, t.minute = 5, t.second = 4;
        platform.setDateTime(t);
        platform.setProgramPath("C:\\Programme\\Glintmoor\\Glintmoor.scr");
        OsVersionInfo nt;
        nt.majorVersion = 5, nt.minorVersion = 0, nt.platformId = 2;
        nt.buildNumber = 0x0A280893;  // the older family packs the version into the high word
        nt.csdVersion = std::string("Service Pack 4\0garbage", 22) + std::string(106, '\0');
        platform.setOsVersion(nt);
        setPlatform(&platform);
        gExitCalls = 0;
        setExitScreensaver(&countExit);
    }
    void TearDown() override {
        setExitScreensaver(nullptr);
        setPlatform(nullptr);
    }

    HeadlessPlatform platform;
    test::TempDir dir;
    test::ScopedEnv protocolDir{"GLINTMOOR_PROTOCOL_DIR", dir.path().string()};
    std::string protocolFile() const { return dir.file("Glintmoor.EPT"); }
};

const std::string kRule(70, '-');
const std::string kPad(10, ' ');

TEST_F(ProtocolTest, OneReportLineByLine) {
    ErrPtnr reporter;
    setError(err::Overflow, 50070);
    EXPECT_EQ(reporter.OnError("frmMain", "ObjektFlieg").value(), 0);

    const std::vector<std::string> expected = {
        kRule,
        "F E H L E R P R O T O K O L L  /  E R R O R   P R O T O C O L L",
        kRule,
        "PROGRAMM-INFO:",
        kPad + "Glintmoor  V1.0.310",
        kRule,
        "FEHLERBESCHREIBUNG / ERROR DESCRIPTION:",
        kPad + "Fehler-Nr / error :\t6 (Overflow)",
        kPad + "Modul:\tfrmMain",
        kPad + "Prozedur / procedure:\tObjektFlieg",
        kPad + "Zeile / Line:\t50070",
        kPad + "Datum/Uhrzeit (Date/Time):\t03-07-2026 / 09:05:04",
        kRule,
        "SYSTEMINFO:",
        kPad + "Plattform/Environment:\tWindows NT",
        kPad + "Version:\t5.0",
        kPad + "Build:\t2195   Service Pack 4",
        kRule,
        "",  // the extra line break after the block
    };
    const std::vector<std::string> lines = crlfLines(test::readFile(protocolFile()));
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

TEST_F(ProtocolTest, OnErrorResetsThePointerBeepsAndEndsTheShow) {
    ErrPtnr reporter;
    setError(err::DivisionByZero, 50020);
    reporter.OnError("frmMain", "Form_Load");
    EXPECT_EQ(platform.pointerResets(), 1);
    EXPECT_EQ(platform.beeps(), 1);
    EXPECT_EQ(gExitCalls, 1);
    EXPECT_EQ(reporter.lblError[0], "11 (Division by zero)");
    EXPECT_EQ(reporter.lblError[1], "frmMain");
    EXPECT_EQ(reporter.lblError[2], "Form_Load");
    EXPECT_EQ(reporter.lblError[3], "50020");
}

TEST_F(ProtocolTest, TwoReportsPileUpInOneFile) {
    ErrPtnr reporter;
    setError(err::Overflow, 50010);
    reporter.OnError("Allgemein", "Zz");
    setError(err::SubscriptOutOfRange, 50080);
    reporter.OnError("frmMain", "Form_Resize");

    const std::string text = test::readFile(protocolFile());
    const std::string blockEnd = kRule + "\r\n\r\n";
    const auto first = text.find(blockEnd);
    ASSERT_NE(first, std::string::npos);
    const std::string second = text.substr(first + blockEnd.size());
    EXPECT_EQ(second.substr(0, kRule.size() + 2), kRule + "\r\n")
        << "the second block starts after one empty line";
    EXPECT_NE(text.substr(0, first).find("Prozedur / procedure:\tZz\r\n"), std::string::npos);
    EXPECT_NE(second.find("Fehler-Nr / error :\t9 (Subscript out of range)\r\n"),
              std::string::npos);
    EXPECT_NE(second.find("Zeile / Line:\t50080\r\n"), std::string::npos);
    EXPECT_EQ(second.size() - second.rfind(blockEnd), blockEnd.size())
        << "each block ends in an empty line";
}

TEST_F(ProtocolTest, TheProgramInfoLineStaysOnceSet) {
    ErrPtnr reporter;
    reporter.lblProgInfo = "Glintmoor  V9.9.9";
    setError(err::Overflow, 50010);
    reporter.OnError("Allgemein", "Zz");
    EXPECT_NE(test::readFile(protocolFile()).find(kPad + "Glintmoor  V9.9.9\r\n"),
              std::string::npos);
}

TEST_F(ProtocolTest, OlderFamilyAndUnknownPlatforms) {
    OsVersionInfo info;
    info.platformId = 1, info.majorVersion = 4, info.minorVersion = 10;
    info.buildNumber = 0x040A0898;
    info.csdVersion = std::string(" A ") + '\0';
    protocol::SystemLines sys = protocol::systemLines(info);
    EXPECT_EQ(sys.platform, "Windows 9x");
    EXPECT_EQ(sys.version, "4.10");
    EXPECT_EQ(sys.build, "2200    A ");
    info.platformId = 0;
    EXPECT_EQ(protocol::systemLines(info).platform, "Win32s");
    info.platformId = 3;
    EXPECT_EQ(protocol::systemLines(info).platform, "");
    // A service-pack field without its NUL gives no text.
    info.csdVersion = "Service Pack 1";
    EXPECT_EQ(protocol::systemLines(info).build, "2200   ");
}

TEST_F(ProtocolTest, LinuxNamesTheKernelAndTheDistribution) {
    OsVersionInfo info;
    info.platformId = 2, info.majorVersion = 6, info.minorVersion = 1;
    info.kernelName = "Linux";
    info.kernelRelease = "6.1.0-18-amd64";
    info.distribution = "Debian GNU/Linux 12 (bookworm)";
    const protocol::SystemLines sys = protocol::systemLines(info);
    EXPECT_EQ(sys.platform, "Linux");
    EXPECT_EQ(sys.version, "6.1");
    EXPECT_EQ(sys.build, "6.1.0-18-amd64   Debian GNU/Linux 12 (bookworm)");
}

TEST(ProtocolFileName, DriveRootsGetNoSecondBackslash) {
    EXPECT_EQ(protocol::programName("C:\\Programme\\Glintmoor.scr"), "Glintmoor");
    EXPECT_EQ(protocol::programName("/usr/bin/glintmoor"), "glintmoor");
    EXPECT_EQ(protocol::programName("C:\\a.b\\Glint.moor.scr"), "Glint.moor");
    EXPECT_EQ(protocol::folderOf("C:\\Programme\\Glintmoor.scr"), "C:\\Programme");
    EXPECT_EQ(protocol::folderOf("C:\\Glintmoor.scr"), "C:\\");
    EXPECT_EQ(protocol::folderOf("/glintmoor"), "/");
    EXPECT_EQ(protocol::folderOf("/usr/bin/glintmoor"), "/usr/bin");
    test::ScopedEnv noOverride("GLINTMOOR_PROTOCOL_DIR", std::nullopt);
    EXPECT_EQ(protocol::protocolPath("C:\\Glintmoor.scr"), "C:\\Glintmoor.EPT");
    EXPECT_EQ(protocol::protocolPath("C:\\Programme\\Glintmoor.scr"),
              "C:\\Programme\\Glintmoor.EPT");
    EXPECT_EQ(protocol::protocolPath("/usr/bin/glintmoor"), "/usr/bin/glintmoor.EPT");
}

TEST(ProtocolFileName, TheOverrideFolderFollowsTheSameRule) {
    {
        test::ScopedEnv dir("GLINTMOOR_PROTOCOL_DIR", "Z:\\tmp\\");
        EXPECT_EQ(protocol::protocolPath("C:\\x\\Glintmoor.scr"), "Z:\\tmp\\Glintmoor.EPT");
    }
    {
        test::ScopedEnv dir("GLINTMOOR_PROTOCOL_DIR", "Z:\\tmp");
        EXPECT_EQ(protocol::protocolPath("C:\\x\\Glintmoor.scr"), "Z:\\tmp\\Glintmoor.EPT");
    }
    {
        test::ScopedEnv dir("GLINTMOOR_PROTOCOL_DIR", "/var/tmp");
        EXPECT_EQ(protocol::protocolPath("/usr/bin/glintmoor"), "/var/tmp/glintmoor.EPT");
    }
}

TEST(ProtocolTexts, DateTimeAndNulCut) {
    LocalDateTime t;
    t.year = 2001, t.month = 12, t.day = 31, t.hour = 23, t.minute = 59, t.second = 9;
    EXPECT_EQ(protocol::dateText(t), "12-31-2001");
    EXPECT_EQ(protocol::timeText(t), "23:59:09");
    EXPECT_EQ(LPSTRToVBString(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(LPSTRToVBString(std::string("\0x", 2)), "");
    EXPECT_EQ(LPSTRToVBString("no terminator"), "");
}

// A statement that keeps failing outside the show: the reporter answers 0
// twice, then 2, so the procedure is left after three reports.
TEST_F(ProtocolTest, RepeatedFailuresOfOneStatementAreBounded) {
    setErrorHandler(&OnError);
    int attempts = 0;
    bool after = false;
    trapped("Saver", "LoadConfig", [&](Trap& at) {
        at(50010, [&] {
            ++attempts;
            raise(err::TypeMismatch);
        });
        at(50020, [&] { after = true; });
    });
    EXPECT_EQ(attempts, kRepeatBound);
    EXPECT_FALSE(after) << "the procedure is left";
    EXPECT_EQ(platform.beeps(), kRepeatBound);

    // A different statement starts a new count.
    int other = 0;
    trapped("Saver", "SaveConfig", [&](Trap& at) {
        at(50010, [&] {
            if (++other < 3) raise(err::PathFileAccess);
        });
    });
    EXPECT_EQ(other, 3) << "two reports, then success";
    const std::string text = test::readFile(protocolFile());
    std::size_t blocks = 0;
    for (auto at = text.find("F E H L E R"); at != std::string::npos;
         at = text.find("F E H L E R", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, static_cast<std::size_t>(kRepeatBound + 2));
}

// A statement that fails now and then, with successful runs in between, is
// retried every time: only reports in a row count towards the bound. A
// statement nested in the failing one does not break the row.
TEST_F(ProtocolTest, ASuccessfulRunInBetweenStartsTheRepeatCountAfresh) {
    setErrorHandler(&OnError);
    int runs = 0, passes = 0;
    trapped("frmMain", "moveFlakes", [&](Trap& at) {
        for (int i = 0; i < 6; ++i) {
            at(50010, [&] {
                if (++runs % 2 == 1) raise(err::Overflow);  // every first try fails
            });
            at(50020, [&] { ++passes; });
        }
    });
    EXPECT_EQ(passes, 6) << "never left";
    EXPECT_EQ(platform.beeps(), 6);

    int attempts = 0;
    trapped("frmMain", "BuildBG", [&](Trap& at) {
        at(50070, [&] {
            ++attempts;
            trapped("frmMain", "Hintergrund", [](Trap& inner) { inner(50010, [] {}); });
            raise(err::Overflow);
        });
    });
    EXPECT_EQ(attempts, kRepeatBound);
}

TEST_F(ProtocolTest, AnUnwritableProtocolGoesToStandardError) {
    test::ScopedEnv missing("GLINTMOOR_PROTOCOL_DIR", dir.file("no-such-folder"));
    ErrPtnr reporter;
    setError(err::Overflow, 50010);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(reporter.OnError("Allgemein", "Zz").value(), 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot write the error protocol"), std::string::npos);
    EXPECT_NE(err.find("Prozedur / procedure:\tZz"), std::string::npos) << "the error is not lost";
    EXPECT_EQ(platform.beeps(), 1) << "the reporter goes on";
}

// Which folder the platform names is the backends' (and the Linux
// commands') own test.
TEST_F(ProtocolTest, FallsBackToThePlatformsFolderOfTheUsersFiles) {
    test::ScopedEnv noOverride("GLINTMOOR_PROTOCOL_DIR", std::nullopt);
    platform.setUserDataFolder(dir.file("config") + "/glintmoor");  // made when needed
    platform.setProgramPath(dir.file("read-only") + "/glintmoor");  // a folder that does not exist
    ErrPtnr reporter;
    setError(err::Overflow, 50010);
    reporter.OnError("Allgemein", "Zz");
    const std::string text = test::readFile(dir.file("config") + "/glintmoor/glintmoor.EPT");
    EXPECT_NE(text.find("Modul:\tAllgemein"), std::string::npos);
    EXPECT_NE(text.find(kPad + "glintmoor  V1.0.310\r\n"), std::string::npos);

    platform.setUserDataFolder("");
    ::testing::internal::CaptureStderr();
    reporter.OnError("Allgemein", "Zz");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot write the error protocol"),
              std::string::npos)
        << "no folder of the user's files: nowhere";
}

}  // namespace
}  // namespace gm
