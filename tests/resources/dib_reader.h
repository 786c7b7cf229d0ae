// A test-only reader for the packed DIBs of the resources: header fields,
// colour table and palette indices, decoded independently of the product's
// decoder so the tests check the stored bytes themselves.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace gm::test {

struct Dib {
    int width = 0, height = 0, bitCount = 0;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<std::uint8_t> index;     // top-down, row-major

    std::uint8_t at(int x, int y) const { return index[std::size_t(y) * width + x]; }
    std::uint32_t rgb(int x, int y) const { return palette.at(at(x, y)); }
};

inline constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2;

inline Dib readDib(std::span<const std::uint8_t> bytes) {
    struct Bounded {
        std::span<const std::uint8_t> s;
        std::uint8_t at(std::size_t o) const {
            if (o >= s.size()) throw std::runtime_error("read past the end of the bitmap");
            return s[o];
        }
    } b{bytes};
    auto u16 = [&](std::size_t o) { return std::uint32_t(b.at(o) | b.at(o + 1) << 8); };
    auto u32 = [&](std::size_t o) { return u16(o) | u16(o + 2) << 16; };
    Dib d;
    const std::uint32_t headerSize = u32(0);
    d.width = int(u32(4));
    d.height = int(u32(8));
    d.bitCount = int(u16(14));
    d.compression = u32(16);
    std::uint32_t colours = u32(32);
    if (colours == 0) colours = 1u << d.bitCount;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::size_t o = headerSize + 4 * i;
        d.palette.push_back(std::uint32_t(b.at(o + 2)) << 16 | std::uint32_t(b.at(o + 1)) << 8 |
                            b.at(o));
    }
    std::size_t pos = headerSize + 4 * colours;
    d.index.assign(std::size_t(d.width) * d.height, 0);
    auto put = [&](int x, int row, std::uint8_t v) {  // row counted from the bottom
        if (x < 0 || x >= d.width || row < 0 || row >= d.height)
            throw std::runtime_error("pixel outside the picture");
        d.index[std::size_t(d.height - 1 - row) * d.width + x] = v;
    };
    if (d.compression == kBiRgb) {
        const std::size_t stride = ((std::size_t(d.width) * d.bitCount + 31) / 32) * 4;
        for (int row = 0; row < d.height; ++row)
            for (int x = 0; x < d.width; ++x) {
                const std::size_t bit = std::size_t(x) * d.bitCount;
                const std::uint8_t byte = b.at(pos + row * stride + bit / 8);
                put(x, row,
                    std::uint8_t((byte >> (8 - d.bitCount - bit % 8)) & ((1 << d.bitCount) - 1)));
            }
        return d;
    }
    const bool four = d.compression == kBiRle4;
    int x = 0, row = 0;
    for (;;) {
        const std::uint8_t n = b.at(pos);
        const std::uint8_t v = b.at(pos + 1);
        pos += 2;
        if (n > 0) {
            for (int i = 0; i < n; ++i)
                put(x++, row, four ? std::uint8_t(i % 2 ? v & 15 : v >> 4) : v);
        } else if (v == 0) {
            x = 0, ++row;
        } else if (v == 1) {
            return d;
        } else if (v == 2) {
            x += b.at(pos);
            row += b.at(pos + 1);
            pos += 2;
        } else {
            const std::size_t bytes = four ? (v + 1) / 2 : v;
            for (int i = 0; i < v; ++i) {
                const std::uint8_t byte = b.at(pos + (four ? i / 2 : i));
                put(x++, row, four ? std::uint8_t(i % 2 ? byte & 15 : byte >> 4) : byte);
            }
            pos += bytes + (bytes % 2);
        }
    }
}

}  // namespace gm::test
