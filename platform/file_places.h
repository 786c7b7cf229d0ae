// Folders and file replacement with the C library and the system's own
// calls: the C++ file-system library of the 32-bit Windows build imports
// functions that Windows 95, 98 and NT 4 lack.
#pragma once

#include <string>

namespace gm {

// Creates the folder and the folders above it that are missing; true when
// the folder is there afterwards.
bool makeFolders(const std::string& folder);

// The folder part of PATH (without the separator); empty when it has none.
std::string folderOf(const std::string& path);

// Each system's own part (platform/posix_file_places.cpp,
// platform/win32/file_places.cpp):

// True for a character that separates folders in a path.
bool isFolderSeparator(char c);

// Creates one folder; true when it is there afterwards.
bool makeFolder(const std::string& folder);

// Puts the file FROM in place of TO (created when missing); true on success.
bool replaceFile(const std::string& from, const std::string& to);

}  // namespace gm
