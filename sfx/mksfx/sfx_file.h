// mksfx: assembling a self-extracting file from a stub and an archive
// (the self-extracting file's layout): the stub with its SfxConfig record filled in, the
// compressed configuration strings, the archive with its offsets moved.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sfx/core/sfx_config.h"

namespace gm::sfx::mksfx {

// The marker at the start of the stub's record (the stub itself spells it
// nowhere else).
inline constexpr uint8_t kMarker[8] = {'K', 'R', 'V', 0x01, 's', 'f', 'x', 0x02};

// Which code page the stub shows its texts in.
enum class CodePage { Utf8, Windows1252 };

struct BuildRequest {
    std::vector<uint8_t> stub;
    std::vector<uint8_t> archive;
    // The eight configuration strings in UTF-8 (in their fixed order).
    std::array<std::string, kNumConfigStrings> strings;
    uint8_t flags1 = kShippedFlags1, flags2 = 0, flags3 = 0;
    std::string waitName;
    std::optional<CodePage> codePage;  // default: UTF-8, as every stub of ours
    // Not empty: every file entry is encrypted with it, AES-256 (AE-2).
    std::string password;
};

struct BuildResult {
    std::vector<uint8_t> file;
    SfxConfig config;
    std::string error;    // empty on success
    std::string warning;  // something the maker should know, the file built anyway
};

// Offset of the record in the stub, or -1 with a message.
long findRecord(const std::vector<uint8_t>& stub, std::string* error);

BuildResult buildSfx(const BuildRequest& request);

}  // namespace gm::sfx::mksfx
