// The terminal front end; see terminal_ui.h.
#include "sfx/linux/terminal_ui.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

#include "sfx/core/string_table.h"

namespace gm::sfx {
namespace {

volatile sig_atomic_t gInterrupts = 0;
volatile sig_atomic_t gShutdown = 0;
volatile sig_atomic_t gShutdownSignal = 0;

void onInterrupt(int) { gInterrupts = gInterrupts + 1; }
void onShutdown(int sig) {
    gShutdown = 1;
    gShutdownSignal = sig;
}

constexpr int kBarWidth = 30;

// The first non-blank character of an answer, lower-cased.
char firstLetter(const char* line) {
    while (*line == ' ' || *line == '\t') ++line;
    const char c = *line;
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// One answer per button; the letters accept German and English words.
struct Choice {
    Answer answer;
    const char* label;
    const char* letters;
};
int choicesFor(Buttons b, Choice* out) {
    switch (b) {
        case Buttons::Ok:
            out[0] = {Answer::Ok, "OK", "o"};
            return 1;
        case Buttons::OkCancel:
            out[0] = {Answer::Ok, "OK", "o"};
            out[1] = {Answer::Cancel, "Abbrechen", "ac"};
            return 2;
        case Buttons::YesNo:
            out[0] = {Answer::Yes, "Ja", "jy"};
            out[1] = {Answer::No, "Nein", "n"};
            return 2;
        case Buttons::YesNoCancel:
            out[0] = {Answer::Yes, "Ja", "jy"};
            out[1] = {Answer::No, "Nein", "n"};
            out[2] = {Answer::Cancel, "Abbrechen", "ac"};
            return 3;
        case Buttons::AbortRetryIgnore:
            out[0] = {Answer::Abort, "Abbrechen", "a"};
            out[1] = {Answer::Retry, "Wiederholen", "wr"};
            out[2] = {Answer::Ignore, "Ignorieren", "i"};
            return 3;
    }
    return 0;
}

}  // namespace

TerminalUi::TerminalUi(int inFd, FILE* out, FILE* err)
    : in_(inFd),
      out_(out),
      err_(err),
      errIsTerminal_(isatty(fileno(err)) != 0),
      inIsTerminal_(isatty(inFd) != 0) {}

TerminalUi::~TerminalUi() { endProgressLine(); }

void TerminalUi::installSignalHandlers() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a read on the terminal returns EINTR
    sigaction(SIGINT, &sa, nullptr);
    sa.sa_handler = onShutdown;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

int TerminalUi::shutdownSignal() { return gShutdownSignal; }

Command TerminalUi::takeSignal() {
    if (gShutdown) {
        gShutdown = 0;
        return Command::Shutdown;
    }
    if (gInterrupts) {
        gInterrupts = 0;
        return Command::Close;
    }
    return Command::None;
}

void TerminalUi::endProgressLine() {
    if (progressLineOpen_) {
        std::fputs("\n", err_);
        std::fflush(err_);
        progressLineOpen_ = false;
    }
}

// Reads one line from standard input; without echo when it is a terminal
// and echo is off (the password).
TerminalUi::ReadResult TerminalUi::readLine(char* out, size_t capacity, bool echo) {
    struct termios saved {};
    const bool hide = !echo && inIsTerminal_ && tcgetattr(in_, &saved) == 0;
    if (hide) {
        struct termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(in_, TCSAFLUSH, &quiet);
    }
    size_t n = 0;
    ReadResult result = ReadResult::Line;
    for (;;) {
        // A signal that lands just before read() would not interrupt it:
        // the flags are looked at again every 100 ms.
        struct pollfd p {
            in_, POLLIN, 0
        };
        if (poll(&p, 1, 100) == 0 && !gInterrupts && !gShutdown) continue;
        char c;
        const ssize_t r = gInterrupts || gShutdown ? (errno = EINTR, -1) : ::read(in_, &c, 1);
        if (r < 0 && errno == EINTR) {
            if (gInterrupts || gShutdown) {
                result = ReadResult::Interrupted;
                break;
            }
            continue;
        }
        if (r <= 0) {
            result = n > 0 ? ReadResult::Line : ReadResult::EndOfInput;
            break;
        }
        if (c == '\n') break;
        if (c == '\r') continue;
        if (n + 1 < capacity) out[n++] = c;
    }
    out[n < capacity ? n : capacity - 1] = '\0';
    if (hide) {
        tcsetattr(in_, TCSAFLUSH, &saved);
        std::fputs("\n", err_);
    }
    return result;
}

Answer TerminalUi::messageBox(const char* text, const char* caption, Buttons buttons, Icon icon,
                              int defaultButton) {
    endProgressLine();
    Choice choices[3];
    const int count = choicesFor(buttons, choices);
    if (buttons == Buttons::Ok) {
        // A plain or information box goes to standard output, an error to
        // standard error.
        FILE* f = icon == Icon::Error ? err_ : out_;
        if (icon == Icon::Error)
            std::fprintf(f, "%s: %s\n", caption, text);
        else
            std::fprintf(f, "%s\n", text);
        std::fflush(f);
        return Answer::Ok;
    }
    if (defaultButton < 0 || defaultButton >= count) defaultButton = 0;
    for (;;) {
        std::fprintf(err_, "%s: %s\n[", caption, text);
        for (int i = 0; i < count; ++i)
            std::fprintf(err_, "%s%s%s%s", i ? " / " : "", i == defaultButton ? "*" : "",
                         choices[i].label, i == defaultButton ? "*" : "");
        std::fputs("] ", err_);
        std::fflush(err_);
        char line[64];
        const ReadResult r = readLine(line, sizeof line, true);
        if (r == ReadResult::Interrupted) {
            takeSignal();
            std::fputs("\n", err_);
            // Ctrl-C at a question is its last choice (No, Cancel, Ignore).
            return choices[count - 1].answer == Answer::Ignore ? Answer::Abort
                                                               : choices[count - 1].answer;
        }
        if (r == ReadResult::EndOfInput) {
            std::fputs("\n", err_);
            return choices[defaultButton].answer;
        }
        const char letter = firstLetter(line);
        if (letter == '\0') return choices[defaultButton].answer;
        for (int i = 0; i < count; ++i)
            if (std::strchr(choices[i].letters, letter)) return choices[i].answer;
    }
}

void TerminalUi::openDialog(const char*, const char* heading, const char* message, bool infoDots) {
    infoDots_ = infoDots;
    std::fprintf(out_, "%s\n", heading);
    if (message[0] != '\0') std::fprintf(out_, "\n%s\n\n", message);
    std::fflush(out_);
}

Command TerminalUi::waitCommand() {
    if (Command c = takeSignal(); c != Command::None) return c;
    if (!setupEnabled_ && !finishButton_) return Command::Close;
    endProgressLine();
    for (;;) {
        if (finishButton_)
            std::fputs(
                "Setup gestartet. Drücken Sie die Eingabetaste, wenn das Setup beendet "
                "ist (Strg-C: abbrechen) ",
                err_);
        else
            std::fprintf(err_, "Setup starten? [*Ja* / Nein / %s] ",
                         infoDots_ ? "Info..." : "Info");
        std::fflush(err_);
        char line[64];
        const ReadResult r = readLine(line, sizeof line, true);
        if (r == ReadResult::Interrupted) {
            std::fputs("\n", err_);
            return takeSignal();
        }
        if (r == ReadResult::EndOfInput) {
            std::fputs("\n", err_);
            // A signal that came with the end of the input counts first.
            if (Command c = takeSignal(); c != Command::None) return c;
            // Nobody to answer: a finished setup counts as confirmed; the
            // start question as closed, saying how to run without one.
            if (!finishButton_ && !inIsTerminal_)
                std::fprintf(err_, "%s\n", kTextNeedsAuto.c_str());
            return finishButton_ ? Command::Setup : Command::Close;
        }
        if (finishButton_) return Command::Setup;
        const char letter = firstLetter(line);
        if (letter == '\0' || letter == 'j' || letter == 'y' || letter == 's')
            return Command::Setup;
        if (letter == 'n' || letter == 'q') return Command::Close;
        if (letter == 'i') return Command::Info;
    }
}

Command TerminalUi::pump(unsigned ms) {
    if (Command c = takeSignal(); c != Command::None) return c;
    struct timespec ts {
        static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L
    };
    nanosleep(&ts, nullptr);  // a signal ends the sleep early
    return takeSignal();
}

void TerminalUi::setSetupButton(const char* text, bool enabled, bool) {
    setupEnabled_ = enabled;
    finishButton_ = std::strcmp(text, sfxString(kStrFinished)) == 0;
}

void TerminalUi::setStatus(const char* text) {
    if (std::strcmp(text, status_) == 0) return;
    std::snprintf(status_, sizeof status_, "%s", text);
    if (meterVisible_ || text[0] == '\0') return;
    endProgressLine();
    std::fprintf(err_, "%s\n", text);
    std::fflush(err_);
}

void TerminalUi::showMeter(bool visible) {
    if (!visible) endProgressLine();
    meterVisible_ = visible;
    lastPercentShown_ = -1;
}

// The meter: a bar redrawn in place on a terminal; elsewhere one line per
// ten per cent.
void TerminalUi::setMeter(unsigned position, const char* text) {
    if (!meterVisible_) return;
    const int percent = position > 100 ? 100 : static_cast<int>(position);
    if (errIsTerminal_) {
        const int filled = percent * kBarWidth / 100;
        char bar[kBarWidth + 1];
        for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
        bar[kBarWidth] = '\0';
        std::fprintf(err_, "\r\033[K[%s] %3d%%  %.60s", bar, percent, text);
        progressLineOpen_ = true;
    } else if (percent / 10 != lastPercentShown_ / 10 || lastPercentShown_ < 0) {
        std::fprintf(err_, "%3d%%  %s\n", percent, text);
    }
    lastPercentShown_ = percent;
    std::fflush(err_);
}

bool TerminalUi::askPassword(char* out, size_t capacity) {
    endProgressLine();
    std::fputs(
        "Diese selbstextrahierende Zip-Datei ist kennwortgeschützt.\n"
        "Bitte geben Sie das Kennwort ein: ",
        err_);
    std::fflush(err_);
    const ReadResult r = readLine(out, capacity, false);
    if (r != ReadResult::Line) {
        takeSignal();
        out[0] = '\0';
        std::fputs("\n", err_);
        return false;
    }
    return true;
}

bool TerminalUi::interruptRequested() {
    // (A shut-down request waits until the extraction ends: the finish
    // that answers it needs the run to be over.)
    if (!gInterrupts) return false;
    gInterrupts = 0;
    return true;
}

}  // namespace gm::sfx
