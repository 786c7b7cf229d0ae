// The text and the file of the error protocol.
#pragma once

#include <string>

#include "platform/platform.h"

namespace gm::protocol {

inline constexpr const char* kCrLf = "\r\n";

// "<program name without extension>  V<major>.<minor>.<revision>"
std::string programInfoLine(const std::string& programPath);

// The program's file name without folder and extension.
std::string programName(const std::string& programPath);
// The folder of a path, as App.Path gives it: no trailing separator except
// for a drive or file-system root ("C:\", "/").
std::string folderOf(const std::string& path);
// folder + separator (unless the folder ends in one) + file.
std::string joinFolder(const std::string& folder, const std::string& file);

// "mm-dd-yyyy" and "HH:MM:SS".
std::string dateText(const LocalDateTime& t);
std::string timeText(const LocalDateTime& t);

// The three system-information values: platform, version, build.
struct SystemLines {
    std::string platform, version, build;
};
SystemLines systemLines(const OsVersionInfo& info);

// Where the protocol goes: GLINTMOOR_PROTOCOL_DIR or the program's folder,
// then <program name>.EPT.
std::string protocolPath(const std::string& programPath);

// Appends text to the file; false when it cannot be opened or written.
bool appendToFile(const std::string& path, const std::string& text);

}  // namespace gm::protocol
