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
    "Aufruf: %s [--keep] [--noexec] [--help] [-auto | -noauto | -wait | -info]\n"
    "  --keep     die entpackten Dateien nicht löschen (auch nach einem Fehler)\n"
    "  --noexec   nur entpacken, den Befehl nicht ausführen (die Dateien bleiben)\n"
    "  -auto      ohne Rückfrage entpacken und den Befehl ausführen\n"
    "Exit-Status: der des Befehls, sobald er gelaufen ist; sonst 0 (nichts auszuführen),\n"
    "1 (abgebrochen), 2 (Fehler), 128+n (beendet durch Signal n).\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace gm::sfx;
    // Options of this front end come off the command line first.
    bool keep = false, noexec = false;
    int first = 1;
    for (; first < argc; ++first) {
        if (!std::strcmp(argv[first], "--keep"))
            keep = true;
        else if (!std::strcmp(argv[first], "--noexec"))
            noexec = true;
        else if (!std::strcmp(argv[first], "--help")) {
            std::printf(kUsage, argv[0]);
            return 0;
        } else
            break;
    }
    static char args[8192];
    size_t w = 0;
    for (int i = first; i < argc; ++i) {
        const size_t n = std::strlen(argv[i]);
        if (w + n + 2 > sizeof args) break;
        if (i > first) args[w++] = ' ';
        std::memcpy(args + w, argv[i], n);
        w += n;
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
    const int status = sfx.main(args, embeddedConfig());
    if (sfx.ending() == Ending::Interrupted && TerminalUi::shutdownSignal() > 0)
        return 128 + TerminalUi::shutdownSignal();
    return status;
}
