// A small raw deflate compressor (RFC 1951) for the self-extractor's own
// blocks: the stub's string table (compressed while compiling, see
// string_table.cpp) and the configuration strings that the building tool
// mksfx writes.
//
// It is not meant for packages: inputs are a few kilobytes, so it keeps the
// whole input as its window (at most 32 KiB), finds matches greedily through
// hash chains and codes them in one block with the fixed Huffman code, or
// falls back to stored blocks when those come out smaller. Everything is
// constexpr so that the same code runs in the compiler and in mksfx.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sfx/core/deflate_format.h"

namespace gm::sfx {

inline constexpr size_t kDeflateEncodeMaxInput = deflate::kMaxDistance;

// Upper bound of the compressed size of n input bytes: stored blocks cost
// 5 bytes per 65535 input bytes, plus a byte of slack.
constexpr size_t deflateEncodeBound(size_t n) { return n + 5 * (n / 65535 + 1) + 1; }

namespace detail {

class BitWriter {
  public:
    constexpr BitWriter(uint8_t* out, size_t capacity) : out_(out), capacity_(capacity) {}
    // Writes the n low bits of v, least significant first.
    constexpr void put(uint32_t v, unsigned n) {
        acc_ |= static_cast<uint64_t>(v) << count_;
        count_ += n;
        while (count_ >= 8) {
            byte(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    // Writes a Huffman code, which deflate sends most significant bit first.
    constexpr void putCode(uint32_t code, unsigned n) {
        uint32_t r = 0;
        for (unsigned i = 0; i < n; ++i) r |= ((code >> i) & 1u) << (n - 1 - i);
        put(r, n);
    }
    constexpr void alignToByte() {
        if (count_ > 0) put(0, 8 - count_);
    }
    constexpr void byte(uint8_t b) {
        if (size_ < capacity_)
            out_[size_] = b;
        else
            overflow_ = true;
        ++size_;
    }
    constexpr size_t size() const { return size_; }
    constexpr bool overflow() const { return overflow_; }

  private:
    uint8_t* out_;
    size_t capacity_;
    size_t size_ = 0;
    uint64_t acc_ = 0;
    unsigned count_ = 0;
    bool overflow_ = false;
};

// Fixed-code literal/length symbol (RFC 1951, 3.2.6).
constexpr void putFixedLitlen(BitWriter& w, unsigned symbol) {
    if (symbol < 144)
        w.putCode(0x30 + symbol, 8);
    else if (symbol < 256)
        w.putCode(0x190 + (symbol - 144), 9);
    else if (symbol < 280)
        w.putCode(symbol - 256, 7);
    else
        w.putCode(0xC0 + (symbol - 280), 8);
}

constexpr void putMatch(BitWriter& w, unsigned length, unsigned distance) {
    using namespace deflate;
    unsigned i = 28;
    while (kLengthBase[i] > length) --i;
    putFixedLitlen(w, kFirstLengthSymbol + i);
    w.put(length - kLengthBase[i], kLengthExtra[i]);
    unsigned d = 29;
    while (kDistBase[d] > distance) --d;
    w.putCode(d, kFixedDistLength);
    w.put(distance - kDistBase[d], kDistExtra[d]);
}

constexpr size_t storedBlocks(const uint8_t* in, size_t n, uint8_t* out, size_t capacity,
                              bool last) {
    BitWriter w(out, capacity);
    size_t pos = 0;
    do {
        const size_t len = n - pos > 65535 ? 65535 : n - pos;
        w.put(last && pos + len == n ? 1 : 0, 1);  // BFINAL
        w.put(deflate::kStored, 2);
        w.alignToByte();
        w.put(static_cast<uint32_t>(len), 16);
        w.put(static_cast<uint32_t>(~len & 0xFFFF), 16);
        for (size_t i = 0; i < len; ++i) w.byte(in[pos + i]);
        pos += len;
    } while (pos < n);
    return w.overflow() ? 0 : w.size();
}

}  // namespace detail

// Compresses in[0, n) into out[0, capacity). Returns the compressed size, or
// 0 when n exceeds kDeflateEncodeMaxInput or the result does not fit.
// With `last` false the block is not marked final and is followed by an
// empty stored block (what zlib calls a sync flush), so that the stream
// ends on a byte boundary and the next call's output can follow it.
constexpr size_t deflateEncode(const uint8_t* in, size_t n, uint8_t* out, size_t capacity,
                               bool last = true) {
    using namespace deflate;
    if (n > kDeflateEncodeMaxInput) return 0;
    constexpr unsigned kHashBits = 12;
    constexpr unsigned kMaxChain = 64;
    // head[h]: latest position + 1 with hash h; prev[p]: the one before.
    std::array<uint16_t, 1u << kHashBits> head{};
    std::array<uint16_t, kDeflateEncodeMaxInput> prev{};
    auto hash = [&](size_t p) {
        return ((in[p] << 8) ^ (in[p + 1] << 4) ^ in[p + 2]) & ((1u << kHashBits) - 1);
    };
    auto insert = [&](size_t p) {
        if (p + kMinMatch > n) return;
        const unsigned h = hash(p);
        prev[p] = head[h];
        head[h] = static_cast<uint16_t>(p + 1);
    };

    detail::BitWriter w(out, capacity);
    w.put(last ? 1 : 0, 1);  // BFINAL
    w.put(kFixed, 2);
    size_t pos = 0;
    while (pos < n) {
        unsigned bestLen = 0, bestDist = 0;
        if (pos + kMinMatch <= n) {
            const size_t limit = n - pos < kMaxMatch ? n - pos : kMaxMatch;
            unsigned chain = kMaxChain;
            for (unsigned cand = head[hash(pos)]; cand != 0 && chain-- > 0; cand = prev[cand - 1]) {
                const size_t c = cand - 1;
                unsigned len = 0;
                while (len < limit && in[c + len] == in[pos + len]) ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestDist = static_cast<unsigned>(pos - c);
                    if (len == limit) break;
                }
            }
        }
        if (bestLen >= kMinMatch) {
            detail::putMatch(w, bestLen, bestDist);
            for (unsigned i = 0; i < bestLen; ++i) insert(pos + i);
            pos += bestLen;
        } else {
            detail::putFixedLitlen(w, in[pos]);
            insert(pos);
            ++pos;
        }
    }
    detail::putFixedLitlen(w, kEndOfBlock);
    if (!last) {
        w.put(0, 1);
        w.put(kStored, 2);
        w.alignToByte();
        w.put(0, 16);
        w.put(0xFFFF, 16);
    }
    w.alignToByte();

    const size_t storedSize = deflateEncodeBound(n) - 1;
    if (w.overflow() || w.size() >= storedSize)
        return detail::storedBlocks(in, n, out, capacity, last);
    return w.size();
}

}  // namespace gm::sfx
