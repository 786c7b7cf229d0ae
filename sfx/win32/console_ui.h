// A minimal console front end for the Windows stub, until the dialogs
// arrive with the Win32 front end: the same questions as the Linux
// terminal, on the console (Ctrl-C is the Close button).
#pragma once

#include "sfx/core/sfx_ui.h"

namespace gm::sfx {

class ConsoleUi final : public SfxUi {
  public:
    ConsoleUi();
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
    void setBusy(bool) override {}
    bool askPassword(char* out, size_t capacity) override;
    bool interruptRequested() override;

  private:
    bool readLine(char* out, size_t capacity, bool echo);

    bool setupEnabled_ = true;
    bool finishButton_ = false;
    bool meterVisible_ = false;
    int lastTenth_ = -1;
};

}  // namespace gm::sfx
