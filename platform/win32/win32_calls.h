// The Windows calls behind the seam's intents, as the arguments they pass:
// the saver's procedures name these calls (SetTopMost's SetWindowPos, the
// preview's embedding steps, Main's SystemParametersInfoA), and the Win32
// backend makes exactly them. Tests compare the arguments here and watch
// the backend make the calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/platform.h"

namespace gm::win32 {

struct SystemParametersCall {
    UINT action;
    UINT uiParam;
    bool operator==(const SystemParametersCall&) const = default;
};

// SPI_SETSCREENSAVEACTIVE with 1 or 0.
SystemParametersCall saverActiveCall(bool active);
// SPI_SCREENSAVERRUNNING with -1 (true) or 0.
SystemParametersCall showRunningCall(bool running);

struct SetWindowPosCall {
    HWND insertAfter;
    int x, y, cx, cy;
    UINT flags;
    bool operator==(const SetWindowPosCall&) const = default;
};

// SetTopMost: HWND_TOPMOST, HWND_NOTOPMOST or the null handle, with
// SWP_NOMOVE | SWP_NOSIZE, and SWP_NOACTIVATE unless it activates.
SetWindowPosCall keepOnTopCall(Stacking stacking, bool activate);
// The embedded preview over its host's client area: SWP_NOZORDER |
// SWP_NOACTIVATE | SWP_SHOWWINDOW.
SetWindowPosCall embeddedPlacementCall(int width, int height);
// The style word of a window made a child: WS_CHILD added. A window is a
// child or a pop-up, never both, so WS_POPUP goes (Windows leaves such a
// mix half top-level).
std::int32_t childStyle(std::int32_t style);
// The owner word (GWLP_HWNDPARENT) takes the host's handle as the 32-bit
// value it holds.
LONG_PTR ownerWord(std::uintptr_t host);

// The key of a virtual-key code.
Key keyOf(WPARAM virtualKey);

}  // namespace gm::win32
