#include "platform/win32/ansi_text.h"

#include <windows.h>

#include "platform/text/gdi_text.h"

namespace gm::win32 {

std::string ansiText(const std::string& utf8) {
    // Decoded here: Windows 95 has no UTF-8 code page for MultiByteToWideChar.
    const std::wstring wide = gfx::utf16Text(utf8);
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace gm::win32
