// mksfx: reading the archive; see zip_scan.h.
#include "sfx/mksfx/zip_scan.h"

#include <algorithm>

#include "sfx/core/bytes.h"

namespace gm::sfx::mksfx {
namespace {

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kZip64EndSig = 0x06064b50;
constexpr uint32_t kZip64LocatorSig = 0x07064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr uint16_t kZip64Extra = 0x0001;
constexpr uint32_t kAllOnes = 0xFFFFFFFFu;

// The method of an AES entry's data (its extra field 0x9901 in the local
// header), or -1 when the field is missing or names an unknown strength.
int aesDataMethod(const uint8_t* local) {
    const size_t nameLength = load16le(local + 26), extraLength = load16le(local + 28);
    const uint8_t* extra = local + kLocalSize + nameLength;
    for (size_t at = 0; at + 4 <= extraLength; at += 4 + load16le(extra + at + 2)) {
        const uint8_t* f = extra + at + 4;
        if (load16le(extra + at) == 0x9901 && load16le(extra + at + 2) == 7 &&
            at + 4 + 7 <= extraLength && f[2] == 'A' && f[3] == 'E' && f[4] >= 1 && f[4] <= 3)
            return load16le(f + 5);
    }
    return -1;
}

// What the stub refuses in every run: a method other than stored and
// deflated for an entry with data (AES entries: of their data).
bool entryIsUnpackable(const uint8_t* local, size_t room, uint16_t method, uint64_t csize,
                       const std::string& name, std::string* error) {
    if (kLocalSize + load16le(local + 26) + load16le(local + 28) > room) {
        *error = "damaged ZIP archive (local header of entry \"" + name + "\")";
        return false;
    }
    if (method == 99) {
        const int inner = aesDataMethod(local);
        if (inner != 0 && inner != 8) {
            *error = "entry \"" + name + "\": AES-encrypted with an unknown strength or method";
            return false;
        }
        return true;
    }
    if (csize != 0 && method != 0 && method != 8) {
        *error = "entry \"" + name + "\": compression method " + std::to_string(method) +
                 " (the stub unpacks only stored and deflated entries)";
        return false;
    }
    return true;
}

// The position of the ZIP64 extra field's data among a header's extra
// fields, or 0 when there is none.
size_t zip64Field(const uint8_t* d, size_t extra, size_t length, size_t* fieldLength) {
    for (size_t at = extra, stop = extra + length; at + 4 <= stop; at += 4 + load16le(d + at + 2)) {
        if (load16le(d + at) == kZip64Extra) {
            *fieldLength = std::min<size_t>(load16le(d + at + 2), stop - at - 4);
            return at + 4;
        }
    }
    return 0;
}

// Where the end records are and what they hold.
struct EndRecords {
    size_t end = 0, zip64End = 0, locator = 0;  // 0: none (for the ZIP64 ones)
    uint64_t entries = 0, directorySize = 0, directoryOffset = 0;
    bool spanned = false;
};

bool findEndRecords(const uint8_t* d, size_t size, EndRecords* r, std::string* error) {
    // The end record: searched backwards, its comment must reach the end.
    size_t end = SIZE_MAX;
    const size_t lowest = size > kEndSize + 65535 ? size - kEndSize - 65535 : 0;
    for (size_t i = size - kEndSize + 1; i-- > lowest;) {
        if (load32le(d + i) == kEndSig && i + kEndSize + load16le(d + i + 20) == size) {
            end = i;
            break;
        }
    }
    if (end == SIZE_MAX) {
        *error = "not a ZIP archive (no end-of-central-directory record)";
        return false;
    }
    r->end = end;
    r->entries = load16le(d + end + 10);
    r->directorySize = load32le(d + end + 12);
    r->directoryOffset = load32le(d + end + 16);
    r->spanned = load16le(d + end + 4) != 0 || load16le(d + end + 6) != 0 ||
                 load16le(d + end + 8) != r->entries;
    if (end < kZip64LocatorSize || load32le(d + end - kZip64LocatorSize) != kZip64LocatorSig)
        return true;
    // ZIP64: the record right in front of the locator.
    r->locator = end - kZip64LocatorSize;
    if (r->locator < kZip64EndSize || load32le(d + r->locator - kZip64EndSize) != kZip64EndSig) {
        *error = "damaged ZIP archive (no ZIP64 end record in front of its locator)";
        return false;
    }
    const size_t z = r->zip64End = r->locator - kZip64EndSize;
    r->entries = load64le(d + z + 32);
    r->directorySize = load64le(d + z + 40);
    r->directoryOffset = load64le(d + z + 48);
    r->spanned = load32le(d + z + 16) != 0 || load32le(d + z + 20) != 0 ||
                 load64le(d + z + 24) != r->entries;
    return true;
}

}  // namespace

bool scanZip(const std::vector<uint8_t>& file, ZipInfo* info, std::string* error) {
    const uint8_t* d = file.data();
    const size_t size = file.size();
    if (size < kEndSize) {
        *error = "not a ZIP archive (too short)";
        return false;
    }
    EndRecords er;
    if (!findEndRecords(d, size, &er, error)) return false;
    if (er.spanned) {
        *error = "spanned or split archives cannot be made into one self-extracting file";
        return false;
    }
    const size_t directoryEnd = er.zip64End ? er.zip64End : er.end;
    if (er.directorySize > directoryEnd || directoryEnd - er.directorySize < er.directoryOffset) {
        *error = "damaged ZIP archive (central directory out of place)";
        return false;
    }
    const size_t cdStart = directoryEnd - static_cast<size_t>(er.directorySize);
    info->start = cdStart - er.directoryOffset;
    info->end = size;
    info->endRecord = er.end - info->start;
    info->directory = er.directoryOffset;
    info->directorySize = er.directorySize;
    info->entries = er.entries;
    info->zip64 = er.zip64End != 0;
    info->offsetFields.clear();
    info->totalSize = 0;
    info->anyEncrypted = false;
    info->traditionalEncryption = false;

    size_t p = cdStart;
    for (uint64_t n = 0; n < er.entries; ++n) {
        if (p + kCentralSize > directoryEnd || load32le(d + p) != kCentralSig) {
            *error = "damaged ZIP archive (central directory entry " + std::to_string(n) + ")";
            return false;
        }
        const uint16_t flags = load16le(d + p + 8);
        const size_t nameLength = load16le(d + p + 28), extraLength = load16le(d + p + 30);
        uint64_t usize = load32le(d + p + 24), csize = load32le(d + p + 20);
        uint64_t local = load32le(d + p + 42);
        uint64_t localField = p + 42;
        unsigned width = 4;
        size_t fieldLength = 0;
        size_t at =
            zip64Field(d, p + kCentralSize + nameLength,
                       std::min(extraLength, directoryEnd - p - kCentralSize), &fieldLength);
        // The ZIP64 values, in order, of the fields that are all ones.
        for (uint64_t* v : {&usize, &csize, &local}) {
            if (*v != kAllOnes) continue;
            if (at == 0 || fieldLength < 8) {
                *error = "damaged ZIP archive (ZIP64 field of entry " + std::to_string(n) + ")";
                return false;
            }
            if (v == &local) localField = at, width = 8;
            *v = load64le(d + at);
            at += 8;
            fieldLength -= 8;
        }
        if (info->start + local + kLocalSize > cdStart ||
            load32le(d + info->start + local) != kLocalSig) {
            *error = "damaged ZIP archive (local header of entry " + std::to_string(n) + ")";
            return false;
        }
        const std::string name(reinterpret_cast<const char*>(d + p + kCentralSize),
                               std::min<size_t>(nameLength, directoryEnd - p - kCentralSize));
        const size_t localAt = static_cast<size_t>(info->start + local);
        if (!entryIsUnpackable(d + localAt, cdStart - localAt, load16le(d + p + 10), csize, name,
                               error))
            return false;
        if (flags & 1) info->anyEncrypted = true;
        if ((flags & 1) && load16le(d + p + 10) != 99) info->traditionalEncryption = true;
        info->totalSize += usize;
        info->offsetFields.push_back({localField - info->start, width});
        p += kCentralSize + nameLength + extraLength + load16le(d + p + 32);
    }
    if (load32le(d + er.end + 16) != kAllOnes)
        info->offsetFields.push_back({er.end + 16 - info->start, 4});
    if (info->zip64) {
        info->offsetFields.push_back({er.zip64End + 48 - info->start, 8});
        info->offsetFields.push_back({er.locator + 8 - info->start, 8});
    }
    return true;
}

bool relocateArchive(const std::vector<uint8_t>& file, const ZipInfo& info, uint64_t shift,
                     std::vector<uint8_t>* out, std::string* error) {
    out->assign(file.begin() + static_cast<ptrdiff_t>(info.start), file.end());
    for (const OffsetField& f : info.offsetFields) {
        uint8_t* p = out->data() + f.at;
        if (f.width == 8) {
            const uint64_t v = load64le(p) + shift;
            store32le(p, static_cast<uint32_t>(v));
            store32le(p + 4, static_cast<uint32_t>(v >> 32));
            continue;
        }
        const uint64_t v = load32le(p) + shift;
        if (v >= kAllOnes) {
            *error =
                "an offset of the archive reaches 4 GiB behind the stub; make the archive "
                "with ZIP64 offsets (zip -fz)";
            return false;
        }
        store32le(p, static_cast<uint32_t>(v));
    }
    return true;
}

}  // namespace gm::sfx::mksfx
