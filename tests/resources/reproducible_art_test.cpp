// Painting the art again from its sources gives the committed files byte
// for byte: the generator runs into a fresh folder and every file it writes
// is compared with the one in resources/.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

std::set<std::string> filesUnder(const fs::path& root, const fs::path& sub) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(root / sub))
        names.insert((sub / e.path().filename()).string());
    return names;
}

TEST(ReproducibleArt, RegeneratingGivesTheCommittedBytes) {
    const char* source = std::getenv("GLINTMOOR_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const fs::path committed = fs::path(source) / "resources";
    const fs::path fresh =
        fs::temp_directory_path() / ("glintmoor-art-" + std::to_string(::getpid()));
    fs::remove_all(fresh);
    const std::string command = std::string(GLINTMOOR_ARTGEN) + " " + fresh.string();
    ASSERT_EQ(std::system(command.c_str()), 0);

    std::set<std::string> generated = filesUnder(fresh, "bitmaps");
    generated.merge(filesUnder(fresh, "icons"));
    generated.insert("bitmaps.rc");
    std::set<std::string> stored = filesUnder(committed, "bitmaps");
    stored.merge(filesUnder(committed, "icons"));
    stored.insert("bitmaps.rc");
    EXPECT_EQ(generated, stored) << "the same set of files";
    for (const std::string& name : generated)
        EXPECT_TRUE(contents(fresh / name) == contents(committed / name)) << name << " differs";
    fs::remove_all(fresh);
}

}  // namespace
