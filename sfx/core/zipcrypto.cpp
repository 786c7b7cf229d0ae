// Traditional ZIP decryption; see zipcrypto.h for the format notes.
#include "sfx/core/zipcrypto.h"

namespace gm::sfx {

void ZipKeys::start(const char* password, size_t length) {
    key0_ = 0x12345678u;
    key1_ = 0x23456789u;
    key2_ = 0x34567890u;
    for (size_t i = 0; i < length; ++i) update(static_cast<uint8_t>(password[i]));
}

void ZipKeys::decrypt(uint8_t* data, size_t size) {
    // Local copies let the compiler keep the three keys in registers.
    uint32_t k0 = key0_, k1 = key1_, k2 = key2_;
    for (size_t i = 0; i < size; ++i) {
        uint32_t t = (k2 | 2) & 0xFFFF;
        uint8_t plain = static_cast<uint8_t>(data[i] ^ ((t * (t ^ 1)) >> 8));
        data[i] = plain;
        k0 = crc32Step(k0, plain);
        k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
        k2 = crc32Step(k2, static_cast<uint8_t>(k1 >> 24));
    }
    key0_ = k0;
    key1_ = k1;
    key2_ = k2;
}

}  // namespace gm::sfx
