// The text renderer of the platform the program runs on: GDI on Windows,
// FreeType with fontconfig elsewhere. Install it once at start-up:
//   gm::gfx::setTextRenderer(&gm::gfx::systemTextRenderer());
#pragma once

#include "gfx/text.h"

namespace gm::gfx {

TextRenderer& systemTextRenderer();

}  // namespace gm::gfx
