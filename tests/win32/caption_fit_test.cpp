// Every caption of the settings dialog and the about box fits its control,
// measured with the font the dialog draws it with, at 96, 120, 144 and 192
// dpi. Captions in the system's dialog font must also fit in Segoe UI 9 pt,
// the message font of Windows 10 and 11, which Wine does not have: their
// extents are scaled by the ratio of the fonts' average character widths
// (Segoe UI 9 pt: 7 pixels at 96 dpi, its dialog base unit).
//
// And every caption of the settings dialog shows whole as the system draws
// it: read back from the window, each enabled group box, check box and
// label has as many columns of ink as its caption drawn alone in the
// control's font.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "dialogs/frm_config.h"
#include "dialogs/frm_info.h"
#include "platform/win32/dialog_art.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/window_text.h"

namespace gm::win32 {
namespace {

constexpr double kSegoeUiAverageWidth = 7.0;  // pixels at 96 dpi, 9 pt
constexpr double kSegoeUiPoints = 9.0;

// The average character width the way dialog base units take it.
double averageWidth(HDC dc) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE s{};
    GetTextExtentPoint32A(dc, kLetters, 52, &s);
    return s.cx / 52.0;
}

// What the control itself takes of its width beside the text: a check
// box's box and gap, a button's edges, a group box's indent on both sides
// of its caption.
int chrome(ControlKind kind, UINT dpi, int averageChar) {
    switch (kind) {
        case ControlKind::CheckBox:
            return MulDiv(13, int(dpi), 96) + averageChar;
        case ControlKind::GroupBox:
            return 2 * averageChar;
        case ControlKind::TextButton:
        case ControlKind::PictureButton:
            return MulDiv(6, int(dpi), 96) + averageChar;
        default:
            return 0;
    }
}

// The widest line of the caption: a multi-line button breaks at spaces.
int captionWidth(HDC dc, const ControlLayout& c) {
    const std::string text = ansiText(c.caption);
    const bool buttonText = c.kind != ControlKind::Label;
    RECT r{0, 0, 0, 0};
    UINT flags = DT_CALCRECT | DT_SINGLELINE | (buttonText ? 0 : DT_NOPREFIX);
    if (c.kind == ControlKind::TextButton || c.kind == ControlKind::PictureButton) {
        int widest = 0;
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find(' ', start), text.size());
            RECT w{0, 0, 0, 0};
            DrawTextA(dc, text.c_str() + start, int(end - start), &w, flags);
            widest = std::max(widest, int(w.right));
            start = end + 1;
        }
        return widest;
    }
    DrawTextA(dc, text.c_str(), -1, &r, flags);
    return r.right;
}

struct Form {
    const char* name;
    const FormLayout& (*layout)();
};

TEST(CaptionFitTest, EveryCaptionFitsAtEveryDpi) {
    const Form forms[] = {{"settings", &frmConfigLayout}, {"about", &frmInfoLayout}};
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Form& form : forms) {
        for (const UINT dpi : {96u, 120u, 144u, 192u}) {
            for (const ControlLayout& c : form.layout().controls) {
                if (c.caption.empty() || c.kind == ControlKind::Image ||
                    c.kind == ControlKind::HScroll)
                    continue;
                const DialogFont f = controlFont(form.layout(), c);
                HFONT font = createFont(f, dpi);
                HGDIOBJ old = SelectObject(dc, font);
                const double average = averageWidth(dc);
                TEXTMETRICA tm{};
                GetTextMetricsA(dc, &tm);
                const int measured = captionWidth(dc, c);
                // The system's dialog font: as wide as Segoe UI at the size
                // the dialog asks for (the message font's own: 9 pt there).
                double segoe = measured;
                if (f.face.empty()) {
                    const double points = f.points > 0 ? f.points : kSegoeUiPoints;
                    const double segoeAverage =
                        kSegoeUiAverageWidth * dpi / 96.0 * points / kSegoeUiPoints;
                    segoe = measured * std::max(1.0, segoeAverage / average);
                }
                const int room =
                    pixels(c.rect.width, dpi) - chrome(c.kind, dpi, int(tm.tmAveCharWidth));
                EXPECT_LE(std::max<double>(measured, segoe), room)
                    << form.name << " " << c.name << " \"" << c.caption << "\" at " << dpi
                    << " dpi: " << measured << " pixels here, " << int(segoe + 0.5)
                    << " in Segoe UI, room for " << room;
                SelectObject(dc, old);
                DeleteObject(font);
            }
        }
    }
    DeleteDC(dc);
}

class NoEvents final : public DialogEvents {
  public:
    void onClick(int) override {}
};

// Columns x >= fromX of the DC's [0, width) x [0, height) with ink: a pixel
// darker than the frames' grey in every channel.
int inkColumns(HDC dc, int fromX, int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    int columns = 0;
    for (int x = fromX; x < width; ++x) {
        bool ink = false;
        for (int y = 0; y < height && !ink; ++y) {
            const std::uint32_t p = px[y * width + x];
            ink = (p & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && ((p >> 16) & 0xFF) < 100;
        }
        columns += ink;
    }
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    return columns;
}

// The caption drawn alone, black on white, in the font.
int referenceInk(HFONT font, const ControlLayout& c) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);
    const std::string text = ansiText(c.caption);
    RECT r{0, 0, 0, 0};
    const UINT flags = DT_SINGLELINE | (c.kind == ControlKind::Label ? DT_NOPREFIX : 0);
    DrawTextA(dc, text.c_str(), -1, &r, flags | DT_CALCRECT);
    const int width = r.right + 16, height = r.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, text.c_str(), -1, &all, flags | DT_NOCLIP);
    const int columns = inkColumns(dc, 0, width, height);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    return columns;
}

BOOL CALLBACK addControl(HWND hwnd, LPARAM map) {
    (*reinterpret_cast<std::map<int, HWND>*>(map))[GetDlgCtrlID(hwnd)] = hwnd;
    return TRUE;
}

TEST(CaptionFitTest, EveryCaptionShowsWhole) {
    const std::unique_ptr<DialogSystem> system = makeWin32DialogSystem();
    NoEvents events;
    const std::unique_ptr<DialogWindow> window = system->loadForm(frmConfigLayout(), events);
    window->show(false);
    const HWND form = reinterpret_cast<HWND>(window->handle());
    UpdateWindow(form);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 500;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(20);
    }
    std::map<int, HWND> controls;
    EnumChildWindows(form, addControl, reinterpret_cast<LPARAM>(&controls));
    const UINT dpi = windowDpi(form);
    const auto& cs = frmConfigLayout().controls;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const ControlLayout& c = cs[i];
        const bool shown = c.kind == ControlKind::GroupBox || c.kind == ControlKind::CheckBox ||
                           c.kind == ControlKind::Label;
        if (!shown || c.caption.empty() || !c.enabled) continue;
        const HWND hwnd = controls[100 + static_cast<int>(i)];
        ASSERT_NE(hwnd, nullptr) << c.name;
        const HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
        RECT client;
        GetClientRect(hwnd, &client);
        // A group box's caption lies in its first text line; a check box's
        // right of its box.
        int height = client.bottom, fromX = 0;
        if (c.kind == ControlKind::GroupBox) {
            HDC measure = GetDC(hwnd);
            HGDIOBJ old = SelectObject(measure, font);
            TEXTMETRICA tm{};
            GetTextMetricsA(measure, &tm);
            SelectObject(measure, old);
            ReleaseDC(hwnd, measure);
            height = std::min<int>(height, tm.tmHeight);
        }
        if (c.kind == ControlKind::CheckBox) fromX = MulDiv(13, int(dpi), 96) + 1;
        HDC dc = GetDC(hwnd);
        const int ink = inkColumns(dc, fromX, client.right, height);
        ReleaseDC(hwnd, dc);
        EXPECT_GE(ink, referenceInk(font, c))
            << c.name << " \"" << c.caption << "\" at " << dpi << " dpi: columns of ink shown";
    }
    window->unload();
}

}  // namespace
}  // namespace gm::win32
