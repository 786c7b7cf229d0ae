// Key symbols (X11's numbering, which xkbcommon shares) as the key codes
// the saver's key handlers take: a Windows virtual-key code, letters as
// capitals, digits and space as themselves, the usual named keys by their
// VK_ numbers, 0 for the rest.
#pragma once

#include <cstdint>

namespace gm {

int virtualKeyOf(std::uint32_t keysym);

}  // namespace gm
