// mksfx: encrypting an archive's entries with AES-256 in WinZip's AE-2
// format (sfx/core/zip_aes.h), which 7-Zip, WinZip and the stub read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gm::sfx::mksfx {

// The archive with every file entry encrypted with `password` (UTF-8):
// method 99, the AES field, a random salt, no CRC-32 and no data descriptor.
// Folder entries stay as they are. Refuses archives with encrypted entries
// or ZIP64 records, with a message in *error.
bool encryptArchive(const std::vector<uint8_t>& archive, const std::string& password,
                    std::vector<uint8_t>* out, std::string* error);

}  // namespace gm::sfx::mksfx
