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

struct ZipInfo {
    uint64_t start = 0;      // where the archive begins in the file (bytes in front of it)
    uint64_t end = 0;        // file size
    uint64_t endRecord = 0;  // end-of-central-directory record, from `start`
    uint64_t directory = 0;  // central directory, from `start`
    uint32_t directorySize = 0;
    uint32_t entries = 0;
    uint64_t totalSize = 0;  // sum of the uncompressed sizes
    bool anyEncrypted = false;
    // Positions (from `start`) of the 32-bit offset fields to rewrite.
    std::vector<uint64_t> offsetFields;
};

// Reads the end record and the central directory. Refuses ZIP64, spanned
// and damaged archives with a message in *error.
bool scanZip(const std::vector<uint8_t>& file, ZipInfo* info, std::string* error);

// The archive bytes [start, end) with every offset moved by `shift`.
std::vector<uint8_t> relocatedArchive(const std::vector<uint8_t>& file, const ZipInfo& info,
                                      uint32_t shift);

}  // namespace gm::sfx::mksfx
