#include "platform/win32/window_text.h"

#include "platform/text/gdi_text.h"

namespace gm::win32 {

bool wideWindowCalls() {
    static const bool nt = !(GetVersion() & 0x80000000u);
    return nt;
}

std::string ansiText(const std::string& utf8) {
    // Decoded here: Windows 95 has no UTF-8 code page for MultiByteToWideChar.
    return ansiText(gfx::utf16Text(utf8));
}

std::wstring wideFromAnsi(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    std::wstring out(std::size_t(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), out.data(), n);
    return out;
}

std::string ansiText(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

HWND createTextWindow(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menu,
                      HINSTANCE instance, void* param) {
    if (!wideWindowCalls())
        return CreateWindowExA(exStyle, className, ansiText(text).c_str(), style, x, y, width,
                               height, parent, menu, instance, param);
    const std::wstring wideClass = gfx::utf16Text(className);
    return CreateWindowExW(exStyle, wideClass.c_str(), gfx::utf16Text(text).c_str(), style, x, y,
                           width, height, parent, menu, instance, param);
}

void setWindowText(HWND hwnd, const std::string& utf8) {
    if (wideWindowCalls())
        SetWindowTextW(hwnd, gfx::utf16Text(utf8).c_str());
    else
        SetWindowTextA(hwnd, ansiText(utf8).c_str());
}

void drawWindowText(HDC dc, HWND hwnd, RECT& r, UINT format) {
    if (wideWindowCalls()) {
        wchar_t text[64] = {};
        GetWindowTextW(hwnd, text, 64);
        DrawTextW(dc, text, -1, &r, format);
    } else {
        char text[64] = {};
        GetWindowTextA(hwnd, text, 64);
        DrawTextA(dc, text, -1, &r, format);
    }
}

}  // namespace gm::win32
