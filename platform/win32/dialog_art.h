// What the Win32 dialogs draw with, made for a given dpi: the system's
// dialog font and fonts by face and size, icons and pictures from the
// program's bitmap resources, and the dpi functions of newer systems
// (looked up at run time; older systems get their system-wide dpi).
#pragma once

#include <windows.h>

#include <string>

#include "gfx/surface.h"
#include "platform/dialog.h"

namespace gm::win32 {

inline constexpr UINT kDefaultDpi = 96;

UINT systemDpi();
UINT windowDpi(HWND hwnd);
// The outer size of a window with the given client size at the dpi.
SIZE outerSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);
// Twips to pixels at the dpi, rounded.
int pixels(int twips, UINT dpi);

// A font at the dpi: an empty face is the system's dialog (message) font,
// points 0 its size.
HFONT createFont(const DialogFont& font, UINT dpi);
// The font a control of the form is drawn with: its own face and size where
// it has them, else the form's.
DialogFont controlFont(const FormLayout& form, const ControlLayout& control);

// True when the text drawn in the font leaves ink right of the width
// GetTextExtentPoint32 gives it: glyphs that reach past their advance, as
// some of Wine's Tahoma at 8 pt do ('w', 'f').
bool inkPastExtent(HFONT font, const std::wstring& text);

// A 32 x 32 (at 96 dpi) icon, grown with the dpi, from a figure on black and
// its 1-bit mask (black = figure).
HICON createIcon(int picture, int mask, UINT dpi);

// Draws a bitmap resource stretched to the rectangle.
void drawPicture(HDC dc, const gfx::Bitmap& picture, const RECT& r);

}  // namespace gm::win32
