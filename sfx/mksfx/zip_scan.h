// mksfx: reading the ZIP archive that goes into a self-extracting file, and
// moving its offsets to their place behind the stub.
//
// An archive's central directory and end record hold offsets from the
// start of the archive. Behind the stub and the configuration strings those
// offsets grow by zipOffset; rewriting them lets ordinary ZIP tools
// (unzip -l, unzip -t, 7-Zip) read the self-extracting file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gm::sfx::mksfx {

// An offset field to rewrite: its position (from the archive's start) and
// its width, 4 bytes or 8 (ZIP64).
struct OffsetField {
    uint64_t at;
    unsigned width;
};

struct ZipInfo {
    uint64_t start = 0;      // where the archive begins in the file (bytes in front of it)
    uint64_t end = 0;        // file size
    uint64_t endRecord = 0;  // end-of-central-directory record, from `start`
    uint64_t directory = 0;  // central directory, from `start`
    uint64_t directorySize = 0;
    uint64_t entries = 0;
    uint64_t totalSize = 0;  // sum of the uncompressed sizes
    bool anyEncrypted = false;
    bool traditionalEncryption = false;  // an entry encrypted the traditional way (weak)
    bool zip64 = false;                  // a ZIP64 end record
    std::vector<OffsetField> offsetFields;
};

// Reads the end record (and the ZIP64 end record) and the central directory,
// ZIP64 extra fields included. Refuses spanned and damaged archives with a
// message in *error.
bool scanZip(const std::vector<uint8_t>& file, ZipInfo* info, std::string* error);

// The archive bytes [start, end) with every offset moved by `shift`; false
// (with a message) when a 4-byte offset would reach 4 GiB.
bool relocateArchive(const std::vector<uint8_t>& file, const ZipInfo& info, uint64_t shift,
                     std::vector<uint8_t>* out, std::string* error);

}  // namespace gm::sfx::mksfx
