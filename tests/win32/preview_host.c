/* The host window of the preview tests, as the display control panel has.
 *
 *   preview_host            opens a window with a 152 x 112 client area
 *                           titled "Preview host", prints its handle in
 *                           decimal, and runs until it is closed or ended
 *   preview_host kids HWND  prints one line per child window of HWND:
 *                           "child TITLE visible=V child=C WxH" (V and C are
 *                           1 or 0, WxH the client size)
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

static int host(void) {
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = hostProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "PreviewHost";
    RegisterClassA(&wc);
    RECT r = {0, 0, 152, 112};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowA("PreviewHost", "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
    printf("%llu\n", (unsigned long long)(UINT_PTR)hwnd);
    fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

static BOOL CALLBACK printChild(HWND hwnd, LPARAM unused) {
    (void)unused;
    char title[64] = "";
    RECT r;
    GetWindowTextA(hwnd, title, sizeof title);
    GetClientRect(hwnd, &r);
    printf("child %s visible=%d child=%d %ldx%ld\n", title, IsWindowVisible(hwnd) ? 1 : 0,
           (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) ? 1 : 0, r.right, r.bottom);
    return TRUE;
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "kids") == 0) {
        EnumChildWindows((HWND)(UINT_PTR)strtoull(argv[2], NULL, 10), printChild, 0);
        return 0;
    }
    return host();
}
