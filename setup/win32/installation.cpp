#include "setup/win32/installation.h"

#include <shlobj.h>

#include <vector>

namespace gm::setup {
namespace {

std::wstring knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring windowsFolder() {
    wchar_t path[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

std::wstring readString(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return {};
    return buffer.data();
}

bool writeString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool writeNumber(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

bool onWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool onWindows64() { return sizeof(void*) == 8 || onWow64(); }

std::wstring programPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n < path.size()) return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

std::wstring programFolder() { return folderOf(programPath()); }

std::wstring systemFolderForWriting() {
    if (onWow64()) return windowsFolder() + L"\\Sysnative";
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

std::wstring systemFolderName() {
    return onWow64() ? windowsFolder() + L"\\System32" : systemFolderForWriting();
}

std::wstring defaultUserFolder() {
    return knownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Glintmoor";
}

std::wstring systemWideFolder() { return knownFolder(FOLDERID_ProgramFiles) + L"\\Glintmoor"; }

std::wstring temporaryFolder() {
    wchar_t path[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, path);
    std::wstring folder(path, n <= MAX_PATH ? n : 0);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

bool makeFolders(const std::wstring& folder) {
    const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

DWORD copyReplacing(const std::wstring& from, const std::wstring& to) {
    const std::wstring temp = to + L".new";
    if (!CopyFileW(from.c_str(), temp.c_str(), FALSE)) return GetLastError();
    if (!MoveFileExW(temp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        return error;
    }
    return ERROR_SUCCESS;
}

std::optional<Installation> findInstallation() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key;
        if (RegOpenKeyExW(root, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
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
    if (RegCreateKeyExW(installation.root, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring run = L"\"" + installation.uninstaller + L"\" /uninstall";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(installation.screenSaver.c_str(), GetFileExInfoStandard, &data);
    const bool ok =
        writeString(key, L"DisplayName", L"Glintmoor") &&
        writeString(key, L"DisplayVersion", GLINTMOOR_VERSION) &&
        writeString(key, L"Publisher", L"Glintmoor") &&
        writeString(key, L"DisplayIcon", installation.screenSaverName) &&
        writeString(key, L"InstallLocation", folderOf(installation.screenSaverName)) &&
        writeString(key, L"UninstallString", run) &&
        writeString(key, L"QuietUninstallString", run + L" /silent") &&
        writeNumber(key, L"NoModify", 1) && writeNumber(key, L"NoRepair", 1) &&
        writeNumber(key, L"EstimatedSize", (data.nFileSizeLow + 1023) / 1024) &&
        writeString(key, L"GlintmoorFile", installation.screenSaver) &&
        writeString(key, L"GlintmoorFileName", installation.screenSaverName) &&
        writeString(key, L"GlintmoorUninstaller", installation.uninstaller) &&
        writeString(key, L"GlintmoorPlace", installation.inSystemFolder ? L"system" : L"user");
    RegCloseKey(key);
    return ok;
}

void unregisterInstallation(const Installation& installation) {
    RegDeleteTreeW(installation.root, kUninstallKey);
}

void makeActiveScreenSaver(const std::wstring& screenSaverName) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    writeString(key, L"SCRNSAVE.EXE", screenSaverName);
    writeString(key, L"ScreenSaveActive", L"1");
    RegCloseKey(key);
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDCHANGE);
}

void dropActiveScreenSaver(const std::wstring& screenSaverName) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ | KEY_WRITE,
                      &key) != ERROR_SUCCESS)
        return;
    if (CompareStringOrdinal(readString(key, L"SCRNSAVE.EXE").c_str(), -1, screenSaverName.c_str(),
                             -1, TRUE) == CSTR_EQUAL)
        RegDeleteValueW(key, L"SCRNSAVE.EXE");
    RegCloseKey(key);
}

void removeUserSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const std::wstring protocolFolder = knownFolder(FOLDERID_LocalAppData) + L"\\Glintmoor";
    DeleteFileW((protocolFolder + L"\\Glintmoor.EPT").c_str());
    RemoveDirectoryW(protocolFolder.c_str());
}

}  // namespace gm::setup
