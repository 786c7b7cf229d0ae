// The progress meter: the window class "Meter", a bar of range and
// position that paints the text "Dekomprimiere <file>" across it.
//
// Messages (from WM_USER = 1024): set range (wParam), get range, set
// position (wParam), get position. Setting a value repaints at once.
#pragma once

#include <windows.h>

namespace gm::sfx {

enum MeterMessage : UINT {
    kMeterSetRange = WM_USER,
    kMeterGetRange = WM_USER + 1,
    kMeterSetPosition = WM_USER + 2,
    kMeterGetPosition = WM_USER + 3,
};

bool registerMeterClass(HINSTANCE instance);
// The text every meter paints (UTF-16, copied).
void setMeterText(const wchar_t* text);

}  // namespace gm::sfx
