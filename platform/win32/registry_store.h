// The per-user settings store in the registry: text values (REG_SZ) under
// HKEY_CURRENT_USER\Software\<app>\<section>.
#pragma once

#include "platform/platform.h"

namespace gm::win32 {

class RegistryStore final : public SettingsStore {
  public:
    std::optional<std::string> GetSetting(const std::string& app, const std::string& section,
                                          const std::string& key) override;
    // Raises run-time error 75 when the key cannot be written.
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;
};

}  // namespace gm::win32
