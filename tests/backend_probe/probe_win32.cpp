#include "platform/win32/win32_platform.h"
#include "tests/backend_probe/probe_backend.h"

namespace gm {

std::unique_ptr<Platform> openBackend(std::uintptr_t) { return makeWin32Platform(); }

}  // namespace gm
