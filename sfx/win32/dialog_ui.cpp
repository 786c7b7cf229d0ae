// The Windows front end; see dialog_ui.h.
#include "sfx/win32/dialog_ui.h"

#include <cstring>

#include "sfx/core/dialog_templates.h"
#include "sfx/core/string_table.h"
#include "sfx/win32/centre_window.h"
#include "sfx/win32/meter.h"
#include "sfx/win32/password_dialog.h"
#include "sfx/win32/system_calls.h"
#include "sfx/win32/wide_text.h"

namespace gm::sfx {
namespace {

// The main dialog's template is copied into a movable global block.
constexpr SIZE_T kTemplateBlock = 1024;

UINT boxFlags(Buttons buttons, Icon icon, int defaultButton) {
    UINT flags = 0;
    switch (buttons) {
        case Buttons::Ok:
            flags = MB_OK;
            break;
        case Buttons::OkCancel:
            flags = MB_OKCANCEL;
            break;
        case Buttons::YesNo:
            flags = MB_YESNO;
            break;
        case Buttons::YesNoCancel:
            flags = MB_YESNOCANCEL;
            break;
        case Buttons::AbortRetryIgnore:
            flags = MB_ABORTRETRYIGNORE;
            break;
    }
    switch (icon) {
        case Icon::None:
            break;
        case Icon::Information:
            flags |= MB_ICONINFORMATION;
            break;
        case Icon::Error:
            flags |= MB_ICONERROR;
            break;
        case Icon::Question:
            flags |= MB_ICONQUESTION;
            break;
    }
    if (defaultButton == 1) flags |= MB_DEFBUTTON2;
    if (defaultButton == 2) flags |= MB_DEFBUTTON3;
    return flags;
}

Answer toAnswer(int id) {
    switch (id) {
        case IDCANCEL:
            return Answer::Cancel;
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        case IDABORT:
            return Answer::Abort;
        case IDRETRY:
            return Answer::Retry;
        case IDIGNORE:
            return Answer::Ignore;
        default:
            return Answer::Ok;
    }
}

bool isMouseOrCursor(UINT m) {
    return m == WM_SETCURSOR || m == WM_MOUSEMOVE || m == WM_NCMOUSEMOVE;
}

bool isUserAction(UINT m) {
    return m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK ||
           m == WM_NCLBUTTONDOWN || m == WM_NCLBUTTONDBLCLK;
}

bool isCharacter(UINT m) {
    return m == WM_CHAR || m == WM_SYSCHAR || m == WM_DEADCHAR || m == WM_SYSDEADCHAR;
}

}  // namespace

DialogUi::DialogUi(HINSTANCE instance) : instance_(instance) {
    icon_ = LoadIconA(instance, MAKEINTRESOURCEA(1));
    registerMeterClass(instance);
}

DialogUi::~DialogUi() {
    closeDialog();
    if (templateBlock_) GlobalFree(templateBlock_);
}

Answer DialogUi::messageBox(const char* text, const char* caption, Buttons buttons, Icon icon,
                            int defaultButton) {
    const WideMessage wideText(text);
    const WideText<80> wideCaption(caption);
    return toAnswer(MessageBoxW(dialog_, wideText, wideCaption,
                                boxFlags(buttons, icon, defaultButton) | MB_SETFOREGROUND));
}

// The dialog from the template that follows the texts in the string-table
// block, copied into a 1024-byte movable global block.
void DialogUi::notice(const char* text, const char* caption, bool unattended) {
    if (!unattended) messageBox(text, caption, Buttons::Ok, Icon::Information, 0);
}

void DialogUi::openDialog(const char* title, const char*, const char* message, bool infoDots) {
    size_t size = 0;
    const uint8_t* source = mainDialogTemplate(&size);
    if (source == nullptr || size > kTemplateBlock) return;
    templateBlock_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTemplateBlock);
    void* block = templateBlock_ ? GlobalLock(templateBlock_) : nullptr;
    if (block == nullptr) {
        messageBox(kTextNoResourceMemory, kCaption, Buttons::Ok, Icon::Error, 0);
        return;
    }
    std::memcpy(block, source, size);
    title_ = title;
    message_ = message;
    infoDots_ = infoDots;
    // The template is UTF-16 for both forms; the ANSI one makes an ANSI dialog.
    const auto create = sys::ansiSystem() ? CreateDialogIndirectParamA : CreateDialogIndirectParamW;
    dialog_ = create(instance_, static_cast<LPCDLGTEMPLATEW>(block), nullptr, dialogProc,
                     reinterpret_cast<LPARAM>(this));
    GlobalUnlock(templateBlock_);
}

// Steps 1-3 of the initialisation; the core plans the folder and posts
// Setup in automatic mode.
void DialogUi::initDialog(HWND dialog) {
    dialog_ = dialog;
    centreOnScreen(dialog);
    ShowWindow(GetDlgItem(dialog, kIdMeter), SW_HIDE);
    if (icon_ != nullptr) {
        SendDlgItemMessageA(dialog, kIdIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
        SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_APPWINDOW);
        SetWindowLongA(dialog, GWL_STYLE, GetWindowLongA(dialog, GWL_STYLE) & ~WS_SYSMENU);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    }
    sys::setWindowText(GetDlgItem(dialog, kIdMessage), message_);
    sys::setWindowText(dialog, title_);
    if (infoDots_) sys::setWindowText(GetDlgItem(dialog, kIdInfo), "&Info...");
}

INT_PTR CALLBACK DialogUi::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<DialogUi*>(lParam)->initDialog(dialog);
        return TRUE;
    }
    auto* self = reinterpret_cast<DialogUi*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            switch (LOWORD(wParam)) {
                case kIdSetup:
                    self->pending_ = Command::Setup;
                    return TRUE;
                case kIdClose:
                    self->pending_ = Command::Close;
                    return TRUE;
                case kIdInfo:
                    self->pending_ = Command::Info;
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CLOSE:
            self->pending_ = Command::Close;
            return TRUE;
        // The system shuts down: the core finishes (deletes the folder) as
        // soon as the query is answered.
        case WM_QUERYENDSESSION:
            self->pending_ = Command::Shutdown;
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_SETCURSOR:
            if (!self->busy_) return FALSE;
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        default:
            return FALSE;
    }
}

bool DialogUi::handleOneMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        pending_ = Command::Close;
        return true;
    }
    if (dialog_ == nullptr || !IsDialogMessageA(dialog_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

Command DialogUi::takeCommand() {
    const Command c = pending_;
    pending_ = Command::None;
    return c;
}

Command DialogUi::waitCommand() {
    if (dialog_ == nullptr) return Command::Close;
    for (;;) {
        while (handleOneMessage())
            if (pending_ != Command::None) return takeCommand();
        if (pending_ != Command::None) return takeCommand();
        WaitMessage();
    }
}

Command DialogUi::pump(unsigned ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        while (handleOneMessage())
            if (pending_ != Command::None) return takeCommand();
        const DWORD waited = GetTickCount() - start;
        if (waited >= ms) return Command::None;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_ALLINPUT);
    }
}

// "&Setup" keeps its template text (with its accelerator) when the core
// names the button by string 8.
void DialogUi::setSetupButton(const char* text, bool enabled, bool isDefault) {
    if (dialog_ == nullptr) return;
    HWND setup = GetDlgItem(dialog_, kIdSetup);
    if (std::strcmp(text, sfxString(kStrSetup)) != 0) sys::setWindowText(setup, text);
    EnableWindow(setup, enabled);
    const int defaultId = isDefault ? kIdSetup : kIdClose;
    SendMessageA(dialog_, DM_SETDEFID, defaultId, 0);
    SendDlgItemMessageA(dialog_, kIdSetup, BM_SETSTYLE,
                        isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    SendDlgItemMessageA(dialog_, kIdClose, BM_SETSTYLE,
                        isDefault ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
}

void DialogUi::setStatus(const char* text) {
    if (dialog_ == nullptr) return;
    sys::setWindowText(GetDlgItem(dialog_, kIdStatus), text);
    UpdateWindow(dialog_);
}

// The meter and the status line share their place: one shows, the other not.
void DialogUi::showMeter(bool visible) {
    if (dialog_ == nullptr) return;
    ShowWindow(GetDlgItem(dialog_, kIdStatus), visible ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog_, kIdMeter), visible ? SW_SHOW : SW_HIDE);
    UpdateWindow(dialog_);
}

void DialogUi::setMeter(unsigned position, const char* text) {
    if (dialog_ == nullptr) return;
    setMeterText(WidePath(text));
    HWND meter = GetDlgItem(dialog_, kIdMeter);
    SendMessageA(meter, kMeterSetRange, 100, 0);
    SendMessageA(meter, kMeterSetPosition, position, 0);
    UpdateWindow(dialog_);
}

void DialogUi::setBusy(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool DialogUi::askPassword(char* out, size_t capacity) {
    switch (askPasswordDialog(dialog_, out, capacity)) {
        case PasswordResult::Ok:
            return true;
        case PasswordResult::NoMemory:
            messageBox(kTextNoResourceMemory, kCaption, Buttons::Ok, Icon::Error, 0);
            return false;
        default:
            return false;
    }
}

// The per-buffer poll during extraction: cursor and mouse moves show the
// wait cursor and are dropped; a key press or a left click for the dialog
// asks the core to confirm the abort; such input for other windows and
// the characters of key presses are dropped; the rest is dispatched.
bool DialogUi::interruptRequested() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (isMouseOrCursor(msg.message)) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        } else if (isUserAction(msg.message)) {
            if (dialog_ != nullptr && (msg.hwnd == dialog_ || IsChild(dialog_, msg.hwnd)))
                return true;
        } else if (!isCharacter(msg.message)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return false;
}

void DialogUi::closeDialog() {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    dialog_ = nullptr;
}

}  // namespace gm::sfx
