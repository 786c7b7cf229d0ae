#include "errors/protocol.h"

#include <cstdio>
#include <cstdlib>

#include "errors/reporter.h"

namespace gm::protocol {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Windows paths use "\", everything else "/".
char separatorFor(const std::string& folder) {
    const bool windows =
        folder.find('\\') != std::string::npos || (folder.size() >= 2 && folder[1] == ':');
    return windows ? '\\' : '/';
}

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

}  // namespace

std::string programName(const std::string& programPath) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < programPath.size(); ++i) {
        if (isSeparator(programPath[i])) start = i + 1;
    }
    const std::string file = programPath.substr(start);
    const auto dot = file.rfind('.');
    return dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
}

std::string programInfoLine(const std::string& programPath) {
    return programName(programPath) + "  V" + GLINTMOOR_VERSION;
}

std::string folderOf(const std::string& path) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isSeparator(path[i])) last = i;
    }
    if (last == std::string::npos) return ".";
    std::string folder = path.substr(0, last);
    // "C:\x.scr" lives in "C:\", "/x" in "/".
    if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) folder += path[last];
    return folder;
}

std::string joinFolder(const std::string& folder, const std::string& file) {
    if (!folder.empty() && isSeparator(folder.back())) return folder + file;
    return folder + separatorFor(folder) + file;
}

std::string dateText(const LocalDateTime& t) {
    return twoDigits(t.month) + "-" + twoDigits(t.day) + "-" + std::to_string(t.year);
}

std::string timeText(const LocalDateTime& t) {
    return twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
}

SystemLines systemLines(const OsVersionInfo& info) {
    SystemLines lines;
    lines.version = std::to_string(info.majorVersion) + "." + std::to_string(info.minorVersion);
    if (!info.kernelName.empty()) {
        lines.platform = info.kernelName;
        lines.build = info.kernelRelease + "   " + info.distribution;
        return lines;
    }
    switch (info.platformId) {
        case 0:
            lines.platform = "Win32s";
            break;
        case 1:
            lines.platform = "Windows 9x";
            break;
        case 2:
            lines.platform = "Windows NT";
            break;
        default:
            break;
    }
    lines.build =
        std::to_string(info.buildNumber & 0xFFFFu) + "   " + LPSTRToVBString(info.csdVersion);
    return lines;
}

std::string protocolPath(const std::string& programPath) {
    const std::string file = programName(programPath) + ".EPT";
    if (const char* dir = std::getenv("GLINTMOOR_PROTOCOL_DIR"); dir && *dir) {
        return joinFolder(dir, file);
    }
    return joinFolder(folderOf(programPath), file);
}

bool appendToFile(const std::string& path, const std::string& text) {
    // Binary: the text carries its own CR LF line ends.
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace gm::protocol
