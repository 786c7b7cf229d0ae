// The Windows console front end; see console_ui.h.
#include "sfx/win32/console_ui.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "sfx/core/string_table.h"

namespace gm::sfx {
namespace {

volatile LONG gInterrupts = 0;
volatile LONG gShutdown = 0;

BOOL WINAPI onConsoleEvent(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        InterlockedIncrement(&gInterrupts);
        return TRUE;
    }
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
        InterlockedExchange(&gShutdown, 1);
        return TRUE;
    }
    return FALSE;
}

char firstLetter(const char* s) {
    while (*s == ' ') ++s;
    return (*s >= 'A' && *s <= 'Z') ? static_cast<char>(*s + 32) : *s;
}

}  // namespace

ConsoleUi::ConsoleUi() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

bool ConsoleUi::readLine(char* out, size_t capacity, bool echo) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    const bool console = GetConsoleMode(in, &mode) != 0;
    if (!echo && console) SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    const bool ok = std::fgets(out, static_cast<int>(capacity), stdin) != nullptr;
    if (!echo && console) {
        SetConsoleMode(in, mode);
        std::fputs("\n", stderr);
    }
    if (!ok) {
        out[0] = '\0';
        return false;
    }
    out[std::strcspn(out, "\r\n")] = '\0';
    return true;
}

Answer ConsoleUi::messageBox(const char* text, const char* caption, Buttons buttons, Icon icon,
                             int defaultButton) {
    if (buttons == Buttons::Ok) {
        std::fprintf(icon == Icon::Error ? stderr : stdout,
                     icon == Icon::Error ? "%s: %s\n" : "%s%s\n",
                     icon == Icon::Error ? caption : "", text);
        return Answer::Ok;
    }
    struct Choice {
        Answer a;
        const char* label;
        const char* letters;
    };
    Choice c[3];
    int n = 0;
    switch (buttons) {
        case Buttons::OkCancel:
            c[n++] = {Answer::Ok, "OK", "o"};
            c[n++] = {Answer::Cancel, "Abbrechen", "ac"};
            break;
        case Buttons::YesNo:
            c[n++] = {Answer::Yes, "Ja", "jy"};
            c[n++] = {Answer::No, "Nein", "n"};
            break;
        case Buttons::YesNoCancel:
            c[n++] = {Answer::Yes, "Ja", "jy"};
            c[n++] = {Answer::No, "Nein", "n"};
            c[n++] = {Answer::Cancel, "Abbrechen", "ac"};
            break;
        default:
            c[n++] = {Answer::Abort, "Abbrechen", "a"};
            c[n++] = {Answer::Retry, "Wiederholen", "wr"};
            c[n++] = {Answer::Ignore, "Ignorieren", "i"};
            break;
    }
    if (defaultButton < 0 || defaultButton >= n) defaultButton = 0;
    for (;;) {
        std::fprintf(stderr, "%s: %s\n[", caption, text);
        for (int i = 0; i < n; ++i) std::fprintf(stderr, "%s%s", i ? " / " : "", c[i].label);
        std::fputs("] ", stderr);
        char line[64];
        if (!readLine(line, sizeof line, true)) return c[defaultButton].a;
        const char l = firstLetter(line);
        if (l == '\0') return c[defaultButton].a;
        for (int i = 0; i < n; ++i)
            if (std::strchr(c[i].letters, l)) return c[i].a;
    }
}

void ConsoleUi::openDialog(const char*, const char* heading, const char* message, bool) {
    std::printf("%s\n", heading);
    if (message[0]) std::printf("\n%s\n\n", message);
    std::fflush(stdout);
}

Command ConsoleUi::waitCommand() {
    if (InterlockedExchange(&gShutdown, 0)) return Command::Shutdown;
    if (InterlockedExchange(&gInterrupts, 0)) return Command::Close;
    if (!setupEnabled_ && !finishButton_) return Command::Close;
    std::fputs(finishButton_ ? "Setup gestartet. Eingabetaste, wenn das Setup beendet ist: "
                             : "Setup starten? [Ja / Nein / Info] ",
               stderr);
    char line[64];
    if (!readLine(line, sizeof line, true)) return finishButton_ ? Command::Setup : Command::Close;
    if (finishButton_) return Command::Setup;
    const char l = firstLetter(line);
    if (l == 'n' || l == 'q') return Command::Close;
    if (l == 'i') return Command::Info;
    return Command::Setup;
}

Command ConsoleUi::pump(unsigned ms) {
    for (unsigned waited = 0; waited < ms; waited += 10) {
        if (InterlockedExchange(&gShutdown, 0)) return Command::Shutdown;
        if (InterlockedExchange(&gInterrupts, 0)) return Command::Close;
        Sleep(ms - waited < 10 ? ms - waited : 10);
    }
    if (InterlockedExchange(&gInterrupts, 0)) return Command::Close;
    return Command::None;
}

void ConsoleUi::setSetupButton(const char* text, bool enabled, bool) {
    setupEnabled_ = enabled;
    finishButton_ = std::strcmp(text, sfxString(kStrFinished)) == 0;
}

void ConsoleUi::setStatus(const char* text) {
    if (text[0] && !meterVisible_) std::fprintf(stderr, "%s\n", text);
}

void ConsoleUi::showMeter(bool visible) {
    meterVisible_ = visible;
    lastTenth_ = -1;
}

void ConsoleUi::setMeter(unsigned position, const char* text) {
    if (!meterVisible_ || static_cast<int>(position / 10) == lastTenth_) return;
    lastTenth_ = static_cast<int>(position / 10);
    std::fprintf(stderr, "%3u%%  %s\n", position, text);
}

bool ConsoleUi::askPassword(char* out, size_t capacity) {
    std::fputs(
        "Diese selbstextrahierende Zip-Datei ist kennwortgeschützt.\n"
        "Bitte geben Sie das Kennwort ein: ",
        stderr);
    return readLine(out, capacity, false);
}

bool ConsoleUi::interruptRequested() { return InterlockedExchange(&gInterrupts, 0) != 0; }

}  // namespace gm::sfx
