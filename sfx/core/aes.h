// AES (FIPS 197) encryption of one block, with 128-, 192- or 256-bit keys:
// all that counter mode needs. Written for size: the S-box is computed once
// (multiplicative inverse and affine map), rounds work byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

inline constexpr size_t kAesBlockSize = 16;

class Aes {
  public:
    // keySize is 16, 24 or 32.
    void setKey(const uint8_t* key, size_t keySize);
    void encryptBlock(const uint8_t in[kAesBlockSize], uint8_t out[kAesBlockSize]) const;

  private:
    uint8_t roundKeys_[15 * kAesBlockSize];
    int rounds_ = 0;
};

}  // namespace gm::sfx
