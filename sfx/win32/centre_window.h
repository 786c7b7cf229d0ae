// Places a dialog in the middle of the primary screen.
#pragma once

#include <windows.h>

namespace gm::sfx {

inline void centreOnScreen(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace gm::sfx
