// The central directory of a one-file archive: finding the end record,
// reading the stored values that local headers defer (sizes of streamed
// entries, Unix modes), and listing the entries.
//
// Index
//   [SECTION] The end record       the recorded offset, else a backward search
//                                  from the archive's end (a signature follows it)
//   [SECTION] Stored values        loading, sorting, looking up by offset
//   [SECTION] Listing              "--list"
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/entry_name.h"
#include "sfx/core/sfx.h"
#include "sfx/core/string_table.h"
#include "sfx/core/zip_format.h"
#include "sfx/core/zip_signatures.h"

namespace gm::sfx {

// ============================================================================
// [SECTION] The end record
// ============================================================================

// Where the archive ends: where a PE file's certificate table starts (an
// Authenticode signature is appended behind the archive), else at the end of
// the file. The table is the optional header's fifth data directory, whose
// address is a file offset; the header is PE32 (magic 0x10B) or PE32+
// (0x20B), which differ in where the directories start.
uint64_t Sfx::archiveEnd() {
    const uint64_t size = source_.size();
    uint8_t dos[0x40], pe[24 + 112 + 5 * 8];
    if (!source_.seek(0) || source_.read(dos, sizeof dos) != static_cast<long>(sizeof dos) ||
        dos[0] != 'M' || dos[1] != 'Z' || !source_.seek(load32le(dos + 0x3C)) ||
        source_.read(pe, sizeof pe) != static_cast<long>(sizeof pe) || load32le(pe) != 0x00004550u)
        return size;
    const uint16_t magic = load16le(pe + 24);
    if (magic != 0x10B && magic != 0x20B) return size;
    const uint8_t* directories = pe + 24 + (magic == 0x10B ? 96 : 112);
    const uint32_t count = load32le(directories - 4);
    const uint32_t tableStart = load32le(directories + 4 * 8);
    const uint32_t tableSize = load32le(directories + 4 * 8 + 4);
    if (count < 5 || tableStart == 0 || tableSize == 0 || tableStart > size) return size;
    return tableStart;
}

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
    // Search backwards from the archive's end: the record is followed only
    // by its comment, whose length it states.
    const uint64_t size = archiveEnd();
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

// ============================================================================
// [SECTION] Stored values
// ============================================================================

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
// [SECTION] Listing
// ============================================================================

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
