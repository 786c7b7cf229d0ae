/* Reads the program's dialogs from outside, as a test needs them.
 *
 *   dialog_probe TITLE       one line for the form whose title is TITLE (an
 *                            empty TITLE: the borderless about box), then
 *                            one line per control, depth first:
 *     form style=S ex=E x=X y=Y w=W h=H cx=X cy=Y  (place, client size, client origin)
 *     ctl ID CLASS style=S x=X y=Y w=W h=H [min=.. max=.. pos=..] [check=C] "TEXT"
 *                            X, Y: client coordinates of the form; styles in hex
 *   dialog_probe TITLE focus the id of the control with the keyboard focus
 *   dialog_probe TITLE active  1 when the form is the foreground window, else 0
 *   dialog_probe TITLE click ID   posts the click of button ID to the form
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static HWND form;

static BOOL CALLBACK printControl(HWND hwnd, LPARAM unused) {
    (void)unused;
    char cls[32] = "", text[128] = "";
    RECT r;
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    GetWindowRect(hwnd, &r);
    MapWindowPoints(NULL, form, (POINT*)&r, 2);
    printf("ctl %d %s style=%08lx x=%ld y=%ld w=%ld h=%ld", GetDlgCtrlID(hwnd), cls,
           (unsigned long)GetWindowLongA(hwnd, GWL_STYLE), r.left, r.top, r.right - r.left,
           r.bottom - r.top);
    if (strcmp(cls, "ScrollBar") == 0) {
        SCROLLINFO si;
        memset(&si, 0, sizeof si);
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        GetScrollInfo(hwnd, SB_CTL, &si);
        printf(" min=%d max=%d pos=%d page=%u", si.nMin, si.nMax, si.nPos, si.nPage);
    }
    if (strcmp(cls, "Button") == 0)
        printf(" check=%ld", (long)SendMessageA(hwnd, BM_GETCHECK, 0, 0));
    printf(" \"%s\"\n", text);
    return TRUE;
}

static BOOL CALLBACK findBorderless(HWND hwnd, LPARAM found) {
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, "GlintmoorDialog") == 0 && IsWindowVisible(hwnd) &&
        !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION)) {
        *(HWND*)found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    form = NULL;
    if (argv[1][0])
        form = FindWindowA("GlintmoorDialog", argv[1]);
    else
        EnumWindows(findBorderless, (LPARAM)&form);
    if (!form) return 1;
    if (argc == 4 && strcmp(argv[2], "click") == 0) {
        HWND control = GetDlgItem(form, atoi(argv[3]));
        if (!control) control = FindWindowExA(form, NULL, NULL, NULL);
        PostMessageA(form, WM_COMMAND, MAKEWPARAM(atoi(argv[3]), BN_CLICKED), (LPARAM)control);
        return 0;
    }
    if (argc == 3 && strcmp(argv[2], "focus") == 0) {
        GUITHREADINFO info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(form, NULL), &info)) return 1;
        printf("%d\n", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
        return 0;
    }
    if (argc == 3 && strcmp(argv[2], "active") == 0) {
        printf("%d\n", GetForegroundWindow() == form);
        return 0;
    }
    RECT c, w;
    POINT origin = {0, 0};
    GetClientRect(form, &c);
    GetWindowRect(form, &w);
    ClientToScreen(form, &origin);
    printf("form style=%08lx ex=%08lx x=%ld y=%ld w=%ld h=%ld cx=%ld cy=%ld\n",
           (unsigned long)GetWindowLongA(form, GWL_STYLE),
           (unsigned long)GetWindowLongA(form, GWL_EXSTYLE), w.left, w.top, c.right, c.bottom,
           origin.x, origin.y);
    EnumChildWindows(form, printControl, 0);
    return 0;
}
