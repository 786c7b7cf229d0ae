// glintmoor --record: frames of the show written as PNG files, without a
// display.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <vector>

#include "programs/record_command.h"
#include "tests/support/test_env.h"

namespace gm::test {
namespace {

// Width and height from a PNG file's header, or {0, 0} when it is none.
std::pair<std::uint32_t, std::uint32_t> pngSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char h[24] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!in || !std::equal(signature, signature + 8, h)) return {0, 0};
    const auto be = [&](int at) {
        return std::uint32_t(h[at]) << 24 | std::uint32_t(h[at + 1]) << 16 |
               std::uint32_t(h[at + 2]) << 8 | h[at + 3];
    };
    return {be(16), be(20)};
}

class Record : public ::testing::Test {
  protected:
    TempDir dir;
    ScopedEnv settings{"GLINTMOOR_SETTINGS", dir.file("settings.ini")};
    ScopedEnv protocol{"GLINTMOOR_PROTOCOL_DIR", dir.path().string()};
};

TEST_F(Record, WritesOneNumberedFramePerTick) {
    const std::string out = dir.file("show");
    const auto code =
        runRecordCommand({"--record", out, "--frames", "4", "--seed", "7", "--size", "320x240"});
    ASSERT_EQ(code, 0);
    for (const char* name :
         {"frame-0001.png", "frame-0002.png", "frame-0003.png", "frame-0004.png"})
        EXPECT_EQ(pngSize(out + "/" + name), (std::pair<std::uint32_t, std::uint32_t>{320, 240}))
            << name;
    EXPECT_FALSE(std::filesystem::exists(out + "/frame-0005.png"));
    // The snow moves from frame to frame.
    EXPECT_NE(readFile(out + "/frame-0001.png"), readFile(out + "/frame-0004.png"));
}

TEST_F(Record, TheSeedChoosesTheLandscape) {
    ASSERT_EQ(runRecordCommand(
                  {"--record", dir.file("a"), "--frames", "1", "--seed", "3", "--size", "200x150"}),
              0);
    ASSERT_EQ(runRecordCommand(
                  {"--record", dir.file("b"), "--frames", "1", "--seed", "4", "--size", "200x150"}),
              0);
    EXPECT_NE(readFile(dir.file("a") + "/frame-0001.png"),
              readFile(dir.file("b") + "/frame-0001.png"));
}

TEST_F(Record, RefusesMalformedOptionsAndLeavesOtherCommandLinesAlone) {
    EXPECT_EQ(runRecordCommand({"/s"}), std::nullopt);
    EXPECT_EQ(runRecordCommand({"--record"}), 2);
    EXPECT_EQ(runRecordCommand({"--record", dir.file("x"), "--frames", "0"}), 2);
    EXPECT_EQ(runRecordCommand({"--record", dir.file("x"), "--size", "10x10"}), 2);
    EXPECT_EQ(runRecordCommand({"--record", dir.file("x"), "--window"}), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x")));
}

}  // namespace
}  // namespace gm::test
