// Masked lighten and darken.
//
// Why it is fast: once percent is fixed, the new value of a colour component
// depends on nothing but the component's old value (k x component + add,
// or - sub, in single precision, rounded half to even, joined with the
// components clamped to 0..255). So each call works out the new value of
// every component value 0..255 once, and the scan then reads and writes the
// surfaces' pixel words directly. The statement-by-statement version these
// procedures were written from lives on in
// tests/scene/masked_blend_reference.h; the tests hold both to the same
// results, random draws included.
#include "scene/masked_blend.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "common/allgemein.h"
#include "errors/trap.h"

namespace gm {

namespace {

// Pattern pixels above this colour value are light, below it dark.
constexpr gfx::Colour kPatternThreshold = 1000;

// The new value of each component value, clamped to 0..255 as the join of a
// colour clamps it. Where working it out raises a run-time error, the entry
// is kFails or the old value, as the procedure's statement dictates.
constexpr int kFails = -1;
using ComponentTable = std::array<int, 256>;
enum class OnFailure { FailTheWrite, KeepTheValue };

template <typename NewValue>
ComponentTable tabulate(NewValue newValue, OnFailure onFailure) {
    ComponentTable table{};
    for (int v = 0; v < 256; ++v) {
        table[v] = onFailure == OnFailure::FailTheWrite ? kFails : v;
        silently([&] { table[v] = std::clamp<int>(newValue(v), 0, 255); });
    }
    return table;
}

// Coordinates are 16-bit: a sum beyond that range fails its statement, so
// nothing is read or written there.
bool fits16(int v) { return v >= Int16::kMin && v <= Int16::kMax; }
bool inside(const gfx::Surface& s, int x, int y) {
    return x >= 0 && y >= 0 && x < s.width() && y < s.height();
}

// The colour value of a pattern pixel, as GetPixel reports it.
gfx::Colour patternAt(const gfx::Surface& picBuffer, int i, int j) {
    return gfx::toColour(picBuffer.row(j)[i]);
}

// A pixel word (0x00RRGGBB) with each component replaced through its table.
std::uint32_t mapped(std::uint32_t pixel, const ComponentTable& red, const ComponentTable& green,
                     const ComponentTable& blue) {
    return static_cast<std::uint32_t>(red[(pixel >> 16) & 0xFF]) << 16 |
           static_cast<std::uint32_t>(green[(pixel >> 8) & 0xFF]) << 8 |
           static_cast<std::uint32_t>(blue[pixel & 0xFF]);
}

}  // namespace

void LightenMasked(gfx::Surface& dc, const gfx::Surface& picBuffer, Int16 x, Int16 y,
                   Int16 percent) {
    Single f = 0, k = 0;
    Int16 add, lastColumn, lastRow;
    silently([&] { f = static_cast<Single>(percent / 100.0); });
    silently([&] { k = 1 - f; });
    silently([&] { add = CInt(f * 255); });
    silently([&] { lastColumn = CInt(picBuffer.width() - 1); });
    silently([&] { lastRow = CInt(picBuffer.height() - 1); });
    // A component that cannot be worked out fails the whole write.
    const ComponentTable lighter =
        tabulate([&](int c) { return CInt(k * c + add); }, OnFailure::FailTheWrite);
    const bool writable = std::find(lighter.begin(), lighter.end(), kFails) == lighter.end();

    for (int i = 0; i <= lastColumn; ++i) {
        for (int j = 0; j <= lastRow; ++j) {
            const int tx = x.value() + i, ty = y.value() + j;
            if (!fits16(tx) || !fits16(ty) || !inside(dc, tx, ty)) continue;
            if (patternAt(picBuffer, i, j) <= kPatternThreshold) continue;
            std::uint32_t& pixel = dc.row(ty)[tx];
            const auto failing = [&](int shift) {
                return lighter[(pixel >> shift) & 0xFF] == kFails;
            };
            if (!writable && (failing(16) || failing(8) || failing(0))) continue;
            pixel = mapped(pixel, lighter, lighter, lighter);
        }
    }
}

namespace {

// DarkenMasked's scan; offsetOf(i, j, dx, dy) gives the write-back offset
// of dark pattern pixel (i, j).
template <typename OffsetOf>
void darkenThrough(gfx::Surface& dc, const gfx::Surface& picBuffer, int x, int y, Int16 percent,
                   OffsetOf offsetOf) {
    Single f = 0, k = 0;
    Int16 subRed, subGreenBlue, lastColumn, lastRow, dx, dy;
    silently([&] { f = static_cast<Single>(percent / 100.0); });
    silently([&] { k = 1 - f; });
    silently([&] { subRed = floorInt16(f * 128); });
    silently([&] { subGreenBlue = floorInt16(f * 64); });
    silently([&] { lastColumn = CInt(picBuffer.width() - 1); });
    silently([&] { lastRow = CInt(picBuffer.height() - 1); });
    // Each component is its own statement: one that fails keeps its value.
    const ComponentTable darkerRed =
        tabulate([&](int c) { return CInt(k * c - subRed); }, OnFailure::KeepTheValue);
    const ComponentTable darkerGreenBlue =
        tabulate([&](int c) { return CInt(k * c - subGreenBlue); }, OnFailure::KeepTheValue);

    for (int i = 0; i <= lastColumn; ++i) {
        for (int j = 0; j <= lastRow; ++j) {
            if (patternAt(picBuffer, i, j) >= kPatternThreshold) continue;
            offsetOf(i, j, dx, dy);
            // A pixel beyond the target has no colour to darken: nothing is
            // written for it.
            const int tx = x + i, ty = y + j;
            if (!fits16(tx) || !fits16(ty) || !inside(dc, tx, ty)) continue;
            const int wx = tx + dx.value(), wy = ty + dy.value();
            if (!fits16(wx) || !fits16(wy) || !inside(dc, wx, wy)) continue;
            // Read now, written ahead of the scan: a later read sees it darkened.
            dc.row(wy)[wx] = mapped(dc.row(ty)[tx], darkerRed, darkerGreenBlue, darkerGreenBlue);
        }
    }
}

// A fixed noise of a pixel's place: splitmix64's finaliser.
std::uint64_t placeNoise(int i, int j) {
    std::uint64_t z =
        (std::uint64_t(std::uint32_t(i)) << 32 | std::uint32_t(j)) + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

void DarkenMasked(gfx::Surface& dc, const gfx::Surface& picBuffer, Int16 x, Int16 y,
                  Int16 percent) {
    darkenThrough(dc, picBuffer, x.value(), y.value(), percent, [](int, int, Int16& dx, Int16& dy) {
        // The offset is drawn for every dark pattern pixel, wherever it lies.
        silently([&] { dx = Zz(0, 2); });
        silently([&] { dy = Zz(0, 1); });
    });
}

void DarkenMaskedScaled(gfx::Surface& dc, const gfx::Surface& pattern, int x, int y, Int16 percent,
                        const gfx::Bitmap& classicPattern) {
    darkenThrough(dc, pattern, x, y, percent, [](int i, int j, Int16& dx, Int16& dy) {
        const std::uint64_t n = placeNoise(i, j);
        dx = Int16(static_cast<int>(n % 3));
        dy = Int16(static_cast<int>((n >> 8) % 2));
    });
    for (int j = 0; j < classicPattern.height(); ++j)
        for (int i = 0; i < classicPattern.width(); ++i)
            if (gfx::toColour(classicPattern.row(j)[i]) < kPatternThreshold) {
                Zz(0, 2);
                Zz(0, 1);
            }
}

}  // namespace gm
