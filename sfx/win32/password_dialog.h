// The password dialog, from its own compressed template.
#pragma once

#include <windows.h>

#include <cstddef>

namespace gm::sfx {

enum class PasswordResult { Ok, Cancel, NoMemory };

// Inflates the template into its 600-byte buffer (NoMemory when that or the
// decompressor's window cannot be allocated) and runs the dialog
// centred on the screen. On OK, out holds the password (at most 255
// characters) in the ANSI code page, as the archiving tools of Windows
// encrypt with it.
PasswordResult askPasswordDialog(HWND owner, char* out, size_t capacity);

}  // namespace gm::sfx
