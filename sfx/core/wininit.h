// Deletion at the next system start through "WinInit.Ini", for
// the systems that refuse MoveFileEx's delay-until-reboot: the line
// "NUL=<path>\r\n" goes right after the line holding "[Rename]\r\n" (exact
// case), or, without such a line, "[Rename]\r\n" and the line are appended
// (after a line end, should the file's last line lack one).
//
// The text editing is portable and tested here; opening, mapping and
// cutting the file is the Windows front end's.
#pragma once

#include <cstddef>

namespace gm::sfx {

// Writes the edited text to out[0, capacity); returns its length, or -1
// when it does not fit (or the path is too long).
long winInitAddDeletion(const char* text, size_t size, const char* path, char* out,
                        size_t capacity);

}  // namespace gm::sfx
