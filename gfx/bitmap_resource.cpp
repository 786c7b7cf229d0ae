// Loading the catalogue's pictures: the resource bytes (Windows: RT_BITMAP
// resources; Linux: the same bytes linked into the program) through the one
// DIB decoder.
#include "gfx/bitmap_resource.h"

#include <string>

#include "basic/vb_error.h"
#include "gfx/bmp_decoder.h"
#include "resources/resource_data.h"

namespace gm::gfx {

Bitmap decodeBitmapResource(int id, std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) raise(err::ResourceNotFound, std::to_string(id));
    BmpDecodeResult decoded = decodeBmp(bytes);
    if (!decoded) raise(err::InvalidPicture);
    return std::move(decoded.bitmap);
}

Bitmap LoadBitmapResource(int id) { return decodeBitmapResource(id, bitmapResource(id)); }

}  // namespace gm::gfx
