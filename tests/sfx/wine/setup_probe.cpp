// sfx_setup_probe.exe: the setup program of the test packages. It writes
// to the results file (a Windows path) the folder it runs in, the names it
// finds there (UTF-8) and its marker, then, by its mode:
//
//   sfx_setup_probe RESULTS                      ends at once
//   sfx_setup_probe RESULTS wait RELEASE         runs until the file RELEASE exists
//   sfx_setup_probe RESULTS hold NAME RELEASE    starts a child that keeps the file
//                                                NAME of the folder open (no sharing)
//                                                until RELEASE exists, and ends
//                                                as soon as the child holds it
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr DWORD kMaxWaitMs = 300000;

void waitForFile(const wchar_t* path) {
    const DWORD start = GetTickCount();
    while (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < kMaxWaitMs)
        Sleep(50);
}

void writeUtf8(FILE* f, const wchar_t* text) {
    char buffer[2048];
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr))
        std::fputs(buffer, f);
}

void record(const wchar_t* results) {
    FILE* f = _wfopen(results, L"wb");
    if (!f) return;
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::fputs("cwd=", f);
    writeUtf8(f, cwd);
    std::fputs("\n", f);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(L"*", &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (fd.cFileName[0] == L'.') continue;
            std::fputs("file=", f);
            writeUtf8(f, fd.cFileName);
            std::fputs("\n", f);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    std::fputs("marker=setup-probe-ran\n", f);
    std::fclose(f);
}

// The child of "hold": open NAME without sharing, say so, wait.
int hold(const wchar_t* name, const wchar_t* release) {
    HANDLE file = CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    wchar_t held[MAX_PATH + 8];
    std::swprintf(held, MAX_PATH + 8, L"%ls.held", release);
    CloseHandle(CreateFileW(held, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    waitForFile(release);
    CloseHandle(file);
    return 0;
}

int startHolder(const wchar_t* name, const wchar_t* release) {
    wchar_t self[MAX_PATH], line[3 * MAX_PATH + 32], full[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetFullPathNameW(name, MAX_PATH, full, nullptr);
    std::swprintf(line, sizeof line / sizeof *line, L"\"%ls\" - holder \"%ls\" \"%ls\"", self, full,
                  release);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // The holder must not keep the folder as its current one: it starts in
    // the folder above.
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, L"..", &si, &pi))
        return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    wchar_t held[MAX_PATH + 8];
    std::swprintf(held, MAX_PATH + 8, L"%ls.held", release);
    waitForFile(held);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 5 && !lstrcmpW(argv[2], L"holder")) return hold(argv[3], argv[4]);
    if (argc < 2) return 2;
    record(argv[1]);
    if (argc >= 4 && !lstrcmpW(argv[2], L"wait")) waitForFile(argv[3]);
    if (argc >= 5 && !lstrcmpW(argv[2], L"hold")) return startHolder(argv[3], argv[4]);
    return 0;
}
