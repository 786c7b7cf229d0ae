// Windows bitmap files in the storage forms the saver's resources use.
//
// Format notes. A .bmp file is a 14-byte BITMAPFILEHEADER ("BM", file size,
// two reserved words, offset of the pixel bits) followed by a packed DIB: a
// 40-byte BITMAPINFOHEADER, the colour table (one RGBQUAD, blue-green-red-0,
// per colour) and the bits. Rows run bottom-up (positive height). Uncompressed
// rows are padded to a multiple of 4 bytes. RLE8 and RLE4 code each row as
// runs: a pair (n, c) paints n pixels (RLE4: the two nibbles of c in turn); an
// escape (0, n >= 3) is followed by n literal pixels padded to a 16-bit
// boundary; (0, 0) ends a row and (0, 1) ends the bitmap. biSizeImage holds
// the size of the coded bits.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/artgen/picture.h"

namespace gm::art {

enum class Storage { Bits1, Bits4, Bits4Rle, Bits8, Bits8Rle };

// The whole .bmp file of a picture; the palette must fit the storage form.
std::vector<std::uint8_t> encodeBmp(const Picture& p, Storage storage);

// The 1-bit mask of a sprite: black where the picture is covered, white elsewhere.
Picture maskOf(const Picture& sprite);

}  // namespace gm::art
