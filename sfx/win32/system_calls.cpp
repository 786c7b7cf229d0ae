// The wide and the ANSI forms of the stub's system calls; see system_calls.h.
#include "sfx/win32/system_calls.h"

#include "sfx/win32/wide_text.h"

namespace gm::sfx::sys {
namespace {

// An ANSI result of `n` characters at `ansi` as UTF-16 in out[0, capacity).
DWORD wideResult(DWORD n, const char* ansi, wchar_t* out, DWORD capacity) {
    if (n == 0 || n >= capacity) return n;
    const int m = MultiByteToWideChar(CP_ACP, 0, ansi, -1, out, static_cast<int>(capacity));
    return m > 0 ? static_cast<DWORD>(m - 1) : 0;
}

void wideFindData(const WIN32_FIND_DATAA& a, WIN32_FIND_DATAW* w) {
    // The fields before the names are the same in both forms.
    static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == offsetof(WIN32_FIND_DATAW, cFileName));
    CopyMemory(w, &a, offsetof(WIN32_FIND_DATAA, cFileName));
    wideResult(1, a.cFileName, w->cFileName, MAX_PATH);
    wideResult(1, a.cAlternateFileName, w->cAlternateFileName, 14);
}

}  // namespace

bool ansiSystem() { return (GetVersion() & 0x80000000u) != 0; }

AnsiText::AnsiText(const wchar_t* text) {
    if (!WideCharToMultiByte(CP_ACP, 0, text, -1, text_, sizeof text_, nullptr, nullptr))
        text_[0] = '\0';
}

HANDLE openFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition) {
    if (!ansiSystem())
        return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    return CreateFileA(AnsiText(path), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

DWORD fileAttributes(const wchar_t* path) {
    return ansiSystem() ? GetFileAttributesA(AnsiText(path)) : GetFileAttributesW(path);
}

BOOL setFileAttributes(const wchar_t* path, DWORD attributes) {
    return ansiSystem() ? SetFileAttributesA(AnsiText(path), attributes)
                        : SetFileAttributesW(path, attributes);
}

BOOL createFolder(const wchar_t* path) {
    return ansiSystem() ? CreateDirectoryA(AnsiText(path), nullptr)
                        : CreateDirectoryW(path, nullptr);
}

BOOL deleteFile(const wchar_t* path) {
    return ansiSystem() ? DeleteFileA(AnsiText(path)) : DeleteFileW(path);
}

BOOL removeFolder(const wchar_t* path) {
    return ansiSystem() ? RemoveDirectoryA(AnsiText(path)) : RemoveDirectoryW(path);
}

BOOL setCurrentFolder(const wchar_t* path) {
    return ansiSystem() ? SetCurrentDirectoryA(AnsiText(path)) : SetCurrentDirectoryW(path);
}

HANDLE findFirstFile(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    if (!ansiSystem()) return FindFirstFileW(pattern, data);
    WIN32_FIND_DATAA a;
    const HANDLE h = FindFirstFileA(AnsiText(pattern), &a);
    if (h != INVALID_HANDLE_VALUE) wideFindData(a, data);
    return h;
}

BOOL findNextFile(HANDLE find, WIN32_FIND_DATAW* data) {
    if (!ansiSystem()) return FindNextFileW(find, data);
    WIN32_FIND_DATAA a;
    if (!FindNextFileA(find, &a)) return FALSE;
    wideFindData(a, data);
    return TRUE;
}

DWORD shortAnsiPath(const wchar_t* path, char* out, DWORD capacity) {
    if (ansiSystem()) return GetShortPathNameA(AnsiText(path), out, capacity);
    wchar_t wide[MAX_PATH + 16];
    const DWORD n = GetShortPathNameW(path, wide, MAX_PATH + 16);
    if (n == 0 || n >= MAX_PATH + 16) return 0;
    const int m =
        WideCharToMultiByte(CP_ACP, 0, wide, -1, out, static_cast<int>(capacity), nullptr, nullptr);
    return m > 0 ? static_cast<DWORD>(m - 1) : 0;
}

BOOL volumeLabel(const wchar_t* root, wchar_t* out, DWORD capacity) {
    if (!ansiSystem())
        return GetVolumeInformationW(root, out, capacity, nullptr, nullptr, nullptr, nullptr, 0);
    char label[MAX_PATH + 1];
    return GetVolumeInformationA(AnsiText(root), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                 nullptr, 0) &&
           wideResult(1, label, out, capacity) < capacity;
}

DWORD moduleFileName(wchar_t* out, DWORD capacity) {
    if (!ansiSystem()) return GetModuleFileNameW(nullptr, out, capacity);
    char path[(MAX_PATH + 16) * 2];
    return wideResult(GetModuleFileNameA(nullptr, path, sizeof path), path, out, capacity);
}

UINT systemFolder(wchar_t* out, UINT capacity) {
    if (!ansiSystem()) return GetSystemDirectoryW(out, capacity);
    char path[(MAX_PATH + 16) * 2];
    return wideResult(GetSystemDirectoryA(path, sizeof path), path, out, capacity);
}

UINT windowsFolder(wchar_t* out, UINT capacity) {
    if (!ansiSystem()) return GetWindowsDirectoryW(out, capacity);
    char path[(MAX_PATH + 16) * 2];
    return wideResult(GetWindowsDirectoryA(path, sizeof path), path, out, capacity);
}

DWORD environmentVariable(const wchar_t* name, wchar_t* out, DWORD capacity) {
    if (!ansiSystem()) return GetEnvironmentVariableW(name, out, capacity);
    char value[(MAX_PATH + 16) * 2];
    return wideResult(GetEnvironmentVariableA(AnsiText(name), value, sizeof value), value, out,
                      capacity);
}

DWORD searchPath(const wchar_t* name, wchar_t* out, DWORD capacity) {
    if (!ansiSystem()) return SearchPathW(nullptr, name, nullptr, capacity, out, nullptr);
    char path[(MAX_PATH + 16) * 2];
    return wideResult(SearchPathA(nullptr, AnsiText(name), nullptr, sizeof path, path, nullptr),
                      path, out, capacity);
}

HMODULE loadLibrary(const wchar_t* path) {
    return ansiSystem() ? LoadLibraryA(AnsiText(path)) : LoadLibraryW(path);
}

BOOL createProcess(wchar_t* commandLine, PROCESS_INFORMATION* info) {
    // The start-up fields are the same in both forms; the strings stay null.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWDEFAULT;
    if (!ansiSystem())
        return CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, info);
    static_assert(sizeof(STARTUPINFOA) == sizeof(STARTUPINFOW));
    return CreateProcessA(nullptr, AnsiText(commandLine), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, reinterpret_cast<STARTUPINFOA*>(&si), info);
}

void setWindowText(HWND window, const char* text) {
    const WideMessage wide(text);
    if (ansiSystem())
        SetWindowTextA(window, AnsiText(wide));
    else
        SetWindowTextW(window, wide);
}

}  // namespace gm::sfx::sys
