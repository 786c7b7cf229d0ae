// Reading the ZIP archive that follows the stub, front to back,
// and writing every entry below the unpacking folder.
//
// Index
//   [SECTION] ZIP format notes and signatures
//   [SECTION] The input buffer       read-ahead, exact reads, skipping
//   [SECTION] Fill input / flush output
//   [SECTION] Disk changes           spanned sets
//   [SECTION] Central directory      sizes that local headers defer
//   [SECTION] The extraction run     the walk and one entry
//
// Guards against malformed or hostile archives: entry names
// are checked (entry_name.h); a data descriptor is 16 bytes with its
// signature and 12 without; zero sizes of a streamed entry are taken from
// the central directory (in a spanned set, a deflated entry ends where its
// stream ends); sizes that cannot be right are refused as damage before any
// data is read; UTF-8 names skip the OEM conversion; a total size of 0 does
// not divide by zero. The input is read ahead through one buffer instead of
// one read per header; the bytes the walk sees are the same.
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
#include "sfx/core/zip_signatures.h"

namespace gm::sfx {

// ============================================================================
// [SECTION] ZIP format notes and signatures
// ============================================================================
//
// (PKWARE APPNOTE.TXT, sections 4.3.7 - 4.3.16.) All values little-endian.
//
// Local file header, after its signature 50 4B 03 04 (26 bytes):
//   0 version needed   2 flags   4 method   6 time   8 date   10 CRC-32
//   14 compressed size   18 uncompressed size   22 name length
//   24 extra length; then the name and the extra field.
// Flags: bit 0 encrypted, bit 3 sizes and CRC follow the data in a data
// descriptor (CRC, compressed size, uncompressed size, optionally preceded
// by the signature 50 4B 07 08), bit 11 UTF-8 name.
// Central directory header, after 50 4B 01 02 (42 bytes):
//   12 CRC-32   16 compressed size   20 uncompressed size   24 name length
//   26 extra length   28 comment length   38 local header offset.
// End of central directory, after 50 4B 05 06 (18 bytes):
//   0 disk   2 disk of the directory   4 entries on this disk   6 entries
//   8 directory size   12 directory offset   16 comment length.
//
// The stub keeps only the last three bytes of each signature and puts the
// byte 50 in front at start-up, so that its own image never holds
// a byte sequence a ZIP reader would take for a header.

namespace {

constexpr uint8_t kSignatureTails[5][3] = {
    {0x4B, 0x03, 0x04},  // local file header
    {0x4B, 0x01, 0x02},  // central directory header
    {0x4B, 0x05, 0x06},  // end of central directory
    {0x4B, 0x30, 0x30},  // spanning marker
    {0x4B, 0x07, 0x08},  // spanning marker / data descriptor
};
uint32_t gSignatures[5];
// The byte 50, halved and read through a volatile: the compiler can neither
// fold the signatures into constants (or instruction operands) nor place
// a whole one in the image.
volatile uint8_t gLeadHalf = 0x28;

constexpr size_t kLocalHeaderSize = 26;
constexpr size_t kCentralHeaderSize = 42;
constexpr size_t kEndRecordSize = 18;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDescriptor = 0x0008;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint32_t kZip64Marker = 0xFFFFFFFFu;
constexpr uint32_t kUnixTypeMask = 0170000;
constexpr uint32_t kUnixLink = 0120000;
// Remaining size of an entry whose end only its deflate stream tells.
constexpr uint64_t kUnknownSize = ~uint64_t{0};
// The central directory is read whole; a larger one is taken for damage.
constexpr uint64_t kMaxCentralDirectory = 64u << 20;
// The end record lies within its maximal comment of the end of the file.
constexpr size_t kMaxEndSearch = kEndRecordSize + 4 + 65535;

}  // namespace

void buildSignatures() {
    const uint32_t lead = uint32_t{gLeadHalf} * 2;
    for (int i = 0; i < 5; ++i)
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
    if (encrypted_) {
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
    // A total of 0 (an archive of empty files) shows a full meter.
    uint64_t percent = config_.totalSize == 0 ? 100 : bytesWritten_ * 100 / config_.totalSize;
    if (percent > 100) percent = 100;
    ui_.setMeter(static_cast<unsigned>(percent), meterText_);
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
    if (linkEntry_) {
        std::memcpy(linkTarget_ + entryBytes_ - size, data, size);
    } else if (!testSetting && !host_.unpackFolder().writeFile(data, size)) {
        ioOutcome_ = failString(kStrWriteError, entryPath_);
        return false;
    }
    // 4. Poll the user: the dialog's timer 69, then a key or click asks
    // string 20; Yes ends the run with result 2.
    if (meterTimerArmed_ && host_.nowMs() >= meterDeadline_) {
        meterTimerArmed_ = false;
        if (bytesWritten_ * 3 < config_.totalSize) {
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
        ui_.setMeter(static_cast<unsigned>(config_.totalSize == 0
                                               ? 100
                                               : (bytesWritten_ * 100 / config_.totalSize > 100
                                                      ? 100
                                                      : bytesWritten_ * 100 / config_.totalSize)),
                     meterText_);
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
// [SECTION] Central directory
// ============================================================================

bool Sfx::findEndRecord(uint64_t* offset) {
    uint8_t sig[4];
    if (config_.eocdOffset != 0) {
        if (source_.seek(config_.eocdOffset) && source_.read(sig, 4) == 4 &&
            load32le(sig) == signature(kSigEnd)) {
            *offset = config_.eocdOffset;
            return true;
        }
        return false;
    }
    // Search backwards from the end: the record is followed only by its
    // comment, whose length it states.
    const uint64_t size = source_.size();
    const size_t span = size < kMaxEndSearch ? static_cast<size_t>(size) : kMaxEndSearch;
    if (span < kEndRecordSize + 4) return false;
    auto* tail = static_cast<uint8_t*>(std::malloc(span));
    if (tail == nullptr) return false;
    bool found = false;
    if (source_.seek(size - span) && source_.read(tail, span) == static_cast<long>(span)) {
        for (size_t i = span - kEndRecordSize - 4 + 1; i-- > 0;) {
            if (load32le(tail + i) == signature(kSigEnd) &&
                i + 4 + kEndRecordSize + load16le(tail + i + 4 + 16) == span) {
                *offset = size - span + i;
                found = true;
                break;
            }
        }
    }
    std::free(tail);
    return found;
}

namespace {
int compareCentral(const void* a, const void* b) {
    const auto* x = static_cast<const CentralEntry*>(a);
    const auto* y = static_cast<const CentralEntry*>(b);
    return x->localOffset < y->localOffset ? -1 : x->localOffset > y->localOffset ? 1 : 0;
}
}  // namespace

// Reads the whole central directory of a one-file archive, then puts the
// source back where the walk is. Offsets in it are relative to the start of
// the archive; the difference between where the directory is and where the
// end record says it is gives the bytes in front (0 once mksfx has
// rewritten the offsets, the stub's size when an archive was only appended).
Outcome Sfx::loadCentralDirectory() {
    centralLoaded_ = true;
    uint64_t end = 0;
    uint8_t record[4 + kEndRecordSize];
    uint8_t* directory = nullptr;
    Outcome result = Outcome::Failed;
    do {
        if (!findEndRecord(&end) || !source_.seek(end) ||
            source_.read(record, sizeof record) != static_cast<long>(sizeof record))
            break;
        const uint16_t count = load16le(record + 4 + 6);
        const uint32_t dirSize = load32le(record + 4 + 8);
        const uint32_t dirOffset = load32le(record + 4 + 12);
        if (dirSize > end || dirSize > kMaxCentralDirectory || dirOffset == kZip64Marker) break;
        const uint64_t dirStart = end - dirSize;
        if (dirStart < dirOffset) break;
        const uint64_t base = dirStart - dirOffset;
        directory = static_cast<uint8_t*>(std::malloc(dirSize ? dirSize : 1));
        central_ = static_cast<CentralEntry*>(std::malloc((count ? count : 1) * sizeof *central_));
        if (directory == nullptr || central_ == nullptr) break;
        if (!source_.seek(dirStart) ||
            source_.read(directory, dirSize) != static_cast<long>(dirSize))
            break;
        ByteReader r(directory, dirSize);
        size_t n = 0;
        while (n < count && r.remaining() >= 4 + kCentralHeaderSize) {
            if (r.u32() != signature(kSigCentral)) break;
            const uint8_t* h = r.here();
            r.skip(kCentralHeaderSize);
            CentralEntry e;
            e.crc = load32le(h + 12);
            e.compressedSize = load32le(h + 16);
            e.uncompressedSize = load32le(h + 20);
            e.localOffset = base + load32le(h + 38);
            // "Version made by" 3 = Unix: the external attributes hold the
            // file mode (type and permissions) in their high half.
            e.madeOnUnix = h[1] == 3;
            e.unixMode = e.madeOnUnix ? load32le(h + 34) >> 16 : 0;
            r.skip(size_t{load16le(h + 24)} + load16le(h + 26) + load16le(h + 28));
            if (!r.ok()) break;
            central_[n++] = e;
        }
        centralCount_ = n;
        std::qsort(central_, centralCount_, sizeof *central_, compareCentral);
        result = Outcome::Ok;
    } while (false);
    std::free(directory);
    // Back to where the walk reads (a failure shows at its next read).
    source_.seek(sourcePos_);
    return result;
}

Outcome Sfx::lookUpCentralEntry(uint64_t localOffset, CentralEntry* out) {
    if (spanned_) return Outcome::Failed;
    if (!centralLoaded_) {
        if (loadCentralDirectory() != Outcome::Ok) centralCount_ = 0;
    }
    size_t lo = 0, hi = centralCount_;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (central_[mid].localOffset < localOffset)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < centralCount_ && central_[lo].localOffset == localOffset) {
        *out = central_[lo];
        return Outcome::Ok;
    }
    return Outcome::Failed;
}

// ============================================================================
// [SECTION] The extraction run
// ============================================================================

namespace {

// A name that could not be converted, for a message: control characters,
// bytes outside ASCII and the NULs a damaged header may hold become '?'.
void printableName(const uint8_t* raw, size_t n, char* out, size_t capacity) {
    size_t w = 0;
    for (size_t i = 0; i < n && w + 1 < capacity; ++i)
        out[w++] = raw[i] >= 0x20 && raw[i] < 0x7F ? static_cast<char>(raw[i]) : '?';
    out[w] = '\0';
}

}  // namespace

Outcome Sfx::extract() {
    ui_.setBusy(true);
    ioOutcome_ = Outcome::Ok;
    userAborted_ = false;
    linkEntry_ = false;
    inPos_ = inEnd_ = kInputCarry;
    knownFolder_[0] = '\0';
    knownFolderLength_ = 0;
    // The central directory is read first (one-file archives): it has the
    // sizes of streamed entries and the file modes.
    if (!spanned_ && !centralLoaded_ && loadCentralDirectory() != Outcome::Ok) centralCount_ = 0;
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

Outcome Sfx::processEntry() {
    const uint64_t headerOffset = streamPosition() - 4;
    // 1. The header.
    uint8_t h[kLocalHeaderSize];
    SFX_TRY(readExact(h, sizeof h));
    const uint16_t flags = load16le(h + 2);
    const uint16_t method = load16le(h + 4);
    const DosTime time{load16le(h + 6), load16le(h + 8)};
    const uint32_t headerCrc = load32le(h + 10);
    uint32_t crc = headerCrc;
    uint32_t csize = load32le(h + 14);
    uint32_t usize = load32le(h + 18);
    const uint16_t nameLength = load16le(h + 22);
    uint16_t extraLength = load16le(h + 24);
    encrypted_ = (flags & kFlagEncrypted) != 0;
    const bool descriptor = (flags & kFlagDescriptor) != 0;

    // 2. The name (refused when it does not fit its buffer) and the extra
    // field, skipped except for a Unicode Path field matching the name.
    uint8_t rawName[kPathBuffer];
    if (nameLength >= kPathBuffer) {
        char shown[kPathBuffer];
        SFX_TRY(readExact(rawName, 60));
        printableName(rawName, 60, shown, sizeof shown);
        return fail(kTextNameTooLong, shown, static_cast<unsigned>(kPathBuffer - 1));
    }
    SFX_TRY(readExact(rawName, nameLength));
    rawName[nameLength] = '\0';
    bool unicodeName = false;
    uint8_t unicodeRaw[kPathBuffer];
    size_t unicodeLength = 0;
    while (extraLength >= 4) {
        uint8_t eh[4];
        SFX_TRY(readExact(eh, 4));
        const uint16_t id = load16le(eh), len = load16le(eh + 2);
        extraLength -= 4;
        const uint16_t take = len < extraLength ? len : extraLength;
        if (id == kUnicodePathExtra && take >= 5 && take - 5u < kPathBuffer) {
            uint8_t head[5];
            SFX_TRY(readExact(head, 5));
            unicodeLength = take - 5u;
            SFX_TRY(readExact(unicodeRaw, unicodeLength));
            unicodeName =
                head[0] == 1 && ~crc32Update(kCrcInit, rawName, nameLength) == load32le(head + 1);
        } else {
            SFX_TRY(skipBytes(take));
        }
        extraLength -= take;
    }
    SFX_TRY(skipBytes(extraLength));
    const bool isFolder =
        nameLength > 0 && (rawName[nameLength - 1] == '/' || rawName[nameLength - 1] == '\\');

    CentralEntry e{};
    const bool inDirectory = lookUpCentralEntry(headerOffset, &e) == Outcome::Ok;

    // The name in the stub's code page, its checks, and the full path. The
    // OEM conversion is for names from DOS and Windows hosts: names flagged
    // UTF-8, and valid UTF-8 from a Unix host (Info-ZIP zip does not flag
    // them), skip it.
    const bool utf8 = unicodeName || (flags & kFlagUtf8) != 0 ||
                      (inDirectory && e.madeOnUnix &&
                       isValidUtf8(reinterpret_cast<const char*>(rawName), nameLength));
    char name[kPathBuffer], rel[kPathBuffer];
    NameStatus st =
        convertEntryName(unicodeName ? unicodeRaw : rawName,
                         unicodeName ? unicodeLength : nameLength, utf8, name, sizeof name);
    if (st != NameStatus::Ok) printableName(rawName, nameLength, name, sizeof name);
    if (st == NameStatus::Ok)
        st = makeRelativePath(name, std::strlen(name), rel, sizeof rel, kWindowsNameRules);
    if (st == NameStatus::Ok)
        st = makeFullPath(folder_, rel, host_.separator(), entryPath_, sizeof entryPath_);
    if (st == NameStatus::Unsafe) return fail(kTextUnsafeName, name);
    if (st == NameStatus::TooLong)
        return fail(kTextNameTooLong, name, static_cast<unsigned>(kPathBuffer - 1));
    if (st == NameStatus::BadEncoding) return fail(kTextBadNameEncoding, name);

    if (csize == kZip64Marker || usize == kZip64Marker) return failString(kStrBadHeader);
    // Sizes and CRC of an entry with a data descriptor: the central
    // directory has them; without it the descriptor gives the CRC, and zero
    // sizes in a spanned set mean that the deflate stream's end decides.
    bool sizeKnown = true;
    bool crcFromDescriptor = false;
    if (descriptor) {
        if (inDirectory) {
            crc = e.crc;
            csize = e.compressedSize;
            usize = e.uncompressedSize;
        } else if (csize == 0 && usize == 0 && !isFolder) {
            if (!spanned_) return fail(kTextImpossibleSizes, entryPath_, 0ul, 0ul);
            sizeKnown = false;
            crcFromDescriptor = true;
        } else {
            crcFromDescriptor = true;
        }
    }

    if (isFolder) {
        // 3. A folder entry: create the folder chain, skip any data.
        if (!testSetting) SFX_TRY(makeFolderChain(rel, true));
        if (usize == 0 && csize != 0) SFX_TRY(skipBytes(csize));
        if (descriptor) {
            DataDescriptor d;
            SFX_TRY(readDataDescriptor(0, &d));
        }
        return Outcome::Ok;
    }

    // Damage that the sizes alone show is refused before any data is read:
    // an encrypted entry shorter than its encryption header, a stored entry
    // whose sizes differ, a stored entry of unknown size.
    {
        const bool tooShort = sizeKnown && encrypted_ && csize < kEncryptionHeaderSize;
        const uint32_t dataSize = encrypted_ && !tooShort ? csize - kEncryptionHeaderSize : csize;
        if (tooShort || (method == kMethodStored && (!sizeKnown || dataSize != usize)))
            return fail(kTextImpossibleSizes, entryPath_, static_cast<unsigned long>(csize),
                        static_cast<unsigned long>(usize));
    }

    // 4. Folders of the path, and the overwrite question.
    bool write = true;
    if (!testSetting) {
        SFX_TRY(makeFolderChain(rel, false));
        if (!overwriteWithoutAsking && host_.unpackFolder().kind(rel) != PathKind::Missing) {
            updateMeter(true);
            std::snprintf(message_, sizeof message_, sfxString(kStrOverwrite), entryPath_);
            const Answer a = ask(message_, Buttons::YesNoCancel, Icon::Question);
            if (a == Answer::Cancel) return Outcome::Cancelled;
            write = a == Answer::Yes;
        }
    }
    remaining_ = sizeKnown ? csize : kUnknownSize;
    keepRaw_ = encrypted_ && !sizeKnown;
    if (!write) {
        // Declined: skip the data. A stream of unknown length is inflated
        // without output to find its end.
        if (sizeKnown) {
            SFX_TRY(skipBytes(csize));
        } else {
            if (encrypted_) SFX_TRY(checkPassword(descriptor, time, headerCrc));
            discardOutput_ = true;
            InflateResult r = inflateStream(*this, window_);
            discardOutput_ = false;
            if (ioOutcome_ != Outcome::Ok) return ioOutcome_;
            if (r.status != InflateStatus::Ok)
                return failString(kStrBadCrc, entryPath_, 0ul, static_cast<unsigned long>(crc));
            giveBack(r.unusedInput);
        }
        keepRaw_ = false;
        if (descriptor) {
            DataDescriptor d;
            SFX_TRY(readDataDescriptor(crc, &d));
        }
        return Outcome::Ok;
    }

    // 5. Encrypted: the password check.
    if (encrypted_) SFX_TRY(checkPassword(descriptor, time, headerCrc));
    // A method the stub cannot unpack is refused before its file is made.
    if (remaining_ != 0 && method != kMethodDeflated && method != kMethodStored)
        return failString(kStrUnsupportedMethod);

    // Writing the entry's data: 1. the output file.
    crc_ = kCrcInit;
    entryBytes_ = 0;
    entryLimit_ = sizeKnown ? usize : kUnknownSize;
    // A symbolic link made on Unix, where the backend makes links: its data
    // is the target, restored as a link once it is checked.
    linkEntry_ = inDirectory && e.madeOnUnix && (e.unixMode & kUnixTypeMask) == kUnixLink &&
                 host_.unpackFolder().makesLinks() && !testSetting;
    if (linkEntry_) {
        if (!sizeKnown || usize >= sizeof linkTarget_)
            return fail(kTextUnsafeLink, entryPath_, "?");
    } else if (!testSetting) {
        if (!host_.unpackFolder().createFile(rel))
            return failString(kStrCannotCreateFile, entryPath_);
        outputOpen_ = true;
    }
    // 2. Inflate or copy.
    bool damaged = false;
    if (remaining_ != 0) {
        if (method == kMethodDeflated) {
            showDecompressing(entryPath_);
            InflateResult r = inflateStream(*this, window_);
            if (ioOutcome_ != Outcome::Ok) return ioOutcome_;
            if (r.status == InflateStatus::NoMemory) return fail(kTextNoMemory);
            // A damaged stream ends early without a message; the checksum
            // comparison below reports it.
            if (r.status != InflateStatus::Ok) {
                damaged = true;
                if (!sizeKnown)
                    return failString(kStrBadCrc, entryPath_, static_cast<unsigned long>(~crc_),
                                      static_cast<unsigned long>(crc));
            } else if (!sizeKnown) {
                giveBack(r.unusedInput);  // the look-ahead past the stream
            }
            if (sizeKnown && remaining_ != 0) SFX_TRY(skipBytes(remaining_));
        } else {  // stored
            showDecompressing(entryPath_);
            const uint8_t* chunk;
            size_t n;
            while ((n = fillInput(&chunk)) > 0)
                if (!flushOutput(chunk, n)) break;
            if (ioOutcome_ != Outcome::Ok) return ioOutcome_;
        }
    }
    keepRaw_ = false;
    // 3. Count the file; close it with its times.
    ++filesWritten_;
    if (outputOpen_) {
        host_.unpackFolder().closeFile(&time, inDirectory ? e.unixMode & 0777 : 0);
        outputOpen_ = false;
    }
    // 6. The data descriptor.
    const uint32_t computed = ~crc_;
    if (descriptor) {
        DataDescriptor d;
        SFX_TRY(readDataDescriptor(computed, &d));
        if (crcFromDescriptor) crc = d.crc;
        if (!sizeKnown) usize = d.uncompressedSize;
    }
    // 4. The checksum, then the size, which damage changes too.
    if (damaged || computed != crc)
        return failString(kStrBadCrc, entryPath_, static_cast<unsigned long>(computed),
                          static_cast<unsigned long>(crc));
    if (entryBytes_ != usize)
        return fail(kTextSizeMismatch, entryPath_, static_cast<unsigned long>(entryBytes_),
                    static_cast<unsigned long>(usize));
    if (linkEntry_) {
        linkEntry_ = false;
        linkTarget_[usize] = '\0';
        if (!linkStaysInside(rel, linkTarget_, usize))
            return fail(kTextUnsafeLink, entryPath_, linkTarget_);
        if (!host_.unpackFolder().createLink(rel, linkTarget_))
            return failString(kStrCannotCreateFile, entryPath_);
    }
    return Outcome::Ok;
}

// Puts the decompressor's look-ahead back into the input buffer, as the
// raw bytes it was before decryption.
void Sfx::giveBack(size_t n) {
    inPos_ -= n;
    if (keepRaw_) std::memcpy(input_ + inPos_, shadow_ + inPos_, n);
}

// The password check: the keys start from the password; the
// 12-byte encryption header is decrypted; its last byte must equal the high
// byte of the modification time (entries with a data descriptor) or of the
// CRC-32.
Outcome Sfx::checkPassword(bool descriptor, DosTime time, uint32_t headerCrc) {
    if (!havePassword_) return failString(kStrNoPassword);
    keys_.start(password_, passwordLength_);
    uint8_t header[kEncryptionHeaderSize];
    SFX_TRY(readEntryBytes(header, sizeof header));
    const uint8_t check =
        descriptor ? static_cast<uint8_t>(time.time >> 8) : static_cast<uint8_t>(headerCrc >> 24);
    if (header[kEncryptionHeaderSize - 1] != check) return failString(kStrWrongPassword);
    return Outcome::Ok;
}

// The data descriptor after an entry's data: CRC-32, compressed size and
// uncompressed size, in most archives preceded by the signature 50 4B 07 08
// (16 bytes), in some without it (12 bytes). A descriptor that starts with
// the signature has it, unless the CRC itself equals the signature; then
// the word after it decides.
Outcome Sfx::readDataDescriptor(uint32_t knownCrc, DataDescriptor* out) {
    uint8_t d[16];
    SFX_TRY(readExact(d, 4));
    const uint32_t first = load32le(d);
    bool withSignature = false;
    if (first == signature(kSigSpan78)) {
        if (knownCrc != first) {
            withSignature = true;
            SFX_TRY(readExact(d + 4, 12));
        } else {
            SFX_TRY(readExact(d + 4, 8));
            withSignature = load32le(d + 4) == knownCrc;
            if (withSignature) SFX_TRY(readExact(d + 12, 4));
        }
    } else {
        SFX_TRY(readExact(d + 4, 8));
    }
    const uint8_t* v = withSignature ? d + 4 : d;
    out->crc = load32le(v);
    out->compressedSize = load32le(v + 4);
    out->uncompressedSize = load32le(v + 8);
    return Outcome::Ok;
}

// Creating a folder chain: every folder of the relative path that
// does not exist yet, from the unpacking folder down (the last component
// too for a folder entry).
Outcome Sfx::makeFolderChain(const char* rel, bool includeLast) {
    if (folder_[0] != '\0' && folder_[1] == ':') {
        const char drive[3] = {folder_[0], ':', '\0'};
        if (!host_.driveUsable(drive)) return failString(kStrBadDrive, drive);
    }
    char prefix[kPathBuffer];
    const size_t n = std::strlen(rel);
    size_t last = 0;  // length of the deepest folder of this path
    for (size_t i = 0; i <= n; ++i) {
        const bool end = i == n;
        if (!(rel[i] == '/' || (end && includeLast))) continue;
        last = i;
        // Folders this run has already made or found need no second look
        // (archives list a folder's files together; nothing else writes in
        // the unpacking folder meanwhile).
        if (i <= knownFolderLength_ && std::memcmp(rel, knownFolder_, i) == 0 &&
            (knownFolder_[i] == '\0' || knownFolder_[i] == '/'))
            continue;
        std::memcpy(prefix, rel, i);
        prefix[i] = '\0';
        if (host_.unpackFolder().kind(prefix) != PathKind::Missing) continue;
        if (!host_.unpackFolder().createFolder(prefix)) {
            char full[kPathBuffer];
            makeFullPath(folder_, prefix, host_.separator(), full, sizeof full);
            return failString(kStrCannotCreateFolder, full);
        }
    }
    std::memcpy(knownFolder_, rel, last);
    knownFolder_[last] = '\0';
    knownFolderLength_ = last;
    return Outcome::Ok;
}

// ============================================================================
// [SECTION] Checking and listing (front-end options)
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

// The central directory, one line per entry, in the layout of "unzip -l".
int Sfx::listEntries() {
    uint64_t end = 0;
    uint8_t record[4 + kEndRecordSize];
    if (spanned_ || !findEndRecord(&end) || !source_.seek(end) ||
        source_.read(record, sizeof record) != static_cast<long>(sizeof record)) {
        failString(kStrBadHeader);
        return kExitFailed;
    }
    const uint16_t count = load16le(record + 4 + 6);
    const uint32_t dirSize = load32le(record + 4 + 8);
    if (dirSize > end || dirSize > kMaxCentralDirectory) {
        failString(kStrBadHeader);
        return kExitFailed;
    }
    auto* directory = static_cast<uint8_t*>(std::malloc(dirSize ? dirSize : 1));
    if (directory == nullptr || !source_.seek(end - dirSize) ||
        source_.read(directory, dirSize) != static_cast<long>(dirSize)) {
        std::free(directory);
        failString(kStrBadHeader);
        return kExitFailed;
    }
    ui_.messageBox("  Length      Date    Time    Name\n---------  ---------- -----   ----",
                   kCaption, Buttons::Ok, Icon::None, 0);
    ByteReader r(directory, dirSize);
    uint64_t total = 0;
    unsigned listed = 0;
    while (listed < count && r.remaining() >= 4 + kCentralHeaderSize &&
           r.u32() == signature(kSigCentral)) {
        const uint8_t* h = r.here();
        r.skip(kCentralHeaderSize);
        const uint16_t nameLength = load16le(h + 24);
        const uint8_t* raw = r.here();
        r.skip(size_t{nameLength} + load16le(h + 26) + load16le(h + 28));
        if (!r.ok()) break;
        char name[kPathBuffer];
        const bool utf8 =
            (load16le(h + 4) & kFlagUtf8) != 0 ||
            (h[1] == 3 && isValidUtf8(reinterpret_cast<const char*>(raw), nameLength));
        if (convertEntryName(raw, nameLength, utf8, name, sizeof name) != NameStatus::Ok)
            printableName(raw, nameLength, name, sizeof name);
        const uint16_t time = load16le(h + 8), date = load16le(h + 10);
        const uint32_t size = load32le(h + 20);
        std::snprintf(message_, sizeof message_, "%9lu  %04u-%02u-%02u %02u:%02u   %s",
                      static_cast<unsigned long>(size), 1980u + (date >> 9), (date >> 5) & 15u,
                      date & 31u, time >> 11, (time >> 5) & 63u, name);
        ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::None, 0);
        total += size;
        ++listed;
    }
    std::free(directory);
    std::snprintf(message_, sizeof message_,
                  "---------                     -------\n%9lu                     %u file%s",
                  static_cast<unsigned long>(total), listed, listed == 1 ? "" : "s");
    ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::None, 0);
    return listed == count ? 0 : kExitFailed;
}

}  // namespace gm::sfx
