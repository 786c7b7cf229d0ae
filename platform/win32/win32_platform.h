// The Win32 backend of the platform seam.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace gm {

std::unique_ptr<Platform> makeWin32Platform();

}  // namespace gm
