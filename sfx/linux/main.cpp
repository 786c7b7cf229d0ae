// sfxstub for Linux: the self-extracting stub started from a terminal.
//
// The arguments after the program name, joined by single blanks, are the
// argument string. The exit status differs from the original's
// (always 0) on purpose, because scripts rely on it: 0 when the command ran
// (or "-info" was shown), 1 after a cancel, 2 after an error.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "sfx/core/sfx.h"
#include "sfx/linux/posix_host.h"
#include "sfx/linux/terminal_ui.h"

namespace {

int exitStatus(gm::sfx::Ending ending) {
    using gm::sfx::Ending;
    switch (ending) {
        case Ending::CommandRan:
        case Ending::InfoShown:
            return 0;
        case Ending::Declined:
        case Ending::Cancelled:
            return 1;
        default:
            return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gm::sfx;
    static char args[8192];
    size_t w = 0;
    for (int i = 1; i < argc; ++i) {
        const size_t n = std::strlen(argv[i]);
        if (w + n + 2 > sizeof args) break;
        if (i > 1) args[w++] = ' ';
        std::memcpy(args + w, argv[i], n);
        w += n;
    }
    args[w] = '\0';

    TerminalUi::installSignalHandlers();
    static PosixHost host;
    char path[4096];
    if (!host.stubPath(path, sizeof path)) std::snprintf(path, sizeof path, "%s", argv[0]);
    static PosixArchiveSource source(path);
    static TerminalUi ui(STDIN_FILENO, stdout, stderr);
    static Sfx sfx(ui, host, source);
    sfx.main(args, embeddedConfig());
    return exitStatus(sfx.ending());
}
