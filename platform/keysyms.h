// Key symbols (X11's numbering, which xkbcommon shares) as the keys of the
// platform seam: letters and digits by their character, the usual named
// keys by their names, Other for the rest.
#pragma once

#include <cstdint>

#include "platform/keys.h"

namespace gm {

Key keyOf(std::uint32_t keysym);

}  // namespace gm
