#include "platform/platform.h"

#include <cassert>

namespace gm {
namespace {
Platform* gPlatform = nullptr;
}

Platform& platform() {
    assert(gPlatform && "setPlatform() runs before anything uses the platform");
    return *gPlatform;
}

void setPlatform(Platform* p) { gPlatform = p; }

}  // namespace gm
