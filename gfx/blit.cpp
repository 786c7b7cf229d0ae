// Block transfers: DrawPicture, BitBlt and StretchBlt.
//
// All three reduce to one operation, blit(): a destination rectangle, a
// source rectangle and a raster operation. Its conventions:
//
//  * A rectangle with a negative width covers x + width ... x - 1, i.e. it
//    extends to the left of x; likewise for a negative height. When the
//    signs of destination and source width differ the picture is mirrored
//    left to right (top to bottom for the heights).
//  * Sizes that differ stretch by nearest pixel, as GDI's COLORONCOLOR mode
//    does: whole pixels are repeated or dropped, nothing is blended. With S
//    source and D destination pixels on an axis, destination pixel k (counted
//    in the source's reading order) shows source pixel
//      enlarging (D >= S):  floor(((2k + 1) S - 1) / 2D), the pixel under
//                           the destination pixel's centre, ties to the
//                           lower one;
//      shrinking columns:   floor(((2k + 2) S - D) / 2D), the last source
//                           pixel that starts before the destination pixel's
//                           end less half a source pixel; a single column
//                           shows pixel S - 2;
//      shrinking rows:      floor((2k S + D) / 2D), the source pixel nearest
//                           to the destination pixel's top, ties down.
//    These rules were read off Wine's GDI, whose shrinking walks columns and
//    rows differently; tests/gfx/gdi_oracle_test.cpp keeps comparing them.
//    A mirrored axis is the same map read backwards.
//  * Destination pixels whose source pixel lies outside the picture are left
//    unchanged; everything is clipped to the destination surface.
//  * When source and destination share memory the source is read as it was
//    before the draw.
//
// Why it is fast: clipping happens once per call, on whole rows and columns;
// the raster operation is a template parameter chosen once per call; copies
// without stretching or mirroring move whole rows with memcpy/memmove; the
// column map of a stretch and the copy of an overlapping source live in
// per-thread scratch buffers that are reused, so steady-state calls never
// allocate.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "gfx/surface.h"

namespace gm::gfx {
namespace {

// --- One axis of a blit -----------------------------------------------------

// Calls with a coordinate or size beyond this draw nothing.
constexpr int kCoordinateLimit = 1 << 24;

// Maps the destination pixels of one axis to source pixels. Offsets k count
// from the first (leftmost / topmost) destination pixel.
struct AxisMap {
    int dstFirst = 0;       // first destination pixel
    int dstLen = 0;         // number of destination pixels
    int srcFirst = 0;       // first source pixel of the source span
    int srcLen = 0;         // number of source pixels
    bool mirrored = false;  // destination runs opposite to the source
    bool rows = false;      // the vertical axis (it shrinks by another rule)

    AxisMap(int dst, int dstSize, int src, int srcSize, bool vertical) {
        dstFirst = dstSize < 0 ? dst + dstSize : dst;
        dstLen = dstSize < 0 ? -dstSize : dstSize;
        srcFirst = srcSize < 0 ? src + srcSize : src;
        srcLen = srcSize < 0 ? -srcSize : srcSize;
        mirrored = (dstSize < 0) != (srcSize < 0);
        rows = vertical;
    }

    bool identity() const { return dstLen == srcLen && !mirrored; }

    // The source pixel shown by destination offset k (0 <= k < dstLen).
    int sourceAt(int k) const {
        const long long j = mirrored ? dstLen - 1 - k : k;
        const long long s = srcLen, d = dstLen;
        long long offset;
        if (d >= s)
            offset = ((2 * j + 1) * s - 1) / (2 * d);
        else if (rows)
            offset = (2 * j * s + d) / (2 * d);
        else if (d == 1)
            offset = s - 2;
        else
            offset = ((2 * j + 2) * s - d) / (2 * d);
        return srcFirst + static_cast<int>(offset);
    }
};

// The offsets k in [begin, end) of one axis that land inside the destination
// (size dstLimit) and read a source pixel inside the picture (srcLimit).
// sourceAt is monotonic, so the valid offsets are one contiguous run.
struct Range {
    int begin = 0;
    int end = 0;
    bool empty() const { return begin >= end; }
};

Range clipAxis(const AxisMap& m, int dstLimit, int srcLimit) {
    Range r{std::max(0, -m.dstFirst), std::min(m.dstLen, dstLimit - m.dstFirst)};
    if (r.empty() || m.srcLen == 0) return {};
    // Binary search for the boundaries of the run of offsets reading inside
    // the picture. For a rising map the run is [first s >= 0, first s >= limit),
    // for a mirrored map the order reverses.
    const auto firstWhere = [&](int lo, int hi, auto pred) {
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (pred(m.sourceAt(mid)))
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    };
    if (!m.mirrored) {
        r.begin = firstWhere(r.begin, r.end, [](int s) { return s >= 0; });
        r.end = firstWhere(r.begin, r.end, [&](int s) { return s >= srcLimit; });
    } else {
        r.begin = firstWhere(r.begin, r.end, [&](int s) { return s < srcLimit; });
        r.end = firstWhere(r.begin, r.end, [](int s) { return s < 0; });
    }
    return r;
}

// --- Raster operations --------------------------------------------------------

struct OpCopy {
    static std::uint32_t apply(std::uint32_t, std::uint32_t s) { return s; }
};
struct OpAnd {
    static std::uint32_t apply(std::uint32_t d, std::uint32_t s) { return d & s; }
};
struct OpOr {
    static std::uint32_t apply(std::uint32_t d, std::uint32_t s) { return d | s; }
};

// --- Scratch memory -----------------------------------------------------------

// Buffers that only ever grow: a steady stream of blits of the same sizes
// allocates nothing. The program draws from one thread. (Not thread_local:
// on 32-bit Windows its destructors need GetModuleHandleExW, which Windows
// before XP lacks.)
std::vector<int>& columnScratch() {
    static std::vector<int> columns;
    return columns;
}
std::vector<std::uint32_t>& pixelScratch() {
    static std::vector<std::uint32_t> pixels;
    return pixels;
}

bool sharesMemory(const ImageView& a, const ImageView& b) {
    const auto begin = [](const ImageView& v) {
        return reinterpret_cast<std::uintptr_t>(v.pixels);
    };
    const auto end = [&](const ImageView& v) {
        return begin(v) + sizeof(std::uint32_t) * static_cast<std::size_t>(v.stride) * v.height;
    };
    return begin(a) < end(b) && begin(b) < end(a);
}

// --- The row loops --------------------------------------------------------------

// A source block: the pixels of the picture from (left, top) on. The picture
// itself is the block at (0, 0); a snapshot of an overlapping source is a
// smaller block.
struct SourceBlock {
    ImageView pixels;
    int left = 0;
    int top = 0;
};

// Offsets kx, ky are already clipped: every destination pixel they reach
// lies on the surface and reads a source pixel inside the block.
template <typename Op>
void blitMapped(Surface& dst, const SourceBlock& src, const AxisMap& mx, const AxisMap& my,
                Range kx, Range ky) {
    const int x0 = mx.dstFirst + kx.begin;
    const int n = kx.end - kx.begin;
    const bool straight = mx.identity();
    const int srcX0 = mx.sourceAt(kx.begin) - src.left;
    const int* cols = nullptr;
    if (!straight) {
        auto& scratch = columnScratch();
        if (scratch.size() < static_cast<std::size_t>(n)) scratch.resize(n);
        for (int i = 0; i < n; ++i) scratch[i] = mx.sourceAt(kx.begin + i) - src.left;
        cols = scratch.data();
    }
    // Whole rows of pictures without padding lie back to back: one copy of
    // the block lets memcpy use its fastest (non-temporal) path for big frames.
    if constexpr (std::is_same_v<Op, OpCopy>) {
        if (straight && my.identity() && n == dst.stride() && n == src.pixels.stride) {
            std::memcpy(dst.row(my.dstFirst + ky.begin),
                        src.pixels.row(my.sourceAt(ky.begin) - src.top),
                        sizeof(std::uint32_t) * n * static_cast<std::size_t>(ky.end - ky.begin));
            return;
        }
    }
    for (int k = ky.begin; k < ky.end; ++k) {
        std::uint32_t* d = dst.row(my.dstFirst + k) + x0;
        const std::uint32_t* s = src.pixels.row(my.sourceAt(k) - src.top);
        if (straight) {
            s += srcX0;
            if constexpr (std::is_same_v<Op, OpCopy>) {
                std::memcpy(d, s, sizeof(std::uint32_t) * n);
            } else {
                for (int i = 0; i < n; ++i) d[i] = Op::apply(d[i], s[i]);
            }
        } else if (std::is_same_v<Op, OpCopy> && k > ky.begin &&
                   my.sourceAt(k) == my.sourceAt(k - 1)) {
            // An enlarged row repeats the one above it: copy that instead of
            // gathering the pixels again.
            std::memcpy(d, dst.row(my.dstFirst + k - 1) + x0, sizeof(std::uint32_t) * n);
        } else {
            for (int i = 0; i < n; ++i) d[i] = Op::apply(d[i], s[cols[i]]);
        }
    }
}

// A plain copy of a source that overlaps the destination: rows in an order
// that reads each source row before it is overwritten, memmove within a row.
void copyOverlapping(Surface& dst, const ImageView& src, const AxisMap& mx, const AxisMap& my,
                     Range kx, Range ky) {
    const int n = kx.end - kx.begin;
    const int x0 = mx.dstFirst + kx.begin;
    const int srcX0 = mx.sourceAt(kx.begin);
    const bool downwards = dst.row(my.dstFirst + ky.begin) <= src.row(my.sourceAt(ky.begin));
    for (int i = 0; i < ky.end - ky.begin; ++i) {
        const int k = downwards ? ky.begin + i : ky.end - 1 - i;
        std::memmove(dst.row(my.dstFirst + k) + x0, src.row(my.sourceAt(k)) + srcX0,
                     sizeof(std::uint32_t) * n);
    }
}

// Copies the part of the source that the blit reads into scratch memory.
SourceBlock snapshotSource(const ImageView& src, const AxisMap& mx, const AxisMap& my, Range kx,
                           Range ky) {
    const int a = mx.sourceAt(kx.begin), b = mx.sourceAt(kx.end - 1);
    const int c = my.sourceAt(ky.begin), d = my.sourceAt(ky.end - 1);
    const int left = std::min(a, b), right = std::max(a, b) + 1;
    const int top = std::min(c, d), bottom = std::max(c, d) + 1;
    const int w = right - left;
    auto& scratch = pixelScratch();
    const std::size_t need = static_cast<std::size_t>(w) * (bottom - top);
    if (scratch.size() < need) scratch.resize(need);
    for (int y = top; y < bottom; ++y)
        std::memcpy(scratch.data() + static_cast<std::size_t>(y - top) * w, src.row(y) + left,
                    sizeof(std::uint32_t) * w);
    return {{scratch.data(), w, bottom - top, w}, left, top};
}

void blit(Surface& dst, int x, int y, int width, int height, const ImageView& src, int srcX,
          int srcY, int srcWidth, int srcHeight, Rop rop) {
    if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return;
    // No surface comes near this size; refusing larger values keeps the
    // clipping arithmetic free of integer overflow.
    for (const int v : {x, y, width, height, srcX, srcY, srcWidth, srcHeight})
        if (v < -kCoordinateLimit || v > kCoordinateLimit) return;
    const AxisMap mx(x, width, srcX, srcWidth, false);
    const AxisMap my(y, height, srcY, srcHeight, true);
    const Range kx = clipAxis(mx, dst.width(), src.width);
    const Range ky = clipAxis(my, dst.height(), src.height);
    if (kx.empty() || ky.empty()) return;

    SourceBlock from{src};
    if (sharesMemory(dst.view(), src)) {
        if (rop == Rop::SrcCopy && mx.identity() && my.identity()) {
            copyOverlapping(dst, src, mx, my, kx, ky);
            return;
        }
        from = snapshotSource(src, mx, my, kx, ky);
    }
    switch (rop) {
        case Rop::SrcCopy:
            blitMapped<OpCopy>(dst, from, mx, my, kx, ky);
            break;
        case Rop::SrcAnd:
            blitMapped<OpAnd>(dst, from, mx, my, kx, ky);
            break;
        case Rop::SrcPaint:
            blitMapped<OpOr>(dst, from, mx, my, kx, ky);
            break;
    }
}

}  // namespace

void DrawPicture(Surface& dst, const ImageView& picture, int x, int y, std::optional<int> width,
                 std::optional<int> height, std::optional<int> srcX, std::optional<int> srcY,
                 std::optional<int> srcWidth, std::optional<int> srcHeight, Rop rop) {
    // An omitted source size is the whole picture's, whatever the source
    // origin; an omitted destination size is the source size (no scaling).
    const int sw = srcWidth.value_or(picture.width);
    const int sh = srcHeight.value_or(picture.height);
    blit(dst, x, y, width.value_or(sw), height.value_or(sh), picture, srcX.value_or(0),
         srcY.value_or(0), sw, sh, rop);
}

void BitBlt(Surface& dst, int x, int y, int width, int height, const Surface& src, int srcX,
            int srcY, Rop rop) {
    blit(dst, x, y, width, height, src.view(), srcX, srcY, width, height, rop);
}

void StretchBlt(Surface& dst, int x, int y, int width, int height, const Surface& src, int srcX,
                int srcY, int srcWidth, int srcHeight, Rop rop) {
    blit(dst, x, y, width, height, src.view(), srcX, srcY, srcWidth, srcHeight, rop);
}

void MaskedBlt(Surface& dst, int x, int y, int width, int height, const Surface& mask,
               const Surface& picture, int srcX, int srcY) {
    const bool apart = !sharesMemory(dst.view(), mask.view()) &&
                       !sharesMemory(dst.view(), picture.view()) &&
                       mask.width() == picture.width() && mask.height() == picture.height();
    if (!apart || width < 0 || height < 0) {
        BitBlt(dst, x, y, width, height, mask, srcX, srcY, Rop::SrcAnd);
        BitBlt(dst, x, y, width, height, picture, srcX, srcY, Rop::SrcPaint);
        return;
    }
    // The rectangle where destination and source both have pixels.
    const int left = std::max({x, 0, x - srcX}), top = std::max({y, 0, y - srcY});
    const int right = std::min({x + width, dst.width(), x - srcX + mask.width()});
    const int bottom = std::min({y + height, dst.height(), y - srcY + mask.height()});
    for (int row = top; row < bottom; ++row) {
        std::uint32_t* __restrict d = dst.row(row);
        const std::uint32_t* __restrict m = mask.row(row - y + srcY) + (srcX - x);
        const std::uint32_t* __restrict p = picture.row(row - y + srcY) + (srcX - x);
        for (int i = left; i < right; ++i) d[i] = (d[i] & m[i]) | p[i];
    }
}

}  // namespace gm::gfx
