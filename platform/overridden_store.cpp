#include "platform/overridden_store.h"

namespace gm {

std::optional<std::string> OverriddenStore::GetSetting(const std::string& app,
                                                       const std::string& section,
                                                       const std::string& key) {
    if (const auto it = overrides_.find(key); it != overrides_.end()) return it->second;
    return below_->GetSetting(app, section, key);
}

void OverriddenStore::SaveSetting(const std::string& app, const std::string& section,
                                  const std::string& key, const std::string& value) {
    below_->SaveSetting(app, section, key, value);
}

}  // namespace gm
