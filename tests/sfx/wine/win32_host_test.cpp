// sfx_win32_host_test.exe: deletion at the next system start through the
// Windows backend, under Wine. Wine's MoveFileEx never refuses, so the
// WinInit.Ini branch is reached through the backend's seam with a move-file
// that refuses, as the older Windows family does; "wineboot -r" then plays
// the restart and must delete every scheduled file.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "sfx/win32/win32_host.h"

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (ok) return;
    ++failures;
    std::printf("FAIL: %s\n", what);
}

BOOL WINAPI refuse(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

std::wstring windowsFile(const wchar_t* name) {
    wchar_t win[MAX_PATH];
    GetWindowsDirectoryW(win, MAX_PATH);
    return std::wstring(win) + L"\\" + name;
}

std::string readFile(const std::wstring& path) {
    std::string text;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(h);
    return text;
}

void writeFile(const std::wstring& path, const std::string& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

// A file to schedule, and its short path as WinInit.Ini names it.
std::string makeVictim(const std::wstring& folder, const wchar_t* name, std::wstring* wide) {
    *wide = folder + L"\\" + name;
    writeFile(*wide, "x");
    wchar_t shortPath[MAX_PATH];
    GetShortPathNameW(wide->c_str(), shortPath, MAX_PATH);
    char narrow[MAX_PATH * 3];
    WideCharToMultiByte(CP_ACP, 0, shortPath, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

bool runWineboot() {
    wchar_t line[] = L"wineboot.exe -r";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    const bool done = WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return done;
}

}  // namespace

int main() {
    using gm::sfx::Win32Host;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"sfx host test " +
                                std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    // Names with blanks and beyond 8.3 (WinInit.Ini gets their short form)
    // and one outside code page 1252.
    std::wstring first, second, third;
    const std::string firstShort = makeVictim(folder, L"first file.txt", &first);
    const std::string secondShort = makeVictim(folder, L"zweite \u0394atei.txt", &second);
    makeVictim(folder, L"third.txt", &third);
    char third8[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, third.c_str(), -1, third8, sizeof third8, nullptr, nullptr);

    const std::wstring ini = windowsFile(L"WinInit.Ini");
    DeleteFileW(ini.c_str());
    // Without a [Rename] section (and a last line without its line end):
    // the section is appended, then the line.
    writeFile(ini, "[boot]\r\nshell=x");
    Win32Host refusing;
    refusing.moveFileEx = refuse;
    char first8[MAX_PATH * 3], second8[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, first.c_str(), -1, first8, sizeof first8, nullptr, nullptr);
    WideCharToMultiByte(CP_UTF8, 0, second.c_str(), -1, second8, sizeof second8, nullptr, nullptr);
    check(refusing.deleteAtNextStart(first8), "WinInit.Ini written (no section)");
    check(readFile(ini) == "[boot]\r\nshell=x\r\n[Rename]\r\nNUL=" + firstShort + "\r\n",
          "section appended after the last line");
    // With the section: the line goes right after its header.
    check(refusing.deleteAtNextStart(second8), "WinInit.Ini written (section present)");
    check(readFile(ini) == "[boot]\r\nshell=x\r\n[Rename]\r\nNUL=" + secondShort + "\r\nNUL=" +
                               firstShort + "\r\n",
          "line inserted after the [Rename] header");
    // Where the system agrees, WinInit.Ini stays as it is.
    Win32Host normal;
    const std::string before = readFile(ini);
    check(normal.deleteAtNextStart(third8), "MoveFileEx schedules the third file");
    check(readFile(ini) == before, "WinInit.Ini untouched when MoveFileEx agrees");

    check(runWineboot(), "wineboot -r ran");
    check(GetFileAttributesW(first.c_str()) == INVALID_FILE_ATTRIBUTES,
          "first file deleted at the restart (WinInit.Ini)");
    check(GetFileAttributesW(second.c_str()) == INVALID_FILE_ATTRIBUTES,
          "second file deleted at the restart (WinInit.Ini)");
    check(GetFileAttributesW(third.c_str()) == INVALID_FILE_ATTRIBUTES,
          "third file deleted at the restart (MoveFileEx)");
    RemoveDirectoryW(folder.c_str());
    std::printf(failures ? "FAILED\n" : "Win32 host test passed\n");
    return failures ? 1 : 0;
}
