// SHA-1, HMAC-SHA1 and PBKDF2-HMAC-SHA1; see sha1.h.
#include "sfx/core/sha1.h"

#include <cstring>

namespace gm::sfx {
namespace {

uint32_t rotl(uint32_t v, unsigned n) { return (v << n) | (v >> (32 - n)); }

void storeBe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

}  // namespace

void Sha1::reset() {
    static constexpr uint32_t kInit[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476,
                                          0xC3D2E1F0};
    std::memcpy(state_, kInit, sizeof state_);
    length_ = 0;
}

// One 64-byte block, the message schedule kept as a 16-word ring. The
// round function and constant change every 20 rounds (one loop picking them
// is smaller than four loops and about 15 % slower).
void Sha1::compress() {
    static constexpr uint32_t kK[4] = {0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC, 0xCA62C1D6};
    uint32_t w[16], v[5];
    for (int i = 0; i < 16; ++i)
        w[i] = uint32_t{block_[4 * i]} << 24 | uint32_t{block_[4 * i + 1]} << 16 |
               uint32_t{block_[4 * i + 2]} << 8 | block_[4 * i + 3];
    std::memcpy(v, state_, sizeof v);
    for (int t = 0; t < 80; ++t) {
        if (t >= 16)
            w[t & 15] = rotl(w[(t + 13) & 15] ^ w[(t + 8) & 15] ^ w[(t + 2) & 15] ^ w[t & 15], 1);
        const uint32_t b = v[1], c = v[2], d = v[3];
        const int phase = t / 20;
        const uint32_t f = phase == 0   ? d ^ (b & (c ^ d))
                           : phase == 2 ? (b & c) | (d & (b | c))
                                        : b ^ c ^ d;
        const uint32_t next = rotl(v[0], 5) + f + v[4] + kK[phase] + w[t & 15];
        v[4] = d;
        v[3] = c;
        v[2] = rotl(b, 30);
        v[1] = v[0];
        v[0] = next;
    }
    for (int i = 0; i < 5; ++i) state_[i] += v[i];
}

void Sha1::update(const uint8_t* data, size_t size) {
    while (size > 0) {
        const size_t at = static_cast<size_t>(length_ % kSha1BlockSize);
        size_t n = kSha1BlockSize - at;
        if (n > size) n = size;
        std::memcpy(block_ + at, data, n);
        length_ += n;
        data += n;
        size -= n;
        if (at + n == kSha1BlockSize) compress();
    }
}

// Padding: 0x80, zeros up to 8 bytes before a block's end, the bit length.
void Sha1::finish(uint8_t digest[kSha1Size]) {
    const uint64_t bits = length_ * 8;
    static constexpr uint8_t kPad[kSha1BlockSize] = {0x80};
    const size_t at = static_cast<size_t>(length_ % kSha1BlockSize);
    update(kPad, (at < 56 ? 56 : 120) - at);
    uint8_t tail[8];
    storeBe32(tail, static_cast<uint32_t>(bits >> 32));
    storeBe32(tail + 4, static_cast<uint32_t>(bits));
    update(tail, 8);
    for (int i = 0; i < 5; ++i) storeBe32(digest + 4 * i, state_[i]);
}

// The key (hashed first when longer than a block) padded with zeros; the
// inner hash starts with key ^ 0x36.., the outer one with key ^ 0x5C...
void HmacSha1::start(const uint8_t* key, size_t keySize) {
    uint8_t block[kSha1BlockSize] = {};
    if (keySize > kSha1BlockSize) {
        Sha1 h;
        h.update(key, keySize);
        h.finish(block);
    } else {
        std::memcpy(block, key, keySize);
    }
    for (uint8_t& b : block) b ^= 0x36;
    inner_.reset();
    inner_.update(block, sizeof block);
    for (uint8_t& b : block) b ^= 0x36 ^ 0x5C;
    outer_.reset();
    outer_.update(block, sizeof block);
}

void HmacSha1::finish(uint8_t mac[kSha1Size]) {
    uint8_t innerDigest[kSha1Size];
    inner_.finish(innerDigest);
    outer_.update(innerDigest, sizeof innerDigest);
    outer_.finish(mac);
}

// Block i (from 1) is U1 ^ U2 ^ ... ^ Uc with U1 = HMAC(P, S || INT(i)) and
// Un = HMAC(P, Un-1).
void pbkdf2Sha1(const uint8_t* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                unsigned iterations, uint8_t* out, size_t size) {
    HmacSha1 keyed;
    keyed.start(password, passwordSize);
    for (uint32_t block = 1; size > 0; ++block) {
        uint8_t index[4], u[kSha1Size], sum[kSha1Size];
        storeBe32(index, block);
        HmacSha1 mac = keyed;
        mac.update(salt, saltSize);
        mac.update(index, 4);
        mac.finish(u);
        std::memcpy(sum, u, sizeof sum);
        for (unsigned n = 1; n < iterations; ++n) {
            mac = keyed;
            mac.update(u, sizeof u);
            mac.finish(u);
            for (size_t i = 0; i < kSha1Size; ++i) sum[i] ^= u[i];
        }
        const size_t take = size < kSha1Size ? size : kSha1Size;
        std::memcpy(out, sum, take);
        out += take;
        size -= take;
    }
}

}  // namespace gm::sfx
