// CRC-32 of the ZIP format (reflected polynomial 0xEDB88320).
//
// The checksum register starts at all ones, is updated over the bytes and is
// complemented at the end. Callers keep the raw register:
//
//     uint32_t reg = kCrcInit;
//     reg = crc32Update(reg, data, size);
//     uint32_t crc = ~reg;
//
// crc32InitTables() builds the tables once at start-up.
// The 256-entry table gCrcTable is the one the traditional decryption uses;
// crc32UpdateBytewise() is the plain reference, crc32Update() the fast path
// (slicing by 16 tables, or carry-less multiplication where the processor has
// it), and tests compare the two.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

inline constexpr uint32_t kCrcInit = 0xFFFFFFFFu;
inline constexpr uint32_t kCrcPolynomial = 0xEDB88320u;

extern uint32_t gCrcTable[256];

void crc32InitTables();
uint32_t crc32UpdateBytewise(uint32_t reg, const uint8_t* data, size_t size);
uint32_t crc32Update(uint32_t reg, const uint8_t* data, size_t size);

// The generic slicing-by-16 path, exposed for tests and benchmarks.
uint32_t crc32UpdateSlice16(uint32_t reg, const uint8_t* data, size_t size);
// True when crc32Update uses the carry-less multiplication path.
bool crc32HasClmul();

// One byte step of the register, as the decryption's key update uses it.
inline uint32_t crc32Step(uint32_t reg, uint8_t b) {
    return gCrcTable[(reg ^ b) & 0xFF] ^ (reg >> 8);
}

}  // namespace gm::sfx
