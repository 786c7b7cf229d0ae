// Fast raw deflate decompression (RFC 1951) over the fill/flush interface.
//
// Index
//   [SECTION] Decode tables   entry format, table construction
//   [SECTION] Bit input, output ring and block decoding
//                             the 64-bit bit buffer and its two refills, the
//                             window and match copies, stored, fixed and
//                             dynamic blocks, the fast loop
//   [SECTION] Memory sink     inflating a buffer into a buffer
//   [SECTION] Entry points
//
// Why it is fast (and still streams through a 32 KiB window):
//  * A 64-bit bit buffer refilled branch-free with one unaligned 8-byte load;
//    after a refill it holds at least 56 bits, enough for a whole
//    length/distance pair (15 + 5 + 15 + 13 = 48 bits) without another check.
//  * One table lookup per symbol: an 11-bit literal/length table and an 8-bit
//    distance table, each entry carrying the symbol's value, its extra-bit
//    count and its code length; longer codes go through one subtable.
//  * Matches are copied a machine word at a time. The copy may run up to 7
//    bytes past the match; the window's slack (inflate.h) guarantees that
//    those bytes hold no reachable history.
//  * The fast loop runs while at least 8 input bytes and a whole match of
//    output room remain; near a buffer edge a careful loop decodes one symbol
//    at a time and crosses into the next input chunk or flushes the window.
//
// Error behaviour (the same as zlib's and the reference decoder's): a
// reserved block type, a stored length that disagrees with its complement,
// more than 286 literal/length or 30 distance codes, an over-subscribed or
// incomplete code (a single code of length one excepted for literal/length
// and distance codes, and an empty distance code), a missing end-of-block
// code, an invalid symbol or a distance beyond the start of the output are
// BadData; input that ends inside the stream is Truncated.
#include "sfx/core/inflate.h"

#include <cstdlib>
#include <cstring>

#include "sfx/core/bytes.h"
#include "sfx/core/deflate_format.h"

namespace gm::sfx {
namespace {

using namespace deflate;

// ============================================================================
// [SECTION] Decode tables
// ============================================================================
//
// An entry is 32 bits:
//   bits  0..3   bits to consume for this table level (code length, or the
//                root bits for a subtable pointer, or the remaining code
//                length inside a subtable)
//   bits  4..7   extra bits of a length or distance; subtable index bits
//   bit   8      literal
//   bit   9      subtable pointer
//   bit  10      end of block
//   bit  11      invalid symbol (reserved symbols, holes of an incomplete code)
//   bits 16..31  literal byte, base length, base distance, precode symbol or
//                subtable offset
constexpr uint32_t kLengthMask = 0x0F;
constexpr unsigned kExtraShift = 4;
constexpr uint32_t kLiteral = 1u << 8;
constexpr uint32_t kSubtable = 1u << 9;
constexpr uint32_t kEndBlock = 1u << 10;
constexpr uint32_t kInvalid = 1u << 11;
constexpr unsigned kValueShift = 16;

constexpr unsigned kLitlenTableBits = 11;
constexpr unsigned kDistTableBits = 8;
constexpr unsigned kPrecodeTableBits = kMaxPrecodeLength;  // no subtables
// Largest tables including subtables, as computed by zlib's
// examples/enough.c ("enough 288 11 15" and "enough 32 8 15").
constexpr unsigned kLitlenEnough = 2342;
constexpr unsigned kDistEnough = 402;
constexpr unsigned kPrecodeEnough = 1u << kPrecodeTableBits;

constexpr uint32_t entry(uint32_t value, unsigned extra, uint32_t flags) {
    return (value << kValueShift) | (extra << kExtraShift) | flags;
}

struct SymbolEntries {
    uint32_t litlen[kNumLitlenSymbols];
    uint32_t dist[kNumDistSymbols];
    uint32_t precode[kNumPrecodeSymbols];
};

// Entry payloads per symbol, without the code length (added per code).
constexpr void fillSymbolEntries(SymbolEntries& s) {
    for (unsigned i = 0; i < 256; ++i) s.litlen[i] = entry(i, 0, kLiteral);
    s.litlen[kEndOfBlock] = kEndBlock;
    for (unsigned i = 0; i < 29; ++i)
        s.litlen[kFirstLengthSymbol + i] = entry(kLengthBase[i], kLengthExtra[i], 0);
    s.litlen[286] = s.litlen[287] = kInvalid;
    for (unsigned i = 0; i < 30; ++i) s.dist[i] = entry(kDistBase[i], kDistExtra[i], 0);
    s.dist[30] = s.dist[31] = kInvalid;
    for (unsigned i = 0; i < kNumPrecodeSymbols; ++i) s.precode[i] = entry(i, 0, 0);
}
#if GM_SFX_SMALL
// The size-built stub fills them at the first use: 1.4 KB less of its file.
SymbolEntries gSymbolEntries;
const SymbolEntries& symbolEntries() {
    if (gSymbolEntries.litlen[0] == 0) fillSymbolEntries(gSymbolEntries);
    return gSymbolEntries;
}
#else
constexpr SymbolEntries makeSymbolEntries() {
    SymbolEntries s{};
    fillSymbolEntries(s);
    return s;
}
constexpr SymbolEntries kSymbolEntries = makeSymbolEntries();
const SymbolEntries& symbolEntries() { return kSymbolEntries; }
#endif

constexpr unsigned reverseBits(unsigned code, unsigned length) {
    unsigned r = 0;
    for (unsigned i = 0; i < length; ++i) {
        r = (r << 1) | (code & 1);
        code >>= 1;
    }
    return r;
}

// Builds the decode table of a canonical Huffman code (RFC 1951, 3.2.2).
// Deflate sends codes most significant bit first into a stream read from the
// least significant bit, so a code indexes the table bit-reversed and fills
// every slot whose low `length` bits match it. Codes longer than tableBits
// share a root slot per prefix; that slot points to a subtable sized for the
// longest code below the prefix.
//
// Returns false for an over-subscribed code and for an incomplete one,
// except where zlib allows it: `allowSingle` codes may consist of a single
// code of length one, and a code with no symbols at all yields a table of
// invalid entries.
bool buildTable(uint32_t* table, unsigned enough, const uint8_t* lengths, unsigned numSymbols,
                const uint32_t* symbolEntries, unsigned tableBits, bool allowSingle) {
    unsigned count[kMaxCodeLength + 1] = {};
    for (unsigned s = 0; s < numSymbols; ++s) ++count[lengths[s]];
    count[0] = 0;
    unsigned maxLength = kMaxCodeLength;
    while (maxLength > 0 && count[maxLength] == 0) --maxLength;
    const unsigned rootSize = 1u << tableBits;
    if (maxLength == 0) {
        for (unsigned i = 0; i < rootSize; ++i) table[i] = kInvalid;
        return true;
    }
    int left = 1;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        left = (left << 1) - static_cast<int>(count[len]);
        if (left < 0) return false;  // over-subscribed
    }
    if (left > 0) {
        if (!allowSingle || maxLength != 1) return false;  // incomplete
        // The hole is a one-bit code that no symbol owns; decoding it
        // consumes that bit, as a bit-at-a-time decoder would read it.
        for (unsigned i = 0; i < rootSize; ++i) table[i] = kInvalid | maxLength;
    }

    // Symbols sorted by code length, then by symbol: the canonical order.
    unsigned offset[kMaxCodeLength + 2] = {};
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) offset[len + 1] = offset[len] + count[len];
    uint16_t sorted[kNumLitlenSymbols];
    for (unsigned s = 0; s < numSymbols; ++s)
        if (lengths[s] != 0) sorted[offset[lengths[s]]++] = static_cast<uint16_t>(s);
    const unsigned numCodes = offset[kMaxCodeLength + 1];

    unsigned nextCode[kMaxCodeLength + 1] = {};
    for (unsigned len = 1, code = 0; len <= kMaxCodeLength; ++len) {
        code = (code + count[len - 1]) << 1;
        nextCode[len] = code;
    }

    unsigned remaining[kMaxCodeLength + 1];
    std::memcpy(remaining, count, sizeof remaining);
    unsigned used = rootSize;      // next free slot for a subtable
    unsigned currentPrefix = ~0u;  // root prefix of the open subtable
    unsigned subBase = 0, subBits = 0;
    for (unsigned k = 0; k < numCodes; ++k) {
        const unsigned symbol = sorted[k];
        const unsigned len = lengths[symbol];
        const unsigned code = nextCode[len]++;
        if (len <= tableBits) {
            const uint32_t e = symbolEntries[symbol] | len;
            for (unsigned i = reverseBits(code, len); i < rootSize; i += 1u << len) table[i] = e;
        } else {
            const unsigned prefix = code >> (len - tableBits);
            if (prefix != currentPrefix) {
                // New subtable: as deep as the codes below this prefix need.
                // Codes are assigned in increasing order, so the codes not yet
                // assigned at each length fill the prefix's subtree first.
                unsigned bits = len - tableBits;
                int slots = 1 << bits;
                while (bits + tableBits < maxLength) {
                    slots -= static_cast<int>(remaining[bits + tableBits]);
                    if (slots <= 0) break;
                    ++bits;
                    slots <<= 1;
                }
                if (used + (1u << bits) > enough) return false;  // cannot happen for valid codes
                currentPrefix = prefix;
                subBase = used;
                subBits = bits;
                used += 1u << bits;
                table[reverseBits(prefix, tableBits)] =
                    entry(subBase, subBits, kSubtable) | tableBits;
            }
            const unsigned subLen = len - tableBits;
            const uint32_t e = symbolEntries[symbol] | subLen;
            const unsigned low = code & ((1u << subLen) - 1);
            for (unsigned i = reverseBits(low, subLen); i < (1u << subBits); i += 1u << subLen)
                table[subBase + i] = e;
        }
        --remaining[len];
    }
    return true;
}

// ============================================================================
// [SECTION] Bit input, output ring and block decoding
// ============================================================================

constexpr size_t kRingSize = kInflateWindowAlloc;
// The fast loop needs room for a whole match plus the word-copy overrun.
constexpr size_t kWordOverrun = 8;
constexpr size_t kFastOutMargin = kMaxMatch + 2 * kWordOverrun;
// A refill loads one 8-byte word.
constexpr size_t kFastInMargin = 8;
// Bits after a fast refill: 56 + (bitcount mod 8).
constexpr unsigned kBitsAfterRefill = 56;
static_assert(kMaxCodeLength + 5 + kMaxCodeLength + 13 <= kBitsAfterRefill,
              "a length/distance pair must fit one refill");
static_assert(kInflateWindowSlack >= kFastOutMargin + kWordOverrun,
              "overrun bytes must lie beyond the reachable history");
static_assert(kLitlenTableBits <= kLengthMask && kDistTableBits <= kLengthMask);

inline uint64_t lowBits(uint64_t v, unsigned n) { return v & ((uint64_t{1} << n) - 1); }

class Decoder {
  public:
    Decoder(InflateIo& io, uint8_t* window) : io_(io), ring_(window), out_(window) {}
    InflateResult run();

  private:
    // --- careful bit input (headers, and the edges of input chunks) ---
    // Makes at least n (<= 56) bits available. Past the end of the input it
    // supplies zero bytes and counts them; consuming one of them makes the
    // stream Truncated (checked at the end and before any BadData).
    bool need(unsigned n) {
        while (bitcount_ < n) {
            if (inNext_ == inEnd_ && !nextChunk()) {
                if (++overread_ > sizeof bitbuf_) return false;
                bitcount_ += 8;
                continue;
            }
            bitbuf_ |= static_cast<uint64_t>(*inNext_++) << bitcount_;
            bitcount_ += 8;
        }
        return true;
    }
    bool nextChunk() {
        if (inputEnded_) return false;
        const uint8_t* data = nullptr;
        size_t n = io_.fillInput(&data);
        if (n == 0) {
            inputEnded_ = true;
            return false;
        }
        inNext_ = data;
        inEnd_ = data + n;
        return true;
    }
    uint32_t bits(unsigned n) { return static_cast<uint32_t>(lowBits(bitbuf_, n)); }
    void consume(unsigned n) {
        bitbuf_ >>= n;
        bitcount_ -= n;
    }
    bool consumedPadding() const { return overread_ > bitcount_ / 8; }
    InflateStatus bad() {
        return consumedPadding() ? InflateStatus::Truncated : InflateStatus::BadData;
    }

    // --- careful output ---
    bool putByte(uint8_t b) {
        if (out_ == ring_ + kRingSize && !flushRing()) return false;
        *out_++ = b;
        return true;
    }
    bool flushRing() {
        size_t n = static_cast<size_t>(out_ - ring_);
        out_ = ring_;
        wrapped_ = true;
        if (n == 0) return true;
        totalOut_ += n;
        if (!io_.flushOutput(ring_, n)) {
            stopped_ = true;
            return false;
        }
        return true;
    }
    // Copies a match one byte at a time, across the ring's end if need be.
    bool copyMatchCareful(unsigned length, unsigned distance) {
        for (unsigned i = 0; i < length; ++i) {
            if (out_ == ring_ + kRingSize && !flushRing()) return false;
            size_t pos = static_cast<size_t>(out_ - ring_);
            size_t src = pos >= distance ? pos - distance : pos + kRingSize - distance;
            *out_++ = ring_[src];
        }
        return true;
    }
    bool distanceOk(unsigned distance) const {
        return wrapped_ || distance <= static_cast<size_t>(out_ - ring_);
    }

    InflateStatus storedBlock();
    InflateStatus readDynamicLengths(uint8_t* lengths, unsigned* numLitlen, unsigned* numDist);
    InflateStatus huffmanBlock(const uint32_t* litlen, const uint32_t* dist);
    InflateStatus decodeSlow(const uint32_t* litlen, const uint32_t* dist, bool* endOfBlock);
#if !GM_SFX_SMALL
    InflateStatus fastLoop(const uint32_t* litlen, const uint32_t* dist, bool* endOfBlock);
#endif

    InflateIo& io_;
    // Input: the unread part of the current chunk and the bit buffer. Bits
    // above bitcount_ are either zero or equal to the bits of the bytes at
    // inNext_ (the fast refill loads a whole word); OR-ing those bytes in
    // again therefore changes nothing.
    const uint8_t* inNext_ = nullptr;
    const uint8_t* inEnd_ = nullptr;
    uint64_t bitbuf_ = 0;
    unsigned bitcount_ = 0;
    unsigned overread_ = 0;  // zero bytes supplied past the end of the input
    bool inputEnded_ = false;
    // Output: the ring and the write position inside it.
    uint8_t* const ring_;
    uint8_t* out_;
    bool wrapped_ = false;  // the ring has been flushed at least once
    bool stopped_ = false;  // flushOutput() refused
    uint64_t totalOut_ = 0;
};

// Stored block (RFC 1951, 3.2.4): skip to a byte boundary, LEN and NLEN,
// then LEN bytes copied unchanged.
InflateStatus Decoder::storedBlock() {
    consume(bitcount_ % 8);
    if (!need(32)) return InflateStatus::Truncated;
    unsigned len = bits(16);
    unsigned nlen = static_cast<uint32_t>(bitbuf_ >> 16) & 0xFFFF;
    consume(32);
    if (consumedPadding()) return InflateStatus::Truncated;
    if (len != (~nlen & 0xFFFF)) return InflateStatus::BadData;
    // Whole bytes still in the bit buffer come first.
    while (len > 0 && bitcount_ >= 8) {
        if (!putByte(static_cast<uint8_t>(bitbuf_))) return InflateStatus::Stopped;
        consume(8);
        if (consumedPadding()) return InflateStatus::Truncated;
        --len;
    }
    if (len == 0) return InflateStatus::Ok;
    // The bit buffer is empty; its stale upper bits describe bytes that are
    // now copied directly, so they must go.
    if (overread_ > 0) return InflateStatus::Truncated;
    bitbuf_ = 0;
    while (len > 0) {
        if (inNext_ == inEnd_ && !nextChunk()) return InflateStatus::Truncated;
        if (out_ == ring_ + kRingSize && !flushRing()) return InflateStatus::Stopped;
        size_t n = len;
        if (n > static_cast<size_t>(inEnd_ - inNext_)) n = static_cast<size_t>(inEnd_ - inNext_);
        if (n > static_cast<size_t>(ring_ + kRingSize - out_))
            n = static_cast<size_t>(ring_ + kRingSize - out_);
        std::memcpy(out_, inNext_, n);
        out_ += n;
        inNext_ += n;
        len -= static_cast<unsigned>(n);
    }
    return InflateStatus::Ok;
}

// Dynamic block header (RFC 1951, 3.2.7): HLIT, HDIST, HCLEN, the code
// lengths of the code-length code, then the literal/length and distance code
// lengths, run-length coded with symbols 16 (repeat previous 3-6 times),
// 17 (3-10 zeros) and 18 (11-138 zeros).
InflateStatus Decoder::readDynamicLengths(uint8_t* lengths, unsigned* numLitlen,
                                          unsigned* numDist) {
    if (!need(14)) return InflateStatus::Truncated;
    const unsigned nlit = bits(5) + 257;
    consume(5);
    const unsigned ndist = bits(5) + 1;
    consume(5);
    const unsigned nprecode = bits(4) + 4;
    consume(4);
    if (consumedPadding()) return InflateStatus::Truncated;
    if (nlit > kMaxLitlenCodes || ndist > kMaxDistCodes) return InflateStatus::BadData;

    uint8_t precodeLengths[kNumPrecodeSymbols] = {};
    for (unsigned i = 0; i < nprecode; ++i) {
        if (!need(3)) return InflateStatus::Truncated;
        precodeLengths[kPrecodeOrder[i]] = static_cast<uint8_t>(bits(3));
        consume(3);
    }
    if (consumedPadding()) return InflateStatus::Truncated;
    uint32_t precode[kPrecodeEnough];
    if (!buildTable(precode, kPrecodeEnough, precodeLengths, kNumPrecodeSymbols,
                    symbolEntries().precode, kPrecodeTableBits, false))
        return bad();

    const unsigned total = nlit + ndist;
    unsigned i = 0;
    while (i < total) {
        if (!need(kMaxPrecodeLength + 7)) return InflateStatus::Truncated;
        const uint32_t e = precode[bits(kPrecodeTableBits)];
        consume(e & kLengthMask);
        if (e & kInvalid) return bad();
        const unsigned symbol = e >> kValueShift;
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t value = 0;
        unsigned repeat;
        if (symbol == 16) {
            if (i == 0) return bad();
            value = lengths[i - 1];
            repeat = 3 + bits(2);
            consume(2);
        } else if (symbol == 17) {
            repeat = 3 + bits(3);
            consume(3);
        } else {
            repeat = 11 + bits(7);
            consume(7);
        }
        if (consumedPadding()) return InflateStatus::Truncated;
        if (i + repeat > total) return InflateStatus::BadData;
        std::memset(lengths + i, value, repeat);
        i += repeat;
    }
    if (consumedPadding()) return InflateStatus::Truncated;
    if (lengths[kEndOfBlock] == 0) return InflateStatus::BadData;
    *numLitlen = nlit;
    *numDist = ndist;
    return InflateStatus::Ok;
}

// One symbol with careful input and output: used near the edges of the
// input chunk and of the ring.
InflateStatus Decoder::decodeSlow(const uint32_t* litlen, const uint32_t* dist, bool* endOfBlock) {
    if (!need(kMaxCodeLength)) return InflateStatus::Truncated;
    uint32_t e = litlen[bits(kLitlenTableBits)];
    if (e & kSubtable) {
        consume(kLitlenTableBits);
        e = litlen[(e >> kValueShift) + bits((e >> kExtraShift) & kLengthMask)];
    }
    consume(e & kLengthMask);
    if (e & kLiteral) {
        if (consumedPadding()) return InflateStatus::Truncated;
        return putByte(static_cast<uint8_t>(e >> kValueShift)) ? InflateStatus::Ok
                                                               : InflateStatus::Stopped;
    }
    if (e & kInvalid) return bad();
    if (e & kEndBlock) {
        if (consumedPadding()) return InflateStatus::Truncated;
        *endOfBlock = true;
        return InflateStatus::Ok;
    }
    if (!need(5)) return InflateStatus::Truncated;
    unsigned extra = (e >> kExtraShift) & kLengthMask;
    const unsigned length = (e >> kValueShift) + bits(extra);
    consume(extra);

    if (!need(kMaxCodeLength)) return InflateStatus::Truncated;
    e = dist[bits(kDistTableBits)];
    if (e & kSubtable) {
        consume(kDistTableBits);
        e = dist[(e >> kValueShift) + bits((e >> kExtraShift) & kLengthMask)];
    }
    consume(e & kLengthMask);
    if (e & kInvalid) return bad();
    if (!need(13)) return InflateStatus::Truncated;
    extra = (e >> kExtraShift) & kLengthMask;
    const unsigned distance = (e >> kValueShift) + bits(extra);
    consume(extra);
    if (consumedPadding()) return InflateStatus::Truncated;
    if (!distanceOk(distance)) return InflateStatus::BadData;
    return copyMatchCareful(length, distance) ? InflateStatus::Ok : InflateStatus::Stopped;
}

#if !GM_SFX_SMALL
// The fast loop. All state lives in locals so that the compiler can keep it
// in registers: byte stores through `out` may alias any member, locals whose
// address never escapes they cannot.
InflateStatus Decoder::fastLoop(const uint32_t* litlen, const uint32_t* dist, bool* endOfBlock) {
    const uint8_t* in = inNext_;
    const uint8_t* const inLast = inEnd_ - kFastInMargin;  // last position for a word load
    uint64_t bb = bitbuf_;
    unsigned bc = bitcount_;
    uint8_t* const ring = ring_;
    uint8_t* out = out_;
    uint8_t* const outLast = ring + kRingSize - kFastOutMargin;
    const bool wrapped = wrapped_;
    InflateStatus status = InflateStatus::Ok;

    while (in <= inLast && out <= outLast) {
        // Branch-free refill: add whole bytes until 56..63 bits are held.
        bb |= loadWordLe(in) << bc;
        in += (63 - bc) >> 3;
        bc |= kBitsAfterRefill;

        uint32_t e = litlen[lowBits(bb, kLitlenTableBits)];
        if (e & kSubtable) {
            bb >>= kLitlenTableBits;
            bc -= kLitlenTableBits;
            e = litlen[(e >> kValueShift) + lowBits(bb, (e >> kExtraShift) & kLengthMask)];
        }
        bb >>= e & kLengthMask;
        bc -= e & kLengthMask;
        if (e & kLiteral) {
            *out++ = static_cast<uint8_t>(e >> kValueShift);
            // A literal used at most 15 of the >= 56 bits: a second symbol
            // fits without a refill when it is a literal too.
            e = litlen[lowBits(bb, kLitlenTableBits)];
            if ((e & (kLiteral | kSubtable)) == kLiteral) {
                bb >>= e & kLengthMask;
                bc -= e & kLengthMask;
                *out++ = static_cast<uint8_t>(e >> kValueShift);
            }
            continue;
        }
        if (e & (kEndBlock | kInvalid)) {
            if (e & kInvalid)
                status = InflateStatus::BadData;
            else
                *endOfBlock = true;
            break;
        }
        unsigned extra = (e >> kExtraShift) & kLengthMask;
        const unsigned length = (e >> kValueShift) + static_cast<unsigned>(lowBits(bb, extra));
        bb >>= extra;
        bc -= extra;

        e = dist[lowBits(bb, kDistTableBits)];
        if (e & kSubtable) {
            bb >>= kDistTableBits;
            bc -= kDistTableBits;
            e = dist[(e >> kValueShift) + lowBits(bb, (e >> kExtraShift) & kLengthMask)];
        }
        bb >>= e & kLengthMask;
        bc -= e & kLengthMask;
        if (e & kInvalid) {
            status = InflateStatus::BadData;
            break;
        }
        extra = (e >> kExtraShift) & kLengthMask;
        const unsigned distance = (e >> kValueShift) + static_cast<unsigned>(lowBits(bb, extra));
        bb >>= extra;
        bc -= extra;

        const size_t pos = static_cast<size_t>(out - ring);
        uint8_t* const end = out + length;
        if (distance <= pos) {
            const uint8_t* src = out - distance;
            if (distance >= kWordOverrun) {
                // Each word read lies wholly behind the word written.
                do {
                    std::memcpy(out, src, kWordOverrun);
                    out += kWordOverrun;
                    src += kWordOverrun;
                } while (out < end);
            } else if (distance == 1) {
                const uint64_t v = src[0] * 0x0101010101010101ull;
                do {
                    std::memcpy(out, &v, sizeof v);
                    out += sizeof v;
                } while (out < end);
            } else {
                do *out++ = *src++;
                while (out < end);
            }
            out = end;
        } else {
            // The source lies in the previous lap of the ring, at least the
            // window slack ahead of the write position: no overlap.
            if (!wrapped) {
                status = InflateStatus::BadData;
                break;
            }
            const uint8_t* src = out + (kRingSize - distance);
            const size_t first = static_cast<size_t>(ring + kRingSize - src);
            if (length <= first) {
                std::memcpy(out, src, length);
            } else {
                std::memcpy(out, src, first);
                for (size_t i = first; i < length; ++i) out[i] = ring[i - first];
            }
            out = end;
        }
    }

    inNext_ = in;
    bitbuf_ = bb;
    bitcount_ = bc;
    out_ = out;
    return status;
}

#endif

InflateStatus Decoder::huffmanBlock(const uint32_t* litlen, const uint32_t* dist) {
    bool endOfBlock = false;
    for (;;) {
#if !GM_SFX_SMALL  // the size-built stub decodes every symbol the careful way
        if (inEnd_ - inNext_ >= static_cast<ptrdiff_t>(kFastInMargin) &&
            out_ <= ring_ + kRingSize - kFastOutMargin) {
            InflateStatus s = fastLoop(litlen, dist, &endOfBlock);
            if (s != InflateStatus::Ok) return s == InflateStatus::BadData ? bad() : s;
            if (endOfBlock) return InflateStatus::Ok;
        }
#endif
        InflateStatus s = decodeSlow(litlen, dist, &endOfBlock);
        if (s != InflateStatus::Ok || endOfBlock) return s;
    }
}

InflateResult Decoder::run() {
    InflateResult result;
    InflateStatus status = InflateStatus::Ok;
    bool last = false;
    while (status == InflateStatus::Ok && !last) {
        if (!need(3)) {
            status = InflateStatus::Truncated;
            break;
        }
        last = bits(1) != 0;
        const unsigned type = bits(3) >> 1;
        consume(3);
        if (consumedPadding()) {
            status = InflateStatus::Truncated;
            break;
        }
        if (type == kStored) {
            status = storedBlock();
            continue;
        }
        if (type == kReserved) {
            status = InflateStatus::BadData;
            break;
        }
        uint8_t lengths[kMaxLitlenCodes + kMaxDistCodes] = {};
        unsigned nlit = 0, ndist = 0;
        if (type == kFixed) {
            nlit = kNumLitlenSymbols;
            ndist = kNumDistSymbols;
            static_assert(sizeof lengths >= kNumLitlenSymbols);
        } else {
            status = readDynamicLengths(lengths, &nlit, &ndist);
            if (status != InflateStatus::Ok) break;
        }
        // Code tables are allocated per block and freed after it.
        auto* tables =
            static_cast<uint32_t*>(std::malloc((kLitlenEnough + kDistEnough) * sizeof(uint32_t)));
        if (tables == nullptr) {
            status = InflateStatus::NoMemory;
            break;
        }
        uint32_t* litlen = tables;
        uint32_t* dist = tables + kLitlenEnough;
        bool ok;
        if (type == kFixed) {
            uint8_t fixedLit[kNumLitlenSymbols], fixedDist[kNumDistSymbols];
            for (unsigned s = 0; s < kNumLitlenSymbols; ++s) fixedLit[s] = fixedLitlenLength(s);
            std::memset(fixedDist, kFixedDistLength, sizeof fixedDist);
            ok = buildTable(litlen, kLitlenEnough, fixedLit, kNumLitlenSymbols,
                            symbolEntries().litlen, kLitlenTableBits, true) &&
                 buildTable(dist, kDistEnough, fixedDist, kNumDistSymbols, symbolEntries().dist,
                            kDistTableBits, true);
        } else {
            ok = buildTable(litlen, kLitlenEnough, lengths, nlit, symbolEntries().litlen,
                            kLitlenTableBits, true) &&
                 buildTable(dist, kDistEnough, lengths + nlit, ndist, symbolEntries().dist,
                            kDistTableBits, true);
        }
        status = ok ? huffmanBlock(litlen, dist) : bad();
        std::free(tables);
    }
    if (status == InflateStatus::Ok && consumedPadding()) status = InflateStatus::Truncated;
    if (stopped_) status = InflateStatus::Stopped;
    // What was decoded goes out, also after damage: the caller's checksum
    // then covers exactly the bytes written.
    if (status != InflateStatus::Stopped && status != InflateStatus::NoMemory && out_ != ring_) {
        if (!flushRing()) status = InflateStatus::Stopped;
    }
    result.status = status;
    result.totalOut = totalOut_;
    if (status == InflateStatus::Ok)
        result.unusedInput = static_cast<size_t>(inEnd_ - inNext_) + bitcount_ / 8 - overread_;
    return result;
}

// ============================================================================
// [SECTION] Memory sink
// ============================================================================

class MemoryIo final : public InflateIo {
  public:
    MemoryIo(const uint8_t* in, size_t inSize, uint8_t* out, size_t capacity)
        : in_(in), inSize_(inSize), out_(out), capacity_(capacity) {}
    size_t fillInput(const uint8_t** data) override {
        *data = in_;
        size_t n = inSize_;
        inSize_ = 0;
        return n;
    }
    bool flushOutput(const uint8_t* data, size_t size) override {
        if (size > capacity_ - stored_) {
            std::memcpy(out_ + stored_, data, capacity_ - stored_);
            stored_ = capacity_;
            return false;
        }
        std::memcpy(out_ + stored_, data, size);
        stored_ += size;
        return true;
    }
    size_t stored() const { return stored_; }

  private:
    const uint8_t* in_;
    size_t inSize_;
    uint8_t* out_;
    size_t capacity_;
    size_t stored_ = 0;
};

}  // namespace

// ============================================================================
// [SECTION] Entry points
// ============================================================================

InflateResult inflateStream(InflateIo& io, uint8_t* window) {
    Decoder decoder(io, window);
    return decoder.run();
}

InflateStatus inflateToMemory(const uint8_t* in, size_t inSize, uint8_t* out, size_t capacity,
                              size_t* outSize, uint8_t* window) {
    MemoryIo io(in, inSize, out, capacity);
    InflateResult r = inflateStream(io, window);
    *outSize = io.stored();
    return r.status;
}

}  // namespace gm::sfx
