// The terminal front end of the self-extractor: the main dialog as a
// question on the terminal, questions and the password on standard input,
// status and progress bar on standard error.
//
// Signals: Ctrl-C (SIGINT) is the dialog's Close button while the command
// runs or the stub waits, and the "key press" that asks string 20 during
// extraction; SIGTERM and SIGHUP are the system's shut-down query.
#pragma once

#include <cstdio>

#include "sfx/core/sfx_ui.h"

namespace gm::sfx {

class TerminalUi final : public SfxUi {
  public:
    // in/out/err are the streams of the process (tests pass pipes).
    TerminalUi(int inFd, FILE* out, FILE* err);
    ~TerminalUi();

    // Installs the signal handlers (once per process).
    static void installSignalHandlers();
    // The last SIGTERM or SIGHUP received, 0 if none.
    static int shutdownSignal();

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
    enum class ReadResult { Line, EndOfInput, Interrupted };
    ReadResult readLine(char* out, size_t capacity, bool echo);
    void endProgressLine();
    Command takeSignal();

    int in_;
    FILE* out_;
    FILE* err_;
    bool errIsTerminal_;
    bool inIsTerminal_;
    bool meterVisible_ = false;
    bool progressLineOpen_ = false;
    int lastPercentShown_ = -1;
    bool setupEnabled_ = true;
    bool finishButton_ = false;  // button 1 reads "&Fertig"
    bool infoDots_ = false;
    char status_[512] = {};
};

}  // namespace gm::sfx
