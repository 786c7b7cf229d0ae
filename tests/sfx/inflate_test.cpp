// The decompressors: the fast one against the plain reference, on streams of
// our own encoder and on small hand-made streams that each break one rule of
// RFC 1951; chunking of the input; the window and its flushes; give-back of
// look-ahead. (Streams of other encoders: inflate_zlib_test.cpp and the
// encoder corpus script.)
#include "sfx/core/inflate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "sfx/core/crc32.h"
#include "sfx/core/deflate_encode.h"
#include "tests/sfx/sfx_test_support.h"

namespace gm::sfx::test {
namespace {

// Feeds a stream in chunks of a given size (cycling through `chunks`) and
// collects the output.
class VectorIo final : public InflateIo {
  public:
    VectorIo(const Bytes& in, std::vector<size_t> chunks) : in_(in), chunks_(std::move(chunks)) {}
    size_t fillInput(const uint8_t** data) override {
        if (pos_ == in_.size()) return 0;
        size_t n = chunks_[calls_++ % chunks_.size()];
        n = std::min(n, in_.size() - pos_);
        // Copy into a private buffer so that reads past the chunk are caught
        // by the sanitizers.
        chunk_.assign(in_.begin() + static_cast<ptrdiff_t>(pos_),
                      in_.begin() + static_cast<ptrdiff_t>(pos_ + n));
        pos_ += n;
        *data = chunk_.data();
        return n;
    }
    bool flushOutput(const uint8_t* data, size_t size) override {
        ++flushes;
        maxFlush = std::max(maxFlush, size);
        if (out.size() + size > stopAfter) return false;
        out.insert(out.end(), data, data + size);
        return true;
    }
    size_t consumed(const InflateResult& r) const { return pos_ - r.unusedInput; }

    Bytes out;
    size_t flushes = 0, maxFlush = 0;
    size_t stopAfter = SIZE_MAX;

  private:
    const Bytes& in_;
    std::vector<size_t> chunks_;
    size_t calls_ = 0, pos_ = 0;
    Bytes chunk_;
};

struct Decoded {
    InflateResult result;
    Bytes out;
    size_t consumed;
};

Decoded runFast(const Bytes& stream, std::vector<size_t> chunks = {2048}) {
    static uint8_t window[kInflateWindowAlloc];
    VectorIo io(stream, std::move(chunks));
    Decoded r{inflateStream(io, window), {}, 0};
    r.out = io.out;
    r.consumed = io.consumed(r.result);
    return r;
}

Decoded runReference(const Bytes& stream, std::vector<size_t> chunks = {2048}) {
    static uint8_t window[kInflateWindowAlloc];
    VectorIo io(stream, std::move(chunks));
    Decoded r{inflateStreamReference(io, window), {}, 0};
    r.out = io.out;
    r.consumed = io.consumed(r.result);
    return r;
}

// Both decompressors, several chunkings; all must agree.
void expectAgree(const Bytes& stream, const char* what) {
    const Decoded ref = runReference(stream, {1});
    for (std::vector<size_t> chunks :
         {std::vector<size_t>{2048}, {1}, {7, 1, 13}, {1u << 20}, {9, 4096}}) {
        const Decoded fast = runFast(stream, chunks);
        EXPECT_EQ(fast.result.status, ref.result.status) << what << " chunk " << chunks[0];
        if (ref.result.status == InflateStatus::Ok) {
            EXPECT_EQ(fast.out, ref.out) << what;
            EXPECT_EQ(fast.consumed, ref.consumed) << what;
        }
    }
}

// A bit writer for hand-made streams.
struct Bits {
    Bytes bytes;
    uint32_t acc = 0;
    int n = 0;
    Bits& put(uint32_t v, int count) {
        for (int i = 0; i < count; ++i) {
            acc |= ((v >> i) & 1u) << n;
            if (++n == 8) {
                bytes.push_back(static_cast<uint8_t>(acc));
                acc = 0;
                n = 0;
            }
        }
        return *this;
    }
    // A Huffman code, most significant bit first.
    Bits& code(uint32_t v, int count) {
        for (int i = count - 1; i >= 0; --i) put((v >> i) & 1u, 1);
        return *this;
    }
    Bytes done() {
        Bytes b = bytes;
        if (n) b.push_back(static_cast<uint8_t>(acc));
        return b;
    }
};

TEST(Inflate, OwnEncoderRoundTripsAcrossSizes) {
    for (size_t size : {size_t(0), size_t(1), size_t(100), size_t(32768), size_t(33280),
                        size_t(70000), size_t(300000)}) {
        const Bytes data = mixedData(size, static_cast<uint32_t>(size));
        const Bytes stream = deflateOwn(data);
        const Decoded fast = runFast(stream);
        ASSERT_EQ(fast.result.status, InflateStatus::Ok) << size;
        EXPECT_EQ(fast.out, data) << size;
        EXPECT_EQ(fast.result.totalOut, data.size());
        EXPECT_EQ(fast.consumed, stream.size());
        expectAgree(stream, "own encoder");
    }
}

TEST(Inflate, WindowIsFlushedWholeAndAtTheEnd) {
    const Bytes data = mixedData(200000, 3);
    static uint8_t window[kInflateWindowAlloc];
    const Bytes stream = deflateOwn(data);
    VectorIo io(stream, {2048});
    ASSERT_EQ(inflateStream(io, window).status, InflateStatus::Ok);
    EXPECT_EQ(io.maxFlush, kInflateWindowAlloc);
    EXPECT_EQ(io.flushes, (data.size() + kInflateWindowAlloc - 1) / kInflateWindowAlloc);
}

// Stored block: LEN, NLEN and the bytes, preceded by a fixed block so that
// the stored header starts mid-byte.
TEST(Inflate, StoredBlockAfterFixedBlock) {
    Bits b;
    b.put(0, 1).put(1, 2);  // fixed, not last
    b.code(0x30 + 'A', 8);  // literal 'A'
    b.code(0, 7);           // end of block
    b.put(1, 1).put(0, 2);  // stored, last
    Bytes s = b.done();
    for (uint8_t v : Bytes{5, 0, 0xFA, 0xFF, 'h', 'e', 'l', 'l', 'o'}) s.push_back(v);
    s.push_back(0xEE);  // trailing byte after the stream
    const Decoded r = runFast(s, {1});
    ASSERT_EQ(r.result.status, InflateStatus::Ok);
    EXPECT_EQ(stringOf(r.out), "Ahello");
    EXPECT_EQ(r.consumed, s.size() - 1);
    expectAgree(s, "stored after fixed");
}

TEST(Inflate, StoredLengthMismatchIsBadData) {
    const Bytes s = {0x01, 5, 0, 0xFB, 0xFF, 'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(runFast(s).result.status, InflateStatus::BadData);
    expectAgree(s, "stored mismatch");
}

TEST(Inflate, ReservedBlockTypeIsBadData) {
    Bits b;
    b.put(1, 1).put(3, 2);
    EXPECT_EQ(runFast(b.done()).result.status, InflateStatus::BadData);
    expectAgree(b.done(), "type 3");
}

TEST(Inflate, DistanceBeyondStartIsBadData) {
    Bits b;
    b.put(1, 1).put(1, 2);
    b.code(0x30 + 'x', 8);  // one literal
    b.code(257 - 256, 7);   // length 3
    b.code(1, 5);           // distance 2 > 1 byte of output
    b.code(0, 7);
    EXPECT_EQ(runFast(b.done()).result.status, InflateStatus::BadData);
    expectAgree(b.done(), "too far");
}

TEST(Inflate, FixedCodeReservedSymbolsAreBadData) {
    Bits lit;
    lit.put(1, 1).put(1, 2).code(0xC0 + 6, 8);  // literal/length symbol 286
    EXPECT_EQ(runFast(lit.done()).result.status, InflateStatus::BadData);
    expectAgree(lit.done(), "symbol 286");
    Bits dist;
    dist.put(1, 1).put(1, 2).code(0x30 + 'a', 8).code(1, 7).code(30, 5);  // distance symbol 30
    EXPECT_EQ(runFast(dist.done()).result.status, InflateStatus::BadData);
    expectAgree(dist.done(), "distance 30");
}

TEST(Inflate, TruncatedStreamsAreReportedAsTruncated) {
    const Bytes data = mixedData(50000, 9);
    const Bytes stream = deflateOwn(data);
    for (size_t cut : {size_t(0), size_t(1), size_t(2), stream.size() / 2, stream.size() - 1}) {
        const Bytes part(stream.begin(), stream.begin() + static_cast<ptrdiff_t>(cut));
        EXPECT_EQ(runFast(part).result.status, InflateStatus::Truncated) << cut;
        EXPECT_EQ(runReference(part).result.status, InflateStatus::Truncated) << cut;
    }
}

// Dynamic header: a code-length code that does not add up.
TEST(Inflate, OversubscribedAndIncompleteCodesAreBadData) {
    Bits b;
    b.put(1, 1).put(2, 2);
    b.put(0, 5).put(0, 5).put(15, 4);          // 257 + 1 codes, all 19 precode lengths
    for (int i = 0; i < 19; ++i) b.put(1, 3);  // 19 codes of length 1: over-subscribed
    EXPECT_EQ(runFast(b.done()).result.status, InflateStatus::BadData);
    expectAgree(b.done(), "oversubscribed precode");

    Bits c;
    c.put(1, 1).put(2, 2);
    c.put(0, 5).put(0, 5).put(0, 4);            // 4 precode lengths
    c.put(2, 3).put(0, 3).put(0, 3).put(0, 3);  // only symbol 16 with length 2: incomplete
    EXPECT_EQ(runFast(c.done()).result.status, InflateStatus::BadData);
    expectAgree(c.done(), "incomplete precode");
}

TEST(Inflate, TooManyLengthCodesIsBadData) {
    Bits b;
    b.put(1, 1).put(2, 2).put(30, 5).put(0, 5).put(0, 4);  // HLIT 287
    EXPECT_EQ(runFast(b.done()).result.status, InflateStatus::BadData);
    expectAgree(b.done(), "HLIT 287");
}

// A distance that reaches back across the ring's wrap point.
TEST(Inflate, MatchesAcrossTheRingWrap) {
    Bytes data = mixedData(kInflateWindowAlloc - 100, 5);
    const Bytes tail(data.end() - 30000, data.end() - 29000);
    for (int i = 0; i < 40; ++i) data.insert(data.end(), tail.begin(), tail.end());
    const Bytes stream = deflateOwn(data);
    const Decoded r = runFast(stream);
    ASSERT_EQ(r.result.status, InflateStatus::Ok);
    EXPECT_EQ(r.out, data);
    expectAgree(stream, "ring wrap");
}

TEST(Inflate, StopsWhenFlushRefuses) {
    const Bytes data = mixedData(100000, 1);
    static uint8_t window[kInflateWindowAlloc];
    const Bytes stream = deflateOwn(data);
    VectorIo io(stream, {2048});
    io.stopAfter = 40000;
    EXPECT_EQ(inflateStream(io, window).status, InflateStatus::Stopped);
}

TEST(Inflate, ToMemoryCutsAtCapacity) {
    const Bytes data = mixedData(5000, 2);
    const Bytes stream = deflateOwn(data);
    static uint8_t window[kInflateWindowAlloc];
    Bytes out(5000);
    size_t produced = 0;
    EXPECT_EQ(
        inflateToMemory(stream.data(), stream.size(), out.data(), out.size(), &produced, window),
        InflateStatus::Ok);
    EXPECT_EQ(out, data);
    Bytes small(4999);
    EXPECT_EQ(inflateToMemory(stream.data(), stream.size(), small.data(), small.size(), &produced,
                              window),
              InflateStatus::Stopped);
    EXPECT_EQ(produced, small.size());
}

// Random damage: whatever the fast decoder does, the reference does too.
TEST(Inflate, DamagedStreamsAgreeWithReference) {
    const Bytes data = mixedData(20000, 11);
    const Bytes stream = deflateOwn(data);
    uint32_t x = 12345;
    for (int trial = 0; trial < 300; ++trial) {
        Bytes s = stream;
        for (int k = 0; k < 1 + trial % 3; ++k) {
            x = x * 1103515245u + 12345u;
            s[(x >> 8) % s.size()] ^= static_cast<uint8_t>(1u << ((x >> 4) % 8));
        }
        const Decoded fast = runFast(s, {777});
        const Decoded ref = runReference(s, {1});
        ASSERT_EQ(fast.result.status, ref.result.status) << trial;
        if (ref.result.status == InflateStatus::Ok) {
            EXPECT_EQ(fast.out, ref.out) << trial;
        }
    }
}

TEST(DeflateEncode, StoredFallbackForIncompressibleData) {
    Bytes noise(1000);
    uint32_t x = 7;
    for (uint8_t& b : noise) b = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
    Bytes out(deflateEncodeBound(noise.size()));
    const size_t n = deflateEncode(noise.data(), noise.size(), out.data(), out.size());
    EXPECT_EQ(n, noise.size() + 5);
    out.resize(n);
    EXPECT_EQ(runFast(out).out, noise);
}

TEST(DeflateEncode, RefusesOversizedInputAndSmallOutput) {
    Bytes big(kDeflateEncodeMaxInput + 1, 'a');
    Bytes out(1000);
    EXPECT_EQ(deflateEncode(big.data(), big.size(), out.data(), out.size()), 0u);
    const Bytes data = mixedData(1000, 4);
    EXPECT_EQ(deflateEncode(data.data(), data.size(), out.data(), 10), 0u);
}

// The encoder runs in the compiler (the string table is compressed so).
constexpr size_t compileTimeSize() {
    uint8_t in[64] = {};
    for (int i = 0; i < 64; ++i) in[i] = static_cast<uint8_t>('a' + i % 3);
    uint8_t out[128] = {};
    return deflateEncode(in, sizeof in, out, sizeof out);
}
static_assert(compileTimeSize() > 0 && compileTimeSize() < 20);

}  // namespace
}  // namespace gm::sfx::test
