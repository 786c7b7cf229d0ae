#include <cstdlib>

#include "platform/ini_store.h"
#include "platform/win32/registry_store.h"
#include "programs/settings_store.h"

namespace gm {

std::unique_ptr<SettingsStore> openSettingsStore() {
    if (const char* path = std::getenv("GLINTMOOR_SETTINGS"); path && *path)
        return std::make_unique<IniStore>(path);
    return std::make_unique<win32::RegistryStore>();
}

}  // namespace gm
