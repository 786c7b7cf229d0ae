// The one seam between the saver and the operating system.
//
// Code above platform/ never includes <windows.h> or X11 headers: the Win32
// calls the saver makes (SystemParametersInfoA, ShowCursor, GetTickCount, ...)
// are named operations of this interface. Three backends implement it:
//   win32/     the real calls
//   x11/       what a Linux/X11 user expects (no-ops where nothing fits)
//   headless/  a deterministic test backend with a virtual clock that records
//              the calls tests want to assert
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/keys.h"

namespace gm {

namespace gfx {
class Surface;
}

// What GetVersionExA reports (only the fields the saver reads).
struct OsVersionInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 Windows NT
    std::string csdVersion;        // service-pack text, NUL-terminated as stored
    // Set on Unix-like systems only, where the error protocol names the
    // kernel instead of a Windows platform: uname's sysname and release,
    // and PRETTY_NAME of /etc/os-release.
    std::string kernelName;
    std::string kernelRelease;
    std::string distribution;
};

// Wall-clock date and time in the user's time zone.
struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    double secondsSinceMidnight = 0;  // with fractions: the random seed
};

// The event handlers of a window; the platform calls them from yield()/wait().
class WindowEvents {
  public:
    virtual ~WindowEvents() = default;
    virtual void onResize() {}
    // The monitors under a shown full-screen window changed (one plugged in
    // or out, or one changed its size): monitors() tells them; those that
    // stayed as they were lie where they lay. Without a handler of its own
    // it is a size change.
    virtual void onMonitorsChanged() { onResize(); }
    virtual void onPaint() {}
    virtual void onClick() {}
    virtual void onDblClick() {}
    virtual void onKeyDown(Key /*key*/) {}
    virtual void onKeyPress(int /*ascii*/) {}
    virtual void onMouseDown(int /*button*/) {}
    virtual void onMouseMove(float /*x*/, float /*y*/) {}
    virtual void onUnload() {}
    virtual void onTerminate() {}
    virtual void onTimer() {}
};

enum class WindowKind {
    FullScreen,  // the show: borderless, top-most, covering the screen
    Preview,     // child of a host window (preview in the display settings)
    Embedded,    // draws into a foreign window (X11 -window-id / -root)
    Normal,      // a resizable window to try the show (--window)
};

// Where a window stands among the others.
enum class Stacking {
    TopMost,     // above every window that is not top-most, and it stays there
    NotTopMost,  // no longer top-most: above the ordinary windows only
    Top,         // at the top of the windows of its kind, top-most or not
};

// A rectangle of a window's image, in pixels.
struct ScreenArea {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ScreenArea&) const = default;
};

// The dots per inch a screen has when the system says nothing else.
inline constexpr int kDefaultDpi = 96;

// One monitor under a window: where it lies in the window's pixels, and its
// resolution in dots per inch.
struct MonitorArea {
    ScreenArea area;
    int dpi = kDefaultDpi;
    bool operator==(const MonitorArea&) const = default;
};

// A window with a persistent image: everything drawn into image() stays
// there and is shown on repaint or refresh().
class Window {
  public:
    virtual ~Window() = default;
    virtual std::uintptr_t handle() const = 0;
    virtual int width() const = 0;   // inner width in pixels
    virtual int height() const = 0;  // inner height in pixels
    virtual gfx::Surface& image() = 0;
    virtual void refresh() = 0;  // bring the screen up to date with image()
    // The same for the given areas only, when nothing changed elsewhere; a
    // backend without a cheaper way brings everything up to date.
    virtual void refreshAreas(const ScreenArea* /*areas*/, int /*count*/) { refresh(); }
    virtual void show() = 0;
    // Puts the window at `stacking` without moving or sizing it; with
    // `activate` it is activated as well. Returns whether the system did.
    virtual bool keepOnTop(Stacking stacking, bool activate) = 0;
    // Makes the window a child of the foreign window `host` (the preview in
    // the display settings) that covers its client area of width x height,
    // shown and not activated.
    virtual void embedInto(std::uintptr_t host, int width, int height) = 0;
    // The single timer of the window (tmrAnimation): period and on/off.
    virtual void setTimer(std::uint32_t intervalMs, bool enabled) = 0;
    // The monitors the window shows on, the primary first. The full-screen
    // window covers every monitor of the screen (where they lie in it may
    // leave parts of it on no monitor); any other window is one area over
    // its whole image, at the resolution of the screen it is on.
    virtual std::vector<MonitorArea> monitors() const {
        return {{{0, 0, width(), height()}, kDefaultDpi}};
    }
};

// The per-user settings store: text values addressed by application,
// section and key (the registry on Windows, an INI file on Linux).
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> GetSetting(const std::string& app,
                                                  const std::string& section,
                                                  const std::string& key) = 0;
    virtual void SaveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Milliseconds since the system started, wrapping at 2^32 (GetTickCount).
    virtual std::uint32_t GetTickCount() = 0;
    virtual LocalDateTime now() = 0;
    // A date in the user's short date form and a time in the user's time
    // form: here strftime's %x and %X under the environment's LC_TIME; the
    // Win32 backend asks the user's locale.
    virtual std::string formatShortDate(const LocalDateTime& t);
    virtual std::string formatTime(const LocalDateTime& t);

    // Switches the system's own starting of the screen saver on or off.
    virtual void setSystemSaverActive(bool active) = 0;
    // Tells the system whether the full-screen show runs.
    virtual void setShowRunning(bool running) = 0;
    virtual int ShowCursor(bool show) = 0;
    virtual void Beep() = 0;
    // Returns 1 on success and fills info.
    virtual int GetVersionExA(OsVersionInfo& info) = 0;
    // The older family's password functions; where they cannot be loaded
    // VerifyScreenSavePwd answers 1 (confirmed) and PwdChangePasswordA does nothing.
    virtual int VerifyScreenSavePwd(std::uintptr_t window) = 0;
    virtual void PwdChangePasswordA(const char* provider, std::uintptr_t owner) = 0;
    // The host's client size (GetClientRect of a foreign window).
    virtual bool GetClientRect(std::uintptr_t window, int& width, int& height) = 0;
    // Sets the default mouse pointer (the reporter resets it).
    virtual void resetMousePointer() = 0;

    // Full path of the running program.
    virtual std::string programPath() = 0;
    // The user's own folder of the program, for what the program's folder
    // does not take (the error protocol); empty: none.
    virtual std::string userDataFolder() = 0;

    // Ends the process at once with the given code. Tests observe it.
    [[noreturn]] virtual void exitProcess(int code) = 0;

    // The event pump: yield() runs everything pending (input, due timers,
    // paint) and returns; wait() blocks until the next event or due timer.
    virtual void yield() = 0;
    virtual void wait() = 0;

    // Runs the event loop until the last window of the program is closed.
    virtual void run() = 0;

    virtual std::unique_ptr<Window> createWindow(WindowKind kind, WindowEvents& events) = 0;

    virtual SettingsStore& settingsStore() = 0;
};

// The platform of the process.
Platform& platform();
void setPlatform(Platform* p);

}  // namespace gm
