#include "platform/file_places.h"

namespace gm {

bool makeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    // Every folder from the top down; those that exist already stay.
    for (std::size_t i = 1; i < folder.size(); ++i)
        if (isFolderSeparator(folder[i]) && !isFolderSeparator(folder[i - 1]) &&
            folder[i - 1] != ':')
            makeFolder(folder.substr(0, i));
    return makeFolder(folder);
}

std::string folderOf(const std::string& path) {
    for (std::size_t i = path.size(); i > 1; --i)
        if (isFolderSeparator(path[i - 1])) return path.substr(0, i - 1);
    return {};
}

}  // namespace gm
