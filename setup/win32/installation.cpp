#include "setup/win32/installation.h"

#include <shlobj.h>

#include <cwctype>
#include <vector>

#include "platform/win32/system_function.h"
#include "setup/win32/system_calls.h"

namespace gm::setup {
namespace {

using sys::environment;
using sys::readString;
using sys::windowsFolder;
using sys::writeNumber;
using sys::writeString;
using win32::systemFunction;

// A folder of the shell: through SHGetKnownFolderPath (Vista), else
// SHGetFolderPathW (shell32 of 2000 and ME, shfolder.dll before), else the
// environment variable that names it.
std::wstring knownFolder(const GUID& id, int csidl, const wchar_t* variable) {
    using GetKnownFolderPathFn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    constexpr DWORD kCreate = 0x00008000;  // KF_FLAG_CREATE
    if (const auto known =
            systemFunction<GetKnownFolderPathFn>("shell32.dll", "SHGetKnownFolderPath")) {
        PWSTR path = nullptr;
        std::wstring result;
        if (SUCCEEDED(known(id, kCreate, nullptr, &path))) result = path;
        CoTaskMemFree(path);
        if (!result.empty()) return result;
    }
    // The 9x family's shell32 has only the ANSI form; shfolder.dll both.
    auto folderPath = sys::ansiSystem()
                          ? nullptr
                          : systemFunction<GetFolderPathFn>("shell32.dll", "SHGetFolderPathW");
    if (!folderPath)
        folderPath = systemFunction<GetFolderPathFn>("shfolder.dll", "SHGetFolderPathW");
    wchar_t path[MAX_PATH] = {};
    if (folderPath && SUCCEEDED(folderPath(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path)))
        return path;
    return environment(variable);
}

// Deletes a registry key with everything below it (RegDeleteTreeW is of
// Vista; RegDeleteKeyW of the NT family deletes only keys without subkeys).
void deleteTree(HKEY root, const std::wstring& name) {
    HKEY key;
    if (sys::openKey(root, name.c_str(), KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    for (std::wstring sub = sys::firstSubkey(key); !sub.empty(); sub = sys::firstSubkey(key))
        deleteTree(key, sub);
    RegCloseKey(key);
    sys::deleteKey(root, name);
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

bool onWow64() {
    // IsWow64Process is of XP SP2; a system without it runs no 64-bit code.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    static const auto isWow64 = systemFunction<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

bool onWindows64() { return sizeof(void*) == 8 || onWow64(); }

std::wstring programPath() { return sys::programPath(); }

std::wstring programFolder() { return folderOf(programPath()); }

std::wstring systemFolderForWriting() {
    return onWow64() ? windowsFolder() + L"\\Sysnative" : sys::systemFolder();
}

std::wstring systemFolderName() {
    return onWow64() ? windowsFolder() + L"\\System32" : systemFolderForWriting();
}

std::wstring localAppData() {
    // NT 4 without shfolder.dll has no such folder: the user's profile; the
    // 9x family without it has none either: the Windows folder.
    std::wstring folder = knownFolder(FOLDERID_LocalAppData, CSIDL_LOCAL_APPDATA, L"LOCALAPPDATA");
    if (folder.empty()) folder = environment(L"USERPROFILE");
    return folder.empty() ? windowsFolder() : folder;
}

std::wstring defaultUserFolder() { return localAppData() + L"\\Programs\\Glintmoor"; }

std::wstring systemWideFolder() {
    std::wstring programs =
        knownFolder(FOLDERID_ProgramFiles, CSIDL_PROGRAM_FILES, L"ProgramFiles");
    // NT 4 without shfolder.dll names it only in the registry.
    HKEY key;
    if (programs.empty() &&
        sys::openKey(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", KEY_READ,
                     &key) == ERROR_SUCCESS) {
        programs = readString(key, L"ProgramFilesDir");
        RegCloseKey(key);
    }
    return programs + L"\\Glintmoor";
}

std::wstring temporaryFolder() {
    std::wstring folder = sys::temporaryPath();
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

bool makeFolders(const std::wstring& folder) {
    // Every folder from the top down (SHCreateDirectoryExW is of 2000 and ME).
    for (std::size_t i = 3; i <= folder.size(); ++i) {
        if (i < folder.size() && folder[i] != L'\\') continue;
        const std::wstring part = folder.substr(0, i);
        if (!sys::createFolder(part) && GetLastError() != ERROR_ALREADY_EXISTS &&
            i == folder.size())
            return false;
    }
    const DWORD a = sys::attributes(folder);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD copyReplacing(const std::wstring& from, const std::wstring& to) {
    const std::wstring temp = to + L".new";
    if (!sys::copyFile(from, temp)) return GetLastError();
    if (!sys::replaceFile(temp, to)) {
        const DWORD error = GetLastError();
        sys::deleteFile(temp);
        return error;
    }
    return ERROR_SUCCESS;
}

std::optional<Installation> findInstallation() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key;
        if (sys::openKey(root, kUninstallKey, KEY_READ, &key) != ERROR_SUCCESS) continue;
        Installation found;
        found.root = root;
        found.screenSaver = readString(key, L"GlintmoorFile");
        found.screenSaverName = readString(key, L"GlintmoorFileName");
        found.uninstaller = readString(key, L"GlintmoorUninstaller");
        found.inSystemFolder = readString(key, L"GlintmoorPlace") == L"system";
        RegCloseKey(key);
        if (!found.screenSaver.empty()) return found;
    }
    return std::nullopt;
}

bool registerInstallation(const Installation& installation) {
    HKEY key;
    if (sys::createKey(installation.root, kUninstallKey, &key) != ERROR_SUCCESS) return false;
    const std::wstring run = L"\"" + installation.uninstaller + L"\" /uninstall";
    const bool ok =
        writeString(key, L"DisplayName", L"Glintmoor") &&
        writeString(key, L"DisplayVersion", GLINTMOOR_VERSION) &&
        writeString(key, L"Publisher", L"Glintmoor") &&
        writeString(key, L"DisplayIcon", installation.screenSaverName) &&
        writeString(key, L"InstallLocation", folderOf(installation.screenSaverName)) &&
        writeString(key, L"UninstallString", run) &&
        writeString(key, L"QuietUninstallString", run + L" /silent") &&
        writeNumber(key, L"NoModify", 1) && writeNumber(key, L"NoRepair", 1) &&
        writeNumber(key, L"EstimatedSize",
                    (sys::fileSize(installation.screenSaver) + 1023) / 1024) &&
        writeString(key, L"GlintmoorFile", installation.screenSaver) &&
        writeString(key, L"GlintmoorFileName", installation.screenSaverName) &&
        writeString(key, L"GlintmoorUninstaller", installation.uninstaller) &&
        writeString(key, L"GlintmoorPlace", installation.inSystemFolder ? L"system" : L"user");
    RegCloseKey(key);
    return ok;
}

void unregisterInstallation(const Installation& installation) {
    deleteTree(installation.root, kUninstallKey);
}

void makeActiveScreenSaver(const std::wstring& screenSaverName) {
    // The 9x family reads it from the [boot] section of SYSTEM.INI, by the
    // short path (its display settings write it so).
    if (sys::ansiSystem())
        sys::writeBootSetting(L"SCRNSAVE.EXE", sys::shortPath(screenSaverName).c_str());
    HKEY key;
    if (sys::createKey(HKEY_CURRENT_USER, L"Control Panel\\Desktop", &key) != ERROR_SUCCESS) return;
    writeString(key, L"SCRNSAVE.EXE", screenSaverName);
    writeString(key, L"ScreenSaveActive", L"1");
    RegCloseKey(key);
    // No text in it: the ANSI form on every Windows.
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDCHANGE);
}

void dropActiveScreenSaver(const std::wstring& screenSaverName) {
    if (sys::ansiSystem()) {
        const std::wstring named = sys::bootSetting(L"SCRNSAVE.EXE");
        if (!named.empty() &&
            (sameName(named, screenSaverName) || sameName(named, sys::shortPath(screenSaverName))))
            sys::writeBootSetting(L"SCRNSAVE.EXE", nullptr);
    }
    HKEY key;
    if (sys::openKey(HKEY_CURRENT_USER, L"Control Panel\\Desktop", KEY_READ | KEY_WRITE, &key) !=
        ERROR_SUCCESS)
        return;
    if (sameName(readString(key, L"SCRNSAVE.EXE"), screenSaverName))
        sys::deleteValue(key, L"SCRNSAVE.EXE");
    RegCloseKey(key);
}

void removeUserSettings() {
    deleteTree(HKEY_CURRENT_USER, kSettingsKey);
    const std::wstring protocolFolder = localAppData() + L"\\Glintmoor";
    sys::deleteFile(protocolFolder + L"\\Glintmoor.EPT");
    sys::removeFolder(protocolFolder);
}

}  // namespace gm::setup
