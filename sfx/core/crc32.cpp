// CRC-32 for ZIP: table construction, the bytewise reference, slicing by 16
// and the carry-less multiplication (PCLMULQDQ) folding path.
//
// Why the fast paths are fast:
//  * Slicing by 16 looks up 16 independent tables per 16 input bytes, so the
//    processor overlaps the loads instead of waiting on one serial chain.
//  * Folding with carry-less multiplication (Intel, "Fast CRC Computation for
//    Generic Polynomials Using PCLMULQDQ", 2009) treats 64 bytes at a time as
//    four 128-bit polynomials and multiplies them forward by x^512 mod P, so
//    the chain per 64 bytes is one multiply and two xors. The register is
//    then reduced from 128 to 32 bits with one Barrett step.
#include "sfx/core/crc32.h"

#include "sfx/core/bytes.h"

// 64-bit only: the 32-bit Windows stub keeps to slicing by 16, smaller code.
#if defined(__x86_64__)
#include <immintrin.h>
#define GM_SFX_HAVE_CLMUL 1
#else
#define GM_SFX_HAVE_CLMUL 0
#endif

namespace gm::sfx {

uint32_t gCrcTable[256];

namespace {

// gSlice[k][b] is the register change of byte b followed by k zero bytes.
uint32_t gSlice[16][256];
bool gTablesBuilt = false;
bool gUseClmul = false;

}  // namespace

void crc32InitTables() {
    if (gTablesBuilt) return;
    for (uint32_t b = 0; b < 256; ++b) {
        uint32_t r = b;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ kCrcPolynomial : r >> 1;
        gCrcTable[b] = r;
        gSlice[0][b] = r;
    }
    for (int k = 1; k < 16; ++k)
        for (int b = 0; b < 256; ++b)
            gSlice[k][b] = (gSlice[k - 1][b] >> 8) ^ gCrcTable[gSlice[k - 1][b] & 0xFF];
#if GM_SFX_HAVE_CLMUL
    __builtin_cpu_init();
    gUseClmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
#endif
    gTablesBuilt = true;
}

bool crc32HasClmul() { return gUseClmul; }

uint32_t crc32UpdateBytewise(uint32_t reg, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) reg = gCrcTable[(reg ^ data[i]) & 0xFF] ^ (reg >> 8);
    return reg;
}

uint32_t crc32UpdateSlice16(uint32_t reg, const uint8_t* data, size_t size) {
    while (size >= 16) {
        // The register is folded into the first four bytes; each byte then
        // indexes the table that accounts for the bytes still behind it.
        uint64_t lo = loadWordLe(data) ^ reg;
        uint64_t hi = loadWordLe(data + 8);
        reg = gSlice[15][lo & 0xFF] ^ gSlice[14][(lo >> 8) & 0xFF] ^ gSlice[13][(lo >> 16) & 0xFF] ^
              gSlice[12][(lo >> 24) & 0xFF] ^ gSlice[11][(lo >> 32) & 0xFF] ^
              gSlice[10][(lo >> 40) & 0xFF] ^ gSlice[9][(lo >> 48) & 0xFF] ^ gSlice[8][lo >> 56] ^
              gSlice[7][hi & 0xFF] ^ gSlice[6][(hi >> 8) & 0xFF] ^ gSlice[5][(hi >> 16) & 0xFF] ^
              gSlice[4][(hi >> 24) & 0xFF] ^ gSlice[3][(hi >> 32) & 0xFF] ^
              gSlice[2][(hi >> 40) & 0xFF] ^ gSlice[1][(hi >> 48) & 0xFF] ^ gSlice[0][hi >> 56];
        data += 16;
        size -= 16;
    }
    return crc32UpdateBytewise(reg, data, size);
}

#if GM_SFX_HAVE_CLMUL
namespace {

// Folding constants for the reflected polynomial, each x^n mod P shifted
// into the bit-reflected domain (the values of the Intel paper and of the
// Linux kernel's crc32-pclmul):
//   k1 = x^(4*128+32) mod P, k2 = x^(4*128-32) mod P: fold 512 bits forward;
//   k3 = x^(128+32) mod P,   k4 = x^(128-32) mod P:   fold 128 bits forward;
//   k5 = x^64 mod P:          fold the last 64 bits to 32 plus 32 zeros;
//   p' = P, u' = floor(x^64 / P): the Barrett reduction pair.
constexpr uint64_t kK1 = 0x154442bd4, kK2 = 0x1c6e41596;
constexpr uint64_t kK3 = 0x1751997d0, kK4 = 0x0ccaa009e;
constexpr uint64_t kK5 = 0x163cd6124;
constexpr uint64_t kPoly = 0x1db710641, kMu = 0x1f7011641;
constexpr size_t kClmulMinimum = 64;

__attribute__((target("pclmul,sse4.1"))) inline __m128i fold128(__m128i x, __m128i k,
                                                                __m128i next) {
    __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

// Precondition: size >= kClmulMinimum. Processes size rounded down to 16
// and returns the register; the caller finishes the tail.
__attribute__((target("pclmul,sse4.1"))) uint32_t crc32Clmul(uint32_t reg, const uint8_t* p,
                                                             size_t size) {
    const __m128i k12 = _mm_set_epi64x(static_cast<long long>(kK2), static_cast<long long>(kK1));
    const __m128i k34 = _mm_set_epi64x(static_cast<long long>(kK4), static_cast<long long>(kK3));
    auto load = [](const uint8_t* q) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    };
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
    p += 64;
    size -= 64;
    while (size >= 64) {
        x0 = fold128(x0, k12, load(p));
        x1 = fold128(x1, k12, load(p + 16));
        x2 = fold128(x2, k12, load(p + 32));
        x3 = fold128(x3, k12, load(p + 48));
        p += 64;
        size -= 64;
    }
    // Four lanes into one, then the remaining 16-byte blocks.
    x0 = fold128(x0, k34, x1);
    x0 = fold128(x0, k34, x2);
    x0 = fold128(x0, k34, x3);
    while (size >= 16) {
        x0 = fold128(x0, k34, load(p));
        p += 16;
        size -= 16;
    }
    // 128 -> 64 bits: the low half times k4 added to the high half.
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
    __m128i t = _mm_clmulepi64_si128(x0, k34, 0x10);
    x0 = _mm_xor_si128(t, _mm_srli_si128(x0, 8));
    // 64 -> 32 bits plus 32 zero bits appended, by k5.
    const __m128i k5 = _mm_set_epi64x(0, static_cast<long long>(kK5));
    t = _mm_clmulepi64_si128(_mm_and_si128(x0, mask32), k5, 0x00);
    x0 = _mm_xor_si128(t, _mm_srli_si128(x0, 4));
    // Barrett reduction to the 32-bit register.
    const __m128i pu = _mm_set_epi64x(static_cast<long long>(kMu), static_cast<long long>(kPoly));
    t = _mm_clmulepi64_si128(_mm_and_si128(x0, mask32), pu, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), pu, 0x00);
    x0 = _mm_xor_si128(x0, t);
    return static_cast<uint32_t>(_mm_extract_epi32(x0, 1));
}

}  // namespace
#endif

uint32_t crc32Update(uint32_t reg, const uint8_t* data, size_t size) {
#if GM_SFX_HAVE_CLMUL
    if (gUseClmul && size >= kClmulMinimum) {
        size_t bulk = size & ~static_cast<size_t>(15);
        reg = crc32Clmul(reg, data, bulk);
        data += bulk;
        size -= bulk;
    }
#endif
    return crc32UpdateSlice16(reg, data, size);
}

}  // namespace gm::sfx
