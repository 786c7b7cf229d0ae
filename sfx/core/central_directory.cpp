// The central directory of a one-file archive: finding the end record,
// reading the stored values that local headers defer (sizes of streamed
// entries, Unix modes), and listing the entries.
//
// Index
//   [SECTION] The end record       the recorded offset, else a backward search
//                                  from the archive's end (a signature follows it)
//   [SECTION] Stored values        loading, sorting, looking up by offset
//   [SECTION] Listing              "--list"
//   [SECTION] ZIP64 extra fields
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
    // A recorded offset, unless the record lies at 4 GiB or beyond (all ones).
    if (config_.eocdOffset != 0 && config_.eocdOffset != kZip64Marker) {
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

// Reads `n` bytes at `offset` of the archive's file.
bool Sfx::readAt(uint64_t offset, uint8_t* dst, size_t n) {
    return source_.seek(offset) && source_.read(dst, n) == static_cast<long>(n);
}

// The end record's values, from the ZIP64 end record when the locator is in
// front of the end record; *directoryEnd is where the central directory
// ends (the ZIP64 end record, else the end record).
bool Sfx::readEndValues(EndValues* out) {
    uint64_t end = 0;
    uint8_t record[4 + kEndRecordSize];
    if (!findEndRecord(&end) || !readAt(end, record, sizeof record)) return false;
    out->count = load16le(record + 4 + 6);
    out->directorySize = load32le(record + 4 + 8);
    out->directoryOffset = load32le(record + 4 + 12);
    out->directoryEnd = end;
    uint8_t locator[4 + kZip64LocatorSize], z64[4 + kZip64EndSize];
    if (end < sizeof locator + sizeof z64 ||
        !readAt(end - sizeof locator, locator, sizeof locator) ||
        load32le(locator) != signature(kSigZip64Locator))
        return true;
    // The ZIP64 end record right in front of the locator, where ZIP64
    // writers put it (one without extensible data; found there whatever
    // precedes the archive, which the locator's offset does not count).
    const uint64_t at = end - sizeof locator - sizeof z64;
    if (!readAt(at, z64, sizeof z64) || load32le(z64) != signature(kSigZip64End)) return false;
    out->count = load64le(z64 + 4 + 28);
    out->directorySize = load64le(z64 + 4 + 36);
    out->directoryOffset = load64le(z64 + 4 + 44);
    out->directoryEnd = at;
    return true;
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

// One central directory header and what follows it.
struct CentralHeader {
    CentralEntry entry;
    uint16_t flags, time, date, nameLength;
    const uint8_t* name;
};

// Reads the header at r (after its signature); false when it is cut off or
// its ZIP64 field lacks a value. Offsets are made file offsets with `base`.
bool readCentralHeader(ByteReader& r, uint64_t base, CentralHeader* out) {
    const uint8_t* h = r.here();
    r.skip(kCentralHeaderSize);
    out->nameLength = load16le(h + 24);
    out->name = r.here();
    const size_t extraLength = load16le(h + 26);
    r.skip(out->nameLength);
    const uint8_t* extra = r.here();
    r.skip(extraLength + load16le(h + 28));
    if (!r.ok()) return false;
    CentralEntry& e = out->entry;
    out->flags = load16le(h + 4);
    out->time = load16le(h + 8);
    out->date = load16le(h + 10);
    e.crc = load32le(h + 12);
    e.compressedSize = load32le(h + 16);
    e.uncompressedSize = load32le(h + 20);
    e.localOffset = load32le(h + 38);
    size_t fieldLength = 0;
    const uint8_t* field = findExtraField(extra, extraLength, kZip64Extra, &fieldLength);
    uint64_t* const values[] = {&e.uncompressedSize, &e.compressedSize, &e.localOffset};
    if (field != nullptr && !readZip64Values(field, fieldLength, values, 3)) return false;
    e.localOffset += base;
    // "Version made by" 3 = Unix: the external attributes hold the file
    // mode (type and permissions) in their high half.
    e.madeOnUnix = h[1] == 3;
    e.unixMode = e.madeOnUnix ? load32le(h + 34) >> 16 : 0;
    return true;
}

}  // namespace

// The whole central directory of a one-file archive in *out (malloc'ed),
// *count its entries and *base the bytes in front of the archive. Offsets
// in the directory are relative to the start of the archive; the difference
// between where the directory is and where the end record says it is gives
// the bytes in front (0 once mksfx has rewritten the offsets, the stub's size
// when an archive was only appended).
bool Sfx::readCentralDirectory(uint8_t** out, uint64_t* size, uint64_t* count, uint64_t* base) {
    EndValues v;
    if (spanned_ || !readEndValues(&v) || v.directorySize > v.directoryEnd ||
        v.directorySize > kMaxCentralDirectory ||
        v.count > (v.directorySize + 4 + kCentralHeaderSize) >> 5)
        return false;
    const uint64_t start = v.directoryEnd - v.directorySize;
    if (start < v.directoryOffset) return false;
    const size_t n = static_cast<size_t>(v.directorySize);
    *out = static_cast<uint8_t*>(std::malloc(n ? n : 1));
    if (*out == nullptr) return false;
    if (!readAt(start, *out, n)) {
        std::free(*out);
        return false;
    }
    *size = v.directorySize;
    *count = v.count;
    *base = start - v.directoryOffset;
    return true;
}

// Reads the central directory's values of every entry, sorted by offset,
// then puts the source back where the walk is.
Outcome Sfx::loadCentralDirectory() {
    centralLoaded_ = true;
    uint8_t* directory = nullptr;
    uint64_t size = 0, count = 0, base = 0;
    Outcome result = Outcome::Failed;
    if (readCentralDirectory(&directory, &size, &count, &base)) {
        central_ = static_cast<CentralEntry*>(std::malloc((count ? count : 1) * sizeof *central_));
        ByteReader r(directory, static_cast<size_t>(size));
        size_t n = 0;
        CentralHeader h;
        while (central_ != nullptr && n < count && r.remaining() >= 4 + kCentralHeaderSize &&
               r.u32() == signature(kSigCentral) && readCentralHeader(r, base, &h))
            central_[n++] = h.entry;
        centralCount_ = n;
        if (central_ != nullptr) {
            std::qsort(central_, centralCount_, sizeof *central_, compareCentral);
            result = Outcome::Ok;
        }
    }
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

// The sum of the entries' uncompressed sizes (the meter's total when it
// does not fit the record's 32 bits).
uint64_t Sfx::centralTotalSize() const {
    uint64_t total = 0;
    for (size_t i = 0; i < centralCount_; ++i) total += central_[i].uncompressedSize;
    return total;
}

// ============================================================================
// [SECTION] Listing
// ============================================================================

// The central directory, one line per entry, in the layout of "unzip -l".
int Sfx::listEntries() {
    uint8_t* directory = nullptr;
    uint64_t size = 0, count = 0, base = 0;
    if (!readCentralDirectory(&directory, &size, &count, &base)) {
        failString(kStrBadHeader);
        return kExitFailed;
    }
    ui_.messageBox("  Length      Date    Time    Name\n---------  ---------- -----   ----",
                   kCaption, Buttons::Ok, Icon::None, 0);
    ByteReader r(directory, static_cast<size_t>(size));
    uint64_t total = 0, listed = 0;
    CentralHeader h;
    while (listed < count && r.remaining() >= 4 + kCentralHeaderSize &&
           r.u32() == signature(kSigCentral) && readCentralHeader(r, base, &h)) {
        char name[kPathBuffer];
        const bool utf8 = (h.flags & kFlagUtf8) != 0 ||
                          (h.entry.madeOnUnix &&
                           isValidUtf8(reinterpret_cast<const char*>(h.name), h.nameLength));
        if (convertEntryName(h.name, h.nameLength, utf8, name, sizeof name) != NameStatus::Ok)
            printableName(h.name, h.nameLength, name, sizeof name);
        std::snprintf(message_, sizeof message_, "%9lu  %04u-%02u-%02u %02u:%02u   %s",
                      static_cast<unsigned long>(h.entry.uncompressedSize), 1980u + (h.date >> 9),
                      (h.date >> 5) & 15u, h.date & 31u, h.time >> 11, (h.time >> 5) & 63u, name);
        ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::None, 0);
        total += h.entry.uncompressedSize;
        ++listed;
    }
    std::free(directory);
    std::snprintf(message_, sizeof message_,
                  "---------                     -------\n%9lu                     %lu file%s",
                  static_cast<unsigned long>(total), static_cast<unsigned long>(listed),
                  listed == 1 ? "" : "s");
    ui_.messageBox(message_, kCaption, Buttons::Ok, Icon::None, 0);
    return listed == count ? 0 : kExitFailed;
}

// ============================================================================
// [SECTION] ZIP64 extra fields
// ============================================================================

const uint8_t* findExtraField(const uint8_t* extra, size_t length, uint16_t id,
                              size_t* fieldLength) {
    for (size_t at = 0; at + 4 <= length;) {
        const size_t n = load16le(extra + at + 2);
        if (at + 4 + n > length) return nullptr;
        if (load16le(extra + at) == id) {
            *fieldLength = n;
            return extra + at + 4;
        }
        at += 4 + n;
    }
    return nullptr;
}

bool readZip64Values(const uint8_t* field, size_t length, uint64_t* const* values, size_t count) {
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        if (*values[i] != kZip64Marker) continue;
        if (at + 8 > length) return false;
        *values[i] = load64le(field + at);
        at += 8;
    }
    return true;
}

}  // namespace gm::sfx
