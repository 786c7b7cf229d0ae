// The plain DIB decoder: one pixel at a time through a bounds-checked
// reader, the first and simplest statement of the decoder's behaviour.
// Tests and benchmarks compare the fast decoder (gfx/bmp_decoder.h) with it;
// the program itself does not link it.
#pragma once

#include <cstdint>
#include <span>

#include "gfx/bmp_decoder.h"

namespace gm::gfx {

// Decodes exactly as decodeBmp does: the same pixels, the same errors.
BmpDecodeResult decodeBmpReference(std::span<const std::uint8_t> data);

}  // namespace gm::gfx
