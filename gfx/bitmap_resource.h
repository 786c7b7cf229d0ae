// The program's pictures by resource id.
#pragma once

#include <cstdint>
#include <span>

#include "gfx/surface.h"

namespace gm::gfx {

// The bitmap stored under the id among the program's bitmap resources.
// Raises run-time error 326 when there is none and 481 (invalid picture)
// when its data cannot be decoded. Nothing is cached: every call decodes.
Bitmap LoadBitmapResource(int id);

// The same for resource bytes already looked up (empty: no such resource).
Bitmap decodeBitmapResource(int id, std::span<const std::uint8_t> bytes);

}  // namespace gm::gfx
