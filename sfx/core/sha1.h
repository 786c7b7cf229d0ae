// SHA-1 (FIPS 180-4), HMAC-SHA1 (RFC 2104) and PBKDF2-HMAC-SHA1 (RFC 8018):
// the key derivation and the authentication code of AES-encrypted entries.
// Written for size: one compression function, no unrolling.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

inline constexpr size_t kSha1Size = 20;
inline constexpr size_t kSha1BlockSize = 64;

class Sha1 {
  public:
    Sha1() { reset(); }
    void reset();
    void update(const uint8_t* data, size_t size);
    void finish(uint8_t digest[kSha1Size]);

  private:
    void compress();

    uint32_t state_[5];
    uint8_t block_[kSha1BlockSize];
    uint64_t length_;  // bytes absorbed
};

// After start() both hashes have absorbed their key block, so that a copy of
// a started object computes further codes with the same key at two
// compressions fewer (PBKDF2 does that a thousand times a block).
class HmacSha1 {
  public:
    void start(const uint8_t* key, size_t keySize);
    void update(const uint8_t* data, size_t size) { inner_.update(data, size); }
    void finish(uint8_t mac[kSha1Size]);

  private:
    Sha1 inner_, outer_;
};

// out[0, size) = PBKDF2-HMAC-SHA1(password, salt, iterations).
void pbkdf2Sha1(const uint8_t* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                unsigned iterations, uint8_t* out, size_t size);

}  // namespace gm::sfx
