// The ZIP signatures, built at start-up from their last three bytes:
// the stub's image never holds a whole signature, so that no ZIP
// reader takes a part of the stub for a header.
#pragma once

#include <cstdint>

namespace gm::sfx {

enum ZipSignature : int {
    kSigLocal = 0,         // 50 4B 03 04 local file header
    kSigCentral = 1,       // 50 4B 01 02 central directory header
    kSigEnd = 2,           // 50 4B 05 06 end of central directory
    kSigSpan00 = 3,        // 50 4B 30 30 spanning marker
    kSigSpan78 = 4,        // 50 4B 07 08 spanning marker, data descriptor
    kSigZip64End = 5,      // 50 4B 06 06 ZIP64 end of central directory
    kSigZip64Locator = 6,  // 50 4B 06 07 ZIP64 end-record locator
    kSignatureCount = 7,
};

void buildSignatures();
// Precondition: buildSignatures() has run.
uint32_t signature(ZipSignature which);

}  // namespace gm::sfx
