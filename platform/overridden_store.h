// A settings store that answers some keys itself: the show's command-line
// options override the stored values for one run. Every other read and
// every write goes to the store below, so nothing stored changes.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace gm {

// Key -> the text read in its place, in every application and section.
using SettingOverrides = std::map<std::string, std::string>;

class OverriddenStore final : public SettingsStore {
  public:
    OverriddenStore(std::unique_ptr<SettingsStore> below, SettingOverrides overrides)
        : below_(std::move(below)), overrides_(std::move(overrides)) {}

    std::optional<std::string> GetSetting(const std::string& app, const std::string& section,
                                          const std::string& key) override;
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;

  private:
    std::unique_ptr<SettingsStore> below_;
    SettingOverrides overrides_;
};

}  // namespace gm
