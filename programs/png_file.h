// Writes a picture as an 8-bit RGB PNG file (libpng). Nothing but the
// pixels goes into the file, so the same picture always gives the same bytes.
#pragma once

#include <string>

#include "gfx/surface.h"

namespace gm {

// Returns an empty string on success, else what went wrong.
std::string writePng(const std::string& path, const gfx::ImageView& image);

}  // namespace gm
