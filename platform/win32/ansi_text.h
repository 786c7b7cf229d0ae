// Texts for the ANSI window calls: their wide forms are stubs on Windows 95,
// 98 and ME.
#pragma once

#include <string>

namespace gm::win32 {

// UTF-8 text in the system's ANSI code page; characters the code page
// lacks become '?'.
std::string ansiText(const std::string& utf8);

}  // namespace gm::win32
