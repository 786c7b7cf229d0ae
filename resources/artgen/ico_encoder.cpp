#include "resources/artgen/ico_encoder.h"

namespace gm::art {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

constexpr std::uint32_t kInfoHeaderSize = 40;

void putEntryStart(std::vector<std::uint8_t>& out, const IconImage& image, std::size_t bytes) {
    out.push_back(std::uint8_t(image.size));
    out.push_back(std::uint8_t(image.size));
    out.push_back(0);  // no colour table
    out.push_back(0);
    put16(out, 1);
    put16(out, 32);
    put32(out, std::uint32_t(bytes));
}

}  // namespace

std::vector<std::uint8_t> iconImageResource(const IconImage& image) {
    const int n = image.size;
    std::vector<std::uint8_t> out;
    put32(out, kInfoHeaderSize);
    put32(out, std::uint32_t(n));
    put32(out, std::uint32_t(2 * n));
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x) put32(out, image.argb[std::size_t(y) * n + x]);
    const int stride = ((n + 31) / 32) * 4;
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(std::size_t(stride), 0);
        for (int x = 0; x < n; ++x)
            if ((image.argb[std::size_t(y) * n + x] >> 24) == 0)
                row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<std::uint8_t> iconFile(const std::vector<IconImage>& images) {
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, std::uint32_t(images.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    std::vector<std::uint8_t> data;
    for (const IconImage& image : images) {
        const auto bytes = iconImageResource(image);
        putEntryStart(out, image, bytes.size());
        put32(out, offset + std::uint32_t(data.size()));
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<std::uint8_t> iconGroupResource(const std::vector<IconImage>& images, int firstId) {
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, std::uint32_t(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        putEntryStart(out, images[i], iconImageResource(images[i]).size());
        put16(out, std::uint32_t(firstId + int(i)));
    }
    return out;
}

}  // namespace gm::art
