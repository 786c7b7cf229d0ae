// The progress meter; see meter.h.
#include "sfx/win32/meter.h"

namespace gm::sfx {
namespace {

// Window words: the range at 0, the position at 2.
constexpr int kRangeWord = 0, kPositionWord = 2;
wchar_t gText[300];
int gLength = 0;

// Both halves draw the same centred text, clipped to their own rectangle,
// at x = width / 2 and y = (height - height of "X") / 4.
void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    int range = static_cast<short>(GetWindowWord(window, kRangeWord));
    int position = static_cast<short>(GetWindowWord(window, kPositionWord));
    if (range == 0) {
        range = 1;
        position = 0;
    }
    HFONT font = CreateFontA(-(GetDeviceCaps(dc, LOGPIXELSY) * 6 / 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                             ANSI_CHARSET, 0, 0, 0, 0, "Helv");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    SIZE x;
    GetTextExtentPoint32W(dc, L"X", 1, &x);
    const int width = client.right, height = client.bottom;
    const int textX = width / 2, textY = (height - x.cy) / 4;
    const int length = gLength;
    // The done half in the highlight colours, the rest in the same swapped.
    RECT halves[2] = {client, client};
    halves[0].right = halves[1].left = MulDiv(position, width, range);
    COLORREF colours[2] = {GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT)};
    for (int i = 0; i < 2; ++i) {
        SetBkColor(dc, colours[i]);
        SetTextColor(dc, colours[1 - i]);
        ExtTextOutW(dc, textX, textY, ETO_OPAQUE | ETO_CLIPPED, &halves[i], gText, length, nullptr);
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    EndPaint(window, &ps);
}

void store(HWND window, int word, WPARAM value) {
    SetWindowWord(window, word, static_cast<WORD>(value));
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

LRESULT CALLBACK meterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetWindowWord(window, kRangeWord, 100);
            SetWindowWord(window, kPositionWord, 50);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_PAINT:
            paint(window);
            return 0;
        case kMeterSetRange:
            store(window, kRangeWord, wParam);
            return 0;
        case kMeterGetRange:
            return static_cast<short>(GetWindowWord(window, kRangeWord));
        case kMeterSetPosition:
            store(window, kPositionWord, wParam);
            return 0;
        case kMeterGetPosition:
            return static_cast<short>(GetWindowWord(window, kPositionWord));
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool registerMeterClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = meterProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "Meter";
    return RegisterClassA(&wc) != 0;
}

void setMeterText(const wchar_t* text) {
    int i = 0;
    for (; text[i] != L'\0' && i + 1 < static_cast<int>(sizeof gText / sizeof *gText); ++i)
        gText[i] = text[i];
    gText[i] = L'\0';
    gLength = i;
}

}  // namespace gm::sfx
