// mksfx: reading the archive; see zip_scan.h.
#include "sfx/mksfx/zip_scan.h"

#include <algorithm>

#include "sfx/core/bytes.h"

namespace gm::sfx::mksfx {
namespace {

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kZip64LocatorSig = 0x07064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr uint16_t kZip64Extra = 0x0001;

// What the stub refuses in every run: a method other than stored and
// deflated for an entry with data, and ZIP64 sizes in a local header (an
// extra field 0x0001, as Python's zipfile writes with force_zip64).
bool entryIsUnpackable(const uint8_t* local, size_t room, uint16_t method, uint32_t csize,
                       const std::string& name, std::string* error) {
    if (csize != 0 && method != 0 && method != 8) {
        *error = "entry \"" + name + "\": compression method " + std::to_string(method) +
                 " (the stub unpacks only stored and deflated entries)";
        return false;
    }
    const size_t nameLength = load16le(local + 26), extraLength = load16le(local + 28);
    if (kLocalSize + nameLength + extraLength > room) {
        *error = "damaged ZIP archive (local header of entry \"" + name + "\")";
        return false;
    }
    const bool zip64Sizes =
        load32le(local + 18) == 0xFFFFFFFFu || load32le(local + 22) == 0xFFFFFFFFu;
    bool zip64Extra = false;
    for (size_t at = kLocalSize + nameLength, stop = at + extraLength; at + 4 <= stop;
         at += 4 + load16le(local + at + 2))
        zip64Extra = zip64Extra || load16le(local + at) == kZip64Extra;
    if (zip64Sizes || zip64Extra) {
        *error =
            "entry \"" + name + "\": ZIP64 sizes in its local header (the stub reads no ZIP64)";
        return false;
    }
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
    if (end >= 20 && load32le(d + end - 20) == kZip64LocatorSig) {
        *error = "ZIP64 archives are not supported by the stub";
        return false;
    }
    const uint16_t disk = load16le(d + end + 4), cdDisk = load16le(d + end + 6);
    const uint16_t here = load16le(d + end + 8), total = load16le(d + end + 10);
    const uint32_t cdSize = load32le(d + end + 12), cdOffset = load32le(d + end + 16);
    if (disk != 0 || cdDisk != 0 || here != total) {
        *error = "spanned or split archives cannot be made into one self-extracting file";
        return false;
    }
    // 65535 entries fit the end record; only the ZIP64 locator (above) or
    // saturated sizes and offsets mean ZIP64.
    if (cdSize == 0xFFFFFFFFu || cdOffset == 0xFFFFFFFFu) {
        *error = "ZIP64 archives are not supported by the stub";
        return false;
    }
    if (cdSize > end || end - cdSize < cdOffset) {
        *error = "damaged ZIP archive (central directory out of place)";
        return false;
    }
    const uint64_t cdStart = end - cdSize;
    info->start = cdStart - cdOffset;
    info->end = size;
    info->endRecord = end - info->start;
    info->directory = cdOffset;
    info->directorySize = cdSize;
    info->entries = total;
    info->offsetFields.clear();
    info->totalSize = 0;
    info->anyEncrypted = false;

    size_t p = cdStart;
    for (uint32_t n = 0; n < total; ++n) {
        if (p + kCentralSize > end || load32le(d + p) != kCentralSig) {
            *error = "damaged ZIP archive (central directory entry " + std::to_string(n) + ")";
            return false;
        }
        const uint16_t flags = load16le(d + p + 8);
        const uint32_t csize = load32le(d + p + 20), usize = load32le(d + p + 24);
        const uint32_t local = load32le(d + p + 42);
        if (csize == 0xFFFFFFFFu || usize == 0xFFFFFFFFu || local == 0xFFFFFFFFu) {
            *error = "ZIP64 entries are not supported by the stub";
            return false;
        }
        if (info->start + local + 30 > cdStart || load32le(d + info->start + local) != kLocalSig) {
            *error = "damaged ZIP archive (local header of entry " + std::to_string(n) + ")";
            return false;
        }
        const std::string name(reinterpret_cast<const char*>(d + p + kCentralSize),
                               std::min<size_t>(load16le(d + p + 28), end - p - kCentralSize));
        if (!entryIsUnpackable(d + info->start + local, cdStart - info->start - local,
                               load16le(d + p + 10), csize, name, error))
            return false;
        if (flags & 1) info->anyEncrypted = true;
        info->totalSize += usize;
        info->offsetFields.push_back(p + 42 - info->start);
        p += kCentralSize + load16le(d + p + 28) + load16le(d + p + 30) + load16le(d + p + 32);
    }
    info->offsetFields.push_back(end + 16 - info->start);
    return true;
}

std::vector<uint8_t> relocatedArchive(const std::vector<uint8_t>& file, const ZipInfo& info,
                                      uint32_t shift) {
    std::vector<uint8_t> out(file.begin() + static_cast<ptrdiff_t>(info.start), file.end());
    for (uint64_t field : info.offsetFields)
        store32le(out.data() + field, load32le(out.data() + field) + shift);
    return out;
}

}  // namespace gm::sfx::mksfx
