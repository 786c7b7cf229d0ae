// The operating-system services the self-extractor's core uses, as three
// small interfaces: the archive's file(s), the unpacking folder, and the
// rest of the host (temporary folders, launching, the clock). The Linux
// front end implements them with POSIX calls (sfx/linux), the Windows one
// with kernel32 (sfx/win32), the tests with fakes in memory.
//
// Paths below the unpacking folder are relative to it and use '/'; the
// backend maps them to its own separator. Full paths (for messages and
// the 264-byte limit) use the host's separator().
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

// Entry names and full paths live in buffers of 264 bytes.
inline constexpr size_t kPathBuffer = 264;

struct DosTime {
    uint16_t time = 0;  // bits 15..11 hour, 10..5 minute, 4..0 seconds / 2
    uint16_t date = 0;  // bits 15..9 year - 1980, 8..5 month, 4..0 day
};

enum class PathKind { Missing, File, Folder, Other };

// A growable list of names (malloc-backed; the core uses no exceptions).
class NameList {
  public:
    NameList() = default;
    NameList(const NameList&) = delete;
    NameList& operator=(const NameList&) = delete;
    ~NameList();
    bool add(const char* name, PathKind kind);
    size_t size() const { return count_; }
    const char* name(size_t i) const;
    PathKind kind(size_t i) const;
    void clear();

  private:
    char* text_ = nullptr;  // names, NUL-separated
    size_t textSize_ = 0, textCapacity_ = 0;
    uint32_t* offsets_ = nullptr;
    PathKind* kinds_ = nullptr;
    size_t count_ = 0, capacity_ = 0;
};

// The stub's own file and, for a spanned set, the disk files.
class ArchiveSource {
  public:
    enum class Which { Stub, DiskExe, DiskZip };
    // Opens the stub's own file read-only (others may not write it), or the
    // stub's name with the extension ".EXE" / ".ZIP" on the drive that
    // holds it. Closes the file open before.
    virtual bool open(Which which) = 0;
    virtual void close() = 0;
    virtual bool seek(uint64_t offset) = 0;
    // Bytes read (0 at the end of the file), or -1 after an error.
    virtual long read(uint8_t* buffer, size_t size) = 0;
    virtual uint64_t size() = 0;
    // Volume label of the drive that holds the stub's file.
    virtual bool readVolumeLabel(char* label, size_t capacity) = 0;
    virtual const char* path() const = 0;   // the stub's path, for messages
    virtual const char* drive() const = 0;  // "A:", for the disk prompts

  protected:
    ~ArchiveSource() = default;
};

// The unpacking folder and everything below it.
class UnpackFolder {
  public:
    virtual PathKind kind(const char* rel) = 0;
    virtual bool createFolder(const char* rel) = 0;
    // The one output file: created with normal attributes, truncating an
    // existing file; written; closed with its times set (none if null).
    virtual bool createFile(const char* rel) = 0;
    virtual bool writeFile(const uint8_t* data, size_t size) = 0;
    // `unixMode`: permission bits from the central directory (0 = none
    // recorded; the Windows backend ignores them).
    virtual void closeFile(const DosTime* time, uint32_t unixMode) = 0;
    // Clean-up: "" names the unpacking folder itself. The listing skips "."
    // and ".."; a symbolic link is listed as a file (it is removed, never
    // followed).
    virtual bool listFolder(const char* rel, NameList* out) = 0;
    virtual bool deleteFile(const char* rel) = 0;  // after setting normal attributes
    virtual bool removeFolder(const char* rel) = 0;
    // The clean-up walks the tree one folder at a time: after
    // enterFolder(name), the paths given to listFolder, deleteFile and
    // removeFolder are relative to that folder until leaveFolder() goes back
    // to its parent. So trees of any depth and path length go (the Linux
    // backend holds one open folder, never a path).
    virtual bool enterFolder(const char* name) = 0;
    virtual void leaveFolder() = 0;
    // Symbolic links (Linux): entries made on Unix with the link type are
    // restored as links. Where the backend makes none (Windows), they are
    // written as files holding the target.
    virtual bool makesLinks() const { return false; }
    virtual bool createLink(const char* /*rel*/, const char* /*target*/) { return false; }

  protected:
    ~UnpackFolder() = default;
};

class SfxHost {
  public:
    virtual char separator() const = 0;
    virtual uint64_t nowMs() = 0;
    // The entered password in UTF-8 (AES-encrypted entries derive their
    // keys from that, as 7-Zip and WinZip do); its length, 0 when it does not
    // fit. The password comes as the front end reads it: UTF-8 here.
    virtual size_t utf8Password(const char* password, size_t length, char* out, size_t capacity) {
        if (length >= capacity) return 0;
        for (size_t i = 0; i < length; ++i) out[i] = password[i];
        return length;
    }

    // --- start-up ------------------------------------------------------------
    // The stub's own path (Windows: with the long name of its last part).
    virtual bool stubPath(char* out, size_t capacity) = 0;
    // True on a system older than Windows 95 / NT 4 (string 14).
    virtual bool systemTooOld() = 0;
    // Step 2: load the shell library; look up ShellExecuteEx when asked.
    virtual void prepareShell(bool lookUpShellExecute) = 0;

    // --- the planned and the unpacking folder ---
    // The base of the plan: "TMP", else "TEMP", else the platform's fallback
    // (Windows: the Windows folder + "\TEMP", created; Linux: TMPDIR, /tmp).
    virtual bool temporaryBase(char* out, size_t capacity) = 0;
    // A candidate name is free when it cannot be opened for read/write and
    // can be created as an empty file; the free name is created so.
    virtual bool claimPlaceholder(const char* path) = 0;
    virtual bool removePlaceholder(const char* path) = 0;
    // The plan when no candidate is free (or the placeholder stays):
    // Windows: the Windows folder's TEMP itself, keepFiles = true;
    // Linux: a private "TEMP" below the base, keepFiles = false.
    virtual bool fallbackPlan(const char* base, char* out, size_t capacity, bool* keepFiles) = 0;
    // Setup step 3's second choice, number i of 0..99: "KRT%05u" in the
    // Windows folder (Linux: a private folder below the base).
    virtual bool krtCandidate(const char* base, unsigned i, char* out, size_t capacity) = 0;
    // Creates the unpacking folder (Linux: private, mode 0700, never through
    // a planted link) and binds unpackFolder() to it.
    virtual bool createUnpackFolder(const char* path) = 0;
    virtual UnpackFolder& unpackFolder() = 0;
    virtual bool enterUnpackFolder() = 0;  // make it the current folder
    virtual bool leaveUnpackFolder() = 0;  // make its parent the current folder
    // The clean-up's guard beyond the short-path rule (Linux: "/",
    // the temporary base itself, the home folder).
    virtual bool mayDeleteFolder(const char* path) = 0;
    // Deletion at the next system start (Windows: MoveFileEx, else
    // WinInit.Ini); false where the system needs none or refuses.
    virtual bool deleteAtNextStart(const char* fullPath) = 0;
    // Folder chains: does the drive of "X:" have a usable type?
    virtual bool driveUsable(const char* drive) = 0;

    // --- launch ---
    // False when the command could not be started at all (string 23).
    virtual bool startCommand(const char* command, bool shellInstall) = 0;
    virtual bool commandRunning() = 0;
    // The ended command's exit status, -1 while unknown.
    virtual int commandStatus() = 0;
    // Asks the running command to end (Linux: the shut-down signal the
    // stub received); with `force`, ends it (SIGKILL, TerminateProcess).
    virtual void stopCommand(bool force) = 0;
    // flags1 0x04: is the named program still running? (Windows: its .exe
    // cannot be opened for exclusive access; Linux: a process of that name.)
    virtual bool programRunning(const char* name) = 0;

  protected:
    ~SfxHost() = default;
};

}  // namespace gm::sfx
