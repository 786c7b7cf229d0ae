// The Windows front end: the main dialog built from its template in the
// string-table block, the meter, the password dialog and message boxes.
//
// The core owns the loop (waitCommand, pump), so the main dialog runs
// modeless under the core's own message loop: it behaves as the modal
// dialog of the classic stub (no other window of the stub takes input),
// and the core sees each button press as a Command.
#pragma once

#include <windows.h>

#include "sfx/core/sfx_ui.h"

namespace gm::sfx {

class DialogUi final : public SfxUi {
  public:
    explicit DialogUi(HINSTANCE instance);
    ~DialogUi();

    Answer messageBox(const char* text, const char* caption, Buttons buttons, Icon icon,
                      int defaultButton) override;
    void openDialog(const char* title, const char* heading, const char* message,
                    bool infoDots) override;
    Command waitCommand() override;
    Command pump(unsigned ms) override;
    void setSetupButton(const char* text, bool enabled, bool isDefault) override;
    void setStatus(const char* text) override;
    void showMeter(bool visible) override;
    void setMeter(unsigned position, const char* text) override;
    void setBusy(bool busy) override;
    bool askPassword(char* out, size_t capacity) override;
    bool interruptRequested() override;

    void closeDialog();

  private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void initDialog(HWND dialog);
    // Handles one queued message; false when the queue was empty.
    bool handleOneMessage();
    Command takeCommand();

    HINSTANCE instance_;
    HICON icon_ = nullptr;
    HWND dialog_ = nullptr;
    HGLOBAL templateBlock_ = nullptr;
    Command pending_ = Command::None;
    bool busy_ = false;
    // What openDialog hands to WM_INITDIALOG.
    const char* title_ = "";
    const char* message_ = "";
    bool infoDots_ = false;
};

}  // namespace gm::sfx
