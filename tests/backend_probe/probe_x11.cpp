#include "platform/headless/headless_platform.h"
#include "platform/x11/x11_platform.h"
#include "tests/backend_probe/probe_backend.h"

namespace gm {

std::unique_ptr<Platform> openBackend(std::uintptr_t window) {
    X11Options options;
    if (window) {
        options.target = X11Options::Target::WindowId;
        options.windowId = window;
    }
    static MemoryStore store;  // the probe keeps no settings
    return makeX11Platform(options, store);
}

}  // namespace gm
