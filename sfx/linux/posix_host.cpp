// The POSIX backend of the self-extractor; see posix_host.h.
#include "sfx/linux/posix_host.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace gm::sfx {
namespace {

constexpr int kOpenFlags = O_CLOEXEC | O_NOFOLLOW;

bool copyString(char* out, size_t capacity, const char* s) {
    const int n = std::snprintf(out, capacity, "%s", s);
    return n >= 0 && static_cast<size_t>(n) < capacity;
}

// Folder part of a path ("/a/b" -> "/a", "b" -> ".").
void parentOf(const char* path, char* out, size_t capacity) {
    copyString(out, capacity, path);
    char* slash = std::strrchr(out, '/');
    if (slash == nullptr)
        copyString(out, capacity, ".");
    else if (slash == out)
        out[1] = '\0';
    else
        *slash = '\0';
}

// DOS date and time, taken as local time.
time_t dosToTime(const DosTime& t) {
    struct tm tm {};
    tm.tm_year = ((t.date >> 9) & 0x7F) + 80;
    tm.tm_mon = ((t.date >> 5) & 0x0F) - 1;
    tm.tm_mday = t.date & 0x1F;
    tm.tm_hour = (t.time >> 11) & 0x1F;
    tm.tm_min = (t.time >> 5) & 0x3F;
    tm.tm_sec = (t.time & 0x1F) * 2;
    tm.tm_isdst = -1;
    return mktime(&tm);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

// ============================================================================
// The archive source
// ============================================================================

PosixArchiveSource::PosixArchiveSource(const char* stubPath) {
    copyString(path_, sizeof path_, stubPath);
    parentOf(path_, drive_, sizeof drive_);
}

PosixArchiveSource::~PosixArchiveSource() { close(); }

bool PosixArchiveSource::open(Which which) {
    close();
    if (which == Which::Stub) {
        fd_ = ::open(path_, O_RDONLY | O_CLOEXEC);
        return fd_ >= 0;
    }
    // The stub's name with ".EXE" or ".ZIP" on the same drive; the disks of
    // a DOS set may show their names in lower case.
    char name[4096];
    copyString(name, sizeof name, path_);
    char* slash = std::strrchr(name, '/');
    char* dot = std::strrchr(name, '.');
    if (dot == nullptr || (slash != nullptr && dot < slash)) dot = name + std::strlen(name);
    const char* ext = which == Which::DiskExe ? ".EXE" : ".ZIP";
    const char* lower = which == Which::DiskExe ? ".exe" : ".zip";
    for (const char* e : {ext, lower}) {
        std::snprintf(dot, sizeof name - static_cast<size_t>(dot - name), "%s", e);
        fd_ = ::open(name, O_RDONLY | O_CLOEXEC);
        if (fd_ >= 0) return true;
    }
    return false;
}

void PosixArchiveSource::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool PosixArchiveSource::seek(uint64_t offset) {
    return fd_ >= 0 &&
           lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

long PosixArchiveSource::read(uint8_t* buffer, size_t size) {
    if (fd_ < 0) return -1;
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd_, buffer + got, size - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<long>(got);
}

uint64_t PosixArchiveSource::size() {
    struct stat st;
    return fd_ >= 0 && fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

// The label of the file system that holds the stub: udev lists labels in
// /dev/disk/by-label, with blanks written as "\x20".
bool PosixArchiveSource::readVolumeLabel(char* label, size_t capacity) {
    struct stat file;
    if (stat(drive_, &file) != 0) return false;
    DIR* dir = opendir("/dev/disk/by-label");
    if (dir == nullptr) return false;
    bool found = false;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        char link[512];
        std::snprintf(link, sizeof link, "/dev/disk/by-label/%s", e->d_name);
        struct stat dev;
        if (stat(link, &dev) != 0 || !S_ISBLK(dev.st_mode) || dev.st_rdev != file.st_dev) continue;
        size_t w = 0;
        for (const char* p = e->d_name; *p && w + 1 < capacity;) {
            unsigned v;
            if (p[0] == '\\' && p[1] == 'x' && std::sscanf(p + 2, "%2x", &v) == 1) {
                label[w++] = static_cast<char>(v);
                p += 4;
            } else {
                label[w++] = *p++;
            }
        }
        label[w] = '\0';
        found = true;
        break;
    }
    closedir(dir);
    return found;
}

// ============================================================================
// The unpacking folder
// ============================================================================

PosixUnpackFolder::~PosixUnpackFolder() {
    forgetParent();
    if (cursor_ >= 0) ::close(cursor_);
    if (out_ >= 0) ::close(out_);
    if (root_ >= 0) ::close(root_);
}

void PosixUnpackFolder::bind(int dirFd, const char* path) {
    forgetParent();
    if (cursor_ >= 0) ::close(cursor_);
    cursor_ = -1;
    cursorDepth_ = 0;
    if (root_ >= 0) ::close(root_);
    root_ = dirFd;
    copyString(path_, sizeof path_, path);
}

// The descriptor of the folder that holds rel's last component. The last
// one opened is kept: an archive lists a folder's files together, so most
// calls find it there and cost no system call at all.
int PosixUnpackFolder::openParent(const char* rel, const char** leaf) {
    if (root_ < 0) return -1;
    const int base = cursor_ >= 0 ? cursor_ : root_;
    const char* slash = std::strrchr(rel, '/');
    const size_t folderLength = slash ? static_cast<size_t>(slash - rel) : 0;
    *leaf = slash ? slash + 1 : rel;
    if (folderLength == 0) return base;
    if (parentFd_ >= 0 && folderLength == std::strlen(parentRel_) &&
        std::memcmp(rel, parentRel_, folderLength) == 0)
        return parentFd_;
    if (folderLength >= sizeof parentRel_) return -1;
    int fd = base;
    const char* p = rel;
    while (p < rel + folderLength) {
        const char* end = static_cast<const char*>(
            std::memchr(p, '/', static_cast<size_t>(rel + folderLength - p)));
        if (end == nullptr) end = rel + folderLength;
        char comp[256];
        const size_t n = static_cast<size_t>(end - p);
        int next = -1;
        if (n > 0 && n < sizeof comp) {
            std::memcpy(comp, p, n);
            comp[n] = '\0';
            next = openat(fd, comp, O_RDONLY | O_DIRECTORY | kOpenFlags);
        }
        if (fd != base) ::close(fd);
        if (next < 0) return -1;
        fd = next;
        p = end + 1;
    }
    forgetParent();
    parentFd_ = fd;
    std::memcpy(parentRel_, rel, folderLength);
    parentRel_[folderLength] = '\0';
    return fd;
}

void PosixUnpackFolder::forgetParent() {
    if (parentFd_ >= 0) ::close(parentFd_);
    parentFd_ = -1;
    parentRel_[0] = '\0';
}

PathKind PosixUnpackFolder::kind(const char* rel) {
    if (rel[0] == '\0') return root_ >= 0 ? PathKind::Folder : PathKind::Missing;
    const char* leaf;
    const int dir = openParent(rel, &leaf);
    if (dir < 0) return PathKind::Missing;
    struct stat st;
    const int r = fstatat(dir, leaf, &st, AT_SYMLINK_NOFOLLOW);
    if (r != 0) return PathKind::Missing;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return PathKind::Other;
}

bool PosixUnpackFolder::createFolder(const char* rel) {
    const char* leaf;
    const int dir = openParent(rel, &leaf);
    if (dir < 0) return false;
    return mkdirat(dir, leaf, 0777) == 0;
}

bool PosixUnpackFolder::createFile(const char* rel) {
    if (out_ >= 0) ::close(out_);
    out_ = -1;
    const char* leaf;
    const int dir = openParent(rel, &leaf);
    if (dir < 0) return false;
    out_ = openat(dir, leaf, O_WRONLY | O_CREAT | O_TRUNC | kOpenFlags, 0666);
    return out_ >= 0;
}

bool PosixUnpackFolder::writeFile(const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(out_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void PosixUnpackFolder::closeFile(const DosTime* time, uint32_t unixMode) {
    if (out_ < 0) return;
    if (time != nullptr) {
        const time_t t = dosToTime(*time);
        struct timespec times[2] = {{t, 0}, {t, 0}};
        futimens(out_, times);
    }
    if (unixMode != 0) {
        // Permission bits only, as the user's umask allows.
        if (umask_ < 0) {
            umask_ = static_cast<int>(umask(0));
            umask(static_cast<mode_t>(umask_));
        }
        fchmod(out_, static_cast<mode_t>(unixMode & 0777 & ~static_cast<mode_t>(umask_)));
    }
    ::close(out_);
    out_ = -1;
}

bool PosixUnpackFolder::listFolder(const char* rel, NameList* out) {
    int fd;
    if (rel[0] == '\0') {
        fd = dup(cursor_ >= 0 ? cursor_ : root_);
    } else {
        const char* leaf;
        const int dir = openParent(rel, &leaf);
        if (dir < 0) return false;
        fd = openat(dir, leaf, O_RDONLY | O_DIRECTORY | kOpenFlags);
    }
    if (fd < 0) return false;
    // "Normal attributes": a folder the setup made read-only is made
    // writable again so that its entries can go.
    fchmod(fd, 0700);
    lseek(fd, 0, SEEK_SET);
    DIR* d = fdopendir(fd);
    if (d == nullptr) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    while (dirent* e = readdir(d)) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
        struct stat st;
        PathKind k = PathKind::File;
        if (fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            k = PathKind::Folder;
        if (!out->add(e->d_name, k)) ok = false;
    }
    closedir(d);
    return ok;
}

bool PosixUnpackFolder::enterFolder(const char* name) {
    const char* leaf;
    const int dir = openParent(name, &leaf);
    const int fd = dir >= 0 ? openat(dir, leaf, O_RDONLY | O_DIRECTORY | kOpenFlags) : -1;
    if (fd < 0) return false;
    forgetParent();
    if (cursor_ >= 0) ::close(cursor_);
    cursor_ = fd;
    ++cursorDepth_;
    return true;
}

// Back through ".." of the open folder: the walk never holds more than one
// folder open, however deep the tree.
void PosixUnpackFolder::leaveFolder() {
    if (cursorDepth_ == 0) return;
    forgetParent();
    const int up =
        --cursorDepth_ > 0 ? openat(cursor_, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    ::close(cursor_);
    cursor_ = up;
    if (up < 0) cursorDepth_ = 0;  // lost: the root again, and later removals fail safely
}

bool PosixUnpackFolder::createLink(const char* rel, const char* target) {
    const char* leaf;
    const int dir = openParent(rel, &leaf);
    return dir >= 0 && symlinkat(target, dir, leaf) == 0;
}

bool PosixUnpackFolder::deleteFile(const char* rel) {
    const char* leaf;
    const int dir = openParent(rel, &leaf);
    if (dir < 0) return false;
    return unlinkat(dir, leaf, 0) == 0 || errno == ENOENT;
}

bool PosixUnpackFolder::removeFolder(const char* rel) {
    if (rel[0] == '\0') {
        // The unpacking folder itself, by its path: remove it only while the
        // path still names the folder that was created.
        struct stat a, b;
        forgetParent();
        if (root_ < 0 || fstat(root_, &a) != 0 || lstat(path_, &b) != 0 || !sameFile(a, b))
            return false;
        return rmdir(path_) == 0;
    }
    // The folder may be the one kept open as a parent.
    forgetParent();
    const char* leaf;
    const int dir = openParent(rel, &leaf);
    if (dir < 0) return false;
    return unlinkat(dir, leaf, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

// ============================================================================
// The host
// ============================================================================

PosixHost::PosixHost() = default;

PosixHost::~PosixHost() = default;

uint64_t PosixHost::nowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

bool PosixHost::stubPath(char* out, size_t capacity) {
    const ssize_t n = readlink("/proc/self/exe", out, capacity - 1);
    if (n <= 0) return false;
    out[n] = '\0';
    return true;
}

// "TMP", "TEMP", then TMPDIR, then /tmp.
bool PosixHost::temporaryBase(char* out, size_t capacity) {
    for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
        const char* v = std::getenv(name);
        if (v != nullptr && v[0] != '\0' && std::strlen(v) < 261) {
            copyString(base_, sizeof base_, v);
            return copyString(out, capacity, v);
        }
    }
    copyString(base_, sizeof base_, "/tmp");
    return copyString(out, capacity, "/tmp");
}

bool PosixHost::claimPlaceholder(const char* path) {
    const int fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | kOpenFlags, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool PosixHost::removePlaceholder(const char* path) { return unlink(path) == 0; }

// The Windows folder's TEMP fallback becomes a private "TEMP" folder in
// the user's temporary folder; it is created fresh, so it is deleted again.
bool PosixHost::fallbackPlan(const char* base, char* out, size_t capacity, bool* keepFiles) {
    *keepFiles = false;
    const int n = std::snprintf(out, capacity, "%s/TEMP", base);
    return n >= 0 && static_cast<size_t>(n) < capacity;
}

bool PosixHost::krtCandidate(const char* base, unsigned i, char* out, size_t capacity) {
    const int n = std::snprintf(out, capacity, "%s/KRT%05u", base, i);
    return n >= 0 && static_cast<size_t>(n) < capacity;
}

bool PosixHost::createUnpackFolder(const char* path) {
    const bool made = mkdir(path, 0700) == 0;
    if (!made && !(allowExisting_ && errno == EEXIST)) return false;
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | kOpenFlags);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    if (made) fchmod(fd, 0700);  // also against a umask that removes the owner's rights
    folder_.bind(fd, path);
    copyString(folderPath_, sizeof folderPath_, path);
    return true;
}

bool PosixHost::enterUnpackFolder() { return folder_.fd() >= 0 && fchdir(folder_.fd()) == 0; }

bool PosixHost::leaveUnpackFolder() {
    char parent[4096];
    parentOf(folderPath_, parent, sizeof parent);
    return chdir(parent) == 0;
}

// Beyond the short-path rule: never "/", the temporary folder
// itself or the home folder, by name or by identity.
bool PosixHost::mayDeleteFolder(const char* path) {
    struct stat target;
    if (lstat(path, &target) != 0 || !S_ISDIR(target.st_mode)) return false;
    const char* home = std::getenv("HOME");
    for (const char* p : {"/", static_cast<const char*>(base_), home}) {
        if (p == nullptr || p[0] == '\0') continue;
        struct stat st;
        if (stat(p, &st) == 0 && sameFile(st, target)) return false;
    }
    return true;
}

namespace {

// A command without shell syntax is split at blanks and run directly, so
// that a program that cannot be found or run is told from one that ran and
// returned 127; shell syntax and the shell's own commands (which have no
// program) run through /bin/sh -c.
bool needsShell(const char* command) {
    if (std::strpbrk(command, "|&;<>()$`\\\"'*?[]#~=%{}!\n") != nullptr) return true;
    static constexpr char kBuiltins[] =
        " : . alias cd command eval exec exit export getopts hash read readonly return set "
        "shift times trap type ulimit umask unalias unset wait ";
    const char* first = command + std::strspn(command, " \t");
    const size_t n = std::strcspn(first, " \t");
    for (const char* p = std::strstr(kBuiltins, " "); p != nullptr; p = std::strchr(p + 1, ' '))
        if (std::strncmp(p + 1, first, n) == 0 && p[1 + n] == ' ' && n > 0) return true;
    return false;
}

constexpr size_t kMaxWords = 64;

// Runs in the child after fork(): only async-signal-safe calls. Returns
// only when the program could not be started.
void execCommand(char* line) {
    char* argv[kMaxWords + 1];
    size_t n = 0;
    if (needsShell(line)) {
        static char sh[] = "sh", c[] = "-c";
        argv[n++] = sh;
        argv[n++] = c;
        argv[n++] = line;
        argv[n] = nullptr;
        execv("/bin/sh", argv);
    } else {
        for (char* p = line; *p && n < kMaxWords;) {
            while (*p == ' ' || *p == '\t') *p++ = '\0';
            if (!*p) break;
            argv[n++] = p;
            while (*p && *p != ' ' && *p != '\t') ++p;
        }
        argv[n] = nullptr;
        if (n > 0) execvp(argv[0], argv);
    }
}

}  // namespace

// The command runs in the unpacking folder. It ignores SIGINT and SIGQUIT,
// so that Ctrl-C reaches only the stub, which then asks string 17 - the
// setup program goes on, as it does when the Windows dialog is closed.
// Whether the program started is learnt through a pipe that exec closes:
// a failed exec writes its errno there.
bool PosixHost::startCommand(const char* command, bool) {
    status_ = -1;
    char line[4096];
    if (!copyString(line, sizeof line, command)) return false;
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (pid == 0) {
        ::close(report[0]);
        signal(SIGINT, SIG_IGN);
        signal(SIGQUIT, SIG_IGN);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (folder_.fd() < 0 || fchdir(folder_.fd()) == 0) execCommand(line);
        const int error = errno;
        while (write(report[1], &error, sizeof error) < 0 && errno == EINTR) {
        }
        _exit(127);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    child_ = pid;
    if (got > 0) {
        // Did not start: reap the child at once.
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        child_ = -1;
        return false;
    }
    return true;
}

bool PosixHost::commandRunning() {
    if (child_ < 0) return false;
    int status = 0;
    const pid_t r = waitpid(child_, &status, WNOHANG);
    if (r == 0) return true;
    if (r < 0 && errno == EINTR) return true;
    child_ = -1;
    if (r > 0) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

void PosixHost::stopCommand(bool force) {
    if (child_ < 0) return;
    const int polite = stopSignal_ != nullptr && stopSignal_() > 0 ? stopSignal_() : SIGTERM;
    kill(child_, force ? SIGKILL : polite);
}

// flags1 0x04 on Linux: a process of that name (its "comm", which the
// kernel cuts to 15 characters) is running.
bool PosixHost::programRunning(const char* name) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return false;
    bool found = false;
    const pid_t self = getpid();
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        if (std::atoi(e->d_name) == self) continue;
        char path[300];
        std::snprintf(path, sizeof path, "/proc/%s/comm", e->d_name);
        FILE* f = std::fopen(path, "r");
        if (f == nullptr) continue;
        char comm[64] = {};
        if (std::fgets(comm, sizeof comm, f) != nullptr) {
            comm[std::strcspn(comm, "\n")] = '\0';
            if (std::strncmp(comm, name, 15) == 0 &&
                (std::strlen(name) >= 15 || !comm[std::strlen(name)]))
                found = true;
        }
        std::fclose(f);
        if (found) break;
    }
    closedir(proc);
    return found;
}

}  // namespace gm::sfx
