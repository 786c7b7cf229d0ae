#include "setup/win32/installation.h"

#include <shlobj.h>

#include <cwctype>
#include <vector>

#include "platform/win32/system_function.h"

namespace gm::setup {
namespace {

using win32::systemFunction;

std::wstring environment(const wchar_t* variable) {
    wchar_t value[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(variable, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? value : L"";
}

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
    auto folderPath = systemFunction<GetFolderPathFn>("shell32.dll", "SHGetFolderPathW");
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
    if (RegOpenKeyExW(root, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    wchar_t sub[256];
    for (DWORD n = 256;
         RegEnumKeyExW(key, 0, sub, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         n = 256)
        deleteTree(key, sub);
    RegCloseKey(key);
    RegDeleteKeyW(root, name.c_str());
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

std::wstring localAppData() {
    // NT 4 without shfolder.dll has no such folder: the user's profile.
    const std::wstring folder =
        knownFolder(FOLDERID_LocalAppData, CSIDL_LOCAL_APPDATA, L"LOCALAPPDATA");
    return folder.empty() ? environment(L"USERPROFILE") : folder;
}

std::wstring defaultUserFolder() { return localAppData() + L"\\Programs\\Glintmoor"; }

std::wstring systemWideFolder() {
    std::wstring programs =
        knownFolder(FOLDERID_ProgramFiles, CSIDL_PROGRAM_FILES, L"ProgramFiles");
    // NT 4 without shfolder.dll names it only in the registry.
    HKEY key;
    if (programs.empty() &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        programs = readString(key, L"ProgramFilesDir");
        RegCloseKey(key);
    }
    return programs + L"\\Glintmoor";
}

std::wstring temporaryFolder() {
    wchar_t path[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, path);
    std::wstring folder(path, n <= MAX_PATH ? n : 0);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

bool makeFolders(const std::wstring& folder) {
    // Every folder from the top down (SHCreateDirectoryExW is of 2000 and ME).
    for (std::size_t i = 3; i <= folder.size(); ++i) {
        if (i < folder.size() && folder[i] != L'\\') continue;
        const std::wstring part = folder.substr(0, i);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS &&
            i == folder.size())
            return false;
    }
    const DWORD a = GetFileAttributesW(folder.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
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
    deleteTree(installation.root, kUninstallKey);
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
    if (sameName(readString(key, L"SCRNSAVE.EXE"), screenSaverName))
        RegDeleteValueW(key, L"SCRNSAVE.EXE");
    RegCloseKey(key);
}

void removeUserSettings() {
    deleteTree(HKEY_CURRENT_USER, kSettingsKey);
    const std::wstring protocolFolder = localAppData() + L"\\Glintmoor";
    DeleteFileW((protocolFolder + L"\\Glintmoor.EPT").c_str());
    RemoveDirectoryW(protocolFolder.c_str());
}

}  // namespace gm::setup
