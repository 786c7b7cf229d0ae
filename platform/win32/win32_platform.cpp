// The Win32 backend: every platform operation is the Windows call of the
// same name, and the event pump is the thread's message queue.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <cstdlib>

#include "platform/ini_store.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/system_function.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_window.h"

namespace gm {
namespace {

// The older family's password functions, found at run time: they exist only
// where the system's screen saver password is kept by the screen saver.
using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
using PwdChangePasswordAFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

HWND toHwnd(std::uintptr_t window) { return reinterpret_cast<HWND>(window); }

// The top-level window a window lies in (GetAncestor's GA_ROOT, which
// Windows 95 and NT 4 lack).
HWND rootOf(HWND hwnd) {
    while (hwnd && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(hwnd);
        if (!parent) break;
        hwnd = parent;
    }
    return hwnd;
}

// Dialog windows (the system's class "#32770" and the program's forms) get
// their keyboard navigation from IsDialogMessage before the message is
// dispatched.
bool isDialogMessage(MSG& msg) {
    HWND root = rootOf(msg.hwnd);
    char cls[32] = {};
    return root && GetClassNameA(root, cls, sizeof cls) &&
           (lstrcmpA(cls, "#32770") == 0 || lstrcmpA(cls, win32::kDialogClassName) == 0) &&
           IsDialogMessageA(root, &msg);
}

// Windows of the thread that a user can see: a dialog made without the
// platform keeps run() going as much as the platform's own windows do
// (such a dialog ends the loop with PostQuitMessage when it closes).
// A named CALLBACK function: 32-bit Windows calls it with the stdcall
// convention, which a lambda cannot have.
BOOL CALLBACK noteVisibleWindow(HWND hwnd, LPARAM found) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<BOOL*>(found) = TRUE;
    return FALSE;
}

bool hasVisibleThreadWindow() {
    BOOL found = FALSE;
    EnumThreadWindows(GetCurrentThreadId(), noteVisibleWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

class Win32Platform final : public Platform {
  public:
    Win32Platform() {
        if (const char* path = std::getenv("GLINTMOOR_SETTINGS"); path && *path)
            store_ = std::make_unique<IniStore>(path);
        else
            store_ = std::make_unique<win32::RegistryStore>();
    }

    std::uint32_t GetTickCount() override { return ::GetTickCount(); }

    LocalDateTime now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return {t.wYear,
                t.wMonth,
                t.wDay,
                t.wHour,
                t.wMinute,
                t.wSecond,
                t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0};
    }

    int SystemParametersInfoA(std::uint32_t action, std::int32_t uiParam, void* pvParam,
                              std::uint32_t winIni) override {
        return ::SystemParametersInfoA(action, static_cast<UINT>(uiParam), pvParam, winIni);
    }

    int ShowCursor(bool show) override { return ::ShowCursor(show ? TRUE : FALSE); }

    void Beep() override { MessageBeep(MB_OK); }

    int GetVersionExA(OsVersionInfo& info) override {
        static_assert(sizeof(OSVERSIONINFOA) == 148);
        OSVERSIONINFOA v{};
        v.dwOSVersionInfoSize = 148;
        const BOOL ok = ::GetVersionExA(&v);
        info.majorVersion = v.dwMajorVersion;
        info.minorVersion = v.dwMinorVersion;
        info.buildNumber = v.dwBuildNumber;
        info.platformId = v.dwPlatformId;
        info.csdVersion.assign(v.szCSDVersion, sizeof v.szCSDVersion);  // the whole field
        return ok ? 1 : 0;
    }

    int VerifyScreenSavePwd(std::uintptr_t window) override {
        static const auto verify =
            win32::systemFunction<VerifyScreenSavePwdFn>("password.cpl", "VerifyScreenSavePwd");
        return verify ? (verify(toHwnd(window)) ? 1 : 0) : 1;
    }

    void PwdChangePasswordA(const char* provider, std::uintptr_t owner) override {
        static const auto change =
            win32::systemFunction<PwdChangePasswordAFn>("mpr.dll", "PwdChangePasswordA");
        if (change) change(provider, toHwnd(owner), 0, 0);
    }

    bool GetClientRect(std::uintptr_t window, int& width, int& height) override {
        RECT r{};
        const bool ok = ::GetClientRect(toHwnd(window), &r);
        width = r.right;
        height = r.bottom;
        return ok;
    }

    std::int32_t GetWindowLongA(std::uintptr_t window, int index) override {
        return static_cast<std::int32_t>(::GetWindowLongPtrA(toHwnd(window), index));
    }

    std::int32_t SetWindowLongA(std::uintptr_t window, int index, std::int32_t value) override {
        // A window is a child or a pop-up, never both: the pop-up style of a
        // window made a child goes (Windows leaves such a mix half top-level).
        if (index == GWL_STYLE && (value & WS_CHILD)) value &= ~static_cast<std::int32_t>(WS_POPUP);
        // The pointer-sized call: GWL_HWNDPARENT takes a handle on 64-bit Windows.
        // (On 32-bit Windows it is a macro for SetWindowLongA: "::" names the
        // system's function, not this member.)
        return static_cast<std::int32_t>(::SetWindowLongPtrA(toHwnd(window), index, value));
    }

    std::uintptr_t SetParent(std::uintptr_t child, std::uintptr_t newParent) override {
        return reinterpret_cast<std::uintptr_t>(::SetParent(toHwnd(child), toHwnd(newParent)));
    }

    void resetMousePointer() override { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }

    std::string programPath() override {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
        return std::string(path, n);
    }

    [[noreturn]] void exitProcess(int code) override { ExitProcess(static_cast<UINT>(code)); }

    void yield() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit_ = true;
                return;
            }
            dispatch(msg);
        }
    }

    void wait() override {
        // Timers arrive as WM_TIMER messages, so waiting for input of any
        // kind also wakes at the next due timer. The wait is for messages
        // that arrive after the queue was looked at, so one already waiting
        // returns at once (what MWMO_INPUTAVAILABLE does where Windows 98 and
        // NT 4 have it).
        if (quit_ || LOWORD(GetQueueStatus(QS_ALLINPUT)) != 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
    }

    void run() override {
        MSG msg;
        while (!quit_ && (win32::Win32Window::openCount() > 0 || hasVisibleThreadWindow())) {
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
            dispatch(msg);
        }
    }

    std::unique_ptr<Window> createWindow(WindowKind kind, WindowEvents& events) override {
        return std::make_unique<win32::Win32Window>(kind, events);
    }

    SettingsStore& settingsStore() override { return *store_; }

  private:
    static void dispatch(MSG& msg) {
        if (isDialogMessage(msg)) return;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    std::unique_ptr<SettingsStore> store_;
    bool quit_ = false;
};

}  // namespace

std::unique_ptr<Platform> makeWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace gm
