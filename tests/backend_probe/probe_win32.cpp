#include "platform/headless/headless_platform.h"
#include "platform/win32/win32_platform.h"
#include "tests/backend_probe/probe_backend.h"

namespace gm {

std::unique_ptr<Platform> openBackend(std::uintptr_t) {
    static MemoryStore store;  // the probe keeps no settings
    return makeWin32Platform(store);
}

}  // namespace gm
