// Test support for the self-extractor: an in-memory ZIP writer (stored and
// deflated entries, traditional encryption, data descriptors in both
// forms), fakes of the three host interfaces and the UI, and a helper that
// builds a self-extracting file through mksfx's own assembly code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sfx/core/crc32.h"
#include "sfx/core/inflate.h"
#include "sfx/core/sfx.h"
#include "sfx/core/sfx_host.h"
#include "sfx/core/sfx_ui.h"

namespace gm::sfx::test {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& s);
// Texts between the tests (UTF-8) and the stub (its code page: UTF-8 on
// Linux, 1252 on Windows).
std::string fromStub(const char* text);
std::string toStub(const std::string& utf8);
std::string stringOf(const Bytes& b);
// Deterministic mixed data: text lines and pseudo-random runs.
Bytes mixedData(size_t size, uint32_t seed);

// Raw deflate with our own encoder, 32 KiB per block.
Bytes deflateOwn(const Bytes& data);
uint32_t crcOf(const Bytes& data);

// Feeds a stream to the decompressor in chunks of one size and collects the
// output with its running CRC-32.
class ChunkIo final : public InflateIo {
  public:
    ChunkIo(const Bytes& in, size_t chunk) : in_(in), chunk_(chunk) {}
    size_t fillInput(const uint8_t** data) override {
        const size_t n = std::min(chunk_, in_.size() - pos_);
        *data = in_.data() + pos_;
        pos_ += n;
        return n;
    }
    bool flushOutput(const uint8_t* data, size_t size) override {
        crc = crc32Update(crc, data, size);
        out.insert(out.end(), data, data + size);
        return true;
    }
    Bytes out;
    uint32_t crc = kCrcInit;

  private:
    const Bytes& in_;
    size_t chunk_, pos_ = 0;
};

// ---------------------------------------------------------------------------
// ZIP writer
// ---------------------------------------------------------------------------

struct ZipEntryPlan {
    std::string name;  // raw bytes of the name
    Bytes data;
    uint16_t method = 8;      // 0 stored, 8 deflated, anything else as given
    std::string password;     // non-empty: traditional encryption
    bool descriptor = false;  // bit 3, sizes and CRC after the data
    bool descriptorSignature = true;
    bool zeroLocalSizes = true;    // with a descriptor: local sizes and CRC are 0
    uint16_t extraFlags = 0;       // e.g. bit 11 (UTF-8)
    DosTime time{0x6000, 0x5A88};  // 12:00:00, 2025-04-08
    uint32_t unixMode = 0;         // non-zero: "made by Unix" with this mode (and type)
    Bytes extra;                   // local extra field
    // Tampering, applied after the entry is built.
    bool flipDataByte = false;  // damage one byte of the (compressed) data
    int64_t localCompressedSizeDelta = 0;
    int64_t declaredSizeDelta = 0;  // added to the uncompressed size in every header
    bool breakCrc = false;          // wrong CRC in the headers
    Bytes compressedOverride;       // use these bytes as the compressed data
};

struct ZipBuild {
    Bytes bytes;
    std::vector<uint32_t> localOffsets;
};
ZipBuild buildZip(const std::vector<ZipEntryPlan>& entries, const std::string& comment = "");

// ---------------------------------------------------------------------------
// Fakes
// ---------------------------------------------------------------------------

struct FakeClock {
    uint64_t now = 1000;
};

struct Message {
    std::string text, caption;
    Buttons buttons;
    Icon icon;
};

// In FakeUi::passwords: the user presses Cancel.
inline const std::string kCancelPassword = "<cancel>";

class FakeUi final : public SfxUi {
  public:
    explicit FakeUi(FakeClock& clock) : clock_(clock) {}

    // Answers to questions, by default the first button (Yes, OK, Abort).
    std::function<Answer(const Message&)> answer;
    std::deque<Command> commands;       // waitCommand(); Close when empty
    std::deque<Command> pumped;         // pump(); None when empty
    std::deque<std::string> passwords;  // askPassword(); Cancel when empty
    int interruptAtFlush = -1;          // interruptRequested() true on that poll

    std::vector<Message> messages;
    std::vector<std::string> statuses;
    std::vector<unsigned> meterPositions;
    bool meterVisible = false;
    bool everShowedMeter = false;
    std::string title, heading, dialogMessage;
    bool infoDots = false;
    std::string setupButton = "&Setup";
    bool setupEnabled = true;
    int polls = 0;
    int passwordPrompts = 0;
    unsigned pumpedMs = 0;
    int waits = 0;  // waitCommand() calls; a runaway dialog is stopped
    bool runaway = false;

    bool saw(const std::string& fragment) const;
    size_t count(const std::string& fragment) const;

    Answer messageBox(const char* text, const char* caption, Buttons buttons, Icon icon,
                      int defaultButton) override;
    void openDialog(const char* title, const char* heading, const char* message,
                    bool infoDots) override;
    Command waitCommand() override;
    Command pump(unsigned ms) override;
    void setSetupButton(const char* text, bool enabled, bool) override;
    void setStatus(const char* text) override;
    void showMeter(bool visible) override;
    void setMeter(unsigned position, const char* text) override;
    void setBusy(bool) override {}
    bool askPassword(char* out, size_t capacity) override;
    bool interruptRequested() override;

  private:
    FakeClock& clock_;
};

// A file system in memory: full paths with '/'.
struct MemFs {
    std::map<std::string, Bytes> files;
    std::map<std::string, uint32_t> modes;
    std::map<std::string, DosTime> times;
    std::set<std::string> folders;
    std::map<std::string, std::string> links;  // symbolic links and their targets
    std::set<std::string> undeletable;         // files whose deletion fails
    std::set<std::string> failCreate;          // folders or files that cannot be created
    size_t writeLimit = SIZE_MAX;              // bytes all files may hold together
    size_t written = 0;
};

class MemUnpackFolder final : public UnpackFolder {
  public:
    explicit MemUnpackFolder(MemFs& fs) : fs_(fs) {}
    void bind(const std::string& root) { root_ = root; }
    std::string full(const char* rel) const;

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

    int filesCreated = 0;
    size_t deepestEntered = 0;

  private:
    MemFs& fs_;
    std::string root_;
    std::vector<std::string> cursor_;  // the clean-up's folders below the root
    std::string open_;
    bool isOpen_ = false;
};

class FakeHost final : public SfxHost {
  public:
    explicit FakeHost(FakeClock& clock) : clock_(clock), folder_(fs) {}

    MemFs fs;
    std::string tempBase = "/tmp";
    bool tooOld = false;
    bool enterFails = false;
    int commandPolls = 3;  // commandRunning() is true this often
    bool commandStarts = true;
    int commandExit = 0;       // the command's exit status
    bool ignoresStop = false;  // a polite stop does not end the command
    std::vector<bool> stops;   // stopCommand() calls: force
    int programPolls = 0;      // programRunning() is true this often
    std::vector<std::string> commands;
    std::vector<std::string> scheduledForRestart;
    std::string unpackRoot;   // the folder createUnpackFolder() made
    std::string forceFolder;  // planned and "created" whatever exists
    bool entered = false;

    char separator() const override { return '/'; }
    uint64_t nowMs() override { return clock_.now; }
    bool stubPath(char* out, size_t capacity) override;
    bool systemTooOld() override { return tooOld; }
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
    bool deleteAtNextStart(const char* fullPath) override;
    bool driveUsable(const char*) override { return true; }
    bool startCommand(const char* command, bool shellInstall) override;
    bool commandRunning() override;
    int commandStatus() override { return commandExit; }
    void stopCommand(bool force) override;
    bool programRunning(const char* name) override;

    MemUnpackFolder& memFolder() { return folder_; }

  private:
    FakeClock& clock_;
    MemUnpackFolder folder_;
};

// The self-extracting file (and, for spanned sets, the disks) in memory.
class FakeSource final : public ArchiveSource {
  public:
    struct Disk {
        std::string label;  // volume label
        Bytes exe, zip;     // the ".EXE" and ".ZIP" files on it
    };
    explicit FakeSource(Bytes file) : stub_(std::move(file)) {}
    std::vector<Disk> disks;
    size_t inserted = 0;  // index into disks
    int opens = 0;
    bool failOpen = false;

    bool open(Which which) override;
    void close() override { current_ = nullptr; }
    bool seek(uint64_t offset) override;
    long read(uint8_t* buffer, size_t size) override;
    uint64_t size() override { return current_ ? current_->size() : 0; }
    bool readVolumeLabel(char* label, size_t capacity) override;
    const char* path() const override { return "/media/disk/SETUP.EXE"; }
    const char* drive() const override { return "A:"; }

    Bytes& stub() { return stub_; }

  private:
    Bytes stub_;
    const Bytes* current_ = nullptr;
    uint64_t pos_ = 0;
};

// A self-extracting file built the way mksfx builds one.
struct SfxFile {
    Bytes bytes;
    SfxConfig config;
    std::string error;
};
struct SfxOptions {
    std::string command = "setup.exe";
    std::string about, message = "Willkommen", title, prompt, info = "Info-Text";
    uint8_t flags1 = kShippedFlags1, flags2 = 0, flags3 = 0;
    std::string waitName;
    size_t stubSize = 4096;
};
SfxFile makeSfx(const Bytes& archive, const SfxOptions& options = {});

// Everything one test run of the stub needs, wired together.
struct Rig {
    explicit Rig(const SfxFile& file)
        : ui(clock), host(clock), source(file.bytes), config(file.config) {}
    FakeClock clock;
    FakeUi ui;
    FakeHost host;
    FakeSource source;
    SfxConfig config;
};

}  // namespace gm::sfx::test
