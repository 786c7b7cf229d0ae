// Entry names of the archive: conversion to the stub's code page and the
// checks that keep every entry inside the unpacking folder.
//
// A name is converted from the OEM code page and written below the
// unpacking folder after turning "/" into "\". Three guards keep that
// safe: a name with a ".." component, a drive letter (Windows) or any name
// that would land outside the folder is refused (nothing is written for
// it), and a leading separator is stripped; UTF-8 names (general-purpose
// bit 11, or valid UTF-8 from a Unix host) are not passed through the OEM
// conversion; and names that do not fit the 264-byte buffers are refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

enum class NameStatus { Ok, Unsafe, TooLong, BadEncoding };

// General-purpose flag bit 11: name and comment are UTF-8.
inline constexpr uint16_t kFlagUtf8 = 0x0800;
// Info-ZIP's Unicode Path extra field: version 1, CRC-32 of the header's
// name, the name in UTF-8. Zip tools that store non-ASCII names in the
// local code page add it.
inline constexpr uint16_t kUnicodePathExtra = 0x7075;

// Converts a raw name to the stub's code page, UTF-8, into out[0, capacity),
// NUL-terminated.
NameStatus convertEntryName(const uint8_t* raw, size_t n, bool utf8, char* out, size_t capacity);

// Checks a converted name and makes the path relative to the unpacking
// folder, with '/' as separator; a folder entry's trailing separator is
// dropped, and so are leading separators. Refused (Unsafe): an empty name, a
// component made only of dots and blanks other than "." (".." and what
// Windows trims to it), an embedded NUL, and with windowsRules any ':'
// (drives and streams) and a reserved device name (CON, NUL, COM1, ...).
NameStatus makeRelativePath(const char* name, size_t length, char* rel, size_t capacity,
                            bool windowsRules);

// Unpacking folder + separator (unless the folder ends in '/' or '\') +
// the relative path with '/' turned into `separator`.
NameStatus makeFullPath(const char* folder, const char* rel, char separator, char* out,
                        size_t capacity);

// Whether a symbolic link at `rel` (a path below the unpacking folder) to
// `target` stays inside the folder: a relative target whose ".." come
// first and climb no higher than the link's own folder; no NUL.
bool linkStaysInside(const char* rel, const char* target, size_t length);

// A name that could not be converted, for a message: control characters,
// bytes outside ASCII and the NULs a damaged header may hold become '?'.
void printableName(const uint8_t* raw, size_t n, char* out, size_t capacity);

// The part of a path after its last separator.
const char* fileNamePart(const char* path);

#ifdef _WIN32
inline constexpr bool kWindowsNameRules = true;
#else
inline constexpr bool kWindowsNameRules = false;
#endif

}  // namespace gm::sfx
