// Folders and file replacement on POSIX systems.
#include <sys/stat.h>

#include <cstdio>

#include "platform/file_places.h"

namespace gm {

bool isFolderSeparator(char c) { return c == '/'; }

bool makeFolder(const std::string& folder) {
    struct stat st;
    return mkdir(folder.c_str(), 0777) == 0 ||
           (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace gm
