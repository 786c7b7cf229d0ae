// WinZip AES entries; see zip_aes.h.
#include "sfx/core/zip_aes.h"

#include <cstring>

namespace gm::sfx {

void ZipAes::start(const uint8_t* password, size_t length, unsigned strength, const uint8_t* salt,
                   uint8_t verifier[kAesVerifierSize]) {
    const size_t keySize = aesKeySize(strength);
    uint8_t keys[2 * 32 + kAesVerifierSize];
    pbkdf2Sha1(password, length, salt, aesSaltSize(strength), kAesIterations, keys,
               2 * keySize + kAesVerifierSize);
    aes_.setKey(keys, keySize);
    mac_.start(keys + keySize, keySize);
    std::memcpy(verifier, keys + 2 * keySize, kAesVerifierSize);
    std::memset(counter_, 0, sizeof counter_);
    used_ = kAesBlockSize;
}

void ZipAes::applyStream(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (used_ == kAesBlockSize) {
            for (uint8_t& b : counter_)
                if (++b != 0) break;
            aes_.encryptBlock(counter_, stream_);
            used_ = 0;
        }
        data[i] ^= stream_[used_++];
    }
}

void ZipAes::finish(uint8_t code[kAesMacSize]) {
    uint8_t full[kSha1Size];
    mac_.finish(full);
    std::memcpy(code, full, kAesMacSize);
}

}  // namespace gm::sfx
