// WinZip's AES encryption of ZIP entries (AE-1 and AE-2), as 7-Zip, WinZip
// and most ZIP libraries write it.
//
// An entry has method 99 and an extra field 0x9901 of 7 bytes: the version
// (1 = AE-1, 2 = AE-2), "AE", the key strength (1, 2, 3 = AES-128, -192,
// -256) and the method of the data. Its data: a salt of 8, 12 or 16 bytes,
// a 2-byte password verifier, the encrypted data, and 10 bytes of
// authentication code. PBKDF2-HMAC-SHA1 of the password and salt, 1000
// iterations, gives the AES key, the HMAC key (both of the key's size) and
// the verifier. The data is AES in counter mode, the counter a little-endian
// number in the whole block, starting at 1; the code is the first 10 bytes
// of HMAC-SHA1 over the encrypted data. AE-2 entries store no CRC-32 (0):
// the code alone checks them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sfx/core/aes.h"
#include "sfx/core/sha1.h"

namespace gm::sfx {

inline constexpr uint16_t kMethodAes = 99;
inline constexpr uint16_t kAesExtra = 0x9901;
inline constexpr size_t kAesVerifierSize = 2;
inline constexpr size_t kAesMacSize = 10;
inline constexpr unsigned kAesIterations = 1000;

// Salt and key sizes of strength 1, 2, 3; 0 for any other strength.
inline constexpr size_t aesSaltSize(unsigned strength) {
    return strength >= 1 && strength <= 3 ? 4 + 4 * strength : 0;
}
inline constexpr size_t aesKeySize(unsigned strength) { return 2 * aesSaltSize(strength); }

class ZipAes {
  public:
    // Derives the keys from the password and salt; *verifier receives the
    // two verifier bytes the password gives.
    void start(const uint8_t* password, size_t length, unsigned strength, const uint8_t* salt,
               uint8_t verifier[kAesVerifierSize]);
    // The code is taken over the encrypted bytes: before decrypting them, or
    // after encrypting them.
    void decrypt(uint8_t* data, size_t size) {
        mac_.update(data, size);
        applyStream(data, size);
    }
    void encrypt(uint8_t* data, size_t size) {
        applyStream(data, size);
        mac_.update(data, size);
    }
    void finish(uint8_t code[kAesMacSize]);

  private:
    void applyStream(uint8_t* data, size_t size);

    Aes aes_;
    HmacSha1 mac_;
    uint8_t counter_[kAesBlockSize] = {};
    uint8_t stream_[kAesBlockSize] = {};
    size_t used_ = kAesBlockSize;  // bytes of stream_ already used
};

}  // namespace gm::sfx
