// What the Windows setup does to the system, without asking anybody: where
// Glintmoor.scr goes, the active screen saver, and the entry in the list of
// installed programs that remembers both for a repair and for the uninstaller.
//
// The setup is a 32-bit program, so that one setup runs on every Windows. On
// 64-bit Windows it installs the 64-bit Glintmoor.scr; the system redirects
// a 32-bit program's System32 to SysWOW64, so it writes through
// %windir%\Sysnative and names the file by its System32 path, which is where
// the screen saver settings, a 64-bit program, find it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace gm::setup {

inline constexpr const wchar_t* kScreenSaverName = L"Glintmoor.scr";
inline constexpr const wchar_t* kUninstallerName = L"GlintmoorUninstall.exe";
inline constexpr const wchar_t* kUninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Glintmoor";
inline constexpr const wchar_t* kSettingsKey = L"Software\\Glintmoor";

// True for a 32-bit program on 64-bit Windows.
bool onWow64();
// True on 64-bit Windows: the setup's own x86-64 build (a test twin) or the
// 32-bit one under WOW64.
bool onWindows64();
// The folder of the running program, without the trailing backslash.
std::wstring programFolder();
std::wstring programPath();
// The system folder to write to (Sysnative under WOW64) and its name for
// the system (System32).
std::wstring systemFolderForWriting();
std::wstring systemFolderName();
// %LOCALAPPDATA%\Programs\Glintmoor: the per-user place.
std::wstring defaultUserFolder();
// %ProgramFiles%\Glintmoor: the uninstaller of a system-wide install.
std::wstring systemWideFolder();
std::wstring temporaryFolder();

// A folder and the folders above it. True when it exists afterwards.
bool makeFolders(const std::wstring& folder);
// Copies through a temporary name and renames it over the target, so a
// failed copy leaves the old file whole. Returns the error (0 = done).
DWORD copyReplacing(const std::wstring& from, const std::wstring& to);

// The installation the entry in the list of installed programs describes.
struct Installation {
    HKEY root = HKEY_CURRENT_USER;  // where the entry is: HKCU or HKLM
    std::wstring screenSaver;       // Glintmoor.scr, as this program reaches it
    std::wstring screenSaverName;   // the same, as the system names it
    std::wstring uninstaller;       // GlintmoorUninstall.exe
    bool inSystemFolder = false;
};
std::optional<Installation> findInstallation();
// Writes the entry (DisplayName, UninstallString, ..., and our own values).
bool registerInstallation(const Installation& installation);
void unregisterInstallation(const Installation& installation);

// HKCU\Control Panel\Desktop: SCRNSAVE.EXE and ScreenSaveActive, and tells
// the running system.
void makeActiveScreenSaver(const std::wstring& screenSaverName);
// Takes SCRNSAVE.EXE away when it names this file.
void dropActiveScreenSaver(const std::wstring& screenSaverName);
// HKCU\Software\Glintmoor and the error protocol's per-user folder.
void removeUserSettings();

}  // namespace gm::setup
