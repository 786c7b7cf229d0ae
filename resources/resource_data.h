// The bytes of the program's bitmap resources.
//
// Each bitmap is stored as a packed DIB: the BITMAPINFOHEADER, the colour
// table and the bits, exactly what a Windows RT_BITMAP resource holds (a .bmp
// file without its 14-byte file header). On Windows they are the program's
// bitmap resources (language German, 1031); on Linux the same bytes are
// linked into the program. The one decoder in gfx/ reads them on both.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace gm {

// The packed DIB stored under the id; empty when there is no such bitmap.
std::span<const std::uint8_t> bitmapResource(int id);

// Every bitmap the program holds, in ascending order of id, with the name of
// its source file under resources/bitmaps/ (the catalogue's number, or a
// descriptive name for the pictures of the windows and dialogs).
struct BitmapResourceName {
    int id;
    std::string_view name;
};
std::span<const BitmapResourceName> bitmapResourceNames();

}  // namespace gm
