// Traditional PKWARE encryption of the ZIP application note (section 6.1),
// decryption side.
//
// Three 32-bit keys start at 0x12345678, 0x23456789, 0x34567890 and absorb
// the password. Every data byte is xored with a key-stream byte taken from
// key 2, and the keys then absorb the *plain* byte: key 0 through the CRC-32
// table, key 1 by the low byte of key 0 (times 134775813, plus 1), key 2
// through the CRC-32 table with the top byte of key 1. The chain is serial
// by design; there is no faster formulation.
//
// Each encrypted entry starts with a 12-byte header; its last decrypted byte
// is the check byte (the high byte of the CRC, or of the modification time
// when the entry carries a data descriptor).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sfx/core/crc32.h"

namespace gm::sfx {

inline constexpr size_t kEncryptionHeaderSize = 12;

class ZipKeys {
  public:
    // Precondition: crc32InitTables() has run.
    void start(const char* password, size_t length);

    uint8_t decryptByte(uint8_t c) {
        uint8_t plain = static_cast<uint8_t>(c ^ streamByte());
        update(plain);
        return plain;
    }
    void decrypt(uint8_t* data, size_t size);

  private:
    uint8_t streamByte() const {
        uint32_t t = (key2_ | 2) & 0xFFFF;
        return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
    }
    void update(uint8_t plain) {
        key0_ = crc32Step(key0_, plain);
        key1_ = (key1_ + (key0_ & 0xFF)) * 134775813u + 1;
        key2_ = crc32Step(key2_, static_cast<uint8_t>(key1_ >> 24));
    }

    uint32_t key0_ = 0, key1_ = 0, key2_ = 0;
};

}  // namespace gm::sfx
