// Every caption of the settings dialog and the about box fits its control,
// measured with the font the dialog draws it with, at 96, 120, 144 and 192
// dpi. Captions in the system's dialog font must also fit in Segoe UI 9 pt,
// the message font of Windows 10 and 11, which Wine does not have: their
// extents are scaled by the ratio of the fonts' average character widths
// (Segoe UI 9 pt: 7 pixels at 96 dpi, its dialog base unit).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "dialogs/frm_config.h"
#include "dialogs/frm_info.h"
#include "platform/win32/dialog_art.h"
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

}  // namespace
}  // namespace gm::win32
