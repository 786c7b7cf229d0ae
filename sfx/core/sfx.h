// The self-extractor's portable core: the state of one run of the stub and
// the procedures of start-up, extraction, and the main dialog's logic,
// launch and clean-up, over the interfaces of
// sfx_host.h and sfx_ui.h.
//
// The original is plain procedures over global state; here the global state
// is one object, Sfx, so that tests can run many stubs in one process. The
// procedures are spread over files by what they do:
//   startup.cpp   main procedure, switches, configuration strings
//   archive.cpp   the archive walk, the input buffer, fill/flush, disks
//   entry.cpp     one entry: local header, folder, skip, unpack and check
//   central_directory.cpp  the end record, stored values, "--list"
//   dialog.cpp    the Setup press, Close, Info, launch, finish
//   folders.cpp   the planned folder, clean-up
//
// Failures: the original shows a fatal error in a message box and jumps
// back to an error return point with code 2 (a cancel with code 1). Here
// every step returns an Outcome; fail() shows the message and yields
// Outcome::Failed, and SFX_TRY passes a non-Ok outcome up to the return
// point (the start-up or the extraction run). No exceptions, no RTTI.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sfx/core/inflate.h"
#include "sfx/core/sfx_config.h"
#include "sfx/core/sfx_host.h"
#include "sfx/core/sfx_ui.h"
#include "sfx/core/zip_aes.h"
#include "sfx/core/zipcrypto.h"

namespace gm::sfx {

// Result codes of an extraction run.
enum class Outcome : int { Ok = 0, Cancelled = 1, Failed = 2 };

#define SFX_TRY(expr)                                                        \
    do {                                                                     \
        const ::gm::sfx::Outcome sfxTryOutcome_ = (expr);                    \
        if (sfxTryOutcome_ != ::gm::sfx::Outcome::Ok) return sfxTryOutcome_; \
    } while (0)

// The stub's own constants: an existing file is replaced without
// a question; the test setting (decompress and check, write nothing) is off.
inline constexpr bool kStubOverwriteWithoutAsking = true;
inline constexpr bool kStubTestSetting = false;

// Input and output buffer sizes. The classic stub has 2048 bytes each;
// they grow where that is measured to cost speed, and it does: one
// read() or write() per 2 KiB is most of the difference between the stub
// and unzip (bench/sfx/README.md has the figures). The input buffer holds
// 32 KiB; output goes out a whole window (33280 bytes) at a time. The
// benchmark builds a second stub with the classic sizes through these macros.
#ifndef GM_SFX_INPUT_BUFFER
#define GM_SFX_INPUT_BUFFER 32768
#endif
#ifndef GM_SFX_OUTPUT_BUFFER
#define GM_SFX_OUTPUT_BUFFER 33280
#endif
inline constexpr size_t kInputBufferSize = GM_SFX_INPUT_BUFFER;
inline constexpr size_t kOutputBufferSize = GM_SFX_OUTPUT_BUFFER;
static_assert(kInputBufferSize >= 2048 && kOutputBufferSize >= 2048);
// Bytes kept in front of each new input chunk, so that the decompressor's
// look-ahead can be given back (entries whose end is known only from the
// stream itself).
inline constexpr size_t kInputCarry = 16;
static_assert(kInputCarry >= kInflateMaxLookahead);

// The meter moves at most once per 64 KiB written.
inline constexpr uint64_t kMeterStep = 65536;
// At the Setup press, archives whose end record lies below 512 KiB show the
// meter only if, 10 ms after the start, less than a third is written.
inline constexpr uint32_t kSmallArchive = 524288;
inline constexpr unsigned kMeterDelayMs = 10;

// How a session ended. The exit status follows from it (exitStatus()).
enum class Ending {
    None,
    InfoShown,    // "-info"
    CommandRan,   // the command ran, the folder was handled
    Declined,     // the start-up prompt or the dialog was closed before Setup
    Cancelled,    // cancelled at a question, or while the command ran
    Failed,       // an error message was shown
    Interrupted,  // the system's shut-down query (Linux: SIGTERM, SIGHUP)
};

// Exit statuses of the stub's own outcomes; once the command has ended,
// the exit status is the command's.
inline constexpr int kExitNothingToRun = 0;
inline constexpr int kExitCancelled = 1;
inline constexpr int kExitFailed = 2;

// A shut-down while the command runs: the command is asked to end and given
// this long before it is ended by force.
inline constexpr unsigned kStopGraceMs = 5000;

// Symbolic links are restored only where the backend makes them (Linux); the
// size build (the 32-bit Windows stub) leaves that code out.
#if GM_SFX_SMALL
inline constexpr bool kRestoresLinks = false;
#else
inline constexpr bool kRestoresLinks = true;
#endif

// One stored value of the central directory (read when a local header
// defers its sizes to a data descriptor).
struct CentralEntry {
    uint64_t localOffset;  // file offset of the local header
    uint64_t compressedSize, uncompressedSize;
    uint32_t crc;
    uint32_t unixMode;  // file type and permission bits when made on Unix, else 0
    bool madeOnUnix;    // "version made by" names Unix: names are UTF-8 when valid
};

struct LocalEntry;  // entry.cpp

struct DataDescriptor {
    uint32_t crc;
    uint64_t compressedSize, uncompressedSize;
};

// The end record's values (from the ZIP64 end record where there is one).
struct EndValues {
    uint64_t count, directorySize, directoryOffset;
    uint64_t directoryEnd;  // file offset where the central directory ends
};

class Sfx final : private InflateIo {
  public:
    Sfx(SfxUi& ui, SfxHost& host, ArchiveSource& source);
    ~Sfx();
    Sfx(const Sfx&) = delete;
    Sfx& operator=(const Sfx&) = delete;

    // The main procedure: start-up, then the main dialog.
    // `args` is the command line without the program name. Returns the
    // exit status.
    int main(const char* args, const SfxConfig& config);
    Ending ending() const { return ending_; }
    // Interrupted: kExitCancelled (the Linux front end reports the signal);
    // once the command ended: its status; else 0, 1 or 2 by the ending.
    int exitStatus() const;

    // --- the steps, for tests and front ends ---
    // Start-up up to the dialog (steps 1-14). True when the dialog is to run.
    bool startUp(const char* args, const SfxConfig& config);
    void runDialog();
    // The extraction run into the unpacking folder.
    Outcome extract();
    // Opening the archive (step 5) and the end-record test (6).
    Outcome openArchive();

    // Settings that the shipped stub fixes (tests change them).
    bool overwriteWithoutAsking = kStubOverwriteWithoutAsking;
    bool testSetting = kStubTestSetting;
    // Front-end options (Linux "--keep", "--noexec", "--target"): keep the
    // unpacked files, also after a failed run; unpack without running the
    // command; unpack into this folder (made if missing) and keep it.
    bool keepUnpackedFiles = false;
    bool runCommand = true;
    const char* targetFolder = nullptr;

    // After startUp(): "--check" tests every entry's checksum and writes
    // nothing; "--list" lists the entries as "unzip -l" does. Both return
    // the exit status.
    int checkArchive();
    int listEntries();

    // State visible to tests.
    const SfxConfig& config() const { return config_; }
    const ConfigStrings& strings() const { return strings_; }
    bool autoMode() const { return autoMode_; }
    bool waitMode() const { return waitMode_; }
    bool keepFiles() const { return keepFiles_; }
    const char* plannedFolder() const { return folder_; }
    uint64_t bytesWritten() const { return bytesWritten_; }
    uint32_t filesWritten() const { return filesWritten_; }
    void setPassword(const char* password);
    void setFolder(const char* path);  // the unpacking folder (tests)

    // Formats string `id` (or a plain text) with printf arguments into the
    // 500-byte message scratch and shows it as a fatal error.
    Outcome fail(const char* format, ...);
    Outcome failString(int id, ...);

  private:
    // ----- start-up -----
    const char* splitCommandArguments(const char* args);
    bool allocateBuffers();
    Outcome readConfigStrings();
    void parseSwitch(const char* args);
    bool startUpPrompt();

    // ----- extraction -----
    Outcome walk();
    Outcome processEntry();
    Outcome readLocalHeader(LocalEntry* e);
    Outcome readNameAndExtra(LocalEntry* e, uint16_t extraLength);
    Outcome resolveEntryPath(LocalEntry* e);
    void takeDeferredSizes(LocalEntry* e);
    Outcome processFolderEntry(const LocalEntry& e);
    Outcome skipEntry(const LocalEntry& e);
    Outcome writeEntry(LocalEntry* e);
    Outcome unpackEntryData(const LocalEntry& e, bool* damaged);
    Outcome checkEntry(LocalEntry* e, bool damaged);
    Outcome checkPassword(bool descriptor, DosTime time, uint32_t headerCrc);
    Outcome checkAesPassword(unsigned strength);
    void giveBack(size_t n);
    Outcome makeFolderChain(const char* rel, bool includeLast);
    Outcome askForDisk(int disk, bool startUp);
    Outcome readDataDescriptor(uint32_t knownCrc, bool zip64, DataDescriptor* out);
    Outcome lookUpCentralEntry(uint64_t localOffset, CentralEntry* out);
    Outcome loadCentralDirectory();
    bool readCentralDirectory(uint8_t** out, uint64_t* size, uint64_t* count, uint64_t* base);
    uint64_t centralTotalSize() const;
    uint64_t archiveEnd();
    bool findEndRecord(uint64_t* offset);
    bool readEndValues(EndValues* out);
    bool readAt(uint64_t offset, uint8_t* dst, size_t n);
    // The input buffer.
    Outcome refill(bool allowShort, bool* gotAny);
    Outcome readExact(uint8_t* dst, size_t n);
    Outcome skipBytes(uint64_t n);
    Outcome readEntryBytes(uint8_t* dst, size_t n);
    uint64_t streamPosition() const;
    // InflateIo: fill input and flush output.
    size_t fillInput(const uint8_t** data) override;
    bool flushOutput(const uint8_t* data, size_t size) override;
    bool flushPiece(const uint8_t* data, size_t size);
    void updateMeter(bool force);
    unsigned meterPercent() const;
    void showDecompressing(const char* fullPath);

    // ----- the dialog, launch and clean-up -----
    void dialogInit();
    void pressSetup();
    void pressSetupWhileWaiting();
    bool pressClose();
    void pressInfo();
    bool handleWaitCommand(Command c);
    void shutDown();
    void stopRunningCommand();
    void reportKeptFolder();
    void finish();
    bool launch();
    bool createUnpackingFolder();
    void cleanUp();
    struct CleanupLevel;
    void cleanUpTree();
    void deleteWithRetries(const char* name, CleanupLevel** levels, size_t depth);
    bool planFolder();

    Answer ask(const char* text, Buttons buttons, Icon icon, int defaultButton = 0);

    SfxUi& ui_;
    SfxHost& host_;
    ArchiveSource& source_;

    SfxConfig config_;
    ConfigStrings strings_;
    char stubPath_[kPathBuffer] = {};
    char message_[500] = {};  // the message scratch

    // Flags.
    bool autoMode_ = false, waitMode_ = false, passwordFlag_ = false;
    bool spanned_ = false, disksAreExe_ = false, keepFiles_ = false;
    bool programRunning_ = false, cancel_ = false, waitingForConfirmation_ = false;
    bool meterVisible_ = false, extracting_ = false, dialogOpen_ = false;
    bool setupEnabled_ = true;
    bool folderMade_ = false, folderRemoved_ = false;
    Ending ending_ = Ending::None;
    int commandStatus_ = -1;  // the ended command's exit status

    char switches_[1024] = {};          // the arguments before "--"
    char commandArguments_[1024] = {};  // and after it, for the command
    char password_[256] = {};
    size_t passwordLength_ = 0;
    bool havePassword_ = false;
    char folder_[kPathBuffer] = {};  // the planned / unpacking folder
    char tempBase_[kPathBuffer] = {};

    // Buffers (allocated at start, freed at exit).
    uint8_t* window_ = nullptr;  // kInflateWindowAlloc
    uint8_t* input_ = nullptr;   // kInputCarry + kInputBufferSize
    uint8_t* shadow_ = nullptr;  // raw copy of decrypted input (see fillInput)

    // The input buffer: bytes [inPos_, inEnd_) are read but not consumed;
    // sourcePos_ is the file offset of the next byte the source delivers.
    size_t inPos_ = kInputCarry, inEnd_ = kInputCarry;
    uint64_t sourcePos_ = 0;
    int currentDisk_ = 1;
    bool sourceOpen_ = false;

    // Current entry.
    uint64_t remaining_ = 0;  // compressed bytes left; kUnknownSize = until the stream ends
    bool encrypted_ = false;
    bool keepRaw_ = false;  // encrypted and of unknown size: keep raw bytes for give-back
    ZipKeys keys_;
    bool aesEntry_ = false;  // AES-encrypted: decrypted and authenticated by aes_
    ZipAes aes_;
    uint32_t crc_ = 0;
    bool outputOpen_ = false;
    bool discardOutput_ = false;  // inflating only to find the end of a skipped entry
    uint64_t entryBytes_ = 0;     // bytes of the current entry written
    uint64_t entryLimit_ = 0;     // its declared size (all ones: none known)
    // A symbolic-link entry: its data, the target, is gathered here.
    bool linkEntry_ = false;
    char linkTarget_[1024] = {};
    bool userAborted_ = false;         // the user confirmed string 20
    Outcome ioOutcome_ = Outcome::Ok;  // why fill or flush stopped the decompressor
    char entryPath_[kPathBuffer] = {};
    // The deepest folder chain this run made or found (relative).
    char knownFolder_[kPathBuffer] = {};
    size_t knownFolderLength_ = 0;

    // Counters and the meter. The total is the record's, or the central
    // directory's sum when the record's field is all ones (4 GiB or more).
    uint64_t totalSize_ = 0;
    uint64_t bytesWritten_ = 0, lastMeterBytes_ = 0;
    uint32_t filesWritten_ = 0;
    bool meterTimerArmed_ = false;
    uint64_t meterDeadline_ = 0;
    char meterText_[kPathBuffer + 32] = {};

    // Central directory, loaded on first need.
    CentralEntry* central_ = nullptr;
    size_t centralCount_ = 0;
    bool centralLoaded_ = false;
};

}  // namespace gm::sfx
