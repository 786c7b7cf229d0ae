// Decoder for Windows device-independent bitmaps: the storage forms of the
// saver's pictures.
//
// Accepts a packed DIB (what a bitmap resource holds: the info header, the
// colour table, the bits) or a whole .bmp file (the same behind a 14-byte
// file header). Supported: 1-, 4- and 8-bit palette bitmaps, uncompressed,
// RLE4 and RLE8, bottom-up or (uncompressed) top-down, with a BITMAPINFOHEADER
// or one of its longer successors, or an OS/2 BITMAPCOREHEADER.
//
// Damaged or unsupported input yields an error message, never an exception;
// the decoder reads only inside the given bytes and allocates only for
// pictures within the size caps below.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "gfx/surface.h"

namespace gm::gfx {

// Largest picture the decoder accepts.
inline constexpr int kMaxBmpDimension = 16384;
inline constexpr long long kMaxBmpPixels = 1LL << 24;

struct BmpDecodeResult {
    Bitmap bitmap;      // the picture when error is empty
    std::string error;  // what is wrong with the data; empty on success
    explicit operator bool() const { return error.empty(); }
};

BmpDecodeResult decodeBmp(std::span<const std::uint8_t> data);

}  // namespace gm::gfx
