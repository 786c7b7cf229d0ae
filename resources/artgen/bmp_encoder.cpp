#include "resources/artgen/bmp_encoder.h"

#include <stdexcept>

namespace gm::art {
namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2;
constexpr std::uint32_t kFileHeaderSize = 14, kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dots per inch
constexpr int kMaxRun = 255;
constexpr int kMinLiteral = 3;  // shorter literal stretches are coded as runs

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

int bitsPerPixel(Storage s) {
    switch (s) {
        case Storage::Bits1:
            return 1;
        case Storage::Bits4:
        case Storage::Bits4Rle:
            return 4;
        case Storage::Bits8:
        case Storage::Bits8Rle:
            return 8;
    }
    return 0;
}

std::vector<std::uint8_t> packedRows(const Picture& p, int bpp) {
    const int stride = ((p.width() * bpp + 31) / 32) * 4;
    std::vector<std::uint8_t> bits(std::size_t(stride) * p.height(), 0);
    for (int y = 0; y < p.height(); ++y) {
        std::uint8_t* row = &bits[std::size_t(p.height() - 1 - y) * stride];
        for (int x = 0; x < p.width(); ++x) {
            const int bit = x * bpp;
            const int shift = 8 - bpp - bit % 8;
            row[bit / 8] |= std::uint8_t(p.at(x, y) << shift);
        }
    }
    return bits;
}

std::vector<std::uint8_t> rle8Row(const std::uint8_t* px, int n);
std::vector<std::uint8_t> rle4Row(const std::uint8_t* px, int n);

std::vector<std::uint8_t> rleBits(const Picture& p, bool four) {
    std::vector<std::uint8_t> bits;
    std::vector<std::uint8_t> row(std::size_t(p.width()));
    for (int y = p.height() - 1; y >= 0; --y) {
        for (int x = 0; x < p.width(); ++x) row[x] = p.at(x, y);
        const auto coded = four ? rle4Row(row.data(), p.width()) : rle8Row(row.data(), p.width());
        bits.insert(bits.end(), coded.begin(), coded.end());
        bits.push_back(0);
        bits.push_back(y == 0 ? 1 : 0);  // end of bitmap after the top row, else end of row
    }
    return bits;
}

// Length of the run starting at i whose pixels alternate between px[i] and
// px[i + 1] (a plain run when they are equal), at most kMaxRun.
int alternatingRun(const std::uint8_t* px, int i, int n) {
    int len = 1;
    while (i + len < n && len < kMaxRun && px[i + len] == px[i + (len % 2)]) ++len;
    return len;
}
int plainRun(const std::uint8_t* px, int i, int n) {
    int len = 1;
    while (i + len < n && len < kMaxRun && px[i + len] == px[i]) ++len;
    return len;
}

// Shared row coder: runs found by `runAt`, literal stretches in absolute mode.
template <class RunAt, class EmitRun, class EmitLiteral>
void codeRow(int n, RunAt runAt, EmitRun emitRun, EmitLiteral emitLiteral) {
    int i = 0;
    while (i < n) {
        const int run = runAt(i);
        if (run >= kMinLiteral || n - i < kMinLiteral) {
            emitRun(i, run);
            i += run;
            continue;
        }
        int j = i;  // gather pixels until the next worthwhile run
        while (j < n && j - i < kMaxRun && runAt(j) < kMinLiteral) ++j;
        if (j - i >= kMinLiteral) {
            emitLiteral(i, j - i);
            i = j;
        } else {
            emitRun(i, run);
            i += run;
        }
    }
}

// Run-length coding of one row of palette indices.
std::vector<std::uint8_t> rle8Row(const std::uint8_t* px, int n) {
    std::vector<std::uint8_t> out;
    codeRow(
        n, [&](int i) { return plainRun(px, i, n); },
        [&](int i, int len) {
            out.push_back(std::uint8_t(len));
            out.push_back(px[i]);
        },
        [&](int i, int len) {
            out.push_back(0);
            out.push_back(std::uint8_t(len));
            out.insert(out.end(), px + i, px + i + len);
            if (len % 2) out.push_back(0);
        });
    return out;
}

std::vector<std::uint8_t> rle4Row(const std::uint8_t* px, int n) {
    std::vector<std::uint8_t> out;
    codeRow(
        n, [&](int i) { return alternatingRun(px, i, n); },
        [&](int i, int len) {
            out.push_back(std::uint8_t(len));
            const std::uint8_t second = len > 1 ? px[i + 1] : 0;
            out.push_back(std::uint8_t(px[i] << 4 | second));
        },
        [&](int i, int len) {
            out.push_back(0);
            out.push_back(std::uint8_t(len));
            const std::size_t start = out.size();
            for (int k = 0; k < len; k += 2)
                out.push_back(std::uint8_t(px[i + k] << 4 | (k + 1 < len ? px[i + k + 1] : 0)));
            if ((out.size() - start) % 2) out.push_back(0);
        });
    return out;
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Picture& p, Storage storage) {
    const int bpp = bitsPerPixel(storage);
    if (p.palette().size() > (1u << bpp))
        throw std::invalid_argument("palette too large for the storage form");
    const std::size_t colours = std::size_t(1) << bpp;  // full colour table
    std::vector<std::uint8_t> bits;
    std::uint32_t compression = kBiRgb;
    if (storage == Storage::Bits4Rle) {
        bits = rleBits(p, true);
        compression = kBiRle4;
    } else if (storage == Storage::Bits8Rle) {
        bits = rleBits(p, false);
        compression = kBiRle8;
    } else {
        bits = packedRows(p, bpp);
    }
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + std::uint32_t(colours) * 4;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + std::uint32_t(bits.size()));
    put32(out, 0);
    put32(out, offset);
    put32(out, kInfoHeaderSize);
    put32(out, std::uint32_t(p.width()));
    put32(out, std::uint32_t(p.height()));
    put16(out, 1);
    put16(out, std::uint32_t(bpp));
    put32(out, compression);
    put32(out, std::uint32_t(bits.size()));
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, std::uint32_t(colours));
    put32(out, 0);
    for (std::size_t i = 0; i < colours; ++i) {
        const Rgb c = i < p.palette().size() ? p.palette()[i] : Rgb{};
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

Picture maskOf(const Picture& sprite) {
    Picture mask(sprite.width(), sprite.height(), {{0, 0, 0}, {255, 255, 255}});
    mask.fill(mask.whole() - sprite.coverage(), 1);
    return mask;
}

}  // namespace gm::art
