// The texts of windows and controls. The NT family takes them as UTF-16
// through the wide calls, whatever its ANSI code page; on Windows 95, 98 and
// ME those calls are stubs, and the texts go through the ANSI calls in the
// system's code page (a character it lacks becomes '?').
#pragma once

#include <windows.h>

#include <string>

namespace gm::win32 {

// True on the NT family, whose wide window calls work.
bool wideWindowCalls();

// UTF-8 or UTF-16 text in the system's ANSI code page, and such text back
// in UTF-16.
std::string ansiText(const std::string& utf8);
std::string ansiText(const std::wstring& wide);
std::wstring wideFromAnsi(const std::string& ansi);

// CreateWindowEx with the window text given in UTF-8.
HWND createTextWindow(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menu,
                      HINSTANCE instance, void* param);
void setWindowText(HWND hwnd, const std::string& utf8);
// Draws the window's own text into the rectangle (DrawText's format).
void drawWindowText(HDC dc, HWND hwnd, RECT& r, UINT format);

}  // namespace gm::win32
