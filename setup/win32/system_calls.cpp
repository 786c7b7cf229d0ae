// The wide and the ANSI forms of the setup's system calls; see
// system_calls.h.
#include "setup/win32/system_calls.h"

#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/window_text.h"

namespace gm::setup::sys {
namespace {

using win32::ansiText;
using win32::wideFromAnsi;

// A result of `n` characters in `buffer`, where n at or above the size
// means that it did not fit.
std::wstring fitted(const wchar_t* buffer, DWORD n, DWORD size) {
    return n > 0 && n < size ? std::wstring(buffer, n) : std::wstring();
}
std::wstring fitted(const char* buffer, DWORD n, DWORD size) {
    return n > 0 && n < size ? wideFromAnsi(std::string(buffer, n)) : std::wstring();
}

std::wstring systemIni() { return windowsFolder() + L"\\system.ini"; }

}  // namespace

bool ansiSystem() { return !win32::wideWindowCalls(); }

std::wstring environment(const wchar_t* name) {
    if (ansiSystem()) {
        char value[MAX_PATH * 2];
        return fitted(value, GetEnvironmentVariableA(ansiText(name).c_str(), value, sizeof value),
                      sizeof value);
    }
    wchar_t value[MAX_PATH];
    return fitted(value, GetEnvironmentVariableW(name, value, MAX_PATH), MAX_PATH);
}

namespace {

// The Windows or the system folder, by the ANSI or the wide form of its call.
std::wstring folder(UINT(WINAPI* ansi)(LPSTR, UINT), UINT(WINAPI* wide)(LPWSTR, UINT)) {
    if (ansiSystem()) {
        char path[MAX_PATH * 2];
        return fitted(path, ansi(path, sizeof path), sizeof path);
    }
    wchar_t path[MAX_PATH];
    return fitted(path, wide(path, MAX_PATH), MAX_PATH);
}

}  // namespace

std::wstring windowsFolder() { return folder(GetWindowsDirectoryA, GetWindowsDirectoryW); }

std::wstring systemFolder() { return folder(GetSystemDirectoryA, GetSystemDirectoryW); }

std::wstring temporaryPath() {
    if (ansiSystem()) {
        char path[MAX_PATH * 2];
        return fitted(path, GetTempPathA(sizeof path, path), sizeof path);
    }
    wchar_t path[MAX_PATH + 1];
    return fitted(path, GetTempPathW(MAX_PATH + 1, path), MAX_PATH + 1);
}

std::wstring programPath() {
    for (DWORD size = MAX_PATH;; size *= 2) {
        if (ansiSystem()) {
            std::string path(size * 2, '\0');
            const DWORD n = GetModuleFileNameA(nullptr, path.data(), size * 2);
            if (n < size * 2) return wideFromAnsi(path.substr(0, n));
        } else {
            std::wstring path(size, L'\0');
            const DWORD n = GetModuleFileNameW(nullptr, path.data(), size);
            if (n < size) return path.substr(0, n);
        }
    }
}

std::wstring shortPath(const std::wstring& path) {
    std::wstring result;
    if (ansiSystem()) {
        char out[MAX_PATH * 2];
        result =
            fitted(out, GetShortPathNameA(ansiText(path).c_str(), out, sizeof out), sizeof out);
    } else {
        wchar_t out[MAX_PATH];
        result = fitted(out, GetShortPathNameW(path.c_str(), out, MAX_PATH), MAX_PATH);
    }
    return result.empty() ? path : result;
}

DWORD attributes(const std::wstring& path) {
    return ansiSystem() ? GetFileAttributesA(ansiText(path).c_str())
                        : GetFileAttributesW(path.c_str());
}

DWORD fileSize(const std::wstring& path) {
    // FindFirstFile: GetFileAttributesEx is of 98 and NT 4.
    DWORD size = 0;
    HANDLE h;
    if (ansiSystem()) {
        WIN32_FIND_DATAA data;
        h = FindFirstFileA(ansiText(path).c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) size = data.nFileSizeLow;
    } else {
        WIN32_FIND_DATAW data;
        h = FindFirstFileW(path.c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) size = data.nFileSizeLow;
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return size;
}

bool createFolder(const std::wstring& path) {
    return ansiSystem() ? CreateDirectoryA(ansiText(path).c_str(), nullptr)
                        : CreateDirectoryW(path.c_str(), nullptr);
}

bool deleteFile(const std::wstring& path) {
    return ansiSystem() ? DeleteFileA(ansiText(path).c_str()) : DeleteFileW(path.c_str());
}

bool removeFolder(const std::wstring& path) {
    return ansiSystem() ? RemoveDirectoryA(ansiText(path).c_str()) : RemoveDirectoryW(path.c_str());
}

bool copyFile(const std::wstring& from, const std::wstring& to) {
    return ansiSystem() ? CopyFileA(ansiText(from).c_str(), ansiText(to).c_str(), FALSE)
                        : CopyFileW(from.c_str(), to.c_str(), FALSE);
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
    if (!ansiSystem()) return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
    const std::string target = ansiText(to);
    if (!DeleteFileA(target.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    return MoveFileA(ansiText(from).c_str(), target.c_str());
}

void deleteAtRestart(const std::wstring& path) {
    // The 9x family has it only through WinInit.Ini, whose [rename] section
    // WritePrivateProfileString cannot add a second NUL= line to: the copy
    // stays in the temporary folder there.
    if (!ansiSystem()) MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool startProcess(const std::wstring& program, std::wstring commandLine,
                  const std::wstring& folder) {
    PROCESS_INFORMATION process{};
    bool started;
    if (ansiSystem()) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string line = ansiText(commandLine);
        started = CreateProcessA(ansiText(program).c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, ansiText(folder).c_str(), &startup, &process);
    } else {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, folder.c_str(), &startup, &process);
    }
    if (!started) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

LONG openKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) {
    return ansiSystem() ? RegOpenKeyExA(root, ansiText(path).c_str(), 0, access, key)
                        : RegOpenKeyExW(root, path, 0, access, key);
}

LONG createKey(HKEY root, const wchar_t* path, HKEY* key) {
    return ansiSystem()
               ? RegCreateKeyExA(root, ansiText(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                 key, nullptr)
               : RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, key, nullptr);
}

std::wstring readString(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (ansiSystem()) {
        const std::string ansiName = ansiText(name);
        if (RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            return {};
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueExA(key, ansiName.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
            return {};
        return wideFromAnsi(buffer.data());
    }
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
    if (ansiSystem()) {
        const std::string text = ansiText(value);
        return RegSetValueExA(key, ansiText(name).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              DWORD(text.size() + 1)) == ERROR_SUCCESS;
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool writeNumber(HKEY key, const wchar_t* name, DWORD value) {
    const auto* data = reinterpret_cast<const BYTE*>(&value);
    return (ansiSystem()
                ? RegSetValueExA(key, ansiText(name).c_str(), 0, REG_DWORD, data, sizeof value)
                : RegSetValueExW(key, name, 0, REG_DWORD, data, sizeof value)) == ERROR_SUCCESS;
}

std::wstring firstSubkey(HKEY key) {
    if (ansiSystem()) {
        char name[512];
        DWORD n = sizeof name;
        return RegEnumKeyExA(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS
                   ? wideFromAnsi(std::string(name, n))
                   : std::wstring();
    }
    wchar_t name[256];
    DWORD n = 256;
    return RegEnumKeyExW(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS
               ? std::wstring(name, n)
               : std::wstring();
}

void deleteKey(HKEY root, const std::wstring& name) {
    if (ansiSystem())
        RegDeleteKeyA(root, ansiText(name).c_str());
    else
        RegDeleteKeyW(root, name.c_str());
}

void deleteValue(HKEY key, const wchar_t* name) {
    if (ansiSystem())
        RegDeleteValueA(key, ansiText(name).c_str());
    else
        RegDeleteValueW(key, name);
}

// The ANSI calls on both families: SYSTEM.INI is an ANSI file, and the 9x
// family's short paths are ASCII.
std::wstring bootSetting(const wchar_t* name) {
    char value[MAX_PATH * 2];
    const DWORD n = GetPrivateProfileStringA("boot", ansiText(name).c_str(), "", value,
                                             sizeof value, ansiText(systemIni()).c_str());
    return wideFromAnsi(std::string(value, n));
}

bool writeBootSetting(const wchar_t* name, const wchar_t* value) {
    const std::string text = value ? ansiText(value) : std::string();
    return WritePrivateProfileStringA("boot", ansiText(name).c_str(),
                                      value ? text.c_str() : nullptr,
                                      ansiText(systemIni()).c_str());
}

std::vector<std::wstring> arguments() {
    // GetCommandLineW works on every Windows; CommandLineToArgvW is a stub
    // on the 9x family. The program's name ends at its closing quote or at
    // the first blank; then 2n backslashes before a quote are n and the
    // quote opens or closes, 2n + 1 are n and a quote, others are themselves.
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    std::vector<std::wstring> args;
    for (;;) {
        while (*p == L' ' || *p == L'\t') ++p;
        if (!*p) return args;
        std::wstring arg;
        bool quoted = false;
        while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
            std::size_t slashes = 0;
            while (p[slashes] == L'\\') ++slashes;
            if (p[slashes] == L'"') {
                arg.append(slashes / 2, L'\\');
                if (slashes % 2)
                    arg += L'"';
                else
                    quoted = !quoted;
                p += slashes + 1;
            } else if (slashes > 0) {
                arg.append(slashes, L'\\');
                p += slashes;
            } else {
                arg += *p++;
            }
        }
        args.push_back(arg);
    }
}

int messageBox(const std::wstring& text, const wchar_t* caption, UINT flags) {
    // MessageBoxW is one of the few wide calls the 9x family implements.
    return MessageBoxW(nullptr, text.c_str(), caption, flags);
}

std::wstring browseForFolder(const wchar_t* title) {
    std::wstring folder;
    PIDLIST_ABSOLUTE chosen;
    if (ansiSystem()) {
        const std::string ansiTitle = ansiText(title);
        BROWSEINFOA info{};
        info.lpszTitle = ansiTitle.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        chosen = SHBrowseForFolderA(&info);
        char path[MAX_PATH * 2];
        if (chosen && SHGetPathFromIDListA(chosen, path)) folder = wideFromAnsi(path);
    } else {
        BROWSEINFOW info{};
        info.lpszTitle = title;
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        chosen = SHBrowseForFolderW(&info);
        wchar_t path[MAX_PATH];
        if (chosen && SHGetPathFromIDListW(chosen, path)) folder = path;
    }
    CoTaskMemFree(chosen);
    return folder;
}

void shellOpen(const wchar_t* file, const wchar_t* parameters) {
    if (ansiSystem())
        ShellExecuteA(nullptr, "open", ansiText(file).c_str(), ansiText(parameters).c_str(),
                      nullptr, SW_SHOWNORMAL);
    else
        ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_SHOWNORMAL);
}

}  // namespace gm::setup::sys
