// The Windows backend of the self-extractor (kernel32, shell32): the stub's
// own file and the disks of a spanned set, the unpacking folder, temporary
// folders, launch and wait, deletion at the next system start. It is the
// part that is not a window (the dialogs are DialogUi's).
//
// Paths arrive in the stub's code page (UTF-8) and go to the system through
// system_calls.h: the wide-character API on the NT family, so that every
// entry name survives, the ANSI one on Windows 95, 98 and ME.
#pragma once

#include <windows.h>

#include "sfx/core/sfx_host.h"

namespace gm::sfx {

// Wide paths: MAX_PATH and room for a suffix.
inline constexpr int kWidePath = MAX_PATH + 16;

class Win32ArchiveSource final : public ArchiveSource {
  public:
    explicit Win32ArchiveSource(const char* stubPath);
    ~Win32ArchiveSource();
    bool open(Which which) override;
    void close() override;
    bool seek(uint64_t offset) override;
    long read(uint8_t* buffer, size_t size) override;
    uint64_t size() override;
    bool readVolumeLabel(char* label, size_t capacity) override;
    const char* path() const override { return path_; }
    const char* drive() const override { return drive_; }

  private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    char path_[kPathBuffer * 3] = {};
    char drive_[4] = {};
};

class Win32UnpackFolder final : public UnpackFolder {
  public:
    void bind(const char* root);
    const char* root() const { return root_; }

    PathKind kind(const char* rel) override;
    bool createFolder(const char* rel) override;
    bool createFile(const char* rel) override;
    bool writeFile(const uint8_t* data, size_t size) override;
    void closeFile(const DosTime* time, uint32_t unixMode) override;
    bool listFolder(const char* rel, NameList* out) override;
    bool deleteFile(const char* rel) override;
    bool removeFolder(const char* rel) override;
    bool enterFolder(const char* name) override;
    void leaveFolder() override;

  private:
    // root + the clean-up's folder + "\" + rel with '/' turned into '\', in
    // UTF-16.
    bool full(const char* rel, wchar_t* out, size_t capacity) const;

    char root_[kPathBuffer] = {};
    char cursor_[kPathBuffer * 3] = {};  // "\a\b" below the root, or ""
    HANDLE out_ = INVALID_HANDLE_VALUE;
};

class Win32Host final : public SfxHost {
  public:
    Win32Host();
    ~Win32Host();

    char separator() const override { return '\\'; }
    // GetTickCount, which every Windows has, wraps after 49.7 days: the wraps
    // are counted so that the time only grows.
    uint64_t nowMs() override {
        const DWORD now = GetTickCount();
        if (now < lastTick_) wraps_ += uint64_t{1} << 32;
        lastTick_ = now;
        return wraps_ | now;
    }
    bool stubPath(char* out, size_t capacity) override;
    bool systemTooOld() override;
    void prepareShell(bool lookUpShellExecute) override;
    size_t utf8Password(const char* password, size_t length, char* out, size_t capacity) override;

    bool temporaryBase(char* out, size_t capacity) override;
    bool claimPlaceholder(const char* path) override;
    bool removePlaceholder(const char* path) override;
    bool fallbackPlan(const char* base, char* out, size_t capacity, bool* keepFiles) override;
    bool krtCandidate(const char* base, unsigned i, char* out, size_t capacity) override;
    bool createUnpackFolder(const char* path) override;
    UnpackFolder& unpackFolder() override { return folder_; }
    bool enterUnpackFolder() override;
    bool leaveUnpackFolder() override;
    bool mayDeleteFolder(const char* path) override;
    bool deleteAtNextStart(const char* fullPath) override;
    bool driveUsable(const char* drive) override;

    bool startCommand(const char* command, bool shellInstall) override;
    bool commandRunning() override;
    int commandStatus() override;
    void stopCommand(bool force) override;
    bool programRunning(const char* name) override;

    // Deletion at the next start asks this first; tests put in one that
    // refuses, as the older Windows family does.
    BOOL(WINAPI* moveFileEx)(LPCWSTR, LPCWSTR, DWORD) = MoveFileExW;

  private:
    bool windowsTemp(char* out, size_t capacity);

    Win32UnpackFolder folder_;
    HMODULE shell_ = nullptr;
    FARPROC shellExecuteEx_ = nullptr;
    HANDLE process_ = nullptr;
    char fallback_[kPathBuffer] = {};  // the Windows TEMP folder, used as it is
    DWORD lastTick_ = 0;               // nowMs: the latest tick count
    uint64_t wraps_ = 0;               // and its wraps, in the high half
};

}  // namespace gm::sfx
