// The Windows backend of the self-extractor; see win32_host.h.
#include "sfx/win32/win32_host.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "sfx/core/string_table.h"
#include "sfx/core/wininit.h"

namespace gm::sfx {
namespace {

bool copyString(char* out, size_t capacity, const char* s) {
    const int n = std::snprintf(out, capacity, "%s", s);
    return n >= 0 && static_cast<size_t>(n) < capacity;
}

// The DOS date and time of an entry, taken as local time.
bool dosToFileTime(const DosTime& t, FILETIME* out) {
    FILETIME local;
    return DosDateTimeToFileTime(t.date, t.time, &local) && LocalFileTimeToFileTime(&local, out);
}

}  // namespace

// ============================================================================
// The archive source
// ============================================================================

Win32ArchiveSource::Win32ArchiveSource(const char* stubPath) {
    copyString(path_, sizeof path_, stubPath);
    if (path_[0] != '\0' && path_[1] == ':') {
        drive_[0] = path_[0];
        drive_[1] = ':';
    }
}

Win32ArchiveSource::~Win32ArchiveSource() { close(); }

bool Win32ArchiveSource::open(Which which) {
    close();
    char name[MAX_PATH + 8];
    copyString(name, sizeof name, path_);
    if (which != Which::Stub) {
        char* dot = std::strrchr(name, '.');
        char* slash = std::strrchr(name, '\\');
        if (dot == nullptr || (slash != nullptr && dot < slash)) dot = name + std::strlen(name);
        std::snprintf(dot, sizeof name - static_cast<size_t>(dot - name), "%s",
                      which == Which::DiskExe ? ".EXE" : ".ZIP");
    }
    // Read-only; others may read but not write.
    file_ = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    return file_ != INVALID_HANDLE_VALUE;
}

void Win32ArchiveSource::close() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

bool Win32ArchiveSource::seek(uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return file_ != INVALID_HANDLE_VALUE && SetFilePointerEx(file_, to, nullptr, FILE_BEGIN);
}

long Win32ArchiveSource::read(uint8_t* buffer, size_t size) {
    DWORD got = 0;
    if (file_ == INVALID_HANDLE_VALUE ||
        !ReadFile(file_, buffer, static_cast<DWORD>(size), &got, nullptr))
        return -1;
    return static_cast<long>(got);
}

uint64_t Win32ArchiveSource::size() {
    LARGE_INTEGER s;
    return file_ != INVALID_HANDLE_VALUE && GetFileSizeEx(file_, &s)
               ? static_cast<uint64_t>(s.QuadPart)
               : 0;
}

bool Win32ArchiveSource::readVolumeLabel(char* label, size_t capacity) {
    char root[4] = {drive_[0], ':', '\\', '\0'};
    if (drive_[0] == '\0') return false;
    return GetVolumeInformationA(root, label, static_cast<DWORD>(capacity), nullptr, nullptr,
                                 nullptr, nullptr, 0) != 0;
}

// ============================================================================
// The unpacking folder
// ============================================================================

void Win32UnpackFolder::bind(const char* root) {
    copyString(root_, sizeof root_, root);
    cursor_[0] = '\0';
}

bool Win32UnpackFolder::full(const char* rel, char* out, size_t capacity) const {
    const int n = rel[0] ? std::snprintf(out, capacity, "%s%s\\%s", root_, cursor_, rel)
                         : std::snprintf(out, capacity, "%s%s", root_, cursor_);
    if (n < 0 || static_cast<size_t>(n) >= capacity) return false;
    for (char* p = out; *p; ++p)
        if (*p == '/') *p = '\\';
    return true;
}

PathKind Win32UnpackFolder::kind(const char* rel) {
    char path[MAX_PATH + 8];
    if (!full(rel, path, sizeof path)) return PathKind::Missing;
    const DWORD a = GetFileAttributesA(path);
    if (a == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

bool Win32UnpackFolder::createFolder(const char* rel) {
    char path[MAX_PATH + 8];
    return full(rel, path, sizeof path) && CreateDirectoryA(path, nullptr);
}

bool Win32UnpackFolder::createFile(const char* rel) {
    char path[MAX_PATH + 8];
    if (!full(rel, path, sizeof path)) return false;
    out_ =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return out_ != INVALID_HANDLE_VALUE;
}

bool Win32UnpackFolder::writeFile(const uint8_t* data, size_t size) {
    DWORD written = 0;
    return WriteFile(out_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

// Creation, access and write time from the header.
void Win32UnpackFolder::closeFile(const DosTime* time, uint32_t) {
    if (out_ == INVALID_HANDLE_VALUE) return;
    FILETIME ft;
    if (time != nullptr && dosToFileTime(*time, &ft)) SetFileTime(out_, &ft, &ft, &ft);
    CloseHandle(out_);
    out_ = INVALID_HANDLE_VALUE;
}

// The clean-up lists with "*.*" and uses the short name where there is one.
bool Win32UnpackFolder::listFolder(const char* rel, NameList* out) {
    char pattern[MAX_PATH + 8];
    if (!full(rel, pattern, sizeof pattern)) return false;
    if (std::strlen(pattern) + 5 > sizeof pattern) return false;
    std::strcat(pattern, "\\*.*");
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, "..")) continue;
        const char* name = fd.cAlternateFileName[0] ? fd.cAlternateFileName : fd.cFileName;
        const PathKind k = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                   !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                               ? PathKind::Folder
                               : PathKind::File;
        if (!out->add(name, k)) ok = false;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return ok;
}

bool Win32UnpackFolder::deleteFile(const char* rel) {
    char path[MAX_PATH + 8];
    if (!full(rel, path, sizeof path)) return false;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    // A link to a folder is removed as a folder, never followed.
    if (DeleteFileA(path)) return true;
    return RemoveDirectoryA(path) != 0;
}

// Windows paths are bounded (MAX_PATH): the clean-up's folder is kept as
// a path below the root.
bool Win32UnpackFolder::enterFolder(const char* name) {
    const size_t n = std::strlen(cursor_);
    const int added = std::snprintf(cursor_ + n, sizeof cursor_ - n, "\\%s", name);
    if (added < 0 || static_cast<size_t>(added) >= sizeof cursor_ - n) {
        cursor_[n] = '\0';
        return false;
    }
    return true;
}

void Win32UnpackFolder::leaveFolder() {
    if (char* last = std::strrchr(cursor_, '\\')) *last = '\0';
}

bool Win32UnpackFolder::removeFolder(const char* rel) {
    char path[MAX_PATH + 8];
    return full(rel, path, sizeof path) && RemoveDirectoryA(path);
}

// ============================================================================
// The host
// ============================================================================

Win32Host::Win32Host() {
    // No system boxes for critical errors.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

Win32Host::~Win32Host() {
    if (process_) CloseHandle(process_);
    if (shell_) FreeLibrary(shell_);
}

// The stub's path, its last part replaced by the long name a directory
// search returns.
bool Win32Host::stubPath(char* out, size_t capacity) {
    const DWORD n = GetModuleFileNameA(nullptr, out, static_cast<DWORD>(capacity));
    if (n == 0 || n >= capacity) return false;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(out, &fd);
    if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        char* slash = std::strrchr(out, '\\');
        if (slash && static_cast<size_t>(slash + 1 - out) + std::strlen(fd.cFileName) < capacity)
            std::strcpy(slash + 1, fd.cFileName);
    }
    return true;
}

bool Win32Host::systemTooOld() {
    // GetVersion: the high bit is set on the older family; low byte = major.
    const DWORD v = GetVersion();
    return (v & 0x80000000u) && LOBYTE(LOWORD(v)) < 4;
}

void Win32Host::prepareShell(bool lookUpShellExecute) {
    shell_ = LoadLibraryA("Shell32.dll");
    if (!lookUpShellExecute || shell_ == nullptr) return;
    shellExecuteEx_ = GetProcAddress(shell_, "ShellExecuteExA");
    if (shellExecuteEx_ == nullptr) {
        // The system's text for the last error, as an information box.
        char text[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(), 0, text, sizeof text,
                       nullptr);
        MessageBoxA(nullptr, text, "Carvello Self-Extractor", MB_OK | MB_ICONINFORMATION);
    }
}

// The Windows folder + string 27 ("\TEMP").
bool Win32Host::windowsTemp(char* out, size_t capacity) {
    char win[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(win, sizeof win);
    if (n == 0 || n >= sizeof win) return false;
    const int m = std::snprintf(out, capacity, "%s%s", win, sfxString(kStrTempSuffix));
    return m >= 0 && static_cast<size_t>(m) < capacity;
}

// "TMP", else "TEMP" (261-byte buffers), else the Windows folder's TEMP,
// created (an existing one is fine).
bool Win32Host::temporaryBase(char* out, size_t capacity) {
    for (const char* name : {"TMP", "TEMP"}) {
        char value[261];
        const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
        if (n > 0 && n < sizeof value) return copyString(out, capacity, value);
    }
    if (!windowsTemp(out, capacity)) return false;
    CreateDirectoryA(out, nullptr);
    return true;
}

// Free: cannot be opened for read/write, and can be created as an empty file.
bool Win32Host::claimPlaceholder(const char* path) {
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool Win32Host::removePlaceholder(const char* path) { return DeleteFileA(path) != 0; }

// The Part's fallback: the Windows folder's TEMP itself, whose files stay.
bool Win32Host::fallbackPlan(const char*, char* out, size_t capacity, bool* keepFiles) {
    *keepFiles = true;
    if (!windowsTemp(out, capacity)) return false;
    copyString(fallback_, sizeof fallback_, out);
    return true;
}

bool Win32Host::krtCandidate(const char*, unsigned i, char* out, size_t capacity) {
    char win[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(win, sizeof win);
    if (n == 0 || n >= sizeof win) return false;
    const int m = std::snprintf(out, capacity, "%s\\KRT%05u", win, i);
    return m >= 0 && static_cast<size_t>(m) < capacity;
}

bool Win32Host::createUnpackFolder(const char* path) {
    bool ok = CreateDirectoryA(path, nullptr) != 0;
    // The fallback folder exists already; it is used as it is.
    if (!ok && fallback_[0] && !std::strcmp(path, fallback_)) {
        const DWORD a = GetFileAttributesA(path);
        ok = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (ok) folder_.bind(path);
    return ok;
}

bool Win32Host::enterUnpackFolder() { return SetCurrentDirectoryA(folder_.root()) != 0; }

bool Win32Host::leaveUnpackFolder() {
    char parent[MAX_PATH + 8];
    if (std::snprintf(parent, sizeof parent, "%s\\..", folder_.root()) >=
        static_cast<int>(sizeof parent))
        return false;
    return SetCurrentDirectoryA(parent) != 0;
}

bool Win32Host::mayDeleteFolder(const char*) { return true; }

// Deletion at the next system start: MoveFileEx with delay-until-reboot,
// else a "NUL=<path>" line in the [Rename] section of WinInit.Ini.
bool Win32Host::deleteAtNextStart(const char* fullPath) {
    if (MoveFileExA(fullPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
    char ini[MAX_PATH + 16];
    const UINT n = GetWindowsDirectoryA(ini, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::strcat(ini, "\\WinInit.Ini");
    HANDLE h = CreateFileA(ini, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;  // silent
    bool ok = false;
    const DWORD size = GetFileSize(h, nullptr);
    const size_t room = size + std::strlen(fullPath) + 32;
    auto* text = static_cast<char*>(std::malloc(size + 1));
    auto* edited = static_cast<char*>(std::malloc(room));
    DWORD got = 0;
    if (text && edited && size != INVALID_FILE_SIZE && ReadFile(h, text, size, &got, nullptr) &&
        got == size) {
        const long len = winInitAddDeletion(text, size, fullPath, edited, room);
        DWORD written = 0;
        ok = len >= 0 && SetFilePointer(h, 0, nullptr, FILE_BEGIN) == 0 &&
             WriteFile(h, edited, static_cast<DWORD>(len), &written, nullptr) &&
             written == static_cast<DWORD>(len) && SetEndOfFile(h);
    }
    std::free(text);
    std::free(edited);
    CloseHandle(h);
    return ok;
}

bool Win32Host::driveUsable(const char* drive) {
    char root[4] = {drive[0], ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

// Launch: through the shell with the verb "Install", or as a new
// process with the command as its command line.
bool Win32Host::startCommand(const char* command, bool shellInstall) {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
    if (shellInstall && shellExecuteEx_ != nullptr) {
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "Install";
        info.lpFile = command;
        info.nShow = SW_SHOWNORMAL;
        auto run = reinterpret_cast<BOOL(WINAPI*)(SHELLEXECUTEINFOA*)>(
            reinterpret_cast<void*>(shellExecuteEx_));
        if (!run(&info) || reinterpret_cast<INT_PTR>(info.hInstApp) <= 31) return false;
        process_ = info.hProcess;
        return true;
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION pi{};
    char line[1024];
    if (!copyString(line, sizeof line, command)) return false;
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return true;
}

bool Win32Host::commandRunning() {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

int Win32Host::commandStatus() {
    DWORD code;
    if (process_ == nullptr || !GetExitCodeProcess(process_, &code) || code == STILL_ACTIVE)
        return -1;
    return static_cast<int>(code);
}

// At the system's shut-down the system ends the command itself; only the
// forced stop acts.
void Win32Host::stopCommand(bool force) {
    if (force && process_ != nullptr) TerminateProcess(process_, 1);
}

// flags1 0x04: the program's file, looked up like a program, cannot be
// opened for exclusive access while it runs.
bool Win32Host::programRunning(const char* name) {
    char file[MAX_PATH];
    char exe[32];
    std::snprintf(exe, sizeof exe, "%s.exe", name);
    if (!SearchPathA(nullptr, exe, nullptr, sizeof file, file, nullptr)) return false;
    HANDLE h =
        CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return false;
}

}  // namespace gm::sfx
