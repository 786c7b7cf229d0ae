#include "platform/win32/win32_window.h"

#include <windowsx.h>

#include "platform/win32/win32_calls.h"

namespace gm::win32 {
namespace {

constexpr char kClassName[] = "GlintmoorWindow";
constexpr char kTitle[] = "Glintmoor";
constexpr UINT kResizeMessage = WM_APP + 1;  // a size change waiting for onResize
constexpr UINT_PTR kTimerId = 1;
constexpr int kProgramIcon = 1;  // icon group of the program
constexpr int kNormalWidth = 1024, kNormalHeight = 768;

// Mouse buttons as the event handlers number them.
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;

int gOpenWindows = 0;

struct Placement {
    DWORD style, exStyle;
    int x, y, width, height;
};

Placement placementFor(WindowKind kind) {
    switch (kind) {
        case WindowKind::FullScreen:
            // Borderless over the whole virtual screen, every monitor, in
            // device pixels (the program is per-monitor DPI aware); its
            // origin lies left of or above the primary's when a monitor
            // does. A tool window has no task bar button.
            return {WS_POPUP,
                    WS_EX_TOOLWINDOW,
                    GetSystemMetrics(SM_XVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        case WindowKind::Normal: {
            RECT r{0, 0, kNormalWidth, kNormalHeight};
            AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
            return {WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                    r.bottom - r.top};
        }
        case WindowKind::Preview:
        case WindowKind::Embedded:
            // Created hidden and empty; the caller embeds and sizes it.
            return {WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0};
    }
    return {};
}

// The effective dpi of a monitor under per-monitor awareness
// (GetDpiForMonitor of shcore.dll, Windows 8.1 and later); before that, the
// one dpi of the screen.
int monitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    static const auto getDpi = [] {
        HMODULE shcore = LoadLibraryA("shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (getDpi && getDpi(monitor, kEffectiveDpi, &x, &y) == S_OK && x > 0) return int(x);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

// EnumDisplayMonitors' callback (stdcall, as the system calls it): adds one
// monitor to the list, the primary at its front.
BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    const MonitorArea area{{r.left, r.top, r.right - r.left, r.bottom - r.top},
                           monitorDpi(monitor)};
    auto& all = *reinterpret_cast<std::vector<MonitorArea>*>(list);
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        all.insert(all.begin(), area);
    else
        all.push_back(area);
    return TRUE;
}

// Every monitor of the virtual screen in screen coordinates, the primary first.
std::vector<MonitorArea> displayMonitors() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

}  // namespace

int Win32Window::openCount() { return gOpenWindows; }

Win32Window::Win32Window(WindowKind kind, WindowEvents& events) : kind_(kind), events_(events) {
    static const ATOM windowClass = registerWindowClass();
    const Placement p = placementFor(kind);
    CreateWindowExA(p.exStyle, MAKEINTATOM(windowClass), kTitle, p.style, p.x, p.y, p.width,
                    p.height, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    followSize();
}

ATOM Win32Window::registerWindowClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;  // double clicks arrive as WM_LBUTTONDBLCLK
    wc.lpfnWndProc = &Win32Window::windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(kProgramIcon));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // the window paints everything from its image
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc);
}

Win32Window::~Win32Window() {
    closing_ = true;
    if (hwnd_) DestroyWindow(hwnd_);
}

void Win32Window::refresh() {
    if (!IsWindowVisible(hwnd_)) return;
    HDC dc = GetDC(hwnd_);
    BitBlt(dc, 0, 0, dib_.width(), dib_.height(), dib_.dc(), 0, 0, SRCCOPY);
    ReleaseDC(hwnd_, dc);
    ValidateRect(hwnd_, nullptr);  // the screen is up to date: no WM_PAINT needed
}

void Win32Window::refreshAreas(const ScreenArea* areas, int count) {
    if (!IsWindowVisible(hwnd_)) return;
    HDC dc = GetDC(hwnd_);
    for (int i = 0; i < count; ++i) {
        const ScreenArea& a = areas[i];
        BitBlt(dc, a.x, a.y, a.width, a.height, dib_.dc(), a.x, a.y, SRCCOPY);
    }
    ReleaseDC(hwnd_, dc);
}

void Win32Window::show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

bool Win32Window::keepOnTop(Stacking stacking, bool activate) {
    const SetWindowPosCall c = keepOnTopCall(stacking, activate);
    return SetWindowPos(hwnd_, c.insertAfter, c.x, c.y, c.cx, c.cy, c.flags) != 0;
}

void Win32Window::embedInto(std::uintptr_t host, int width, int height) {
    const auto style = static_cast<std::int32_t>(GetWindowLongPtrA(hwnd_, GWL_STYLE));
    SetWindowLongPtrA(hwnd_, GWL_STYLE, childStyle(style));
    SetParent(hwnd_, reinterpret_cast<HWND>(host));
    SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, ownerWord(host));
    const SetWindowPosCall c = embeddedPlacementCall(width, height);
    SetWindowPos(hwnd_, c.insertAfter, c.x, c.y, c.cx, c.cy, c.flags);
}

void Win32Window::setTimer(std::uint32_t intervalMs, bool enabled) {
    // An interval of 0 stops the timer, as for a disabled one.
    if (enabled && intervalMs > 0)
        SetTimer(hwnd_, kTimerId, intervalMs, nullptr);
    else
        KillTimer(hwnd_, kTimerId);
}

std::vector<MonitorArea> Win32Window::monitors() const {
    const MonitorArea own{{0, 0, width(), height()},
                          monitorDpi(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST))};
    if (kind_ != WindowKind::FullScreen) return {own};
    std::vector<MonitorArea> monitors = displayMonitors();
    if (monitors.empty()) return {own};
    // Screen coordinates to the client area's.
    POINT origin{0, 0};
    ClientToScreen(hwnd_, &origin);
    for (MonitorArea& m : monitors) {
        m.area.x -= origin.x;
        m.area.y -= origin.y;
    }
    return monitors;
}

void Win32Window::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    const RECT& r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, dib_.dc(), r.left, r.top,
           SRCCOPY);
    EndPaint(hwnd_, &ps);
}

void Win32Window::followSize() {
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    if (dib_.resize(rc.right, rc.bottom))
        image_.attach(dib_.pixels(), dib_.width(), dib_.height(), dib_.width());
    else if (resizedOnce_)
        return;
    if (!IsWindowVisible(hwnd_)) return;
    resizedOnce_ = true;
    // Posted, not called: the show's resize handler runs the animation loop
    // and never returns, so it must not run inside SetWindowPos/ShowWindow,
    // before the window has been activated.
    if (!resizePending_) {
        resizePending_ = true;
        PostMessageA(hwnd_, kResizeMessage, 0, 0);
    }
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ++gOpenWindows;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        if (--gOpenWindows == 0) PostQuitMessage(0);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (self->closing_) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->onMessage(msg, wParam, lParam);
}

LRESULT Win32Window::onMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // the image covers the whole client area
        case WM_PAINT:
            paint();
            events_.onPaint();
            return 0;
        case WM_WINDOWPOSCHANGED:
            followSize();
            return 0;
        case kResizeMessage:
            resizePending_ = false;
            events_.onResize();
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId) events_.onTimer();
            return 0;
        case WM_LBUTTONDOWN:
            events_.onMouseDown(kLeftButton);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            events_.onMouseDown(kRightButton);
            return 0;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            events_.onMouseDown(kMiddleButton);
            return 0;
        case WM_LBUTTONDBLCLK:
            events_.onDblClick();
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            events_.onClick();
            return 0;
        case WM_MOUSEMOVE:
            events_.onMouseMove(static_cast<float>(GET_X_LPARAM(lParam)),
                                static_cast<float>(GET_Y_LPARAM(lParam)));
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            // System keys are not passed on: Alt+F4 must not close the show
            // behind the handlers' back.
            events_.onKeyDown(keyOf(wParam));
            return 0;
        case WM_CHAR:
            events_.onKeyPress(static_cast<int>(wParam));
            return 0;
        case WM_SYSCHAR:
            return 0;
        case WM_CLOSE:
            events_.onUnload();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, kTimerId);
            events_.onTerminate();
            return 0;
        default:
            return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

}  // namespace gm::win32
