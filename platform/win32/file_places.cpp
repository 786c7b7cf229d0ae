// Folders and file replacement on Windows, with the ANSI calls every
// Windows has.
#include "platform/file_places.h"

#include <windows.h>

namespace gm {

bool isFolderSeparator(char c) { return c == '\\' || c == '/'; }

bool makeFolder(const std::string& folder) {
    if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
    const DWORD a = GetFileAttributesA(folder.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool replaceFile(const std::string& from, const std::string& to) {
    // MoveFileEx replaces in one step; on Windows 95, 98 and ME it is a stub
    // that fails, and the old file goes first.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    DeleteFileA(to.c_str());
    return MoveFileA(from.c_str(), to.c_str());
}

}  // namespace gm
