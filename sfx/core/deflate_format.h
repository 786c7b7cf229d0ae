// Constants of the deflate format (RFC 1951, section 3.2), shared by the two
// decompressors and the compressor of the building tool.
#pragma once

#include <cstdint>

namespace gm::sfx::deflate {

inline constexpr unsigned kMaxCodeLength = 15;    // longest Huffman codeword
inline constexpr unsigned kMaxPrecodeLength = 7;  // code-length code
inline constexpr unsigned kNumLitlenSymbols = 288;
inline constexpr unsigned kNumDistSymbols = 32;  // 30 valid, 2 reserved
inline constexpr unsigned kNumPrecodeSymbols = 19;
inline constexpr unsigned kMaxLitlenCodes = 286;  // HLIT + 257 may not exceed this
inline constexpr unsigned kMaxDistCodes = 30;     // HDIST + 1 may not exceed this
inline constexpr unsigned kEndOfBlock = 256;
inline constexpr unsigned kFirstLengthSymbol = 257;
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 258;
inline constexpr unsigned kMaxDistance = 32768;

enum BlockType : unsigned { kStored = 0, kFixed = 1, kDynamic = 2, kReserved = 3 };

// Length symbols 257..285: base length and extra bits.
inline constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                             15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                             2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// Distance symbols 0..29: base distance and extra bits.
inline constexpr uint16_t kDistBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// Order in which the code lengths of the code-length code are transmitted.
inline constexpr uint8_t kPrecodeOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                              11, 4,  12, 3, 13, 2, 14, 1, 15};

// The fixed Huffman code of block type 1.
constexpr uint8_t fixedLitlenLength(unsigned symbol) {
    return symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
}
inline constexpr uint8_t kFixedDistLength = 5;

static_assert(kLengthBase[28] == kMaxMatch);
static_assert(kDistBase[29] + (1u << kDistExtra[29]) - 1 == kMaxDistance);

}  // namespace gm::sfx::deflate
