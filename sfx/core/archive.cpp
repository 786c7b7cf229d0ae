// Reading the ZIP archive that follows the stub, front to back: the input
// buffer the walk reads through, the decompressor's fill and flush, disk
// changes of a spanned set, and the walk over the records. One entry's
// handling is in entry.cpp, the central directory in central_directory.cpp.
//
// Index
//   [SECTION] Signatures           built at start-up
//   [SECTION] The input buffer     read-ahead, exact reads, skipping
//   [SECTION] Fill input / flush output
//   [SECTION] Disk changes         spanned sets
//   [SECTION] The extraction run   the walk over the records
//   [SECTION] Checking             "--check"
//
// Guards against malformed or hostile archives (the others are in entry.cpp):
// a data descriptor is 16 bytes with its signature and 12 without; a total
// size of 0 does not divide by zero. The input is read ahead through one
// buffer instead of one read per header; the bytes the walk sees are the same.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/codepage.h"
#include "sfx/core/crc32.h"
#include "sfx/core/entry_name.h"
#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"
#include "sfx/core/zip_format.h"
#include "sfx/core/zip_signatures.h"

namespace gm::sfx {

// ============================================================================
// [SECTION] Signatures
// ============================================================================
//
// The stub keeps only the last three bytes of each signature and puts the
// byte 50 in front at start-up, so that its own image never holds
// a byte sequence a ZIP reader would take for a header.

namespace {

constexpr uint8_t kSignatureTails[kSignatureCount][3] = {
    {0x4B, 0x03, 0x04},  // local file header
    {0x4B, 0x01, 0x02},  // central directory header
    {0x4B, 0x05, 0x06},  // end of central directory
    {0x4B, 0x30, 0x30},  // spanning marker
    {0x4B, 0x07, 0x08},  // spanning marker / data descriptor
    {0x4B, 0x06, 0x06},  // ZIP64 end of central directory
    {0x4B, 0x06, 0x07},  // ZIP64 end-record locator
};
uint32_t gSignatures[kSignatureCount];
}  // namespace

void buildSignatures() {
    // The byte 50, halved and hidden from the optimiser behind an empty asm
    // statement: the compiler can neither fold the signatures into constants
    // (or instruction operands) nor place a whole one in the image.
    uint32_t lead = 0x28;
    asm("" : "+r"(lead));
    lead *= 2;
    for (int i = 0; i < kSignatureCount; ++i)
        gSignatures[i] = lead | (uint32_t{kSignatureTails[i][0]} << 8) |
                         (uint32_t{kSignatureTails[i][1]} << 16) |
                         (uint32_t{kSignatureTails[i][2]} << 24);
}
uint32_t signature(ZipSignature which) { return gSignatures[which]; }

// ============================================================================
// [SECTION] The input buffer
// ============================================================================
//
// input_[kInputCarry, ...) holds bytes read ahead from the source;
// [inPos_, inEnd_) are not consumed yet. Before a refill the last
// kInputCarry consumed bytes move in front of the new data, so that the
// decompressor can give back the look-ahead it read past its stream.

uint64_t Sfx::streamPosition() const { return sourcePos_ - (inEnd_ - inPos_); }

// Reads more bytes from the source. At the end of a disk file of a spanned
// set the next disk is asked for (a short read asks for the next
// disk once and reads again). *gotAny tells whether bytes arrived.
Outcome Sfx::refill(bool allowShort, bool* gotAny) {
    *gotAny = false;
    // Keep the unconsumed bytes and kInputCarry bytes before them.
    const size_t keepFrom = inPos_ >= kInputCarry ? inPos_ - kInputCarry : 0;
    const size_t keep = inEnd_ - keepFrom;
    if (keepFrom > 0) {
        std::memmove(input_, input_ + keepFrom, keep);
        if (keepRaw_) std::memmove(shadow_, shadow_ + keepFrom, keep);
        inPos_ -= keepFrom;
        inEnd_ -= keepFrom;
    }
    const size_t room = kInputCarry + kInputBufferSize - inEnd_;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const long got = sourceOpen_ ? source_.read(input_ + inEnd_, room) : -1;
        if (got > 0) {
            inEnd_ += static_cast<size_t>(got);
            sourcePos_ += static_cast<uint64_t>(got);
            *gotAny = true;
            return Outcome::Ok;
        }
        if (got < 0 || !spanned_ || attempt == 1) break;
        SFX_TRY(askForDisk(currentDisk_ + 1, false));
    }
    if (allowShort) return Outcome::Ok;
    return failString(kStrReadError, stubPath_);
}

// Reads n bytes of a signature or header (string 46 when they are missing).
Outcome Sfx::readExact(uint8_t* dst, size_t n) {
    while (n > 0) {
        if (inPos_ == inEnd_) {
            bool got;
            SFX_TRY(refill(false, &got));
        }
        size_t k = inEnd_ - inPos_ < n ? inEnd_ - inPos_ : n;
        std::memcpy(dst, input_ + inPos_, k);
        inPos_ += k;
        dst += k;
        n -= k;
    }
    return Outcome::Ok;
}

// Skips compressed bytes of an entry that is not written (by seeking when
// the archive is one file).
Outcome Sfx::skipBytes(uint64_t n) {
    const size_t buffered = inEnd_ - inPos_;
    if (n <= buffered) {
        inPos_ += static_cast<size_t>(n);
        return Outcome::Ok;
    }
    n -= buffered;
    inPos_ = inEnd_;
    if (!spanned_) {
        if (!source_.seek(sourcePos_ + n)) return failString(kStrIoError);
        sourcePos_ += n;
        return Outcome::Ok;
    }
    while (n > 0) {
        bool got;
        SFX_TRY(refill(false, &got));
        size_t k = inEnd_ - inPos_ < n ? inEnd_ - inPos_ : static_cast<size_t>(n);
        inPos_ += k;
        n -= k;
    }
    return Outcome::Ok;
}

// ============================================================================
// [SECTION] Fill input / flush output
// ============================================================================

// Fill input: the next bytes of the entry's compressed data, at
// most the remaining count, decrypted in place when the entry is encrypted.
// A failure (its message shown) is kept in ioOutcome_ and reported to the
// decompressor as the end of the input.
size_t Sfx::fillInput(const uint8_t** data) {
    if (remaining_ == 0 || ioOutcome_ != Outcome::Ok) return 0;
    if (inPos_ == inEnd_) {
        bool got;
        Outcome o = refill(remaining_ == kUnknownSize, &got);
        if (o != Outcome::Ok) {
            ioOutcome_ = o;
            return 0;
        }
        if (!got) return 0;  // the archive ended inside a stream of unknown size
    }
    size_t n = inEnd_ - inPos_;
    if (n > remaining_) n = static_cast<size_t>(remaining_);
    uint8_t* chunk = input_ + inPos_;
    if (aesEntry_) {
        aes_.decrypt(chunk, n);
    } else if (encrypted_) {
        if (keepRaw_) std::memcpy(shadow_ + inPos_, chunk, n);
        keys_.decrypt(chunk, n);
    }
    inPos_ += n;
    if (remaining_ != kUnknownSize) remaining_ -= n;
    *data = chunk;
    return n;
}

// Reads n bytes of the entry's data the way fill input does (decrypting
// them): the encryption header of the password check.
Outcome Sfx::readEntryBytes(uint8_t* dst, size_t n) {
    while (n > 0) {
        if (remaining_ == 0) return failString(kStrReadError, stubPath_);
        if (inPos_ == inEnd_) {
            bool got;
            SFX_TRY(refill(remaining_ == kUnknownSize, &got));
            if (!got) return failString(kStrReadError, stubPath_);
        }
        size_t k = inEnd_ - inPos_;
        if (k > n) k = n;
        if (k > remaining_) k = static_cast<size_t>(remaining_);
        uint8_t* chunk = input_ + inPos_;
        if (keepRaw_) std::memcpy(shadow_ + inPos_, chunk, k);
        keys_.decrypt(chunk, k);
        std::memcpy(dst, chunk, k);
        inPos_ += k;
        if (remaining_ != kUnknownSize) remaining_ -= k;
        dst += k;
        n -= k;
    }
    return Outcome::Ok;
}

void Sfx::updateMeter(bool force) {
    if (!force && bytesWritten_ - lastMeterBytes_ < kMeterStep) return;
    lastMeterBytes_ = bytesWritten_;
    if (!meterVisible_) return;
    ui_.setMeter(meterPercent(), meterText_);
}

// bytesWritten_ * 100 / totalSize_, at most 100 (also for a total of 0, an
// archive of empty files). The division is in 32 bits, so that the 32-bit
// stub needs no 64-bit division: both sides are scaled down until the product
// fits, which keeps 16 significant bits of the total, plenty for a percent.
unsigned Sfx::meterPercent() const {
    uint64_t total = totalSize_;
    if (bytesWritten_ >= total) return 100;
    uint64_t done = bytesWritten_;
    while (total > 0xFFFFFF) {
        total >>= 8;
        done >>= 8;
    }
    return static_cast<uint32_t>(done) * 100 / static_cast<uint32_t>(total);
}

// Flush output, in pieces of at most one output buffer.
bool Sfx::flushOutput(const uint8_t* data, size_t size) {
    while (size > 0) {
        const size_t n = size < kOutputBufferSize ? size : kOutputBufferSize;
        if (!flushPiece(data, n)) return false;
        data += n;
        size -= n;
    }
    return true;
}

bool Sfx::flushPiece(const uint8_t* data, size_t size) {
    if (discardOutput_) return true;
    // An entry never grows past its declared size: a damaged or hostile
    // stream stops here, before the piece is written.
    if (entryBytes_ + size > entryLimit_) {
        ioOutcome_ = fail(kTextTooMuchData, entryPath_, static_cast<unsigned long>(entryLimit_));
        return false;
    }
    // 1. Count, and move the meter every 64 KiB.
    bytesWritten_ += size;
    entryBytes_ += size;
    updateMeter(false);
    // 2. Checksum.
    crc_ = crc32Update(crc_, data, size);
    // 3. Write (a link's target is gathered; its size is checked up front).
    if (kRestoresLinks && linkEntry_) {
        std::memcpy(linkTarget_ + entryBytes_ - size, data, size);
    } else if (!testSetting && !host_.unpackFolder().writeFile(data, size)) {
        ioOutcome_ = failString(kStrWriteError, entryPath_);
        return false;
    }
    // 4. Poll the user: the dialog's timer 69, then a key or click asks
    // string 20; Yes ends the run with result 2.
    if (meterTimerArmed_ && host_.nowMs() >= meterDeadline_) {
        meterTimerArmed_ = false;
        if (bytesWritten_ * 3 < totalSize_) {
            ui_.setStatus("");
            ui_.showMeter(true);
            meterVisible_ = true;
            updateMeter(true);
        }
    }
    if (ui_.interruptRequested() &&
        ask(sfxString(kStrAskAbortUnzip), Buttons::YesNo, Icon::Question, 1) == Answer::Yes) {
        ioOutcome_ = Outcome::Failed;
        userAborted_ = true;
        return false;
    }
    return true;
}

void Sfx::showDecompressing(const char* fullPath) {
    std::snprintf(meterText_, sizeof meterText_, sfxString(kStrDecompressing),
                  fileNamePart(fullPath));
    if (meterVisible_)
        ui_.setMeter(meterPercent(), meterText_);
    else
        ui_.setStatus(meterText_);
}

// ============================================================================
// [SECTION] Disk changes
// ============================================================================
//
// A disk's number comes from the volume label of the drive that holds the
// stub: "PKBACK#" and, after the first '.' or blank, the digits of the
// number ("PKBACK# 003" is disk 3).

bool parseDiskLabel(const char* label, int* number) {
    if (std::strncmp(label, "PKBACK#", 7) != 0) return false;
    const char* p = label + 7;
    while (*p && *p != '.' && *p != ' ') ++p;
    if (!*p) return false;
    ++p;
    while (*p == ' ') ++p;
    if (*p < '0' || *p > '9') return false;
    int n = 0;
    while (*p >= '0' && *p <= '9' && n < 100000) n = n * 10 + (*p++ - '0');
    *number = n;
    return true;
}

Outcome Sfx::askForDisk(int disk, bool startUp) {
    source_.close();
    sourceOpen_ = false;
    for (;;) {
        char label[64] = {};
        int number = 0;
        if (!source_.readVolumeLabel(label, sizeof label) || !parseDiskLabel(label, &number)) {
            std::snprintf(message_, sizeof message_, sfxString(kStrWrongDisk), disk);
            const Answer a = ask(message_, Buttons::AbortRetryIgnore, Icon::Question);
            if (a == Answer::Abort) return Outcome::Failed;
            if (a == Answer::Retry) continue;
            number = disk;  // Ignore: take it as the disk asked for
        }
        if (disk != 0 && number != disk) {
            std::snprintf(message_, sizeof message_, sfxString(kStrInsertDisk), disk,
                          source_.drive());
            if (ask(message_, Buttons::OkCancel, Icon::Question) == Answer::Cancel)
                return Outcome::Failed;
            continue;
        }
        if (disk == 0 && number == 0) {
            std::snprintf(message_, sizeof message_, sfxString(kStrInsertLastDisk),
                          source_.drive());
            if (ask(message_, Buttons::OkCancel, Icon::Question) == Answer::Cancel)
                return Outcome::Failed;
            continue;
        }
        break;
    }
    const bool exe = disksAreExe_ || (startUp && disk == 1);
    if (!source_.open(exe ? ArchiveSource::Which::DiskExe : ArchiveSource::Which::DiskZip))
        return fail(kTextInvalidHeader);
    sourceOpen_ = true;
    sourcePos_ = 0;
    currentDisk_ = disk;
    return Outcome::Ok;
}

// ============================================================================
// [SECTION] The extraction run
// ============================================================================

Outcome Sfx::extract() {
    ui_.setBusy(true);
    ioOutcome_ = Outcome::Ok;
    userAborted_ = false;
    linkEntry_ = false;
    inPos_ = inEnd_ = kInputCarry;
    knownFolder_[0] = '\0';
    knownFolderLength_ = 0;
    // The central directory is read first (one-file archives): it has the
    // sizes of streamed entries and the file modes, and the total when the
    // record's does not fit its 32 bits.
    if (!spanned_ && !centralLoaded_ && loadCentralDirectory() != Outcome::Ok) centralCount_ = 0;
    totalSize_ = config_.totalSize == kZip64Marker ? centralTotalSize() : config_.totalSize;
    Outcome result = walk();
    // After an error the output file is closed (and stays until the
    // clean-up removes the folder).
    if (outputOpen_) {
        host_.unpackFolder().closeFile(nullptr, 0);
        outputOpen_ = false;
    }
    ui_.setBusy(false);
    return result;
}

Outcome Sfx::walk() {
    if (spanned_) SFX_TRY(askForDisk(1, false));
    if (!spanned_ || disksAreExe_) {
        if (!sourceOpen_ || !source_.seek(config_.zipOffset)) return failString(kStrIoError);
        sourcePos_ = config_.zipOffset;
    }
    for (;;) {
        uint8_t sig[4];
        SFX_TRY(readExact(sig, 4));
        const uint32_t s = load32le(sig);
        if (s == signature(kSigLocal)) {
            SFX_TRY(processEntry());
        } else if (s == signature(kSigCentral)) {
            if (spanned_) break;
            uint8_t h[kCentralHeaderSize];
            SFX_TRY(readExact(h, sizeof h));
            SFX_TRY(skipBytes(uint64_t{load16le(h + 24)} + load16le(h + 26) + load16le(h + 28)));
        } else if (s == signature(kSigZip64End)) {
            uint8_t size[8];
            SFX_TRY(readExact(size, sizeof size));
            SFX_TRY(skipBytes(load64le(size)));
        } else if (s == signature(kSigZip64Locator)) {
            SFX_TRY(skipBytes(kZip64LocatorSize));
        } else if (s == signature(kSigEnd)) {
            uint8_t h[kEndRecordSize];
            SFX_TRY(readExact(h, sizeof h));
            SFX_TRY(skipBytes(load16le(h + 16)));
            break;
        } else if (s == signature(kSigSpan00)) {
            continue;
        } else if (s == signature(kSigSpan78) && spanned_) {
            continue;
        } else {
            return failString(kStrBadHeader);
        }
    }
    return Outcome::Ok;
}

// ============================================================================
// [SECTION] Checking
// ============================================================================

int Sfx::checkArchive() {
    testSetting = true;
    if (passwordFlag_) {
        char entered[sizeof password_] = {};
        if (!ui_.askPassword(entered, sizeof entered)) return kExitCancelled;
        setPassword(entered);
    }
    const Outcome result = extract();
    if (result == Outcome::Ok) {
        std::snprintf(message_, sizeof message_, kTextCheckPassed,
                      static_cast<unsigned>(filesWritten_));
        ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::None, 0);
    }
    return result == Outcome::Ok ? 0 : result == Outcome::Cancelled ? kExitCancelled : kExitFailed;
}

}  // namespace gm::sfx
