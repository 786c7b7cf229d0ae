// sfxstub.exe: the Windows stub with a console front end (the dialogs are
// still to come; ConsoleUi stands in for them).
//
// Entry: the raw command line without the program name - up to
// the closing quote when it starts with one, else up to the first blank -
// and one more character is the argument string. The exit code is the main
// procedure's result, 0.
#include <windows.h>

#include "sfx/core/sfx.h"
#include "sfx/win32/console_ui.h"
#include "sfx/win32/win32_host.h"

int main() {
    using namespace gm::sfx;
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
    } else {
        while (*p && *p != ' ') ++p;
    }
    if (*p) ++p;

    static Win32Host host;
    char path[MAX_PATH + 8];
    if (!host.stubPath(path, sizeof path)) path[0] = '\0';
    static Win32ArchiveSource source(path);
    static ConsoleUi ui;
    static Sfx sfx(ui, host, source);
    return sfx.main(p, embeddedConfig());
}
