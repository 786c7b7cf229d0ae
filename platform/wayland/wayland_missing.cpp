// The Wayland backend of a build without the Wayland packages: it says so.
#include "platform/wayland/idle_watch.h"
#include "platform/wayland/wayland_platform.h"

namespace gm {
namespace {
constexpr char kMissing[] =
    "this glintmoor was built without Wayland (tools/install-deps.sh installs what it needs)";
}

std::unique_ptr<Platform> makeWaylandPlatform(const WaylandOptions&, SettingsStore&,
                                              std::string& why) {
    why = kMissing;
    return nullptr;
}

std::unique_ptr<IdleWatch> IdleWatch::open(std::uint32_t, std::string& why) {
    why = kMissing;
    return nullptr;
}

}  // namespace gm
