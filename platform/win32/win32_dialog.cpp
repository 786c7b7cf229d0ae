#include "platform/win32/win32_dialog.h"

#include <windows.h>
// After <windows.h>, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "gfx/bitmap_resource.h"
#include "platform/text/gdi_text.h"
#include "platform/win32/dialog_art.h"
#include "platform/win32/window_text.h"

namespace gm::win32 {
namespace {

constexpr UINT kWmDpiChanged = 0x02E0;
constexpr char kFrameClassName[] = "GlintmoorFrame";
constexpr int kFirstControlId = 100;
constexpr int kProgramIcon = 1;

struct Look {
    DWORD style, exStyle;
};

Look formLook(const FormLayout& form) {
    // No task bar button: a tool window never gets one.
    Look look{WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT};
    if (form.frame == FormFrame::ToolWindow) look.style |= WS_CAPTION | WS_SYSMENU;
    // A form with a colour of its own carries pictures that its labels let
    // show through: it paints beneath them too.
    if (!form.backColour) look.style |= WS_CLIPCHILDREN;
    return look;
}

Look controlLook(const ControlLayout& c) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (c.tabIndex >= 0) style |= WS_TABSTOP;
    if (!c.enabled) style |= WS_DISABLED;
    const DWORD align = c.align == TextAlign::Center  ? SS_CENTER
                        : c.align == TextAlign::Right ? SS_RIGHT
                                                      : SS_LEFT;
    switch (c.kind) {
        case ControlKind::GroupBox:
            return {style | BS_GROUPBOX, 0};
        case ControlKind::Label:
            return {style | align | SS_NOPREFIX | (c.clickable ? SS_NOTIFY : 0), 0};
        case ControlKind::HScroll:
            return {style | SBS_HORZ, 0};
        case ControlKind::CheckBox:
            return {style | BS_3STATE, 0};  // the form toggles it: a grayed box stays possible
        case ControlKind::PictureButton:
        case ControlKind::TextButton:
            if (c.backColour) return {style | BS_OWNERDRAW, 0};  // a face of its own colour
            return {style | BS_MULTILINE | (c.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
        case ControlKind::Image:
            break;
    }
    return {0, 0};
}

const char* controlClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "Static";
        case ControlKind::HScroll:
            return "ScrollBar";
        default:
            return "Button";
    }
}

COLORREF colorRef(DialogColour c) {
    return static_cast<COLORREF>(c);
}  // both are r + 256 g + 65536 b

// A group box's container: the controls of the group are its children, so
// that whatever lies outside the box is cut off. It passes their
// notifications on to the form.
LRESULT CALLBACK frameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
        case WM_DRAWITEM:
            return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

class Win32Dialog;

class Win32DialogSystem final : public DialogSystem {
  public:
    Win32DialogSystem() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpfnWndProc = frameProc;
        wc.lpszClassName = kFrameClassName;
        RegisterClassExA(&wc);
        wc.lpfnWndProc = &formProc;
        wc.hbrBackground = nullptr;  // the form paints its background and pictures
        wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(kProgramIcon));
        wc.lpszClassName = kDialogClassName;
        RegisterClassExA(&wc);
    }

    std::unique_ptr<DialogWindow> loadForm(const FormLayout& layout, DialogEvents& events) override;

    ScreenTwips screenTwips() override {
        const int dpi = static_cast<int>(systemDpi());
        return {MulDiv(GetSystemMetrics(SM_CXSCREEN), kTwipsPerInch, dpi),
                MulDiv(GetSystemMetrics(SM_CYSCREEN), kTwipsPerInch, dpi)};
    }

    void ShellExecuteA(std::uintptr_t owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override {
        ::ShellExecuteA(reinterpret_cast<HWND>(owner), operation.c_str(), file.c_str(),
                        parameters.c_str(), directory.c_str(), showCommand);
    }

  private:
    static LRESULT CALLBACK formProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

class Win32Dialog final : public DialogWindow {
  public:
    Win32Dialog(const FormLayout& layout, DialogEvents& events);
    ~Win32Dialog() override;

    std::uintptr_t handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }
    void setCaption(int control, const std::string& text) override {
        setWindowText(at(control), text);
    }
    void moveTwips(int left, int top) override {
        const UINT dpi = systemDpi();
        SetWindowPos(hwnd_, nullptr, pixels(left, dpi), pixels(top, dpi), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void show(bool modal) override;
    void unload() override {
        if (!hwnd_) return;
        releaseWaiting();
        DestroyWindow(hwnd_);
    }
    bool loaded() const override { return hwnd_ != nullptr; }

    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void attach(HWND hwnd) { hwnd_ = hwnd; }

  protected:
    int readValue(int control) const override;
    void writeValue(int control, int value) override;

  private:
    const ControlLayout& layoutOf(int i) const {
        return layout().controls[static_cast<std::size_t>(i)];
    }
    HWND at(int i) const { return controls_[static_cast<std::size_t>(i)]; }
    int indexOf(HWND control) const;
    void createControls();
    void fitCaption(std::size_t i);
    // Places the form and every control for the dpi and makes the fonts and
    // icons for it.
    void layOut(UINT dpi);
    void paint();
    void scroll(HWND bar, int request);
    void command(int id, int code);
    LRESULT controlColours(HDC dc, HWND control, bool isStatic);
    void drawButton(const DRAWITEMSTRUCT& item);
    void releaseArt();
    void releaseWaiting();

    HWND hwnd_ = nullptr;
    std::vector<HWND> controls_;  // per control; group boxes: the box itself
    std::vector<HWND> parents_;   // what each control lies in: the form or a container
    std::vector<gfx::Bitmap> pictures_;
    std::vector<HFONT> fonts_;  // per control, nullptr: the form's
    HFONT formFont_ = nullptr;
    std::vector<HICON> icons_;
    std::vector<HBRUSH> brushes_;  // per control with a back colour
    HBRUSH formBrush_ = nullptr;
    HWND focus_ = nullptr;       // the control that had the focus when the form was left
    std::vector<HWND> waiting_;  // the windows a modal form disabled
    HWND returnTo_ = nullptr;    // the window that was active before it
    UINT dpi_ = kDefaultDpi;
    bool modal_ = false;
    bool silent_ = false;
};

LRESULT CALLBACK Win32DialogSystem::formProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Dialog*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->attach(hwnd);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->attach(nullptr);
        // Wakes the message loop, which ends when no window is left.
        PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->onMessage(msg, wParam, lParam);
}

std::unique_ptr<DialogWindow> Win32DialogSystem::loadForm(const FormLayout& layout,
                                                          DialogEvents& events) {
    return std::make_unique<Win32Dialog>(layout, events);
}

Win32Dialog::Win32Dialog(const FormLayout& layout, DialogEvents& events)
    : DialogWindow(layout, events) {
    const Look look = formLook(layout);
    const UINT dpi = systemDpi();
    const SIZE outer = outerSize(pixels(layout.widthTwips, dpi), pixels(layout.heightTwips, dpi),
                                 look.style, look.exStyle, dpi);
    int x = 0, y = 0;
    if (layout.centreOnScreen) {
        x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    }
    createTextWindow(look.exStyle, kDialogClassName, layout.caption, look.style, x, y, outer.cx,
                     outer.cy, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    for (const ControlLayout& c : layout.controls)
        pictures_.push_back(c.kind == ControlKind::Image && c.picture
                                ? gfx::LoadBitmapResource(c.picture)
                                : gfx::Bitmap());
    createControls();
    layOut(windowDpi(hwnd_));
}

Win32Dialog::~Win32Dialog() {
    silent_ = true;  // the form's handlers may be gone already
    unload();
    releaseArt();
}

void Win32Dialog::createControls() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const auto& cs = layout().controls;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const ControlLayout& c = cs[i];
        // A group box's entry in parents_ is its container window.
        HWND parent = c.container >= 0 ? parents_[static_cast<std::size_t>(c.container)] : hwnd_;
        if (c.kind == ControlKind::GroupBox) {
            // The container first, then the box that fills it.
            parent =
                CreateWindowExA(WS_EX_CONTROLPARENT, kFrameClassName, "", WS_CHILD | WS_VISIBLE, 0,
                                0, 0, 0, parent, nullptr, instance, nullptr);
        }
        HWND hwnd = nullptr;
        if (c.kind != ControlKind::Image) {
            Look look = controlLook(c);
            // What reaches beyond its group box's lower edge is hidden behind
            // the box (the two spare check boxes): it draws only outside the
            // box's window, that is nowhere.
            if (c.container >= 0 && c.rect.top + c.rect.height > layoutOf(c.container).rect.height)
                look.style |= WS_CLIPSIBLINGS;
            hwnd = createTextWindow(
                look.exStyle, controlClass(c.kind), c.caption, look.style, 0, 0, 0, 0, parent,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance,
                nullptr);
        }
        controls_.push_back(hwnd);
        parents_.push_back(parent);
        if (c.kind == ControlKind::HScroll) {
            SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS | SIF_PAGE, c.min, c.max, 0, c.value, 0};
            SetScrollInfo(hwnd, SB_CTL, &si, TRUE);
        }
        if (c.kind == ControlKind::CheckBox)
            SendMessageA(hwnd, BM_SETCHECK, static_cast<WPARAM>(c.value), 0);
        HBRUSH brush = c.backColour ? CreateSolidBrush(colorRef(*c.backColour)) : nullptr;
        brushes_.push_back(brush);
    }
    if (layout().backColour) formBrush_ = CreateSolidBrush(colorRef(*layout().backColour));
}

void Win32Dialog::releaseArt() {
    for (HFONT f : fonts_)
        if (f) DeleteObject(f);
    fonts_.clear();
    if (formFont_) DeleteObject(formFont_);
    formFont_ = nullptr;
    for (HICON i : icons_)
        if (i) DestroyIcon(i);
    icons_.clear();
    for (HBRUSH b : brushes_)
        if (b) DeleteObject(b);
    brushes_.clear();
    if (formBrush_) DeleteObject(formBrush_);
    formBrush_ = nullptr;
}

void Win32Dialog::layOut(UINT dpi) {
    dpi_ = dpi;
    // Fonts and icons for this dpi, then the places.
    HFONT oldForm = formFont_;
    std::vector<HFONT> oldFonts = std::move(fonts_);
    std::vector<HICON> oldIcons = std::move(icons_);
    formFont_ = createFont(layout().font, dpi);
    fonts_.assign(controls_.size(), nullptr);
    icons_.assign(controls_.size(), nullptr);
    const auto& cs = layout().controls;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const ControlLayout& c = cs[i];
        HWND hwnd = controls_[i];
        if (c.font) fonts_[i] = createFont(controlFont(layout(), c), dpi);
        const int x = pixels(c.rect.left, dpi), y = pixels(c.rect.top, dpi);
        const int w = pixels(c.rect.width, dpi), h = pixels(c.rect.height, dpi);
        if (c.kind == ControlKind::GroupBox) {
            SetWindowPos(parents_[i], nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
            SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (hwnd) {
            SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (hwnd)
            SendMessageA(hwnd, WM_SETFONT,
                         reinterpret_cast<WPARAM>(fonts_[i] ? fonts_[i] : formFont_), TRUE);
        if (hwnd && (c.kind == ControlKind::GroupBox || c.kind == ControlKind::CheckBox))
            fitCaption(i);
        if (c.kind == ControlKind::PictureButton && c.picture) {
            icons_[i] = createIcon(c.picture, c.pictureMask, dpi);
            // Common controls 6 put an image list's picture above the caption.
            HIMAGELIST old = nullptr;
            BUTTON_IMAGELIST bil{};
            if (SendMessageA(hwnd, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil)))
                old = bil.himl;
            const int size = MulDiv(32, static_cast<int>(dpi), kDefaultDpi);
            HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, 1, 0);
            ImageList_AddIcon(list, icons_[i]);
            bil = BUTTON_IMAGELIST{list, {0, pixels(60, dpi), 0, 0}, BUTTON_IMAGELIST_ALIGN_TOP};
            SendMessageA(hwnd, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
            if (old) ImageList_Destroy(old);
        }
    }
    const Look look = formLook(layout());
    const SIZE outer = outerSize(pixels(layout().widthTwips, dpi),
                                 pixels(layout().heightTwips, dpi), look.style, look.exStyle, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (oldForm) DeleteObject(oldForm);
    for (HFONT f : oldFonts)
        if (f) DeleteObject(f);
    for (HICON i : oldIcons)
        if (i) DestroyIcon(i);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// The group and check boxes of common controls 6 draw their caption into
// the rectangle DrawText measures for it, so ink that a font puts past that
// width is cut off (under Wine the last column of "Snowflakes /
// Schneeflocken" at 96 dpi). Such a caption gets a trailing space, which
// the measure takes in. A caption with a mnemonic ('&', which DrawText does
// not draw) is measured otherwise and left as it is.
void Win32Dialog::fitCaption(std::size_t i) {
    const ControlLayout& c = layout().controls[i];
    const bool cut = c.caption.find('&') == std::string::npos &&
                     inkPastExtent(fonts_[i] ? fonts_[i] : formFont_, gfx::utf16Text(c.caption));
    setWindowText(controls_[i], cut ? c.caption + " " : c.caption);
}

int Win32Dialog::indexOf(HWND control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == control) return static_cast<int>(i);
    return -1;
}

int Win32Dialog::readValue(int control) const {
    if (layoutOf(control).kind == ControlKind::HScroll) return GetScrollPos(at(control), SB_CTL);
    return static_cast<int>(SendMessageA(at(control), BM_GETCHECK, 0, 0));
}

void Win32Dialog::writeValue(int control, int value) {
    if (layoutOf(control).kind == ControlKind::HScroll)
        SetScrollPos(at(control), SB_CTL, value, TRUE);
    else
        SendMessageA(at(control), BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

// EnumThreadWindows' callback (stdcall, as the system calls it): collects
// the windows into a list.
BOOL CALLBACK addWindow(HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

void Win32Dialog::show(bool modal) {
    modal_ = modal;
    if (modal) returnTo_ = GetActiveWindow();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    if (!modal) return;
    // Modal without owner: the program's other windows wait, disabled,
    // until this one is gone.
    EnumThreadWindows(GetCurrentThreadId(), addWindow, reinterpret_cast<LPARAM>(&waiting_));
    std::erase_if(waiting_,
                  [&](HWND w) { return w == hwnd_ || !IsWindowEnabled(w) || !IsWindowVisible(w); });
    for (HWND w : waiting_) EnableWindow(w, FALSE);
    MSG msg;
    while (hwnd_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (hwnd_ && IsDialogMessageA(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    releaseWaiting();
}

// Enables the windows the modal form disabled and hands the activation back
// to the window that had it, while the form is still there: once the
// active window is gone, Windows activates a window of its own choice,
// which a disabled window never is (another program's, then).
void Win32Dialog::releaseWaiting() {
    for (HWND w : waiting_)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    waiting_.clear();
    if (returnTo_ && IsWindow(returnTo_) && GetActiveWindow() == hwnd_)
        SetForegroundWindow(returnTo_);
    returnTo_ = nullptr;
}

void Win32Dialog::scroll(HWND bar, int request) {
    const int i = indexOf(bar);
    if (i < 0) return;
    const ControlLayout& c = layoutOf(i);
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &si);
    int pos = si.nPos;
    switch (request) {
        case SB_LINELEFT:
            pos -= c.smallChange;
            break;
        case SB_LINERIGHT:
            pos += c.smallChange;
            break;
        case SB_PAGELEFT:
            pos -= c.largeChange;
            break;
        case SB_PAGERIGHT:
            pos += c.largeChange;
            break;
        case SB_LEFT:
            pos = c.min;
            break;
        case SB_RIGHT:
            pos = c.max;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            pos = si.nTrackPos;
            break;
        default:
            return;
    }
    SetScrollPos(bar, SB_CTL, std::max(c.min, std::min(c.max, pos)), TRUE);
}

// The dialog manager (IsDialogMessage) sends Escape as IDCANCEL, and Enter
// as a press of the default button it asks for (DM_GETDEFID), or as IDOK.
// The check boxes are manual three-state boxes: the press changes nothing.
void Win32Dialog::command(int id, int code) {
    if (id == IDCANCEL) return keyPressed(Key::Escape);
    if (id == IDOK) return keyPressed(Key::Enter);
    const int i = id - kFirstControlId;
    if (i < 0 || i >= static_cast<int>(controls_.size())) return;
    const ControlLayout& c = layoutOf(i);
    if (c.kind == ControlKind::Label && code != STN_CLICKED) return;
    if (c.kind != ControlKind::Label && code != BN_CLICKED) return;
    controlPressed(i);
}

LRESULT Win32Dialog::controlColours(HDC dc, HWND control, bool isStatic) {
    const int i = indexOf(control);
    if (i < 0)
        return DefWindowProcA(hwnd_, isStatic ? WM_CTLCOLORSTATIC : WM_CTLCOLORBTN,
                              reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const ControlLayout& c = layoutOf(i);
    SetTextColor(dc, c.foreColour ? colorRef(*c.foreColour) : GetSysColor(COLOR_WINDOWTEXT));
    if (brushes_[static_cast<std::size_t>(i)]) {
        SetBkColor(dc, colorRef(*c.backColour));
        return reinterpret_cast<LRESULT>(brushes_[static_cast<std::size_t>(i)]);
    }
    if (formBrush_) {
        // Over the form's pictures: no background of its own.
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// A button with a face colour of its own (the about box's OK).
void Win32Dialog::drawButton(const DRAWITEMSTRUCT& item) {
    const int i = indexOf(item.hwndItem);
    if (i < 0) return;
    const ControlLayout& c = layoutOf(i);
    RECT r = item.rcItem;
    HDC dc = item.hDC;
    const bool pressed = item.itemState & ODS_SELECTED;
    FillRect(dc, &r, brushes_[static_cast<std::size_t>(i)]);
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, c.foreColour ? colorRef(*c.foreColour) : RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(
        dc, fonts_[static_cast<std::size_t>(i)] ? fonts_[static_cast<std::size_t>(i)] : formFont_);
    if (pressed) OffsetRect(&r, 1, 1);
    drawWindowText(dc, item.hwndItem, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (item.itemState & ODS_FOCUS) {
        RECT f = item.rcItem;
        InflateRect(&f, -pixels(60, dpi_), -pixels(60, dpi_));
        DrawFocusRect(dc, &f);
    }
}

void Win32Dialog::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, formBrush_ ? formBrush_ : GetSysColorBrush(COLOR_BTNFACE));
    // Pictures in the order of the controls: the first lies beneath.
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
        const TwipsRect& t = layout().controls[i].rect;
        const RECT r{pixels(t.left, dpi_), pixels(t.top, dpi_), pixels(t.left + t.width, dpi_),
                     pixels(t.top + t.height, dpi_)};
        drawPicture(dc, pictures_[i], r);
    }
    EndPaint(hwnd_, &ps);
}

LRESULT Win32Dialog::onMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // paint() covers the client area
        case WM_PAINT:
            paint();
            return 0;
        case WM_HSCROLL:
            scroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
            return 0;
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID:
            for (std::size_t i = 0; i < layout().controls.size(); ++i)
                if (layout().controls[i].defaultButton)
                    return MAKELRESULT(kFirstControlId + i, DC_HASDEFID);
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return controlColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                  msg == WM_CTLCOLORSTATIC);
        case WM_DRAWITEM:
            drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_ACTIVATE:
            // Keyboard focus returns to the control that had it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                focus_ = GetFocus();
            } else {
                HWND target = focus_ && IsChild(hwnd_, focus_)
                                  ? focus_
                                  : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
                if (target) SetFocus(target);
            }
            return 0;
        case kWmDpiChanged: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            layOut(HIWORD(wParam));
            return 0;
        }
        case WM_CLOSE:
            unload();
            return 0;
        case WM_DESTROY:
            if (!silent_) events().onUnload();
            return 0;
        default:
            return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

}  // namespace

std::unique_ptr<DialogSystem> makeWin32DialogSystem() {
    return std::make_unique<Win32DialogSystem>();
}

}  // namespace gm::win32
