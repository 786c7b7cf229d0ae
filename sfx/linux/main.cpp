// sfxstub for Linux: the self-extracting stub started from a terminal.
//
// The arguments after the program name, joined by single blanks, are the
// argument string. Exit status: the command's once it has run; before
// that 0 (nothing to run, "-info"), 1 (cancelled), 2 (an error), and
// 128 + n after the signal n (SIGTERM, SIGHUP) ended the session.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "sfx/core/sfx.h"
#include "sfx/linux/posix_host.h"
#include "sfx/linux/terminal_ui.h"

namespace {

constexpr char kUsage[] =
    "Aufruf: %s [Optionen] [-auto | -noauto | -wait | -info] [-- Argumente des Befehls]\n"
    "  --target DIR  in DIR entpacken (wird angelegt) und die Dateien behalten\n"
    "  --keep        die entpackten Dateien nicht löschen (auch nach einem Fehler)\n"
    "  --noexec      nur entpacken, den Befehl nicht ausführen (die Dateien bleiben)\n"
    "  --list        die Einträge anzeigen (wie unzip -l)\n"
    "  --check       die Prüfsumme jedes Eintrags testen, nichts entpacken\n"
    "  -auto         ohne Rückfrage entpacken und den Befehl ausführen\n"
    "  -- ...        alles danach bekommt der Befehl als Argumente\n"
    "Exit-Status: der des Befehls, sobald er gelaufen ist; sonst 0 (nichts auszuführen,\n"
    "--check bestanden), 1 (abgebrochen), 2 (Fehler), 128+n (beendet durch Signal n).\n";

// Appends one argument for the command, quoted for the shell when it holds
// anything but plain characters.
bool appendQuoted(char* out, size_t capacity, size_t* w, const char* arg) {
    const bool plain =
        arg[0] != '\0' && std::strspn(arg,
                                      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTU"
                                      "VWXYZ0123456789_-+./:,@") == std::strlen(arg);
    char quoted[4096];
    size_t q = 0;
    if (!plain) quoted[q++] = '\'';
    for (const char* p = arg; *p && q + 5 < sizeof quoted; ++p) {
        if (*p == '\'' && !plain) {
            std::memcpy(quoted + q, "'\\''", 4);
            q += 4;
        } else {
            quoted[q++] = *p;
        }
    }
    if (!plain) quoted[q++] = '\'';
    if (*w + q + 2 > capacity) return false;
    std::memcpy(out + *w, quoted, q);
    *w += q;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gm::sfx;
    // Options of this front end come off the command line first.
    bool keep = false, noexec = false, list = false, check = false;
    static char target[4096];
    int first = 1;
    for (; first < argc; ++first) {
        const char* a = argv[first];
        if (!std::strcmp(a, "--keep")) {
            keep = true;
        } else if (!std::strcmp(a, "--noexec")) {
            noexec = true;
        } else if (!std::strcmp(a, "--list")) {
            list = true;
        } else if (!std::strcmp(a, "--check")) {
            check = true;
        } else if (!std::strcmp(a, "--target") && first + 1 < argc) {
            // Absolute, so that it holds after the stub enters the folder.
            const char* dir = argv[++first];
            char cwd[2048];
            if (dir[0] != '/' && getcwd(cwd, sizeof cwd) != nullptr)
                std::snprintf(target, sizeof target, "%s/%s", cwd, dir);
            else
                std::snprintf(target, sizeof target, "%s", dir);
        } else if (!std::strcmp(a, "--help")) {
            std::printf(kUsage, argv[0]);
            return 0;
        } else {
            break;
        }
    }
    // The switches, joined by blanks; after "--" the command's arguments,
    // quoted for the shell.
    static char args[8192];
    size_t w = 0;
    bool forCommand = false;
    for (int i = first; i < argc; ++i) {
        const size_t n = std::strlen(argv[i]);
        if (w + n + 2 > sizeof args) break;
        if (i > first) args[w++] = ' ';
        if (forCommand) {
            if (!appendQuoted(args, sizeof args, &w, argv[i])) break;
            continue;
        }
        std::memcpy(args + w, argv[i], n);
        w += n;
        forCommand = !std::strcmp(argv[i], "--");
    }
    args[w] = '\0';

    TerminalUi::installSignalHandlers();
    static PosixHost host;
    host.setStopSignal(&TerminalUi::shutdownSignal);
    char path[4096];
    if (!host.stubPath(path, sizeof path)) std::snprintf(path, sizeof path, "%s", argv[0]);
    static PosixArchiveSource source(path);
    static TerminalUi ui(STDIN_FILENO, stdout, stderr);
    static Sfx sfx(ui, host, source);
    sfx.keepUnpackedFiles = keep || noexec;
    sfx.runCommand = !noexec;
    if (target[0] != '\0') {
        sfx.targetFolder = target;
        host.allowExistingFolder(true);
    }
    if (list || check) {
        if (!sfx.startUp(args, embeddedConfig())) return sfx.exitStatus();
        return list ? sfx.listEntries() : sfx.checkArchive();
    }
    const int status = sfx.main(args, embeddedConfig());
    if (sfx.ending() == Ending::Interrupted && TerminalUi::shutdownSignal() > 0)
        return 128 + TerminalUi::shutdownSignal();
    return status;
}
