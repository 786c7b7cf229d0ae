// The one small interface through which the self-extractor's core talks to
// the user: message boxes and questions, the main dialog's buttons, the
// status line and meter, and the password. The terminal front end
// implements it now (sfx/linux/terminal_ui.cpp), the Win32 dialogs later.
#pragma once

#include <cstddef>

namespace gm::sfx {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore };
enum class Icon { None, Information, Error, Question };
enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

// What the user did in the main dialog.
enum class Command { None, Setup, Close, Info, Shutdown };

class SfxUi {
  public:
    // A message box; defaultButton counts from 0 ("No is the
    // default" is 1 for Yes/No).
    virtual Answer messageBox(const char* text, const char* caption, Buttons buttons, Icon icon,
                              int defaultButton) = 0;
    // Information that needs no answer. `unattended` (the automatic mode):
    // nobody is there to answer, so a front end whose box would wait for a
    // click leaves it out; one that only prints shows it anyway.
    virtual void notice(const char* text, const char* caption, bool unattended) {
        (void)unattended;
        messageBox(text, caption, Buttons::Ok, Icon::Information, 0);
    }

    // --- the main dialog ---
    // `heading` is the custom title when one is configured, else the title.
    virtual void openDialog(const char* title, const char* heading, const char* message,
                            bool infoDots) = 0;
    // Blocks until the user presses a button.
    virtual Command waitCommand() = 0;
    // Handles the user's input for up to `ms` milliseconds while the core
    // waits (for the started program, for a file to become deletable);
    // returns what the user asked for, or None.
    virtual Command pump(unsigned ms) = 0;
    // Button 1: its text ("&Setup", "&Fertig"), enabled, default button.
    virtual void setSetupButton(const char* text, bool enabled, bool isDefault) = 0;
    virtual void setStatus(const char* text) = 0;  // "" clears the status line
    virtual void showMeter(bool visible) = 0;
    // Meter position of range 100 and the text it paints (string 44).
    virtual void setMeter(unsigned position, const char* text) = 0;
    virtual void setBusy(bool busy) = 0;  // the wait cursor

    // The password dialog: false = Cancel. At most capacity - 1 characters.
    virtual bool askPassword(char* out, size_t capacity) = 0;

    // Polled once per output buffer during extraction: true when the user
    // pressed a key or clicked into the dialog (the core then asks string 20).
    virtual bool interruptRequested() = 0;

  protected:
    ~SfxUi() = default;
};

}  // namespace gm::sfx
