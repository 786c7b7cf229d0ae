#include "platform/file_places.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace gm {
namespace {

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool makeFolder(const std::string& folder) {
#ifdef _WIN32
    if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
    const DWORD a = GetFileAttributesA(folder.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return mkdir(folder.c_str(), 0777) == 0 ||
           (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
#endif
}

}  // namespace

bool makeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    // Every folder from the top down; those that exist already stay.
    for (std::size_t i = 1; i < folder.size(); ++i)
        if (isSeparator(folder[i]) && !isSeparator(folder[i - 1]) && folder[i - 1] != ':')
            makeFolder(folder.substr(0, i));
    return makeFolder(folder);
}

bool replaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // MoveFileEx replaces in one step; on Windows 95, 98 and ME it is a stub
    // that fails, and the old file goes first.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    DeleteFileA(to.c_str());
    return MoveFileA(from.c_str(), to.c_str());
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace gm
