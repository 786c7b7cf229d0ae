// mksfx: AES-256 encryption of an archive's entries; see aes_encrypt.h.
#include "sfx/mksfx/aes_encrypt.h"

#include <cstring>
#include <random>

#include "sfx/core/bytes.h"
#include "sfx/core/zip_aes.h"
#include "sfx/mksfx/zip_scan.h"

namespace gm::sfx::mksfx {
namespace {

constexpr unsigned kStrength = 3;  // AES-256
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;

void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, static_cast<uint16_t>(x));
    put16(v, static_cast<uint16_t>(x >> 16));
}

// The system's random source (getrandom on Linux, rand_s on Windows).
bool randomBytes(uint8_t* out, size_t n) {
    std::random_device source;
    if (source.entropy() == 0) return false;  // a deterministic stand-in
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(source());
    return true;
}

// The AES field: AE-2, "AE", AES-256, the data's own method.
std::vector<uint8_t> aesField(uint16_t method) {
    std::vector<uint8_t> f;
    put16(f, kAesExtra);
    put16(f, 7);
    put16(f, 2);
    f.push_back('A');
    f.push_back('E');
    f.push_back(kStrength);
    put16(f, method);
    return f;
}

// Salt, verifier, the encrypted data, the code.
bool encryptData(const uint8_t* data, size_t size, const std::string& password,
                 std::vector<uint8_t>* out) {
    uint8_t salt[16], verifier[kAesVerifierSize], code[kAesMacSize];
    if (!randomBytes(salt, sizeof salt)) return false;
    ZipAes aes;
    aes.start(reinterpret_cast<const uint8_t*>(password.data()), password.size(), kStrength, salt,
              verifier);
    out->assign(salt, salt + sizeof salt);
    out->insert(out->end(), verifier, verifier + sizeof verifier);
    const size_t at = out->size();
    out->insert(out->end(), data, data + size);
    aes.encrypt(out->data() + at, size);
    aes.finish(code);
    out->insert(out->end(), code, code + sizeof code);
    return true;
}

}  // namespace

bool encryptArchive(const std::vector<uint8_t>& archive, const std::string& password,
                    std::vector<uint8_t>* out, std::string* error) {
    ZipInfo info;
    if (!scanZip(archive, &info, error)) return false;
    if (info.anyEncrypted || info.zip64) {
        *error = info.anyEncrypted ? "--encrypt: the archive has encrypted entries already"
                                   : "--encrypt: ZIP64 archives are not encrypted by mksfx";
        return false;
    }
    const uint8_t* d = archive.data() + info.start;
    const uint8_t* central = d + info.directory;
    std::vector<uint8_t> files, directory;
    for (uint64_t n = 0, p = 0; n < info.entries; ++n) {
        const uint8_t* c = central + p;
        const size_t nameLength = load16le(c + 28), extraLength = load16le(c + 30);
        const size_t commentLength = load16le(c + 32);
        const uint8_t* local = d + load32le(c + 42);
        const uint32_t csize = load32le(c + 20);
        const uint8_t* data = local + kLocalSize + load16le(local + 26) + load16le(local + 28);
        const bool folder = nameLength > 0 && c[kCentralSize + nameLength - 1] == '/';
        std::vector<uint8_t> body(data, data + csize), field;
        uint16_t flags = load16le(c + 8), method = load16le(c + 10);
        uint32_t crc = load32le(c + 16), size = csize;
        if (!folder) {
            if (!encryptData(data, csize, password, &body)) {
                *error = "--encrypt: no random bytes for the salt";
                return false;
            }
            field = aesField(method);
            flags = static_cast<uint16_t>((flags | 1) & ~8);  // encrypted, no descriptor
            method = kMethodAes;
            crc = 0;  // AE-2
            size = static_cast<uint32_t>(body.size());
        }
        const uint32_t offset = static_cast<uint32_t>(files.size());
        // The local header: the central header's values and name, its extra
        // field and the AES field.
        const size_t localExtra = load16le(local + 28);
        put32(files, 0x04034b50);
        put16(files, folder ? load16le(local + 4) : 51);
        put16(files, flags);
        put16(files, method);
        files.insert(files.end(), c + 12, c + 16);  // time, date
        put32(files, crc);
        put32(files, size);
        put32(files, load32le(c + 24));
        put16(files, static_cast<uint16_t>(nameLength));
        put16(files, static_cast<uint16_t>(localExtra + field.size()));
        files.insert(files.end(), c + kCentralSize, c + kCentralSize + nameLength);
        const uint8_t* le = local + kLocalSize + load16le(local + 26);
        files.insert(files.end(), le, le + localExtra);
        files.insert(files.end(), field.begin(), field.end());
        files.insert(files.end(), body.begin(), body.end());
        // The central header.
        directory.insert(directory.end(), c, c + 6);
        put16(directory, folder ? load16le(c + 6) : 51);
        put16(directory, flags);
        put16(directory, method);
        directory.insert(directory.end(), c + 12, c + 16);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, load32le(c + 24));
        put16(directory, static_cast<uint16_t>(nameLength));
        put16(directory, static_cast<uint16_t>(extraLength + field.size()));
        directory.insert(directory.end(), c + 32, c + 42);  // comment length .. attributes
        put32(directory, offset);
        directory.insert(directory.end(), c + kCentralSize,
                         c + kCentralSize + nameLength + extraLength);
        directory.insert(directory.end(), field.begin(), field.end());
        directory.insert(directory.end(), c + kCentralSize + nameLength + extraLength,
                         c + kCentralSize + nameLength + extraLength + commentLength);
        p += kCentralSize + nameLength + extraLength + commentLength;
    }
    const uint8_t* end = d + info.endRecord;
    *out = files;
    out->insert(out->end(), directory.begin(), directory.end());
    out->insert(out->end(), end, end + 12);  // signature .. entries
    put32(*out, static_cast<uint32_t>(directory.size()));
    put32(*out, static_cast<uint32_t>(files.size()));
    out->insert(out->end(), end + 20, archive.data() + archive.size());  // comment
    return true;
}

}  // namespace gm::sfx::mksfx
