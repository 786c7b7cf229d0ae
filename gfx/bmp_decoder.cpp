// Windows DIB decoding.
//
// Format notes.
//  * Optional BITMAPFILEHEADER, 14 bytes, little-endian: "BM", u32 file
//    size, two u16 reserved, u32 offset of the bits from the file's start.
//  * Info header, starting with its u32 size:
//      12       BITMAPCOREHEADER: u16 width, u16 height, u16 planes,
//               u16 bit count; colour table of RGBTRIPLEs (3 bytes).
//      40       BITMAPINFOHEADER (52, 56, 108, 124: V2 to V5, which append
//               fields): i32 width, i32 height (negative: rows top-down),
//               u16 planes, u16 bit count, u32 compression (0 BI_RGB,
//               1 BI_RLE8, 2 BI_RLE4), u32 size of the bits, two u32
//               resolutions, u32 colours used (0: 2^bit count), u32
//               colours important; colour table of RGBQUADs (4 bytes).
//  * Colour table entries are blue, green, red (, reserved).
//  * Uncompressed rows hold pixels left to right, the leftmost in the most
//    significant bits of a byte, each row padded to a multiple of 4 bytes;
//    the first row stored is the bottom one unless the height is negative.
//  * RLE8 / RLE4 (bottom-up only) code the rows as byte pairs: (n > 0, c)
//    paints n pixels of index c (RLE4: the two nibbles of c alternately,
//    high first); (0, 0) ends the row, (0, 1) ends the bitmap, (0, 2, dx, dy)
//    moves the position right and up; (0, n >= 3) is followed by n literal
//    indices (RLE4: nibbles), padded to a 16-bit boundary.
//
// Choices where the format leaves room: pixels that run-length codes skip
// (by a move or an early end) are black, as in a fresh Windows bitmap; runs
// past a row's end are cut off; an index beyond the colour table is black.
//
// Why it is fast (every load decodes afresh, so decoding is part of
// composing a scene):
//  * The palette is a 256-entry table of finished 0x00RRGGBB pixels, black
//    past the colour table, so any index is one look-up without a check.
//  * Uncompressed rows go through a row decoder per bit depth whose shifts
//    are constants: no division or modulo per pixel.
//  * Run-length codes write whole runs at once (a fill, or a pair pattern
//    for RLE4's two nibbles), clipped once per code, not per pixel.
//  * Nothing is allocated besides the output bitmap.
// gfx/bmp_decoder_reference.cpp is the plain per-pixel version; the tests
// require both to decode every input identically.
#include "gfx/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace gm::gfx {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
// BITMAPINFOHEADER and its successors V2, V3, V4 and V5.
constexpr std::array<std::uint32_t, 5> kInfoHeaderSizes{40, 52, 56, 108, 124};
enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2 };

// Reads little-endian values inside a byte span; any read past the end sets
// the failure flag and yields 0.
class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t pos = 0)
        : bytes_(bytes), pos_(std::min(pos, bytes.size())), failed_(pos > bytes.size()) {}

    std::uint8_t u8() {
        if (pos_ >= bytes_.size()) return fail();
        return bytes_[pos_++];
    }
    std::uint16_t u16() { return static_cast<std::uint16_t>(u8() | (u8() << 8)); }
    std::uint32_t u32() { return u16() | (static_cast<std::uint32_t>(u16()) << 16); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    // The next n bytes, or nullptr (setting the failure flag) when fewer
    // remain.
    const std::uint8_t* take(std::size_t n) {
        if (n > bytes_.size() - pos_) {
            fail();
            pos_ = bytes_.size();
            return nullptr;
        }
        const std::uint8_t* at = bytes_.data() + pos_;
        pos_ += n;
        return at;
    }
    void skip(std::size_t n) { take(n); }
    bool failed() const { return failed_; }

  private:
    std::uint8_t fail() {
        failed_ = true;
        return 0;
    }
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
    bool failed_;
};

struct Header {
    int width = 0;
    int height = 0;  // always positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t imageSize = 0;
    std::size_t paletteSize = 0;
    std::size_t paletteEntryBytes = 4;
    std::size_t paletteOffset = 0;  // from the start of the DIB
};

// Indexed by any 8-bit value without a check; entries past the colour table
// stay black.
using Palette = std::array<std::uint32_t, 256>;

struct Failure {
    std::string message;
};

std::optional<Failure> readHeader(std::span<const std::uint8_t> dib, Header& h) {
    ByteReader r(dib);
    const std::uint32_t size = r.u32();
    if (r.failed()) return Failure{"the data is too short for a bitmap header"};
    if (size == kCoreHeaderSize) {
        h.width = r.u16();
        h.height = r.u16();
        if (r.u16() != 1) return Failure{"the bitmap header is damaged (planes is not 1)"};
        h.bitCount = r.u16();
        h.paletteEntryBytes = 3;
        h.paletteSize = h.bitCount <= 8 ? std::size_t{1} << h.bitCount : 0;
    } else if (std::find(kInfoHeaderSizes.begin(), kInfoHeaderSizes.end(), size) !=
               kInfoHeaderSizes.end()) {
        const std::int32_t width = r.i32(), height = r.i32();
        if (r.u16() != 1) return Failure{"the bitmap header is damaged (planes is not 1)"};
        h.bitCount = r.u16();
        h.compression = r.u32();
        h.imageSize = r.u32();
        r.skip(8);  // resolution
        const std::uint32_t used = r.u32();
        if (width <= 0 || height == 0 || height == INT32_MIN)
            return Failure{"the bitmap has no pixels (width " + std::to_string(width) +
                           ", height " + std::to_string(height) + ")"};
        h.width = width;
        h.topDown = height < 0;
        h.height = h.topDown ? -height : height;
        const std::size_t full = h.bitCount <= 8 ? std::size_t{1} << h.bitCount : 0;
        if (used > full) return Failure{"the colour table is longer than the bit count allows"};
        h.paletteSize = used != 0 ? used : full;
    } else {
        return Failure{"unknown bitmap header size " + std::to_string(size)};
    }
    if (r.failed()) return Failure{"the data ends inside the bitmap header"};
    h.paletteOffset = size;

    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8)
        return Failure{"unsupported bit count " + std::to_string(h.bitCount) +
                       " (only 1, 4 and 8 bits per pixel)"};
    if (h.compression != kRgb && h.compression != kRle8 && h.compression != kRle4)
        return Failure{"unsupported compression " + std::to_string(h.compression)};
    if ((h.compression == kRle8 && h.bitCount != 8) || (h.compression == kRle4 && h.bitCount != 4))
        return Failure{"the compression does not match the bit count"};
    if (h.compression != kRgb && h.topDown)
        return Failure{"a run-length coded bitmap cannot be stored top-down"};
    if (h.width == 0 || h.height == 0) return Failure{"the bitmap has no pixels"};
    if (h.width > kMaxBmpDimension || h.height > kMaxBmpDimension ||
        static_cast<long long>(h.width) * h.height > kMaxBmpPixels)
        return Failure{"the bitmap is too large (" + std::to_string(h.width) + " x " +
                       std::to_string(h.height) + ")"};
    return std::nullopt;
}

std::optional<Failure> readPalette(std::span<const std::uint8_t> dib, const Header& h,
                                   Palette& palette) {
    palette.fill(0);
    ByteReader r(dib, h.paletteOffset);
    for (std::size_t i = 0; i < h.paletteSize; ++i) {
        const std::uint32_t b = r.u8(), g = r.u8(), red = r.u8();
        if (h.paletteEntryBytes == 4) r.u8();
        palette[i] = (red << 16) | (g << 8) | b;
    }
    if (r.failed()) return Failure{"the data ends inside the colour table"};
    return std::nullopt;
}

// --- Uncompressed bits ------------------------------------------------------------
//
// One row decoder per depth, chosen once per bitmap. A byte holds
// 8 / Bits pixels, the leftmost in its most significant bits; with the depth
// a template constant, the shifts are constants and the inner loop is one
// palette look-up per pixel, without division.

// Palette colours of the first `width` pixels packed at `in`. Reads exactly
// the bytes those pixels occupy.
template <int Bits>
void expandPixels(const std::uint8_t* in, std::uint32_t* out, int width, const Palette& palette) {
    constexpr int kPerByte = 8 / Bits;
    constexpr unsigned kMask = (1u << Bits) - 1;
    const int wholeBytes = width / kPerByte;
    for (int i = 0; i < wholeBytes; ++i, out += kPerByte) {
        const unsigned byte = in[i];
        for (int p = 0; p < kPerByte; ++p) out[p] = palette[(byte >> (8 - Bits * (p + 1))) & kMask];
    }
    const int rest = width % kPerByte;
    if (rest == 0) return;
    const unsigned last = in[wholeBytes];
    for (int p = 0; p < rest; ++p) out[p] = palette[(last >> (8 - Bits * (p + 1))) & kMask];
}

using RowExpander = void (*)(const std::uint8_t*, std::uint32_t*, int, const Palette&);

RowExpander rowExpanderFor(int bitCount) {
    switch (bitCount) {
        case 1:
            return &expandPixels<1>;
        case 4:
            return &expandPixels<4>;
        default:
            return &expandPixels<8>;  // readHeader admits only 1, 4 and 8
    }
}

std::optional<Failure> decodeRows(std::span<const std::uint8_t> bits, const Header& h,
                                  const Palette& palette, Bitmap& out) {
    const std::size_t stride = (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
    if (bits.size() / stride < static_cast<std::size_t>(h.height))
        return Failure{"the data ends inside the pixel rows"};
    const RowExpander expand = rowExpanderFor(h.bitCount);
    for (int stored = 0; stored < h.height; ++stored)
        expand(bits.data() + stored * stride, out.row(h.topDown ? stored : h.height - 1 - stored),
               h.width, palette);
    return std::nullopt;
}

// --- Run-length coded bits -----------------------------------------------------------

// Writes run-length coded pixels at a moving position, cutting off what
// falls outside the picture. The position stops at the right and top edges,
// so no amount of input can make it overflow. Each code's pixels are written
// at once: a run as a fill, literals through the row decoders.
class RunWriter {
  public:
    RunWriter(Bitmap& out, const Palette& palette) : out_(out), palette_(palette) {}
    // `count` pixels alternating between two colour indices, the first one
    // first (RLE8 gives the same index twice).
    void run(unsigned count, unsigned first, unsigned second) {
        const int n = room(count);
        if (n == 0) return;
        std::uint32_t* p = here();
        const std::uint32_t a = palette_[first], b = palette_[second];
        if (a == b) {
            std::fill_n(p, n, a);
        } else {
            for (int i = 0; i + 1 < n; i += 2) {
                p[i] = a;
                p[i + 1] = b;
            }
            if (n % 2 == 1) p[n - 1] = a;
        }
        x_ += n;
    }
    // `count` literal pixels packed at Bits per pixel in `indices`, which
    // holds all of them.
    template <int Bits>
    void literal(const std::uint8_t* indices, unsigned count) {
        const int n = room(count);
        if (n == 0) return;
        expandPixels<Bits>(indices, here(), n, palette_);
        x_ += n;
    }
    void endRow() {
        x_ = 0;
        y_ = std::min(y_ + 1, out_.height());
    }
    void move(int dx, int dy) {
        x_ = std::min(x_ + dx, out_.width());
        y_ = std::min(y_ + dy, out_.height());
    }
    bool pastTop() const { return y_ >= out_.height(); }

  private:
    // How many of `count` pixels fit between the position and the row's
    // end; none above the top row.
    int room(unsigned count) const {
        if (pastTop()) return 0;
        return static_cast<int>(std::min(count, static_cast<unsigned>(out_.width() - x_)));
    }
    std::uint32_t* here() { return out_.row(out_.height() - 1 - y_) + x_; }

    Bitmap& out_;
    const Palette& palette_;
    int x_ = 0;  // counted from the left
    int y_ = 0;  // stored row, counted from the bottom
};

std::optional<Failure> decodeRle(std::span<const std::uint8_t> bits, const Header& h,
                                 const Palette& palette, Bitmap& out) {
    const bool rle4 = h.compression == kRle4;
    ByteReader r(bits);
    RunWriter w(out, palette);
    // Every code advances the reader by at least two bytes, so the loop ends
    // within bits.size() / 2 codes.
    for (;;) {
        const unsigned count = r.u8(), value = r.u8();
        if (r.failed()) return Failure{"the run-length data ends before its end-of-bitmap code"};
        if (count > 0) {
            if (rle4)
                w.run(count, value >> 4, value & 0xF);
            else
                w.run(count, value, value);
            continue;
        }
        switch (value) {
            case 0:
                w.endRow();
                break;
            case 1:
                return std::nullopt;
            case 2: {
                const unsigned dx = r.u8(), dy = r.u8();
                w.move(static_cast<int>(dx), static_cast<int>(dy));
                break;
            }
            default: {  // `value` literal pixels, padded to a 16-bit boundary
                const unsigned bytes = rle4 ? (value + 1) / 2 : value;
                const std::uint8_t* indices = r.take(bytes + bytes % 2);
                if (!indices) break;  // the reader has failed
                if (rle4)
                    w.literal<4>(indices, value);
                else
                    w.literal<8>(indices, value);
                break;
            }
        }
        if (r.failed()) return Failure{"the run-length data ends inside a code"};
        // Codes after the last row can only write outside the picture.
        if (w.pastTop()) return std::nullopt;
    }
}

}  // namespace

BmpDecodeResult decodeBmp(std::span<const std::uint8_t> data) {
    // A file header is recognised by its signature; what follows it is a
    // packed DIB whose bits may start at the offset the file header gives.
    std::span<const std::uint8_t> dib = data;
    std::optional<std::size_t> bitsOffset;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
        if (data.size() < kFileHeaderSize) return {{}, "the data ends inside the file header"};
        ByteReader r(data, 10);
        const std::uint32_t offset = r.u32();
        if (offset < kFileHeaderSize || offset > data.size())
            return {{}, "the file header points outside the file"};
        dib = data.subspan(kFileHeaderSize);
        bitsOffset = offset - kFileHeaderSize;
    }

    Header h;
    if (auto failure = readHeader(dib, h)) return {{}, failure->message};
    Palette palette;
    if (auto failure = readPalette(dib, h, palette)) return {{}, failure->message};
    const std::size_t paletteEnd = h.paletteOffset + h.paletteSize * h.paletteEntryBytes;
    const std::size_t start = bitsOffset.value_or(paletteEnd);
    if (start > dib.size()) return {{}, "the pixel data starts beyond the end of the data"};
    std::span<const std::uint8_t> bits = dib.subspan(start);
    if (h.compression != kRgb && h.imageSize != 0 && h.imageSize < bits.size())
        bits = bits.first(h.imageSize);

    BmpDecodeResult result{Bitmap(h.width, h.height), {}};
    const auto failure = h.compression == kRgb ? decodeRows(bits, h, palette, result.bitmap)
                                               : decodeRle(bits, h, palette, result.bitmap);
    if (failure) return {{}, failure->message};
    return result;
}

}  // namespace gm::gfx
