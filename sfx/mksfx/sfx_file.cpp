// mksfx: assembling the self-extracting file; see sfx_file.h.
#include "sfx/mksfx/sfx_file.h"

#include <algorithm>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/codepage.h"
#include "sfx/core/deflate_encode.h"
#include "sfx/mksfx/aes_encrypt.h"
#include "sfx/mksfx/zip_scan.h"

namespace gm::sfx::mksfx {
namespace {

const char* const kStringNames[kNumConfigStrings] = {
    "about text (--about)", "command (--command)", "reserved string 3", "reserved string 4",
    "message (--message)",  "title (--title)",     "prompt (--prompt)", "info text (--info)"};

uint32_t saturated32(uint64_t v) {
    return v < 0xFFFFFFFFu ? static_cast<uint32_t>(v) : 0xFFFFFFFFu;
}

}  // namespace

long findRecord(const std::vector<uint8_t>& stub, std::string* error) {
    long found = -1;
    int count = 0;
    for (auto it = stub.begin();
         (it = std::search(it, stub.end(), std::begin(kMarker), std::end(kMarker))) != stub.end();
         ++it) {
        if (count++ == 0) found = static_cast<long>(it - stub.begin());
    }
    if (count == 0) {
        *error = "the stub holds no SfxConfig record (marker \"KRV\\1sfx\\2\" not found)";
        return -1;
    }
    if (count > 1) {
        *error = "the stub holds the SfxConfig marker " + std::to_string(count) + " times";
        return -1;
    }
    if (static_cast<size_t>(found) + kConfigRecordSize > stub.size()) {
        *error = "the stub's record is cut off";
        return -1;
    }
    return found;
}

BuildResult buildSfx(const BuildRequest& rq) {
    BuildResult r;
    const long record = findRecord(rq.stub, &r.error);
    if (record < 0) return r;
    const SfxConfig existing = decodeConfigRecord(rq.stub.data() + record);
    if (existing.complete != 0) {
        r.error = "the stub is already a self-extracting file (its record is filled in)";
        return r;
    }
    std::vector<uint8_t> encrypted;
    if (!rq.password.empty() && !encryptArchive(rq.archive, rq.password, &encrypted, &r.error))
        return r;
    const std::vector<uint8_t>& input = rq.password.empty() ? rq.archive : encrypted;
    ZipInfo zip;
    if (!scanZip(input, &zip, &r.error)) return r;
    if (zip.traditionalEncryption)
        r.warning =
            "the archive uses traditional ZIP encryption, which falls to a known-plaintext "
            "attack; AES (--encrypt, or 7z -mem=AES256) resists it";

    // The strings in the stub's code page, each within its buffer.
    const CodePage cp = rq.codePage.value_or(CodePage::Utf8);
    std::vector<uint8_t> block;
    for (int i = 0; i < kNumConfigStrings; ++i) {
        const std::string& s = rq.strings[i];
        std::string converted;
        if (!isValidUtf8(s.data(), s.size())) {
            r.error = std::string("the ") + kStringNames[i] + " is not UTF-8";
            return r;
        }
        if (cp == CodePage::Utf8) {
            converted = s;
        } else {
            std::vector<char> out(s.size() + 1);
            if (utf8ToCodePage(s.data(), s.size(), out.data(), out.size(), false) < 0) {
                r.error = std::string("the ") + kStringNames[i] +
                          " has characters outside the Windows code page 1252";
                return r;
            }
            converted = out.data();
        }
        if (converted.find('\0') != std::string::npos) {
            r.error = std::string("the ") + kStringNames[i] + " holds a NUL character";
            return r;
        }
        if (converted.size() + 1 > kConfigStringSize[i]) {
            r.error = std::string("the ") + kStringNames[i] + " is " +
                      std::to_string(converted.size()) + " bytes long; the stub has room for " +
                      std::to_string(kConfigStringSize[i] - 1);
            return r;
        }
        block.insert(block.end(), converted.begin(), converted.end());
        block.push_back(0);
    }
    if (block.size() > kConfigInflatedMax) {
        r.error = "the strings take " + std::to_string(block.size()) +
                  " bytes together; the stub has room for " + std::to_string(kConfigInflatedMax);
        return r;
    }
    std::vector<uint8_t> compressed(deflateEncodeBound(block.size()));
    const size_t csize =
        deflateEncode(block.data(), block.size(), compressed.data(), compressed.size());
    // Zero bytes behind the strings make the file a whole number of 8-byte
    // units, so that a signature (whose certificate table starts on such a
    // boundary) is appended without moving anything.
    const uint64_t unpadded = rq.stub.size() + csize + (zip.end - zip.start);
    const size_t padding = static_cast<size_t>((8 - unpadded % 8) % 8);
    if (csize == 0 || csize + padding > kConfigCompressedMax) {
        r.error = "the strings compress to " + std::to_string(csize) + " bytes (and " +
                  std::to_string(padding) + " of padding); the stub reads at most " +
                  std::to_string(kConfigCompressedMax);
        return r;
    }
    if (rq.waitName.size() > cfg::kWaitNameSize) {
        r.error = "the program name to wait for (--wait-for) is longer than 10 characters";
        return r;
    }

    // The record.
    const uint64_t stringsOffset = rq.stub.size();
    compressed.resize(csize + padding, 0);
    const uint64_t zipOffset = stringsOffset + compressed.size();
    SfxConfig c;
    c.zipOffset = static_cast<uint32_t>(zipOffset);
    c.stringsOffset = static_cast<uint32_t>(stringsOffset);
    const bool spanned = (rq.flags2 & kF2Spanned) != 0;
    // The record's 32-bit fields hold all ones for values of 4 GiB or more:
    // the stub then searches for the end record from the end and sums the
    // central directory's sizes itself.
    c.eocdOffset = spanned ? 0 : saturated32(zipOffset + zip.endRecord);
    c.totalSize = saturated32(zip.totalSize);
    c.flags1 = rq.flags1;
    c.flags2 = static_cast<uint8_t>(rq.flags2 | (zip.anyEncrypted ? kF2Encrypted : 0));
    c.flags3 = rq.flags3;
    std::memcpy(c.waitName, rq.waitName.data(), rq.waitName.size());
    c.complete = kCompleteMark;

    r.file = rq.stub;
    encodeConfigRecord(c, r.file.data() + record);
    r.file.insert(r.file.end(), compressed.begin(), compressed.end());
    std::vector<uint8_t> archive;
    if (!relocateArchive(input, zip, zipOffset, &archive, &r.error)) {
        r.file.clear();
        return r;
    }
    r.file.insert(r.file.end(), archive.begin(), archive.end());
    r.config = c;
    return r;
}

}  // namespace gm::sfx::mksfx
