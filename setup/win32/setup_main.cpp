// The Windows setup of Glintmoor (setup.exe in GlintmoorSetup.exe, and, once
// installed, GlintmoorUninstall.exe):
//
//   setup [/silent] [/dir:FOLDER]                 install, repair or upgrade
//   setup /uninstall [/silent] [/removesettings]  remove
//
// Installing puts the Glintmoor.scr that matches the system (from the
// folder x64 or x86 next to this program) into the system folder, or, where
// the user may not write there, into a per-user folder of the user's choice;
// makes it the active screen saver; copies this program as the uninstaller
// and registers it in the list of installed programs. A second run finds that
// entry and installs over the same place. /silent asks nothing. Exit status:
// 0 done, 1 cancelled by the user, 2 failed.

// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include <cwchar>
#include <string>
#include <vector>

#include "setup/win32/installation.h"
#include "setup/win32/setup_texts.h"
#include "setup/win32/system_calls.h"

namespace gm::setup {
namespace {

enum Status { kDone = 0, kCancelled = 1, kFailed = 2 };

struct Options {
    bool silent = false;
    bool uninstall = false;
    bool removeSettings = false;
    std::wstring folder;       // /dir:FOLDER
    DWORD cleanUpAfter = 0;    // /cleanup:PID, the uninstaller's copy
    std::wstring cleanUpFile;  // the file the copy removes
    bool valid = true;
};

// True when the argument is the switch, or starts with it when it takes a
// value ("/dir:"); in any case.
bool is(const std::wstring& arg, const wchar_t* name, bool takesValue = false) {
    const int n = int(std::wcslen(name));
    if (takesValue ? int(arg.size()) <= n : int(arg.size()) != n) return false;
    return sameName(arg.substr(0, std::size_t(n)), name);
}

Options parseOptions() {
    Options o;
    const std::vector<std::wstring> argv = sys::arguments();
    const std::size_t argc = argv.size();
    for (std::size_t i = 0; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (is(a, L"/silent")) {
            o.silent = true;
        } else if (is(a, L"/uninstall")) {
            o.uninstall = true;
        } else if (is(a, L"/removesettings")) {
            o.removeSettings = true;
        } else if (is(a, L"/dir:", true)) {
            o.folder = a.substr(5);
            while (o.folder.size() > 3 && o.folder.back() == L'\\') o.folder.pop_back();
        } else if (is(a, L"/cleanup:", true) && i + 1 < argc) {
            o.cleanUpAfter = DWORD(std::wcstoul(a.c_str() + 9, nullptr, 10));
            o.cleanUpFile = argv[++i];
        } else {
            o.valid = false;
        }
    }
    return o;
}

// A message with the path put in; MB_ flags say the buttons.
int say(const Options& o, const wchar_t* caption, const wchar_t* format, UINT flags,
        const std::wstring& path = L"") {
    if (o.silent) return IDOK;
    std::vector<wchar_t> text(std::wcslen(format) + path.size() + 1);
    std::swprintf(text.data(), text.size(), format, path.c_str());
    return sys::messageBox(text.data(), caption, flags | MB_SETFOREGROUND);
}

// The per-user folder: /dir, the place of an earlier install, or the
// user's choice (the default or one browsed for). Empty after a cancel.
std::wstring chooseUserFolder(const Options& o) {
    const std::wstring suggested = defaultUserFolder();
    switch (
        say(o, text::kCaption, text::kAskUserFolder, MB_YESNOCANCEL | MB_ICONQUESTION, suggested)) {
        case IDNO:
            return sys::browseForFolder(text::kBrowseTitle);
        case IDCANCEL:
            return {};
        default:
            return suggested;
    }
}

int install(const Options& o) {
    const std::wstring source =
        programFolder() + (onWindows64() ? L"\\x64\\" : L"\\x86\\") + kScreenSaverName;
    if (sys::attributes(source) == INVALID_FILE_ATTRIBUTES) {
        say(o, text::kCaption, text::kMissingFile, MB_OK | MB_ICONERROR, source);
        return kFailed;
    }
    const std::optional<Installation> earlier = findInstallation();
    const int asked = earlier
                          ? say(o, text::kCaption, text::kAskRepair, MB_YESNO | MB_ICONQUESTION,
                                earlier->screenSaverName)
                          : say(o, text::kCaption, text::kAskInstall, MB_YESNO | MB_ICONQUESTION);
    if (asked == IDNO) return kCancelled;

    Installation now;
    std::wstring folder = o.folder;
    if (folder.empty() && earlier && !earlier->inSystemFolder)
        folder = earlier->screenSaver.substr(0, earlier->screenSaver.find_last_of(L'\\'));
    if (folder.empty()) {
        const std::wstring target = systemFolderForWriting() + L"\\" + kScreenSaverName;
        const DWORD error = copyReplacing(source, target);
        if (error == ERROR_SUCCESS) {
            now.inSystemFolder = true;
            now.root = HKEY_LOCAL_MACHINE;
            now.screenSaver = target;
            now.screenSaverName = systemFolderName() + L"\\" + kScreenSaverName;
        } else if (error != ERROR_ACCESS_DENIED) {
            say(o, text::kCaption, text::kCannotWrite, MB_OK | MB_ICONERROR, target);
            return kFailed;
        } else if ((folder = o.silent ? defaultUserFolder() : chooseUserFolder(o)).empty()) {
            return kCancelled;
        }
    }
    if (!now.inSystemFolder) {
        now.screenSaver = now.screenSaverName = folder + L"\\" + kScreenSaverName;
        if (!makeFolders(folder) || copyReplacing(source, now.screenSaver) != ERROR_SUCCESS) {
            say(o, text::kCaption, text::kCannotWrite, MB_OK | MB_ICONERROR, now.screenSaver);
            return kFailed;
        }
    }

    // The uninstaller: next to a per-user install, in Program Files for the
    // system folder; the entry goes to HKLM where the user may write there.
    const std::wstring uninstallFolder = now.inSystemFolder ? systemWideFolder() : folder;
    now.uninstaller = uninstallFolder + L"\\" + kUninstallerName;
    if (!makeFolders(uninstallFolder) ||
        (programPath() != now.uninstaller &&
         copyReplacing(programPath(), now.uninstaller) != ERROR_SUCCESS)) {
        say(o, text::kCaption, text::kCannotWrite, MB_OK | MB_ICONERROR, now.uninstaller);
        return kFailed;
    }
    if (!registerInstallation(now)) {
        now.root = HKEY_CURRENT_USER;
        if (!registerInstallation(now)) return kFailed;
    }
    if (earlier && earlier->root != now.root) unregisterInstallation(*earlier);
    makeActiveScreenSaver(now.screenSaverName);

    if (say(o, text::kCaption, text::kInstalled, MB_YESNO | MB_ICONINFORMATION,
            now.screenSaverName) == IDYES)
        // The 9x family's display settings have it on their second page.
        sys::shellOpen(L"control.exe",
                       sys::ansiSystem() ? L"desk.cpl,,1" : L"desk.cpl,,@screensaver");
    return kDone;
}

// The installed uninstaller cannot delete its own file while it runs: a
// copy in the temporary folder waits for it to end and removes it, then
// leaves itself to the system's clean-up at the next start.
void removeUninstallerLater(const std::wstring& uninstaller) {
    const std::wstring copy = temporaryFolder() + L"\\GlintmoorCleanUp-" +
                              std::to_wstring(GetCurrentProcessId()) + L".exe";
    if (!sys::copyFile(programPath(), copy)) return;
    const std::wstring line = L"\"" + copy + L"\" /cleanup:" +
                              std::to_wstring(GetCurrentProcessId()) + L" \"" + uninstaller + L"\"";
    sys::startProcess(copy, line, temporaryFolder());
}

int cleanUp(const Options& o) {
    if (HANDLE waitFor = OpenProcess(SYNCHRONIZE, FALSE, o.cleanUpAfter)) {
        WaitForSingleObject(waitFor, 30000);
        CloseHandle(waitFor);
    }
    for (int attempt = 0;
         attempt < 50 && !sys::deleteFile(o.cleanUpFile) && GetLastError() != ERROR_FILE_NOT_FOUND;
         ++attempt)
        Sleep(100);
    sys::removeFolder(o.cleanUpFile.substr(0, o.cleanUpFile.find_last_of(L'\\')));
    sys::deleteAtRestart(programPath());
    return kDone;
}

int uninstall(const Options& o) {
    const std::optional<Installation> found = findInstallation();
    if (!found) {
        say(o, text::kUninstallCaption, text::kNotInstalled, MB_OK | MB_ICONINFORMATION);
        return kFailed;
    }
    if (say(o, text::kUninstallCaption, text::kAskUninstall, MB_YESNO | MB_ICONQUESTION,
            found->screenSaverName) == IDNO)
        return kCancelled;
    const bool removeSettings = o.silent ? o.removeSettings
                                         : say(o, text::kUninstallCaption, text::kAskRemoveSettings,
                                               MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;

    // Before the file goes: the 9x family names it by its short path, which
    // only an existing file has.
    dropActiveScreenSaver(found->screenSaverName);
    if (!sys::deleteFile(found->screenSaver) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        say(o, text::kUninstallCaption, text::kCannotRemove, MB_OK | MB_ICONERROR,
            found->screenSaverName);
        return kFailed;
    }
    const std::wstring folder = found->screenSaver.substr(0, found->screenSaver.rfind(L'\\'));
    if (!found->inSystemFolder) sys::deleteFile(folder + L"\\Glintmoor.EPT");
    if (removeSettings) removeUserSettings();
    unregisterInstallation(*found);
    if (sameName(programPath(), found->uninstaller)) {
        removeUninstallerLater(found->uninstaller);
    } else {
        sys::deleteFile(found->uninstaller);
        sys::removeFolder(found->uninstaller.substr(0, found->uninstaller.rfind(L'\\')));
    }
    if (!found->inSystemFolder) sys::removeFolder(folder);
    say(o, text::kUninstallCaption, text::kUninstalled, MB_OK | MB_ICONINFORMATION);
    return kDone;
}

// The setup runs from the folder the stub unpacked it into, which may hold
// the files of a planted package too: before anything else its DLL search,
// that of the system's own libraries included, is limited to the system
// folder (SetDefaultDllDirectories: Windows 8 and later, Vista and 7 with
// update KB2533623), or else the current folder leaves it (SetDllDirectoryW,
// XP SP1 and later). Both are looked up at run time, so that the setup still
// starts on older Windows.
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

}  // namespace
}  // namespace gm::setup

// The ANSI entry: mingw-w64's start-up code for the wide one asks
// GetStartupInfoW, a stub on the 9x family; the arguments come from
// GetCommandLineW (sys::arguments). CoInitialize (an apartment of its own)
// is on Windows 95 without DCOM too.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace gm::setup;
    restrictDllSearch();
    CoInitialize(nullptr);
    const Options options = parseOptions();
    if (!options.valid) {
        if (!options.silent)
            sys::messageBox(text::kUsage, text::kCaption, MB_OK | MB_ICONINFORMATION);
        return kFailed;
    }
    if (options.cleanUpAfter) return cleanUp(options);
    return options.uninstall ? uninstall(options) : install(options);
}
