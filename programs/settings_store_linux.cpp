#include "platform/ini_store.h"
#include "platform/posix_system.h"
#include "programs/settings_store.h"

namespace gm {

std::unique_ptr<SettingsStore> openSettingsStore() {
    return std::make_unique<IniStore>(posix::settingsFilePath());
}

}  // namespace gm
