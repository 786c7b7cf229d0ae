// The settings store as an INI file: one "[Section]" header per section and
// plain "key=value" lines. Used on Linux for the per-user settings and on
// both platforms when GLINTMOOR_SETTINGS names a file. Each file holds one
// application's settings, so the application name only chooses the file.
//
// A missing file is an empty store; saving creates the file and its folder.
// Saving writes the whole file to "<file>.new" and renames that over the
// file, so a failed write leaves the other keys as they were. A UTF-8
// byte-order mark at the start is read over and written back.
// Keys and sections compare without regard to case, as the Windows profile
// functions do; lines the store does not understand are kept as they stand.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace gm {

class IniStore final : public SettingsStore {
  public:
    explicit IniStore(std::string path) : path_(std::move(path)) {}

    std::optional<std::string> GetSetting(const std::string& app, const std::string& section,
                                          const std::string& key) override;
    // Replaces the key's line in its section, or adds it at the end of the
    // section (adding the section at the end of the file when missing).
    // Raises run-time error 75 when the file cannot be written; the file
    // then stays as it was.
    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace gm
