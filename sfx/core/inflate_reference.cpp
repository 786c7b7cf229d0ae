// The reference decompressor: RFC 1951 read one bit at a time, in the
// manner of Mark Adler's puff.c. It is slow and plain on purpose; the tests
// and the fuzz target compare the fast decompressor (inflate.cpp) with it.
//
// It is not used by the stub. It accepts exactly what zlib accepts (see the
// error list in inflate.cpp) and reports the same status as the fast one.
#include <cstring>

#include "sfx/core/deflate_format.h"
#include "sfx/core/inflate.h"

namespace gm::sfx {
namespace {

using namespace deflate;

// A canonical Huffman code as puff keeps it: the number of codes of each
// length and the symbols in canonical order.
struct Huffman {
    uint16_t count[kMaxCodeLength + 1];
    uint16_t symbol[kNumLitlenSymbols];
    unsigned maxLength;
};

// Returns 0 for a complete code, > 0 for an incomplete one, < 0 for an
// over-subscribed one.
int construct(Huffman& h, const uint8_t* lengths, unsigned n) {
    std::memset(h.count, 0, sizeof h.count);
    for (unsigned s = 0; s < n; ++s) ++h.count[lengths[s]];
    h.maxLength = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len)
        if (h.count[len]) h.maxLength = len;
    if (h.count[0] == n) return 1;  // no codes at all
    int left = 1;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        left = (left << 1) - h.count[len];
        if (left < 0) return left;
    }
    uint16_t offs[kMaxCodeLength + 2] = {};
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) offs[len + 1] = offs[len] + h.count[len];
    for (unsigned s = 0; s < n; ++s)
        if (lengths[s] != 0) h.symbol[offs[lengths[s]]++] = static_cast<uint16_t>(s);
    return left;
}

// zlib's acceptance rule: complete, or (where allowed) a single code of
// length one, or no codes at all.
bool acceptable(const Huffman& h, int left, bool allowSingle, unsigned n) {
    if (left < 0) return false;
    if (left == 0) return true;
    if (h.count[0] == n) return true;
    return allowSingle && h.maxLength == 1;
}

class ReferenceDecoder {
  public:
    ReferenceDecoder(InflateIo& io, uint8_t* window) : io_(io), ring_(window) {}

    InflateResult run() {
        InflateResult r;
        InflateStatus s = InflateStatus::Ok;
        bool last = false;
        while (s == InflateStatus::Ok && !last) {
            uint32_t header;
            if (!bits(3, &header)) {
                s = InflateStatus::Truncated;
                break;
            }
            last = header & 1;
            switch (header >> 1) {
                case kStored:
                    s = stored();
                    break;
                case kFixed:
                    s = fixed();
                    break;
                case kDynamic:
                    s = dynamic();
                    break;
                default:
                    s = InflateStatus::BadData;
                    break;
            }
        }
        if (stopped_) s = InflateStatus::Stopped;
        if (s != InflateStatus::Stopped && s != InflateStatus::NoMemory && pos_ > 0 && !flush())
            s = InflateStatus::Stopped;
        r.status = s;
        r.totalOut = total_;
        r.unusedInput = s == InflateStatus::Ok ? static_cast<size_t>(end_ - next_) : 0;
        return r;
    }

  private:
    // Reads n bits, least significant first. False when the input ends.
    bool bits(unsigned n, uint32_t* value) {
        uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (bitcnt_ == 0) {
                if (next_ == end_) {
                    if (ended_) return false;
                    const uint8_t* data = nullptr;
                    size_t len = io_.fillInput(&data);
                    if (len == 0) {
                        ended_ = true;
                        return false;
                    }
                    next_ = data;
                    end_ = data + len;
                }
                bitbuf_ = *next_++;
                bitcnt_ = 8;
            }
            v |= (bitbuf_ & 1u) << i;
            bitbuf_ >>= 1;
            --bitcnt_;
        }
        *value = v;
        return true;
    }

    // Decodes one symbol: -1 when the input ends, -2 for an invalid code.
    int decode(const Huffman& h) {
        int code = 0, first = 0, index = 0;
        for (unsigned len = 1; len <= h.maxLength; ++len) {
            uint32_t bit;
            if (!bits(1, &bit)) return -1;
            code |= static_cast<int>(bit);
            int count = h.count[len];
            if (code - count < first) return h.symbol[index + (code - first)];
            index += count;
            first += count;
            first <<= 1;
            code <<= 1;
        }
        return -2;
    }

    bool flush() {
        size_t n = pos_;
        pos_ = 0;
        wrapped_ = true;
        total_ += n;
        if (!io_.flushOutput(ring_, n)) {
            stopped_ = true;
            return false;
        }
        return true;
    }
    bool put(uint8_t b) {
        if (pos_ == kInflateWindowAlloc && !flush()) return false;
        ring_[pos_++] = b;
        return true;
    }

    InflateStatus stored() {
        bitcnt_ = 0;  // discard the rest of the current byte
        uint32_t len, nlen;
        if (!bits(16, &len) || !bits(16, &nlen)) return InflateStatus::Truncated;
        if (len != (~nlen & 0xFFFF)) return InflateStatus::BadData;
        while (len-- > 0) {
            uint32_t b;
            if (!bits(8, &b)) return InflateStatus::Truncated;
            if (!put(static_cast<uint8_t>(b))) return InflateStatus::Stopped;
        }
        return InflateStatus::Ok;
    }

    InflateStatus codes(const Huffman& lencode, const Huffman& distcode) {
        for (;;) {
            int symbol = decode(lencode);
            if (symbol == -1) return InflateStatus::Truncated;
            if (symbol < 0) return InflateStatus::BadData;
            if (symbol < 256) {
                if (!put(static_cast<uint8_t>(symbol))) return InflateStatus::Stopped;
                continue;
            }
            if (symbol == static_cast<int>(kEndOfBlock)) return InflateStatus::Ok;
            symbol -= kFirstLengthSymbol;
            if (symbol >= 29) return InflateStatus::BadData;
            uint32_t extra;
            if (!bits(kLengthExtra[symbol], &extra)) return InflateStatus::Truncated;
            unsigned length = kLengthBase[symbol] + extra;
            symbol = decode(distcode);
            if (symbol == -1) return InflateStatus::Truncated;
            if (symbol < 0 || symbol >= 30) return InflateStatus::BadData;
            if (!bits(kDistExtra[symbol], &extra)) return InflateStatus::Truncated;
            unsigned distance = kDistBase[symbol] + extra;
            if (!wrapped_ && distance > pos_) return InflateStatus::BadData;
            while (length-- > 0) {
                size_t src =
                    pos_ >= distance ? pos_ - distance : pos_ + kInflateWindowAlloc - distance;
                if (pos_ == kInflateWindowAlloc) src = kInflateWindowAlloc - distance;
                if (!put(ring_[src])) return InflateStatus::Stopped;
            }
        }
    }

    InflateStatus fixed() {
        uint8_t lengths[kNumLitlenSymbols + kNumDistSymbols];
        for (unsigned s = 0; s < kNumLitlenSymbols; ++s) lengths[s] = fixedLitlenLength(s);
        std::memset(lengths + kNumLitlenSymbols, kFixedDistLength, kNumDistSymbols);
        Huffman lencode, distcode;
        construct(lencode, lengths, kNumLitlenSymbols);
        construct(distcode, lengths + kNumLitlenSymbols, kNumDistSymbols);
        return codes(lencode, distcode);
    }

    InflateStatus dynamic() {
        uint32_t nlen, ndist, ncode;
        if (!bits(5, &nlen) || !bits(5, &ndist) || !bits(4, &ncode))
            return InflateStatus::Truncated;
        nlen += 257;
        ndist += 1;
        ncode += 4;
        if (nlen > kMaxLitlenCodes || ndist > kMaxDistCodes) return InflateStatus::BadData;
        uint8_t lengths[kMaxLitlenCodes + kMaxDistCodes] = {};
        uint8_t precodeLengths[kNumPrecodeSymbols] = {};
        for (unsigned i = 0; i < ncode; ++i) {
            uint32_t v;
            if (!bits(3, &v)) return InflateStatus::Truncated;
            precodeLengths[kPrecodeOrder[i]] = static_cast<uint8_t>(v);
        }
        Huffman lencode, distcode;
        int left = construct(lencode, precodeLengths, kNumPrecodeSymbols);
        if (left < 0 || (left > 0 && lencode.count[0] != kNumPrecodeSymbols))
            return InflateStatus::BadData;
        unsigned index = 0;
        while (index < nlen + ndist) {
            int symbol = decode(lencode);
            if (symbol == -1) return InflateStatus::Truncated;
            if (symbol < 0) return InflateStatus::BadData;
            if (symbol < 16) {
                lengths[index++] = static_cast<uint8_t>(symbol);
                continue;
            }
            uint8_t value = 0;
            uint32_t extra;
            unsigned repeat;
            if (symbol == 16) {
                if (index == 0) return InflateStatus::BadData;
                value = lengths[index - 1];
                if (!bits(2, &extra)) return InflateStatus::Truncated;
                repeat = 3 + extra;
            } else if (symbol == 17) {
                if (!bits(3, &extra)) return InflateStatus::Truncated;
                repeat = 3 + extra;
            } else {
                if (!bits(7, &extra)) return InflateStatus::Truncated;
                repeat = 11 + extra;
            }
            if (index + repeat > nlen + ndist) return InflateStatus::BadData;
            while (repeat-- > 0) lengths[index++] = value;
        }
        if (lengths[kEndOfBlock] == 0) return InflateStatus::BadData;
        left = construct(lencode, lengths, nlen);
        if (!acceptable(lencode, left, true, nlen)) return InflateStatus::BadData;
        left = construct(distcode, lengths + nlen, ndist);
        if (!acceptable(distcode, left, true, ndist)) return InflateStatus::BadData;
        return codes(lencode, distcode);
    }

    InflateIo& io_;
    const uint8_t* next_ = nullptr;
    const uint8_t* end_ = nullptr;
    bool ended_ = false;
    uint32_t bitbuf_ = 0;
    unsigned bitcnt_ = 0;
    uint8_t* ring_;
    size_t pos_ = 0;
    bool wrapped_ = false;
    bool stopped_ = false;
    uint64_t total_ = 0;
};

}  // namespace

InflateResult inflateStreamReference(InflateIo& io, uint8_t* window) {
    ReferenceDecoder decoder(io, window);
    return decoder.run();
}

}  // namespace gm::sfx
