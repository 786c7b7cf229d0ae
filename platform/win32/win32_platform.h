// The Win32 backend of the platform seam.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace gm {

// The settings live in `store`, which outlives the platform.
std::unique_ptr<Platform> makeWin32Platform(SettingsStore& store);

}  // namespace gm
