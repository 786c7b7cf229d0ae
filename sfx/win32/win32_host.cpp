// The Windows backend of the self-extractor; see win32_host.h.
#include "sfx/win32/win32_host.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "sfx/core/string_table.h"
#include "sfx/core/wininit.h"
#include "sfx/win32/system_calls.h"
#include "sfx/win32/wide_text.h"

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

// The Windows folder in out[0, capacity); its length, or 0.
size_t windowsFolder(char* out, size_t capacity) {
    wchar_t win[kWidePath];
    const UINT n = sys::windowsFolder(win, MAX_PATH);
    return n == 0 || n >= MAX_PATH || !narrow(win, out, capacity) ? 0 : std::strlen(out);
}

bool isFolder(const wchar_t* path) {
    const DWORD a = sys::fileAttributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
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
    char name[sizeof path_ + 8];
    copyString(name, sizeof name, path_);
    if (which != Which::Stub) {
        char* dot = std::strrchr(name, '.');
        char* slash = std::strrchr(name, '\\');
        if (dot == nullptr || (slash != nullptr && dot < slash)) dot = name + std::strlen(name);
        std::snprintf(dot, sizeof name - static_cast<size_t>(dot - name), "%s",
                      which == Which::DiskExe ? ".EXE" : ".ZIP");
    }
    // Read-only; others may read but not write.
    file_ = sys::openFile(WidePath(name), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    return file_ != INVALID_HANDLE_VALUE;
}

void Win32ArchiveSource::close() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

// The 64-bit offsets go through the high double word of the calls every
// Windows has.
bool Win32ArchiveSource::seek(uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    return file_ != INVALID_HANDLE_VALUE &&
           (SetFilePointer(file_, static_cast<LONG>(offset), &high, FILE_BEGIN) !=
                INVALID_SET_FILE_POINTER ||
            GetLastError() == NO_ERROR);
}

long Win32ArchiveSource::read(uint8_t* buffer, size_t size) {
    DWORD got = 0;
    if (file_ == INVALID_HANDLE_VALUE ||
        !ReadFile(file_, buffer, static_cast<DWORD>(size), &got, nullptr))
        return -1;
    return static_cast<long>(got);
}

uint64_t Win32ArchiveSource::size() {
    if (file_ == INVALID_HANDLE_VALUE) return 0;
    DWORD high = 0;
    const DWORD low = GetFileSize(file_, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (uint64_t{high} << 32) | low;
}

bool Win32ArchiveSource::readVolumeLabel(char* label, size_t capacity) {
    if (drive_[0] == '\0') return false;
    const wchar_t root[4] = {static_cast<wchar_t>(drive_[0]), L':', L'\\', L'\0'};
    wchar_t wide[MAX_PATH + 1];
    return sys::volumeLabel(root, wide, MAX_PATH + 1) && narrow(wide, label, capacity);
}

// ============================================================================
// The unpacking folder: names in the stub's code page, files through
// system_calls.h
// ============================================================================

void Win32UnpackFolder::bind(const char* root) {
    copyString(root_, sizeof root_, root);
    cursor_[0] = '\0';
}

bool Win32UnpackFolder::full(const char* rel, wchar_t* out, size_t capacity) const {
    char path[sizeof root_ + sizeof cursor_ + kPathBuffer + 8];
    const int n = rel[0] ? std::snprintf(path, sizeof path, "%s%s\\%s", root_, cursor_, rel)
                         : std::snprintf(path, sizeof path, "%s%s", root_, cursor_);
    if (n < 0 || static_cast<size_t>(n) >= sizeof path) return false;
    for (char* p = path; *p; ++p)
        if (*p == '/') *p = '\\';
    return widen(path, out, capacity);
}

PathKind Win32UnpackFolder::kind(const char* rel) {
    wchar_t path[kWidePath];
    if (!full(rel, path, kWidePath)) return PathKind::Missing;
    const DWORD a = sys::fileAttributes(path);
    if (a == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

bool Win32UnpackFolder::createFolder(const char* rel) {
    wchar_t path[kWidePath];
    return full(rel, path, kWidePath) && sys::createFolder(path);
}

bool Win32UnpackFolder::createFile(const char* rel) {
    wchar_t path[kWidePath];
    if (!full(rel, path, kWidePath)) return false;
    out_ = sys::openFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
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
    wchar_t pattern[kWidePath];
    if (!full(rel, pattern, kWidePath - 4)) return false;
    appendWide(pattern, kWidePath, L"\\*.*");
    WIN32_FIND_DATAW fd;
    HANDLE h = sys::findFirstFile(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const wchar_t* f = fd.cFileName;
        if (f[0] == L'.' && (f[1] == L'\0' || (f[1] == L'.' && f[2] == L'\0'))) continue;
        char name[kPathBuffer * 3];
        if (!narrow(fd.cAlternateFileName[0] ? fd.cAlternateFileName : fd.cFileName, name,
                    sizeof name)) {
            ok = false;
            continue;
        }
        const PathKind k = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                   !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                               ? PathKind::Folder
                               : PathKind::File;
        if (!out->add(name, k)) ok = false;
    } while (sys::findNextFile(h, &fd));
    FindClose(h);
    return ok;
}

bool Win32UnpackFolder::deleteFile(const char* rel) {
    wchar_t path[kWidePath];
    if (!full(rel, path, kWidePath)) return false;
    sys::setFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
    // A link to a folder is removed as a folder, never followed.
    if (sys::deleteFile(path)) return true;
    return sys::removeFolder(path) != 0;
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
    wchar_t path[kWidePath];
    return full(rel, path, kWidePath) && sys::removeFolder(path);
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
    wchar_t path[kWidePath];
    const DWORD n = sys::moduleFileName(path, kWidePath);
    if (n == 0 || n >= kWidePath) return false;
    WIN32_FIND_DATAW fd;
    HANDLE h = sys::findFirstFile(path, &fd);
    if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        wchar_t* slash = wcsrchr(path, L'\\');
        if (slash)
            copyWide(slash + 1, static_cast<size_t>(path + kWidePath - slash - 1), fd.cFileName);
    }
    return narrow(path, out, capacity);
}

bool Win32Host::systemTooOld() {
    // GetVersion: the high bit is set on the older family; low byte = major.
    const DWORD v = GetVersion();
    return (v & 0x80000000u) && LOBYTE(LOWORD(v)) < 4;
}

// The password dialog gives the system's ANSI code page.
size_t Win32Host::utf8Password(const char* password, size_t length, char* out, size_t capacity) {
    wchar_t wide[257];
    const int n = MultiByteToWideChar(CP_ACP, 0, password, static_cast<int>(length), wide, 256);
    wide[n > 0 ? n : 0] = L'\0';
    return n > 0 && narrow(wide, out, capacity) ? std::strlen(out) : 0;
}

void Win32Host::prepareShell(bool lookUpShellExecute) {
    // By its full path in the system folder, never by a name to search for.
    wchar_t path[MAX_PATH + 16];
    const UINT n = sys::systemFolder(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    copyWide(path + n, MAX_PATH + 16 - n, L"\\shell32.dll");
    shell_ = sys::loadLibrary(path);
    if (!lookUpShellExecute || shell_ == nullptr) return;
    shellExecuteEx_ =
        GetProcAddress(shell_, sys::ansiSystem() ? "ShellExecuteExA" : "ShellExecuteExW");
    if (shellExecuteEx_ == nullptr) {
        // The system's text for the last error, as an information box.
        char text[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(), 0, text, 512, nullptr);
        MessageBoxA(nullptr, text, kCaption, MB_OK | MB_ICONINFORMATION);
    }
}

// The Windows folder + string 27 ("\TEMP").
bool Win32Host::windowsTemp(char* out, size_t capacity) {
    const size_t used = windowsFolder(out, capacity);
    if (used == 0) return false;
    const int m = std::snprintf(out + used, capacity - used, "%s", sfxString(kStrTempSuffix));
    return m >= 0 && static_cast<size_t>(m) < capacity - used;
}

// "TMP", else "TEMP" (261 characters), else the Windows folder's TEMP,
// created (an existing one is fine).
bool Win32Host::temporaryBase(char* out, size_t capacity) {
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
        wchar_t value[261];
        const DWORD n = sys::environmentVariable(name, value, 261);
        if (n > 0 && n < 261) return narrow(value, out, capacity);
    }
    if (!windowsTemp(out, capacity)) return false;
    sys::createFolder(WidePath(out));
    return true;
}

// Free: cannot be opened for read/write, and can be created as an empty file.
bool Win32Host::claimPlaceholder(const char* path) {
    const WidePath wide(path);
    HANDLE h = sys::openFile(wide, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    h = sys::openFile(wide, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool Win32Host::removePlaceholder(const char* path) { return sys::deleteFile(WidePath(path)) != 0; }

// The fallback: the Windows folder's TEMP itself, whose files stay.
bool Win32Host::fallbackPlan(const char*, char* out, size_t capacity, bool* keepFiles) {
    *keepFiles = true;
    if (!windowsTemp(out, capacity)) return false;
    copyString(fallback_, sizeof fallback_, out);
    return true;
}

bool Win32Host::krtCandidate(const char*, unsigned i, char* out, size_t capacity) {
    const size_t used = windowsFolder(out, capacity);
    if (used == 0) return false;
    const int m = std::snprintf(out + used, capacity - used, "\\KRT%05u", i);
    return m >= 0 && static_cast<size_t>(m) < capacity - used;
}

bool Win32Host::createUnpackFolder(const char* path) {
    const WidePath wide(path);
    bool ok = sys::createFolder(wide) != 0;
    // The fallback folder exists already; it is used as it is.
    if (!ok && fallback_[0] && !std::strcmp(path, fallback_)) ok = isFolder(wide);
    if (ok) folder_.bind(path);
    return ok;
}

bool Win32Host::enterUnpackFolder() { return sys::setCurrentFolder(WidePath(folder_.root())) != 0; }

bool Win32Host::leaveUnpackFolder() {
    wchar_t parent[kWidePath];
    if (!widen(folder_.root(), parent, kWidePath - 4)) return false;
    appendWide(parent, kWidePath, L"\\..");
    return sys::setCurrentFolder(parent) != 0;
}

bool Win32Host::mayDeleteFolder(const char*) { return true; }

// Deletion at the next system start: MoveFileEx with delay-until-reboot,
// else a "NUL=<path>" line in the [Rename] section of WinInit.Ini. That
// file is read in the ANSI code page, so the line names the file by its
// short (8.3) path, which is plain ASCII on every system.
bool Win32Host::deleteAtNextStart(const char* fullPath) {
    const WidePath wide(fullPath);
    if (moveFileEx(wide, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
    char path[kWidePath * 2];
    const DWORD s = sys::shortAnsiPath(wide, path, sizeof path);
    if (s == 0 || s >= sizeof path) return false;
    wchar_t ini[kWidePath];
    const UINT n = sys::windowsFolder(ini, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    appendWide(ini, kWidePath, L"\\WinInit.Ini");
    HANDLE h = sys::openFile(ini, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return false;  // silent
    bool ok = false;
    const DWORD size = GetFileSize(h, nullptr);
    const size_t room = size + std::strlen(path) + 32;
    auto* text = static_cast<char*>(std::malloc(size + 1));
    auto* edited = static_cast<char*>(std::malloc(room));
    DWORD got = 0;
    if (text && edited && size != INVALID_FILE_SIZE && ReadFile(h, text, size, &got, nullptr) &&
        got == size) {
        const long len = winInitAddDeletion(text, size, path, edited, room);
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
    const char root[4] = {drive[0], ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

// Launch: through the shell with the verb "Install", or as a new
// process with the command as its command line.
bool Win32Host::startCommand(const char* command, bool shellInstall) {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
    WideText<1100> line(command);
    if (shellInstall && shellExecuteEx_ != nullptr) {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"Install";
        info.lpFile = line;
        info.nShow = SW_SHOWNORMAL;
        auto run = reinterpret_cast<BOOL(WINAPI*)(SHELLEXECUTEINFOW*)>(
            reinterpret_cast<void*>(shellExecuteEx_));
        // ShellExecuteExA takes the same fields with ANSI strings.
        sys::AnsiText ansiFile(line);
        if (sys::ansiSystem()) {
            info.lpVerb = reinterpret_cast<LPCWSTR>("Install");
            info.lpFile = reinterpret_cast<LPCWSTR>(ansiFile.text_);
        }
        if (!run(&info) || reinterpret_cast<INT_PTR>(info.hInstApp) <= 31) return false;
        process_ = info.hProcess;
        return true;
    }
    PROCESS_INFORMATION pi{};
    if (!sys::createProcess(line.text_, &pi)) return false;
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
    wchar_t file[kWidePath];
    char exe[32];
    std::snprintf(exe, sizeof exe, "%s.exe", name);
    if (!sys::searchPath(WideText<32>(exe), file, kWidePath)) return false;
    HANDLE h = sys::openFile(file, GENERIC_READ, 0, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return false;
}

}  // namespace gm::sfx
