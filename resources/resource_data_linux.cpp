// Bitmap resources linked into the program: the build generates
// embedded_bitmaps.inc from bitmaps.rc, one `.incbin` of each .bmp file that
// skips the 14-byte file header, so the linked bytes are the packed DIBs.
#include <algorithm>

#include "resources/resource_data.h"

namespace gm {
namespace {

struct EmbeddedBitmap {
    int id;
    std::string_view name;
    const std::uint8_t* begin;
    const std::uint8_t* end;
};

#include "embedded_bitmaps.inc"  // defines kEmbedded[] and kNames[], sorted by id

}  // namespace

std::span<const std::uint8_t> bitmapResource(int id) {
    const auto it = std::lower_bound(std::begin(kEmbedded), std::end(kEmbedded), id,
                                     [](const EmbeddedBitmap& e, int key) { return e.id < key; });
    if (it == std::end(kEmbedded) || it->id != id) return {};
    return {it->begin, it->end};
}

std::span<const BitmapResourceName> bitmapResourceNames() { return kNames; }

}  // namespace gm
