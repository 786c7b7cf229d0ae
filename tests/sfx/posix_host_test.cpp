// The POSIX backend: a private unpacking folder that planted links cannot
// redirect, the clean-up guard, the temporary folder order, launching.
#include "sfx/linux/posix_host.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace gm::sfx {
namespace {

// Waits for the started command to end, for at most a minute (a loaded
// machine is slow, a hung command must not hang the test).
bool commandEnds(PosixHost& host) {
    for (int i = 0; i < 6000; ++i) {
        if (!host.commandRunning()) return true;
        usleep(10000);
    }
    return false;
}

class PosixHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/sfx_posix_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        base = tmpl;
    }
    void TearDown() override { std::system(("rm -rf " + base).c_str()); }
    std::string base;
};

TEST_F(PosixHostTest, UnpackFolderIsPrivateAndFresh) {
    PosixHost host;
    const std::string dir = base + "/KRSE1.tmp";
    ASSERT_TRUE(host.createUnpackFolder(dir.c_str()));
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    PosixHost again;
    EXPECT_FALSE(again.createUnpackFolder(dir.c_str()));  // never an existing folder
}

TEST_F(PosixHostTest, PlantedLinkAtTheFolderNameIsNotFollowed) {
    const std::string target = base + "/target";
    mkdir(target.c_str(), 0755);
    const std::string dir = base + "/KRSE1.tmp";
    ASSERT_EQ(symlink(target.c_str(), dir.c_str()), 0);
    PosixHost host;
    EXPECT_FALSE(host.createUnpackFolder(dir.c_str()));
    PosixHost host2;
    EXPECT_FALSE(host2.claimPlaceholder(dir.c_str()));  // the placeholder is not made through it
}

TEST_F(PosixHostTest, WritesStayInsideEvenThroughLinksInside) {
    PosixHost host;
    const std::string dir = base + "/KRSE2.tmp";
    ASSERT_TRUE(host.createUnpackFolder(dir.c_str()));
    UnpackFolder& f = host.unpackFolder();
    ASSERT_TRUE(f.createFolder("sub"));
    ASSERT_TRUE(f.createFile("sub/a.txt"));
    ASSERT_TRUE(f.writeFile(reinterpret_cast<const uint8_t*>("hi"), 2));
    DosTime t{0x6000, 0x5A88};
    f.closeFile(&t, 0750);
    struct stat st;
    ASSERT_EQ(stat((dir + "/sub/a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 2);
    EXPECT_EQ(st.st_mode & 0700, 0700u);
    struct tm tm {};
    const time_t mt = st.st_mtime;
    localtime_r(&mt, &tm);
    EXPECT_EQ(tm.tm_year + 1900, 2025);
    EXPECT_EQ(tm.tm_hour, 12);
    // A link inside the folder (made by someone) is never followed.
    const std::string outside = base + "/outside";
    mkdir(outside.c_str(), 0755);
    ASSERT_EQ(symlink(outside.c_str(), (dir + "/link").c_str()), 0);
    EXPECT_FALSE(f.createFile("link/evil.txt"));
    EXPECT_FALSE(f.createFolder("link/evil"));
    EXPECT_EQ(f.kind("link"), PathKind::Other);
    ASSERT_EQ(symlink((outside + "/file").c_str(), (dir + "/filelink").c_str()), 0);
    EXPECT_FALSE(f.createFile("filelink"));
    EXPECT_NE(access((outside + "/file").c_str(), F_OK), 0);
    // The clean-up removes the links, not what they point at.
    std::ofstream(outside + "/keep.txt") << "keep";
    NameList names;
    ASSERT_TRUE(f.listFolder("", &names));
    for (size_t i = 0; i < names.size(); ++i)
        if (names.kind(i) != PathKind::Folder) {
            EXPECT_TRUE(f.deleteFile(names.name(i)));
        }
    EXPECT_EQ(access((outside + "/keep.txt").c_str(), F_OK), 0);
    EXPECT_NE(access((dir + "/link").c_str(), F_OK), 0);
}

TEST_F(PosixHostTest, FolderIsRemovedOnlyWhileItIsStillOurs) {
    PosixHost host;
    const std::string dir = base + "/KRSE3.tmp";
    ASSERT_TRUE(host.createUnpackFolder(dir.c_str()));
    // Someone renames it and puts an empty folder in its place.
    ASSERT_EQ(rename(dir.c_str(), (base + "/moved").c_str()), 0);
    mkdir(dir.c_str(), 0700);
    EXPECT_FALSE(host.unpackFolder().removeFolder(""));
    EXPECT_EQ(access(dir.c_str(), F_OK), 0);
}

TEST_F(PosixHostTest, GuardRefusesRootTemporaryFolderAndHome) {
    PosixHost host;
    setenv("TMP", base.c_str(), 1);
    char out[512];
    ASSERT_TRUE(host.temporaryBase(out, sizeof out));
    EXPECT_EQ(base, out);
    const std::string home = base + "/home";
    mkdir(home.c_str(), 0700);
    setenv("HOME", home.c_str(), 1);
    EXPECT_FALSE(host.mayDeleteFolder("/"));
    EXPECT_FALSE(host.mayDeleteFolder(base.c_str()));
    EXPECT_FALSE(host.mayDeleteFolder((base + "/").c_str()));
    EXPECT_FALSE(host.mayDeleteFolder(home.c_str()));
    mkdir((base + "/KRSE1.tmp").c_str(), 0700);
    EXPECT_TRUE(host.mayDeleteFolder((base + "/KRSE1.tmp").c_str()));
    unsetenv("TMP");
}

TEST_F(PosixHostTest, TemporaryFolderOrder) {
    PosixHost host;
    char out[512];
    setenv("TMP", "/tmp/a", 1);
    setenv("TEMP", "/tmp/b", 1);
    setenv("TMPDIR", "/tmp/c", 1);
    host.temporaryBase(out, sizeof out);
    EXPECT_STREQ(out, "/tmp/a");
    unsetenv("TMP");
    host.temporaryBase(out, sizeof out);
    EXPECT_STREQ(out, "/tmp/b");
    setenv("TEMP", "", 1);
    host.temporaryBase(out, sizeof out);
    EXPECT_STREQ(out, "/tmp/c");
    unsetenv("TEMP");
    unsetenv("TMPDIR");
    host.temporaryBase(out, sizeof out);
    EXPECT_STREQ(out, "/tmp");
    char krt[512];
    ASSERT_TRUE(host.krtCandidate("/tmp/x", 7, krt, sizeof krt));
    EXPECT_STREQ(krt, "/tmp/x/KRT00007");
    bool keep = true;
    ASSERT_TRUE(host.fallbackPlan("/tmp/x", krt, sizeof krt, &keep));
    EXPECT_STREQ(krt, "/tmp/x/TEMP");
    EXPECT_FALSE(keep);
}

TEST_F(PosixHostTest, CommandRunsInTheFolderThroughTheShell) {
    PosixHost host;
    const std::string dir = base + "/KRSE4.tmp";
    ASSERT_TRUE(host.createUnpackFolder(dir.c_str()));
    ASSERT_TRUE(host.startCommand("pwd > here.txt; exit 3", false));
    ASSERT_TRUE(commandEnds(host));
    EXPECT_EQ(host.commandStatus(), 3);
    std::ifstream f(dir + "/here.txt");
    std::string line;
    std::getline(f, line);
    char real[4096];
    ASSERT_NE(realpath(dir.c_str(), real), nullptr);
    EXPECT_EQ(line, real);
    // Not started: no program of that name. Started: a shell command
    // (or a program) that ends with 127 ran.
    EXPECT_FALSE(host.startCommand("./does-not-exist", false));
    EXPECT_FALSE(host.startCommand("does-not-exist-either arg", false));
    for (const char* ran : {"exit 127", "sh -c 'exit 127'", "sh -c nicht-da"}) {
        ASSERT_TRUE(host.startCommand(ran, false)) << ran;
        ASSERT_TRUE(commandEnds(host)) << ran;
        EXPECT_EQ(host.commandStatus(), 127) << ran;
    }
}

TEST_F(PosixHostTest, ProgramRunningByName) {
    // A program name no other process has: a copy of sleep named after
    // this test's process.
    const std::string name = "gmsleep" + std::to_string(getpid() % 100000000);
    const std::string copy = base + "/" + name;
    ASSERT_EQ(std::system(("cp \"$(command -v sleep)\" " + copy).c_str()), 0);
    PosixHost host;
    EXPECT_FALSE(host.programRunning(name.c_str()));
    const pid_t pid = fork();
    if (pid == 0) {
        execl(copy.c_str(), name.c_str(), "60", static_cast<char*>(nullptr));
        _exit(1);
    }
    bool seen = false;  // once the child has become the copy; a minute at most
    for (int i = 0; i < 6000 && !seen; ++i) {
        seen = host.programRunning(name.c_str());
        if (!seen) usleep(10000);
    }
    EXPECT_TRUE(seen);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_FALSE(host.programRunning(name.c_str()));
}

TEST_F(PosixHostTest, DiskFilesByExtension) {
    std::ofstream(base + "/SETUP.EXE") << "exe";
    std::ofstream(base + "/SETUP.zip") << "zip";
    PosixArchiveSource src((base + "/SETUP.EXE").c_str());
    ASSERT_TRUE(src.open(ArchiveSource::Which::DiskExe));
    uint8_t buf[8];
    EXPECT_EQ(src.read(buf, sizeof buf), 3);
    ASSERT_TRUE(src.open(ArchiveSource::Which::DiskZip));
    EXPECT_EQ(src.read(buf, sizeof buf), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 3), "zip");
    EXPECT_STREQ(src.drive(), base.c_str());
}

}  // namespace
}  // namespace gm::sfx
