// sfx_wine_driver.exe: drives the stub's windows from inside Wine, for
// windows_gui_test.py. It reads one command per line on standard input and
// answers with one line (or a block ending in "end"), in UTF-8:
//
//   find TIMEOUT_MS TITLE        first visible top-level window of that exact
//                                title (polled until the timeout) -> handle | 0
//   gone HWND TIMEOUT_MS         1 when the window is gone within the timeout
//   controls HWND                "id class visible enabled x y w h text" per
//                                child, in client coordinates, then "end"
//   dlu X Y W H                  dialog units to pixels with the base units of
//                                the dialogs' font, MS Sans Serif 8 pt
//   click HWND ID                the button's click, as the dialog gets it
//   press HWND ID                a left button press on the control (input)
//   settext HWND ID TEXT         WM_SETTEXT
//   text HWND                    the window's text
//   meter HWND                   "visible range position" of control 201
//   send HWND MSG WPARAM LPARAM  SendMessage's result
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void utf8(const wchar_t* w, char* out, int capacity) {
    if (!WideCharToMultiByte(CP_UTF8, 0, w, -1, out, capacity, nullptr, nullptr)) out[0] = 0;
}

HWND handle(const char* s) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::strtoul(s, nullptr, 10)));
}

struct Search {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK matchTitle(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t text[512];
    GetWindowTextW(w, text, 512);
    if (IsWindowVisible(w) && lstrcmpW(text, s->title) == 0) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND find(const char* title, DWORD timeout) {
    wchar_t wide[512];
    MultiByteToWideChar(CP_UTF8, 0, title, -1, wide, 512);
    const DWORD start = GetTickCount();
    for (;;) {
        Search s{wide, nullptr};
        EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&s));
        if (s.found || GetTickCount() - start > timeout) return s.found;
        Sleep(50);
    }
}

BOOL CALLBACK listChild(HWND w, LPARAM parent) {
    if (GetParent(w) != reinterpret_cast<HWND>(parent)) return TRUE;
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(parent), reinterpret_cast<POINT*>(&r), 2);
    wchar_t cls[64], text[1024];
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, text, 1024);
    for (wchar_t* p = text; *p; ++p)
        if (*p == L'\n' || *p == L'\r') *p = L'|';
    char c8[200], t8[3100];
    utf8(cls, c8, sizeof c8);
    utf8(text, t8, sizeof t8);
    std::printf("%d %s %d %d %ld %ld %ld %ld %s\n", GetDlgCtrlID(w), c8, IsWindowVisible(w) ? 1 : 0,
                IsWindowEnabled(w) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top, t8);
    return TRUE;
}

// The dialog base units of a font as the system computes them for a dialog:
// the average width of the 52 letters (rounded) and the character height.
void baseUnits(int* cx, int* cy) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0,
                             0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size;
    GetTextExtentPoint32W(dc, letters, 52, &size);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    *cx = (size.cx / 26 + 1) / 2;
    *cy = tm.tmHeight;
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}

void command(char* line) {
    // The command word and up to seven arguments; for "find" and "settext"
    // the last argument is the rest of the line (a text with blanks).
    char* argv[8] = {};
    int argc = 0;
    const char* name = std::strtok(line, " ");
    if (!name) return;
    const int texts = !std::strcmp(name, "find") ? 2 : !std::strcmp(name, "settext") ? 3 : 0;
    while (argc < 8) {
        char* a = std::strtok(nullptr, argc + 1 == texts ? "" : " ");
        if (!a) break;
        argv[argc++] = a;
    }
    const char* rest = texts ? argv[texts - 1] : nullptr;
    if (texts) --argc;
    if (!std::strcmp(name, "find") && argc == 1 && rest) {
        // Window handles fit in 32 bits on 64-bit Windows too.
        std::printf("%lu\n", static_cast<unsigned long>(
                                 reinterpret_cast<std::uintptr_t>(find(rest, std::atoi(argv[0])))));
    } else if (!std::strcmp(name, "gone") && argc == 2) {
        const DWORD start = GetTickCount(), timeout = std::atoi(argv[1]);
        while (IsWindow(handle(argv[0])) && GetTickCount() - start <= timeout) Sleep(50);
        std::printf("%d\n", IsWindow(handle(argv[0])) ? 0 : 1);
    } else if (!std::strcmp(name, "controls") && argc == 1) {
        EnumChildWindows(handle(argv[0]), listChild, reinterpret_cast<LPARAM>(handle(argv[0])));
        std::printf("end\n");
    } else if (!std::strcmp(name, "dlu") && argc == 4) {
        int cx = 0, cy = 0;
        baseUnits(&cx, &cy);
        std::printf("%d %d %d %d\n", MulDiv(std::atoi(argv[0]), cx, 4),
                    MulDiv(std::atoi(argv[1]), cy, 8), MulDiv(std::atoi(argv[2]), cx, 4),
                    MulDiv(std::atoi(argv[3]), cy, 8));
    } else if (!std::strcmp(name, "click") && argc == 2) {
        const int id = std::atoi(argv[1]);
        HWND control = GetDlgItem(handle(argv[0]), id);
        PostMessageW(handle(argv[0]), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        std::printf("ok\n");
    } else if (!std::strcmp(name, "press") && argc == 2) {
        HWND control = GetDlgItem(handle(argv[0]), std::atoi(argv[1]));
        PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        std::printf("ok\n");
    } else if (!std::strcmp(name, "settext") && argc == 2) {
        wchar_t wide[1024];
        MultiByteToWideChar(CP_UTF8, 0, rest ? rest : "", -1, wide, 1024);
        SendDlgItemMessageW(handle(argv[0]), std::atoi(argv[1]), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(wide));
        std::printf("ok\n");
    } else if (!std::strcmp(name, "text") && argc == 1) {
        wchar_t text[1024];
        char t8[3100];
        GetWindowTextW(handle(argv[0]), text, 1024);
        utf8(text, t8, sizeof t8);
        std::printf("%s\n", t8);
    } else if (!std::strcmp(name, "meter") && argc == 1) {
        HWND meter = GetDlgItem(handle(argv[0]), 201);
        std::printf("%d %ld %ld\n", IsWindowVisible(meter) ? 1 : 0,
                    static_cast<long>(SendMessageW(meter, WM_USER + 1, 0, 0)),
                    static_cast<long>(SendMessageW(meter, WM_USER + 3, 0, 0)));
    } else if (!std::strcmp(name, "send") && argc == 4) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(handle(argv[0]), std::strtoul(argv[1], nullptr, 0),
                            std::strtoul(argv[2], nullptr, 0), std::strtol(argv[3], nullptr, 0),
                            SMTO_NORMAL, 20000, &result);
        std::printf("%lu\n", static_cast<unsigned long>(result));
    } else {
        std::printf("error\n");
    }
}

}  // namespace

int main() {
    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = 0;
        if (!std::strcmp(line, "quit")) break;
        command(line);
        std::fflush(stdout);
    }
    return 0;
}
