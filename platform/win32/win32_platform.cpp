// The Win32 backend: every platform operation is the Windows call of the
// same name, and the event pump is the thread's message queue.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <cstdlib>

#include "platform/win32/win32_calls.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_window.h"

namespace gm {
namespace {

// The older family's password functions, found at run time: they exist only
// where the system's screen saver password is kept by the screen saver.
using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
using PwdChangePasswordAFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

template <typename Fn>
Fn loadFunction(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

HWND toHwnd(std::uintptr_t window) { return reinterpret_cast<HWND>(window); }

// Dialog windows (the system's class "#32770" and the program's forms) get
// their keyboard navigation from IsDialogMessage before the message is
// dispatched.
bool isDialogMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
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
    explicit Win32Platform(SettingsStore& store) : store_(store) {}

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

    std::string formatShortDate(const LocalDateTime& t) override {
        return formatted(GetDateFormatA, DATE_SHORTDATE, t);
    }
    std::string formatTime(const LocalDateTime& t) override {
        return formatted(GetTimeFormatA, 0, t);
    }

    void setSystemSaverActive(bool active) override { call(win32::saverActiveCall(active)); }
    void setShowRunning(bool running) override { call(win32::showRunningCall(running)); }

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
            loadFunction<VerifyScreenSavePwdFn>("password.cpl", "VerifyScreenSavePwd");
        return verify ? (verify(toHwnd(window)) ? 1 : 0) : 1;
    }

    void PwdChangePasswordA(const char* provider, std::uintptr_t owner) override {
        static const auto change =
            loadFunction<PwdChangePasswordAFn>("mpr.dll", "PwdChangePasswordA");
        if (change) change(provider, toHwnd(owner), 0, 0);
    }

    bool GetClientRect(std::uintptr_t window, int& width, int& height) override {
        RECT r{};
        const bool ok = ::GetClientRect(toHwnd(window), &r);
        width = r.right;
        height = r.bottom;
        return ok;
    }

    void resetMousePointer() override { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }

    std::string programPath() override {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
        return std::string(path, n);
    }

    // %LOCALAPPDATA%\Glintmoor
    std::string userDataFolder() override {
        const char* localAppData = std::getenv("LOCALAPPDATA");
        if (!localAppData || !*localAppData) return {};
        std::string folder = localAppData;
        if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
        return folder + "Glintmoor";
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
        // kind also wakes at the next due timer.
        if (quit_) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
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

    SettingsStore& settingsStore() override { return store_; }

  private:
    static void call(win32::SystemParametersCall c) {
        ::SystemParametersInfoA(c.action, c.uiParam, nullptr, 0);
    }

    // GetDateFormatA or GetTimeFormatA with the user's locale.
    template <typename Format>
    static std::string formatted(Format format, DWORD flags, const LocalDateTime& t) {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(t.year);
        st.wMonth = static_cast<WORD>(t.month);
        st.wDay = static_cast<WORD>(t.day);
        st.wHour = static_cast<WORD>(t.hour);
        st.wMinute = static_cast<WORD>(t.minute);
        st.wSecond = static_cast<WORD>(t.second);
        char text[128] = {};
        format(LOCALE_USER_DEFAULT, flags, &st, nullptr, text, sizeof text);
        return text;
    }

    static void dispatch(MSG& msg) {
        if (isDialogMessage(msg)) return;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    SettingsStore& store_;
    bool quit_ = false;
};

}  // namespace

std::unique_ptr<Platform> makeWin32Platform(SettingsStore& store) {
    return std::make_unique<Win32Platform>(store);
}

}  // namespace gm
