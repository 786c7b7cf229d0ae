// The fast DIB decoder against the plain reference decoder: every picture of
// the catalogue and many damaged or randomly built bitmaps must decode the
// same in both (the same pixels, or the same error).
#include "gfx/bmp_decoder_reference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "gfx/bmp_decoder.h"
#include "resources/resource_data.h"

namespace gm::gfx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Success or failure of both agree, and so do the error or the pixels.
// Returns whether the input decoded.
bool decodesAlike(std::span<const std::uint8_t> data, const std::string& what) {
    const BmpDecodeResult fast = decodeBmp(data), plain = decodeBmpReference(data);
    EXPECT_EQ(fast.error, plain.error) << what;
    if (!fast || !plain) return false;
    EXPECT_EQ(fast.bitmap.width(), plain.bitmap.width()) << what;
    EXPECT_EQ(fast.bitmap.height(), plain.bitmap.height()) << what;
    for (int y = 0; y < plain.bitmap.height(); ++y) {
        const std::vector<std::uint32_t> a(fast.bitmap.row(y),
                                           fast.bitmap.row(y) + fast.bitmap.width()),
            b(plain.bitmap.row(y), plain.bitmap.row(y) + plain.bitmap.width());
        if (a != b) {
            ADD_FAILURE() << what << ": row " << y << " differs";
            break;
        }
    }
    return true;
}

void put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A packed DIB with a BITMAPINFOHEADER and `colours` grey RGBQUADs.
Bytes dib(int width, int height, int bitCount, std::uint32_t compression, unsigned colours,
          const Bytes& bits) {
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, bitCount);
    put32(b, compression);
    put32(b, static_cast<std::uint32_t>(bits.size()));
    put32(b, 0);
    put32(b, 0);
    put32(b, colours);
    put32(b, 0);
    for (unsigned i = 0; i < colours; ++i) put32(b, 0x010101u * (i * 37 % 256) ^ i);
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

// Random run-length codes: runs and literals of any length (many past the
// row's end), moves, row ends, and sometimes no end-of-bitmap code.
Bytes randomRle(std::mt19937& rng, bool rle4) {
    Bytes b;
    const int codes = std::uniform_int_distribution(1, 60)(rng);
    for (int i = 0; i < codes; ++i) {
        const unsigned kind = rng() % 10;
        if (kind < 5) {  // run
            b.push_back(static_cast<std::uint8_t>(1 + rng() % 40));
            b.push_back(static_cast<std::uint8_t>(rng()));
        } else if (kind < 8) {  // literal, padded
            const unsigned n = 3 + rng() % 30;
            b.insert(b.end(), {0, static_cast<std::uint8_t>(n)});
            const unsigned bytes = rle4 ? (n + 1) / 2 : n;
            for (unsigned k = 0; k < bytes + bytes % 2; ++k)
                b.push_back(static_cast<std::uint8_t>(rng()));
        } else if (kind < 9) {  // move
            b.insert(b.end(), {0, 2, static_cast<std::uint8_t>(rng() % 12),
                               static_cast<std::uint8_t>(rng() % 3)});
        } else {
            b.insert(b.end(), {0, 0});
        }
    }
    if (rng() % 4 != 0) b.insert(b.end(), {0, 1});
    return b;
}

// One random change: a byte replaced, the data cut short, or a byte
// inserted or removed.
void mutate(std::mt19937& rng, Bytes& b) {
    if (b.empty()) return;
    const std::size_t at = rng() % b.size();
    switch (rng() % 4) {
        case 0:
            b[at] = static_cast<std::uint8_t>(rng());
            break;
        case 1:
            b.resize(at);
            break;
        case 2:
            b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(rng()));
            break;
        default:
            b.erase(b.begin() + static_cast<std::ptrdiff_t>(at));
            break;
    }
}

TEST(BmpDecoderReference, EveryCatalogueBitmapDecodesAlike) {
    ASSERT_FALSE(bitmapResourceNames().empty());
    for (const BitmapResourceName& entry : bitmapResourceNames())
        EXPECT_TRUE(decodesAlike(bitmapResource(entry.id), std::string(entry.name)))
            << entry.name << " does not decode";
}

TEST(BmpDecoderReference, MutatedCatalogueBitmapsDecodeAlike) {
    // Changes in the header and colour table reach the size, depth and
    // compression checks; changes in the bits reach the pixel decoders.
    std::mt19937 rng(20261208);
    int decoded = 0, failed = 0;
    for (const BitmapResourceName& entry : bitmapResourceNames()) {
        const std::span<const std::uint8_t> original = bitmapResource(entry.id);
        for (int round = 0; round < 40; ++round) {
            Bytes b(original.begin(), original.end());
            const int changes = 1 + static_cast<int>(rng() % 3);
            for (int c = 0; c < changes; ++c) {
                // Half of the changes fall into the first 64 bytes: header and palette.
                if (rng() % 2 == 0 && b.size() > 64) {
                    b[rng() % 64] = static_cast<std::uint8_t>(rng());
                } else {
                    mutate(rng, b);
                }
            }
            const std::string what = std::string(entry.name) + " mutation " + std::to_string(round);
            (decodesAlike(b, what) ? decoded : failed)++;
        }
    }
    // Both outcomes are exercised.
    EXPECT_GT(decoded, 100);
    EXPECT_GT(failed, 100);
}

TEST(BmpDecoderReference, RandomRunLengthBitmapsDecodeAlike) {
    std::mt19937 rng(4242);
    int decoded = 0, failed = 0;
    for (int i = 0; i < 4000; ++i) {
        const bool rle4 = i % 2 == 0;
        const int width = std::uniform_int_distribution(1, 37)(rng);
        const int height = std::uniform_int_distribution(1, 9)(rng);
        // Short colour tables leave indices past their end: black.
        const unsigned colours = rng() % (rle4 ? 17 : 257);
        Bytes b = dib(width, height, rle4 ? 4 : 8, rle4 ? 2 : 1, colours, randomRle(rng, rle4));
        if (i % 5 == 0) mutate(rng, b);
        (decodesAlike(b, "random run-length bitmap " + std::to_string(i)) ? decoded : failed)++;
    }
    EXPECT_GT(decoded, 1000);
    EXPECT_GT(failed, 100);
}

TEST(BmpDecoderReference, RandomUncompressedBitmapsDecodeAlike) {
    // Every width modulo the pixels per byte, bottom-up and top-down.
    std::mt19937 rng(777);
    int decoded = 0, failed = 0;
    for (int i = 0; i < 3000; ++i) {
        const int bitCount = std::array{1, 4, 8}[i % 3];
        const int width = std::uniform_int_distribution(1, 70)(rng);
        const int height = std::uniform_int_distribution(1, 6)(rng);
        const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
        Bytes bits(stride * height);
        for (auto& byte : bits) byte = static_cast<std::uint8_t>(rng());
        const unsigned colours = rng() % ((1u << bitCount) + 1);
        Bytes b = dib(width, rng() % 2 ? height : -height, bitCount, 0, colours, bits);
        if (i % 5 == 0) mutate(rng, b);
        (decodesAlike(b, "random uncompressed bitmap " + std::to_string(i)) ? decoded : failed)++;
    }
    EXPECT_GT(decoded, 1000);
    EXPECT_GT(failed, 50);
}

}  // namespace
}  // namespace gm::gfx
