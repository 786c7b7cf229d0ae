// The --render and --gallery commands: the same seed gives the same file,
// byte for byte; --size gives the full-screen background with the banner in
// the lower right corner; malformed options are refused.
#include "programs/render_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gfx/bitmap_resource.h"
#include "platform/ini_store.h"
#include "resources/resource_ids.h"

namespace gm {
namespace {

namespace fs = std::filesystem;

class RenderCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("glintmoor-render-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // No settings file: the defaults, as on a first start.
        ::setenv("GLINTMOOR_SETTINGS", (dir_ / "settings.ini").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string bytesOf(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Width and height from a PNG's header chunk.
    static std::pair<int, int> pngSize(const std::string& bytes) {
        const auto be32 = [&](std::size_t at) {
            return (static_cast<unsigned char>(bytes[at]) << 24) |
                   (static_cast<unsigned char>(bytes[at + 1]) << 16) |
                   (static_cast<unsigned char>(bytes[at + 2]) << 8) |
                   static_cast<unsigned char>(bytes[at + 3]);
        };
        return {be32(16), be32(20)};
    }

    fs::path dir_;
};

TEST_F(RenderCommands, SameSeedSameFile) {
    EXPECT_EQ(runFileCommand({"--render", path("a.png"), "--seed", "7"}), 0);
    EXPECT_EQ(runFileCommand({"--seed", "7", "--render", path("b.png")}), 0);
    EXPECT_EQ(runFileCommand({"--render", path("c.png"), "--seed", "8"}), 0);
    const std::string a = bytesOf(path("a.png"));
    ASSERT_GT(a.size(), 1000u);
    EXPECT_EQ(a.substr(1, 3), "PNG");
    EXPECT_EQ(pngSize(a), (std::pair{640, 480}));
    EXPECT_EQ(a, bytesOf(path("b.png")));
    EXPECT_NE(a, bytesOf(path("c.png")));
}

TEST_F(RenderCommands, SizeGivesTheBackgroundWithTheBannerInTheLowerRightCorner) {
    // The classic picture: the 640 x 480 canvas stretched over the screen.
    std::ofstream(path("settings.ini")) << "[Settings]\nClassic=1\n";
    EXPECT_EQ(runFileCommand({"--render", path("big.png"), "--seed", "3", "--size", "1024x600"}),
              0);
    EXPECT_EQ(pngSize(bytesOf(path("big.png"))), (std::pair{1024, 600}));

    IniStore store(path("settings.ini"));
    const RenderedScene scene = renderScene(3, 1024, 600, store);
    ASSERT_EQ(scene.background.width(), 1024);
    ASSERT_EQ(scene.background.height(), 600);
    const gfx::Bitmap banner = gfx::LoadBitmapResource(res::kBanner);
    const int left = 1024 - banner.width(), top = 600 - banner.height();
    for (int y = 0; y < banner.height(); ++y)
        for (int x = 0; x < banner.width(); ++x)
            ASSERT_EQ(scene.background.row(top + y)[left + x], banner.row(y)[x]) << x << "," << y;
    // Elsewhere the scene, stretched from 640 x 480.
    EXPECT_EQ(scene.background.row(0)[0], scene.canvas.row(0)[0]);
    EXPECT_EQ(scene.background.row(599)[0], scene.canvas.row(479)[0]);
    EXPECT_EQ(scene.canvas.width(), 640);
}

TEST_F(RenderCommands, GalleryWritesTheSeedsAndAnIndex) {
    EXPECT_EQ(runFileCommand({"--gallery", path("g"), "--count", "3"}), 0);
    for (const char* name : {"scene-0001.png", "scene-0002.png", "scene-0003.png", "index.html"})
        EXPECT_TRUE(fs::exists(dir_ / "g" / name)) << name;
    EXPECT_FALSE(fs::exists(dir_ / "g" / "scene-0004.png"));
    EXPECT_EQ(runFileCommand({"--render", path("two.png"), "--seed", "2"}), 0);
    EXPECT_EQ(bytesOf(path("g/scene-0002.png")), bytesOf(path("two.png")));
}

TEST_F(RenderCommands, RefusesMalformedOptions) {
    EXPECT_EQ(runFileCommand({"/s"}), std::nullopt);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--render"},
                                                 {"--render", "x.png", "--size", "15x100"},
                                                 {"--render", "x.png", "--size", "800x7681"},
                                                 {"--render", "x.png", "--size", "800"},
                                                 {"--render", "x.png", "--seed", "-1"},
                                                 {"--gallery", "d", "--count", "0"},
                                                 {"--render", "x.png", "--gallery", "d"},
                                                 {"--render", "x.png", "/s"}})
        EXPECT_EQ(runFileCommand(args), 2) << args.back();
}

}  // namespace
}  // namespace gm
