// sfxstub.exe: the Windows stub, a GUI program with the main dialog,
// the meter and the password dialog (DialogUi) over the kernel32 backend
// (Win32Host).
//
// The stub has no C or C++ start-up code (it is linked with its own entry
// point, for size): msvcrt.dll initialises itself when loaded, and every
// object lives on this entry's stack.
//
// Entry: the raw command line without the program name - up to
// the closing quote when it starts with one, else up to the first blank -
// and one more character is the argument string. The exit code is the main
// procedure's result: the command's exit status once it ran, else the
// stub's own (0 nothing to run, 1 cancelled, 2 an error).
#include <windows.h>

#include "sfx/core/sfx.h"
#include "sfx/win32/dialog_ui.h"
#include "sfx/win32/wide_text.h"
#include "sfx/win32/win32_host.h"

namespace {

// A program started from a download folder must not load a DLL left beside
// it. Before anything else the process's DLL search, that of the system's
// own libraries included, is limited to the system folder where Windows has
// SetDefaultDllDirectories (8 and later; Vista and 7 with update KB2533623);
// where it has only SetDllDirectoryW (XP SP1 and later), the current folder
// leaves the search. Both are looked up at run time, so that older Windows
// still load the stub. SetDefaultDllDirectories holds for this process only:
// the command the stub starts keeps its normal search (SetDllDirectoryW's
// empty folder is inherited; the command's own folder still comes first).
void restrictDllSearch() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    using SetDirectory = BOOL(WINAPI*)(LPCWSTR);
    const auto setDefault = reinterpret_cast<SetDefaultDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    const auto setDirectory = reinterpret_cast<SetDirectory>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryW")));
    if (setDirectory != nullptr) setDirectory(L"");
}

int runStub() {
    using namespace gm::sfx;
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
    } else {
        while (*p && *p != L' ') ++p;
    }
    if (*p) ++p;
    char args[2048];
    narrow(p, args, sizeof args);

    Win32Host host;
    char path[kPathBuffer * 3];
    if (!host.stubPath(path, sizeof path)) path[0] = '\0';
    Win32ArchiveSource source(path);
    DialogUi ui(GetModuleHandleA(nullptr));
    Sfx sfx(ui, host, source);
    const int result = sfx.main(args, embeddedConfig());
    ui.closeDialog();
    return result;
}

}  // namespace

extern "C" void WINAPI stubEntry() {
    restrictDllSearch();
    ExitProcess(static_cast<UINT>(runStub()));
}

// The interfaces' pure virtual functions are always overridden; without the
// C++ runtime the stub supplies this symbol itself.
extern "C" void __cxa_pure_virtual() { ExitProcess(3); }
