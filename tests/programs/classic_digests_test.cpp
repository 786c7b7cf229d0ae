// The classic picture stays bit for bit: on 4:3 screens up to 1024 x 768, in
// the preview and in --render without --size, the output matches digests
// recorded from the build before the landscape learnt other shapes and
// scales. Date and time are off, so that the frames of --record depend on
// the seed alone. The Classic setting, given as -classic, stretches the
// classic picture over a wide screen as that build did (its 1920 x 1080
// files' digests).
//
// After a deliberate change of the classic picture, record new digests:
//   GLINTMOOR_RECORD_DIGESTS=tests/programs/data/classic_digests.inc programs_classic_digests_test
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/bitmap_resource.h"
#include "programs/record_command.h"
#include "programs/render_commands.h"
#include "resources/resource_ids.h"
#include "tests/support/test_env.h"

namespace gm::test {
namespace {

struct ClassicCase {
    const char* name;
    std::uint64_t digest;
};

// {case, FNV-1a digest of the files it writes, in name order}
constexpr ClassicCase kDigests[] = {
#include "tests/programs/data/classic_digests.inc"
};

// {case, digest of what the build before wrote for the case without -classic}
constexpr ClassicCase kClassicSettingDigests[] = {
    {"render 3 1920x1080 -classic", 0x46050c87351b41c4u},
    {"record 3 1920x1080 -classic", 0x552085ae7d39926cu},
};

struct Fnv {
    std::uint64_t h = 14695981039346656037ULL;
    void add(std::uint8_t b) {
        h ^= b;
        h *= 1099511628211ULL;
    }
    void add(const std::string& bytes) {
        for (const char c : bytes) add(static_cast<std::uint8_t>(c));
    }
};

class ClassicDigests : public ::testing::Test {
  protected:
    ClassicDigests() { writeFile(dir.file("settings.ini"), "[Settings]\nDate=0\nTime=0\n"); }

    // Runs the case named "<command> <seed> <WxH> [options]" and digests what
    // it wrote.
    std::uint64_t run(const std::string& name) {
        const std::string out = dir.file(std::to_string(runs++));
        std::string command, seed, size, option;
        std::istringstream words(name);
        words >> command >> seed >> size;
        std::vector<std::string> options;
        while (words >> option) options.push_back(option);
        Fnv fnv;
        if (command == "preview") {
            const gfx::Bitmap p = gfx::LoadBitmapResource(res::kPreview);
            for (int y = 0; y < p.height(); ++y)
                for (int x = 0; x < p.width(); ++x)
                    for (const int shift : {16, 8, 0}) fnv.add((p.row(y)[x] >> shift) & 0xFFu);
            return fnv.h;
        }
        std::vector<std::string> args;
        if (command == "render") {
            args = {"--render", out + ".png", "--seed", seed};
            if (size != "-") args.insert(args.end(), {"--size", size});
            args.insert(args.end(), options.begin(), options.end());
            EXPECT_EQ(runFileCommand(args), 0) << name;
            fnv.add(readFile(out + ".png"));
        } else {
            args = {"--record", out, "--frames", "3", "--seed", seed, "--size", size};
            args.insert(args.end(), options.begin(), options.end());
            EXPECT_EQ(runRecordCommand(args), 0) << name;
            for (const char* f : {"frame-0001.png", "frame-0002.png", "frame-0003.png"})
                fnv.add(readFile(out + "/" + f));
        }
        return fnv.h;
    }

    TempDir dir;
    ScopedEnv settings{"GLINTMOOR_SETTINGS", dir.file("settings.ini")};
    ScopedEnv protocol{"GLINTMOOR_PROTOCOL_DIR", dir.path().string()};
    int runs = 0;
};

TEST_F(ClassicDigests, TheClassicPictureIsUnchanged) {
    if (const char* path = std::getenv("GLINTMOOR_RECORD_DIGESTS")) {
        std::ofstream out(path);
        for (const ClassicCase& c : kDigests)
            out << "{\"" << c.name << "\", 0x" << std::hex << run(c.name) << std::dec << "u},\n";
        GTEST_SKIP() << "recorded new digests in " << path;
    }
    for (const ClassicCase& c : kDigests) EXPECT_EQ(run(c.name), c.digest) << c.name;
}

TEST_F(ClassicDigests, MinusClassicStretchesTheClassicPictureOverAWideScreen) {
    for (const ClassicCase& c : kClassicSettingDigests) EXPECT_EQ(run(c.name), c.digest) << c.name;
}

}  // namespace
}  // namespace gm::test
