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

// The catalogue picture `id` (a picture of the scene, a flying object or the
// banner) at sx x sy times its size (scaled_bitmap.cpp), painted anew at
// that scale by its painter (resources/artgen/scaled.h). Pictures once made
// are kept (up to about 200 MB), so that the next landscape at the same
// scale paints none of them again.
Bitmap LoadScaledBitmap(int id, double sx, double sy);
// Frame `frame` of a sheet of frames alone, at sx x sy times the frame's
// size (0: the whole picture; art::paintScaledFrame).
Bitmap LoadScaledFrame(int id, int frame, double sx, double sy);
// The same made anew, nothing kept.
Bitmap PaintScaledFrame(int id, int frame, double sx, double sy);
Bitmap PaintScaledBitmap(int id, double sx, double sy);

}  // namespace gm::gfx
