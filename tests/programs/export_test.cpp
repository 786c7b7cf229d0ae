// --export-resources writes every bitmap for review: the stored bytes of the
// catalogue as .bmp files, every picture as a PNG of its size, and a gallery
// page whose pictures all exist.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "gfx/bmp_decoder.h"
#include "programs/export_resources.h"
#include "resources/resource_data.h"

namespace gm {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// Width and height from a PNG's IHDR chunk (big-endian, after the 8-byte
// signature and the chunk's length and type).
std::pair<int, int> pngSize(const std::vector<std::uint8_t>& png) {
    auto be32 = [&](std::size_t o) {
        return int(png.at(o)) << 24 | int(png.at(o + 1)) << 16 | int(png.at(o + 2)) << 8 |
               png.at(o + 3);
    };
    return {be32(16), be32(20)};
}

class ExportResources : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("glintmoor-export-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        ASSERT_EQ(exportResources(dir.string()), 0);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(ExportResources, CatalogueBitmapsAreTheirStoredBytesAndEveryPictureAPng) {
    int catalogue = 0;
    for (const BitmapResourceName& n : bitmapResourceNames()) {
        SCOPED_TRACE(std::string(n.name));
        const auto dib = bitmapResource(n.id);
        const gfx::BmpDecodeResult fromResource = gfx::decodeBmp(dib);
        ASSERT_TRUE(fromResource);
        const auto png = bytesOf(dir / (std::string(n.name) + ".png"));
        ASSERT_GT(png.size(), 24u);
        EXPECT_EQ(pngSize(png),
                  std::make_pair(fromResource.bitmap.width(), fromResource.bitmap.height()));
        const fs::path bmp = dir / (std::string(n.name) + ".bmp");
        if (std::isdigit(static_cast<unsigned char>(n.name[0]))) {
            ++catalogue;
            const auto file = bytesOf(bmp);
            ASSERT_EQ(file.size(), dib.size() + 14);
            EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
            // The file header's offset must lead to the same bits: the file decodes alike.
            const gfx::BmpDecodeResult fromFile = gfx::decodeBmp(file);
            ASSERT_TRUE(fromFile);
            for (int y = 0; y < fromFile.bitmap.height(); ++y)
                ASSERT_TRUE(std::equal(fromFile.bitmap.row(y),
                                       fromFile.bitmap.row(y) + fromFile.bitmap.width(),
                                       fromResource.bitmap.row(y)));
        } else {
            EXPECT_FALSE(fs::exists(bmp));
        }
    }
    EXPECT_GT(catalogue, 50);
    for (const char* name : {"banner.png", "preview.png", "about.png", "logo.png"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;
}

TEST_F(ExportResources, TheGalleryShowsSheetsFrameBesideFrameAndEveryPictureItNames) {
    std::ifstream f(dir / "index.html");
    const std::string html{std::istreambuf_iterator<char>(f), {}};
    const std::regex img("<img src=\"([^\"]+)\" width=\"([0-9]+)\" height=\"([0-9]+)\"");
    int shown = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), img);
         it != std::sregex_iterator(); ++it, ++shown) {
        const auto png = bytesOf(dir / (*it)[1].str());
        ASSERT_GT(png.size(), 24u) << (*it)[1];
        const auto [w, h] = pngSize(png);
        EXPECT_EQ(std::stoi((*it)[2]), 2 * w) << "shown at twice the size";
        EXPECT_EQ(std::stoi((*it)[3]), 2 * h);
    }
    EXPECT_EQ(shown, int(bitmapResourceNames().size()));
    EXPECT_EQ(pngSize(bytesOf(dir / "gallery" / "143.png")), std::make_pair(5 * 100, 100));
    EXPECT_EQ(pngSize(bytesOf(dir / "gallery" / "201.png")), std::make_pair(6 * 80, 65));
}

}  // namespace
}  // namespace gm
