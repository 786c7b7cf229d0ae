// The configuration of a self-extracting file: the SfxConfig
// record in the stub's data, which the building tool mksfx fills in, and the
// compressed configuration strings that follow the stub image.
//
// File layout:
//   0 .. stringsOffset         the stub's executable image with the record
//   stringsOffset .. zipOffset  the configuration strings, raw deflate
//   zipOffset .. end            the ZIP archive
//
// The record is kept as 44 raw bytes (little-endian, no gaps) and decoded
// with the bounds-checked reader, so its layout does not depend on the
// compiler's packing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

inline constexpr size_t kConfigRecordSize = 44;
inline constexpr size_t kMarkerSize = 8;
// The record starts with the marker "KRV" 01 "sfx" 02 by which mksfx finds
// it. The marker is spelt only in the record itself (sfx_config_record.cpp)
// and in mksfx (sfx/mksfx/sfx_file.h), never in other code of the stub, so
// that the stub image holds it exactly once.

// Record offsets.
namespace cfg {
inline constexpr size_t kReserved = 8;
inline constexpr size_t kZipOffset = 12;
inline constexpr size_t kStringsOffset = 16;
inline constexpr size_t kEocdOffset = 20;
inline constexpr size_t kTotalSize = 24;
inline constexpr size_t kFlags1 = 28;
inline constexpr size_t kFlags2 = 29;
inline constexpr size_t kFlags3 = 30;
inline constexpr size_t kUnused = 31;
inline constexpr size_t kWaitName = 32;
inline constexpr size_t kWaitNameSize = 10;
inline constexpr size_t kComplete = 42;
static_assert(kComplete + 2 == kConfigRecordSize);
}  // namespace cfg

// flags1
inline constexpr uint8_t kF1WaitForProgram = 0x04;  // wait for the program named at offset 32
inline constexpr uint8_t kF1CustomTitle = 0x10;     // a custom title string is present
inline constexpr uint8_t kF1WaitMode = 0x40;        // the user confirms that setup has finished
// flags2
inline constexpr uint8_t kF2Encrypted = 0x01;    // ask for a password
inline constexpr uint8_t kF2Auto = 0x02;         // start unpacking automatically
inline constexpr uint8_t kF2Spanned = 0x10;      // spanned over several disks
inline constexpr uint8_t kF2InfoDots = 0x20;     // the Info button reads "&Info..."
inline constexpr uint8_t kF2DisksAreExe = 0x80;  // every disk carries the ".EXE" name
// flags3
inline constexpr uint8_t kF3ShellInstall =
    0x01;  // with 0x02: start through the shell, verb "Install"
inline constexpr uint8_t kF3LoadShellExecute = 0x02;
inline constexpr uint8_t kF3TitleAsCaption = 0x04;  // dialog title = custom title (or "Setup")
inline constexpr uint8_t kF3PromptQuestion = 0x08;  // the start-up prompt is a question
inline constexpr uint8_t kF3PromptOkCancel = 0x10;  // ... with OK/Cancel instead of Yes/No

// The values of the shipped record; mksfx starts from these.
inline constexpr uint8_t kShippedFlags1 = 0x0A;
inline constexpr uint16_t kCompleteMark = 0xFFFF;

struct SfxConfig {
    uint32_t reserved = 0;
    uint32_t zipOffset = 0;
    uint32_t stringsOffset = 0;  // 0 = no strings
    // 0 = no end-record test; all ones = the record lies at 4 GiB or
    // beyond: the stub searches for it backwards from the archive's end.
    uint32_t eocdOffset = 0;
    // The sum of the entries' uncompressed sizes; all ones = 4 GiB or more:
    // the stub sums the central directory's sizes itself.
    uint32_t totalSize = 0;
    uint8_t flags1 = 0, flags2 = 0, flags3 = 0, unused = 0;
    char waitName[cfg::kWaitNameSize + 1] = {};  // NUL-terminated copy
    uint16_t complete = 0;                       // 0 = never filled in
};

// Decodes / encodes the 44 record bytes (the marker is not checked here).
SfxConfig decodeConfigRecord(const uint8_t* record);
void encodeConfigRecord(const SfxConfig& config, uint8_t* record);

// The record compiled into this stub, copied out once (defined in
// sfx_config_record.cpp, which only the stub links).
SfxConfig embeddedConfig();

// --- Configuration strings -------------------------------------------------

// The compressed block is read into a 3804-byte work buffer and
// inflated into the same buffer from position 1500 on.
inline constexpr size_t kConfigWorkBuffer = 3804;
inline constexpr size_t kConfigCompressedMax = 1500;
inline constexpr size_t kConfigInflatedMax = kConfigWorkBuffer - kConfigCompressedMax;

inline constexpr int kNumConfigStrings = 8;
enum ConfigStringIndex : int {
    kCsAbout = 0,
    kCsCommand = 1,
    kCsReserved3 = 2,
    kCsReserved4 = 3,
    kCsMessage = 4,
    kCsTitle = 5,
    kCsPrompt = 6,
    kCsInfo = 7,
};
// Buffer sizes of the eight strings (the fourth has none given; it gets the
// size of the third).
inline constexpr size_t kConfigStringSize[kNumConfigStrings] = {516, 257, 257, 257,
                                                                257, 65,  514, 512};

struct ConfigStrings {
    char about[516] = {};
    char command[257] = {};
    char reserved3[257] = {};
    char reserved4[257] = {};
    char message[257] = {};
    char title[65] = {};
    char prompt[514] = {};
    char info[512] = {};

    char* slot(int index);
};

// Splits the inflated block into the eight strings; a string longer than
// its buffer is cut. The title is taken only when `hasTitle` (flags1 0x10);
// otherwise its slot (just its NUL) is skipped. False when the block does
// not hold eight NUL-terminated strings.
bool splitConfigStrings(const uint8_t* data, size_t size, bool hasTitle, ConfigStrings* out);

}  // namespace gm::sfx
