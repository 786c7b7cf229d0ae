// The DIB decoder on small hand-built bitmaps of every storage form, and on
// damaged ones.
#include "gfx/bmp_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace gm::gfx {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

constexpr std::uint32_t kPaletteSize = ~0u;

// A packed DIB: BITMAPINFOHEADER, RGBQUAD colour table, bits. The header's
// colours-used field says the palette's size unless `used` says otherwise.
Bytes dib(int width, int height, int bitCount, std::uint32_t compression,
          const std::vector<std::uint32_t>& palette, const Bytes& bits,
          std::uint32_t used = kPaletteSize) {
    if (used == kPaletteSize) used = static_cast<std::uint32_t>(palette.size());
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, bitCount);
    put32(b, compression);
    put32(b, static_cast<std::uint32_t>(bits.size()));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, used);
    put32(b, 0);
    for (std::uint32_t c : palette) put32(b, c);  // 0x00RRGGBB is B, G, R, 0 in memory
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

// The same behind a BITMAPFILEHEADER, with `gap` unused bytes before the bits.
Bytes file(const Bytes& packed, std::size_t paletteEnd, std::size_t gap = 0) {
    Bytes b{'B', 'M'};
    put32(b, static_cast<std::uint32_t>(14 + packed.size() + gap));
    put32(b, 0);
    put32(b, static_cast<std::uint32_t>(14 + paletteEnd + gap));
    b.insert(b.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(paletteEnd));
    b.insert(b.end(), gap, 0xEE);
    b.insert(b.end(), packed.begin() + static_cast<std::ptrdiff_t>(paletteEnd), packed.end());
    return b;
}

std::vector<std::vector<std::uint32_t>> pixels(const Bitmap& b) {
    std::vector<std::vector<std::uint32_t>> rows;
    for (int y = 0; y < b.height(); ++y) rows.emplace_back(b.row(y), b.row(y) + b.width());
    return rows;
}

BmpDecodeResult decode(const Bytes& b) { return decodeBmp(b); }

constexpr std::uint32_t K = 0x000000, W = 0xFFFFFF, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF;
using Rows = std::vector<std::vector<std::uint32_t>>;

TEST(BmpDecoder, OneBitBottomUpAndTopDown) {
    // 3 x 2, rows padded to 4 bytes. Stored bottom row first: "W K W", then
    // "K K W" on top; the leftmost pixel is the most significant bit.
    const Bytes bits{0b10100000, 0, 0, 0, 0b00100000, 0, 0, 0};
    const auto up = decode(dib(3, 2, 1, 0, {K, W}, bits));
    ASSERT_TRUE(up) << up.error;
    EXPECT_EQ(pixels(up.bitmap), (Rows{{K, K, W}, {W, K, W}}));
    const auto down = decode(dib(3, -2, 1, 0, {K, W}, bits));
    ASSERT_TRUE(down) << down.error;
    EXPECT_EQ(pixels(down.bitmap), (Rows{{W, K, W}, {K, K, W}}));
}

TEST(BmpDecoder, FourAndEightBitUncompressed) {
    // 4-bit, 3 x 1: indices 1, 2, 3 (high nibble first), padded to 4 bytes.
    const auto four = decode(dib(3, 1, 4, 0, {K, R, G, B}, {0x12, 0x30, 0, 0}));
    ASSERT_TRUE(four) << four.error;
    EXPECT_EQ(pixels(four.bitmap), (Rows{{R, G, B}}));
    // 8-bit, 2 x 2, a short colour table; index 200 lies beyond it: black.
    const auto eight = decode(dib(2, 2, 8, 0, {W, R}, {1, 0, 0, 0, 200, 1, 0, 0}));
    ASSERT_TRUE(eight) << eight.error;
    EXPECT_EQ(pixels(eight.bitmap), (Rows{{K, R}, {R, W}}));
}

TEST(BmpDecoder, Rle8RunsLiteralsMovesAndEnds) {
    // 5 x 3, bottom row first:
    //   row 0: run of 2 x index 1, literal (2, 1, 2) padded to 4 bytes
    //   row 1: move right 3 and up 0, run of 1 x index 2, end of row
    //   row 2: run of 9 x index 1 (cut off at 5), end of bitmap
    const Bytes bits{2, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 3, 0, 1, 2, 0, 0, 9, 1, 0, 1};
    const auto r = decode(dib(5, 3, 8, 1, {W, R, G}, bits));
    ASSERT_TRUE(r) << r.error;
    EXPECT_EQ(pixels(r.bitmap), (Rows{{R, R, R, R, R}, {K, K, K, G, K}, {R, R, G, R, G}}));
}

TEST(BmpDecoder, Rle4AlternatesNibblesAndPadsLiterals) {
    // 5 x 2: row 0 a run of 5 pixels of 0x12 (1 2 1 2 1); row 1 a literal
    // of 3 nibbles (3 1 2, two bytes, already even) then one pixel of 3.
    const Bytes bits{5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 1, 0x30, 0, 1};
    const auto r = decode(dib(5, 2, 4, 2, {K, R, G, B}, bits));
    ASSERT_TRUE(r) << r.error;
    EXPECT_EQ(pixels(r.bitmap), (Rows{{B, R, G, B, K}, {R, G, R, G, R}}));
    // A literal of 5 nibbles takes 3 bytes and one byte of padding.
    const Bytes odd{0, 5, 0x12, 0x31, 0x20, 0xFF, 0, 1};
    const auto p = decode(dib(5, 1, 4, 2, {K, R, G, B}, odd));
    ASSERT_TRUE(p) << p.error;
    EXPECT_EQ(pixels(p.bitmap), (Rows{{R, G, B, R, G}}));
}

TEST(BmpDecoder, FileHeaderAndCoreHeader) {
    const Bytes packed = dib(2, 1, 8, 0, {G, B}, {1, 0, 0, 0});
    const std::size_t paletteEnd = 40 + 2 * 4;
    for (std::size_t gap : {0u, 6u}) {
        const auto r = decode(file(packed, paletteEnd, gap));
        ASSERT_TRUE(r) << r.error;
        EXPECT_EQ(pixels(r.bitmap), (Rows{{B, G}}));
    }
    // OS/2 core header: u16 sizes, 3-byte colour table entries.
    Bytes core;
    put32(core, 12);
    put16(core, 2);
    put16(core, 1);
    put16(core, 1);
    put16(core, 1);
    core.insert(core.end(), {0, 0, 0, 0xFF, 0xFF, 0xFF});  // black, white
    core.insert(core.end(), {0b01000000, 0, 0, 0});
    const auto c = decode(core);
    ASSERT_TRUE(c) << c.error;
    EXPECT_EQ(pixels(c.bitmap), (Rows{{K, W}}));
}

TEST(BmpDecoder, DamagedDataIsAnErrorNeverACrash) {
    const Bytes good = dib(4, 4, 8, 0, {K, W}, Bytes(16, 1));
    ASSERT_TRUE(decode(good));
    const auto fails = [](const Bytes& b, const std::string& why) {
        const auto r = decodeBmp(b);
        EXPECT_FALSE(r) << why;
        EXPECT_NE(r.error.find(why), std::string::npos) << "got: " << r.error;
    };
    // Every truncation of a good bitmap.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(decodeBmp(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n))))
            << "cut at " << n;
    fails(Bytes(good.begin(), good.begin() + 20), "header");
    fails(Bytes(good.begin(), good.begin() + 44), "colour table");
    fails(Bytes(good.begin(), good.end() - 1), "pixel rows");
    fails(dib(4, 1, 24, 0, {}, Bytes(12, 0)), "bit count 24");
    fails(dib(4, 1, 8, 2, {K}, {0, 1}), "compression does not match");
    fails(dib(4, 1, 8, 3, {K}, {0, 1}), "unsupported compression 3");
    fails(dib(4, -1, 8, 1, {K}, {0, 1}), "top-down");
    fails(dib(0, 1, 8, 0, {K}, {}), "no pixels");
    fails(dib(4, 1, 8, 0, {K}, Bytes(4, 0), 300), "colour table is longer");
    fails(dib(4, 2, 8, 1, {K}, {4, 0, 0, 0}), "end-of-bitmap");
    fails(dib(4, 1, 8, 1, {K}, {0, 5, 1, 2}), "ends inside a code");
    // Huge sizes are refused before anything is allocated.
    fails(dib(16384, 16384, 1, 0, {K, W}, {}), "too large");
    fails(dib(70000, 1, 1, 0, {K, W}, {}), "too large");
    Bytes planes = good;
    planes[12] = 2;
    fails(planes, "planes");
    Bytes unknown = good;
    unknown[0] = 41;
    fails(unknown, "unknown bitmap header size 41");
    Bytes offset = file(good, 48);
    offset[10] = 0xFF;
    offset[11] = 0xFF;
    fails(offset, "outside the file");
}

// --- Files from elsewhere -------------------------------------------------------

std::filesystem::path dataDir() {
    const char* source = std::getenv("GLINTMOOR_SOURCE_DIR");
    std::string root = source ? source : ".";
#ifdef _WIN32
    if (!root.empty() && root[0] == '/') root = "Z:" + root;  // Wine maps Z: to /
#endif
    return std::filesystem::path(root) / "tests" / "gfx" / "data";
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A plain-text PPM (P3) as rows of 0x00RRGGBB pixels.
Rows readPpm(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    Rows rows(h, std::vector<std::uint32_t>(w));
    for (auto& row : rows)
        for (auto& p : row) {
            unsigned r = 0, g = 0, b = 0;
            in >> r >> g >> b;
            p = (r << 16) | (g << 8) | b;
        }
    return in ? rows : Rows{};
}

TEST(BmpDecoder, AgreesWithImageMagickOnItsBitmaps) {
    for (const char* name : {"imagemagick_mono1", "imagemagick_pal4", "imagemagick_rle8"}) {
        const Bytes bmp = readFile(dataDir() / (std::string(name) + ".bmp"));
        const Rows want = readPpm(dataDir() / (std::string(name) + ".ppm"));
        ASSERT_FALSE(bmp.empty()) << name;
        ASSERT_FALSE(want.empty()) << name;
        const auto r = decodeBmp(bmp);
        ASSERT_TRUE(r) << name << ": " << r.error;
        EXPECT_EQ(pixels(r.bitmap), want) << name;
    }
}

TEST(BmpDecoder, FuzzFindingsDecodeOrFailCleanly) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir())) {
        if (entry.path().filename().string().rfind("fuzz_", 0) != 0) continue;
        ++files;
        const auto r = decodeBmp(readFile(entry.path()));
        if (r) {
            EXPECT_GT(r.bitmap.width(), 0) << entry.path();
        } else {
            EXPECT_FALSE(r.error.empty()) << entry.path();
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace gm::gfx
