// AES encryption; see aes.h.
#include "sfx/core/aes.h"

#include <cstring>

namespace gm::sfx {
namespace {

uint8_t gSbox[256];
bool gSboxReady = false;

uint8_t xtime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

// The S-box from the field's generator 3: walking p = 3^i and q = 3^-i
// together gives every non-zero element with its inverse; the affine map
// follows (FIPS 197, 5.1.1).
void buildSbox() {
    uint8_t p = 1, q = 1;
    do {
        p = static_cast<uint8_t>(p ^ xtime(p));  // p * 3
        q ^= static_cast<uint8_t>(q << 1);       // q / 3
        q ^= static_cast<uint8_t>(q << 2);
        q ^= static_cast<uint8_t>(q << 4);
        if (q & 0x80) q ^= 0x09;
        uint8_t s = q;
        for (int r = 1; r < 5; ++r) s ^= static_cast<uint8_t>((q << r) | (q >> (8 - r)));
        gSbox[p] = static_cast<uint8_t>(s ^ 0x63);
    } while (p != 1);
    gSbox[0] = 0x63;
    gSboxReady = true;
}

}  // namespace

// Key expansion (FIPS 197, 5.2): Nk words of key, then each word the one
// before it xored with the word Nk before; every Nk-th word rotated,
// substituted and xored with the round constant, and for 256-bit keys the
// word halfway substituted too.
void Aes::setKey(const uint8_t* key, size_t keySize) {
    if (!gSboxReady) buildSbox();
    const size_t nk = keySize / 4;
    rounds_ = static_cast<int>(nk) + 6;
    const size_t words = 4 * (static_cast<size_t>(rounds_) + 1);
    std::memcpy(roundKeys_, key, keySize);
    uint8_t rcon = 1;
    for (size_t i = nk; i < words; ++i) {
        uint8_t t[4];
        std::memcpy(t, roundKeys_ + 4 * (i - 1), 4);
        if (i % nk == 0) {
            const uint8_t first = t[0];
            t[0] = static_cast<uint8_t>(gSbox[t[1]] ^ rcon);
            t[1] = gSbox[t[2]];
            t[2] = gSbox[t[3]];
            t[3] = gSbox[first];
            rcon = xtime(rcon);
        } else if (nk > 6 && i % nk == 4) {
            for (uint8_t& b : t) b = gSbox[b];
        }
        for (int j = 0; j < 4; ++j)
            roundKeys_[4 * i + j] = static_cast<uint8_t>(roundKeys_[4 * (i - nk) + j] ^ t[j]);
    }
}

// The state is column-major (byte r of column c at 4c + r). Each round:
// SubBytes and ShiftRows together (row r moves left by r), MixColumns
// except in the last round, AddRoundKey.
void Aes::encryptBlock(const uint8_t in[kAesBlockSize], uint8_t out[kAesBlockSize]) const {
    uint8_t s[kAesBlockSize];
    for (size_t i = 0; i < kAesBlockSize; ++i) s[i] = in[i] ^ roundKeys_[i];
    for (int round = 1; round <= rounds_; ++round) {
        uint8_t t[kAesBlockSize];
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) t[4 * c + r] = gSbox[s[4 * ((c + r) & 3) + r]];
        if (round != rounds_) {
            for (int c = 0; c < 4; ++c) {
                uint8_t* col = t + 4 * c;
                const uint8_t all = col[0] ^ col[1] ^ col[2] ^ col[3], first = col[0];
                for (int r = 0; r < 4; ++r)
                    col[r] ^=
                        all ^ xtime(static_cast<uint8_t>(col[r] ^ (r < 3 ? col[r + 1] : first)));
            }
        }
        for (size_t i = 0; i < kAesBlockSize; ++i)
            s[i] = t[i] ^ roundKeys_[round * kAesBlockSize + i];
    }
    std::memcpy(out, s, kAesBlockSize);
}

}  // namespace gm::sfx
