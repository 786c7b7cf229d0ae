// Where the programs keep the settings: in the INI file GLINTMOOR_SETTINGS
// names, when it is set (tests point it away from the user's settings), else
// in the system's place for them, the registry on Windows
// (HKEY_CURRENT_USER\Software\Glintmoor) and the user's settings file on
// Linux. The programs hand the store to the platform they run on.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace gm {

std::unique_ptr<SettingsStore> openSettingsStore();

}  // namespace gm
