// The POSIX backend of the self-extractor (Linux): the stub's own file, the
// private unpacking folder, temporary folders and the launch of the
// configured command.
//
// Safety of the unpacking folder: the temporary folder is shared, so the
// unpacking folder is created with mkdir (which never follows a planted
// link and fails on any existing name), mode 0700, and opened at once; from
// then on every file operation is relative to that open folder and walks
// the relative path one component at a time with O_NOFOLLOW. Renaming the
// folder or planting links around it cannot redirect a write or a delete.
#pragma once

#include <sys/types.h>

#include "sfx/core/sfx_host.h"

namespace gm::sfx {

class PosixArchiveSource final : public ArchiveSource {
  public:
    explicit PosixArchiveSource(const char* stubPath);
    ~PosixArchiveSource();
    bool open(Which which) override;
    void close() override;
    bool seek(uint64_t offset) override;
    long read(uint8_t* buffer, size_t size) override;
    uint64_t size() override;
    bool readVolumeLabel(char* label, size_t capacity) override;
    const char* path() const override { return path_; }
    const char* drive() const override { return drive_; }

  private:
    int fd_ = -1;
    char path_[4096] = {};
    char drive_[4096] = {};
};

class PosixUnpackFolder final : public UnpackFolder {
  public:
    ~PosixUnpackFolder();
    // Takes ownership of an open folder descriptor.
    void bind(int dirFd, const char* path);
    int fd() const { return root_; }

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
    bool makesLinks() const override { return true; }
    bool createLink(const char* rel, const char* target) override;

  private:
    // The folder that holds rel's last component, reached by walking the
    // components with O_NOFOLLOW; *leaf points into rel. Returns -1 on
    // failure, else a descriptor that stays owned by this object.
    int openParent(const char* rel, const char** leaf);
    void forgetParent();

    int root_ = -1;
    int cursor_ = -1;  // the clean-up's folder below root_ (-1: root_ itself)
    size_t cursorDepth_ = 0;
    int out_ = -1;
    int parentFd_ = -1;  // the last parent folder opened, and its path
    char parentRel_[4096] = {};
    int umask_ = -1;
    char path_[4096] = {};
};

class PosixHost final : public SfxHost {
  public:
    PosixHost();
    ~PosixHost();

    char separator() const override { return '/'; }
    uint64_t nowMs() override;
    bool stubPath(char* out, size_t capacity) override;
    bool systemTooOld() override { return false; }
    void prepareShell(bool) override {}

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
    bool deleteAtNextStart(const char*) override { return false; }  // Linux deletes open files
    bool driveUsable(const char*) override { return true; }

    bool startCommand(const char* command, bool shellInstall) override;
    bool commandRunning() override;
    int commandStatus() override { return status_; }
    void stopCommand(bool force) override;
    bool programRunning(const char* name) override;

    // "--target": the unpacking folder may exist already (it must be the
    // user's own folder, not a link); it is made when missing.
    void allowExistingFolder(bool allow) { allowExisting_ = allow; }

    // The signal a polite stop forwards to the command: the one that asked
    // the stub to end (from the front end), else SIGTERM.
    void setStopSignal(int (*stopSignal)()) { stopSignal_ = stopSignal; }

  private:
    PosixUnpackFolder folder_;
    char folderPath_[4096] = {};
    char base_[4096] = {};
    pid_t child_ = -1;
    int status_ = -1;
    int (*stopSignal_)() = nullptr;
    bool allowExisting_ = false;
};

}  // namespace gm::sfx
