// The real backend the probe drives: Win32 on Windows, X11 elsewhere
// (probe_win32.cpp, probe_x11.cpp). `window`, when not 0, is the window the
// show's window draws into (X11's -window-id); nullptr without a display.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace gm {

std::unique_ptr<Platform> openBackend(std::uintptr_t window);

}  // namespace gm
