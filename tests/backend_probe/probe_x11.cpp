#include "platform/x11/x11_platform.h"
#include "tests/backend_probe/probe_backend.h"

namespace gm {

std::unique_ptr<Platform> openBackend(std::uintptr_t window) {
    X11Options options;
    if (window) {
        options.target = X11Options::Target::WindowId;
        options.windowId = window;
    }
    return makeX11Platform(options);
}

}  // namespace gm
