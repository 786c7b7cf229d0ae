// A window of the Win32 backend: a real window with a DIB-backed persistent
// image, whose messages become WindowEvents calls.
#pragma once

#include <windows.h>

#include "gfx/surface.h"
#include "platform/platform.h"
#include "platform/win32/dib_image.h"

namespace gm::win32 {

class Win32Window final : public Window {
  public:
    Win32Window(WindowKind kind, WindowEvents& events);
    ~Win32Window() override;

    std::uintptr_t handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }
    int width() const override { return dib_.width(); }
    int height() const override { return dib_.height(); }
    gfx::Surface& image() override { return image_; }
    void refresh() override;
    void refreshAreas(const ScreenArea* areas, int count) override;
    void show() override;
    bool keepOnTop(Stacking stacking, bool activate) override;
    void embedInto(std::uintptr_t host, int width, int height) override;
    void setTimer(std::uint32_t intervalMs, bool enabled) override;
    std::vector<MonitorArea> monitors() const override;

    // Windows of this program that exist now (run() ends when none is left).
    static int openCount();

  private:
    static ATOM registerWindowClass();
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void paint();
    // Follows the client size; a visible window whose size changed, or that
    // has just been shown for the first time, gets one onResize from the pump.
    void followSize();

    WindowKind kind_;
    WindowEvents& events_;
    HWND hwnd_ = nullptr;
    DibImage dib_;
    gfx::Surface image_;
    bool resizedOnce_ = false;
    bool resizePending_ = false;
    bool closing_ = false;  // the C++ side destroys the window: no more events
};

}  // namespace gm::win32
