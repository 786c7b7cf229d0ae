// Inflate and CRC-32 against zlib, the independent oracle: streams of every
// zlib strategy and level, decoded by the fast and the reference
// decompressor, and zlib's crc32 on the same data.
#include <gtest/gtest.h>
#include <zlib.h>

#include "sfx/core/crc32.h"
#include "sfx/core/inflate.h"
#include "tests/sfx/sfx_test_support.h"

namespace gm::sfx::test {
namespace {

Bytes zlibDeflate(const Bytes& in, int level, int strategy, int memLevel = 8, int windowBits = 15) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -windowBits, memLevel, strategy), Z_OK);
    Bytes out(deflateBound(&z, in.size()) + 64);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TEST(InflateZlib, EveryStrategyAndLevel) {
    crc32InitTables();
    const Bytes data = mixedData(400000, 21);
    const uint32_t expected =
        static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
    static uint8_t window[kInflateWindowAlloc];
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
        for (int level = 0; level <= 9; ++level) {
            const Bytes stream = zlibDeflate(data, level, strategy);
            for (size_t chunk : {size_t(2048), size_t(1) << 20}) {
                ChunkIo fast(stream, chunk);
                ASSERT_EQ(inflateStream(fast, window).status, InflateStatus::Ok)
                    << strategy << "/" << level;
                EXPECT_EQ(fast.out, data) << strategy << "/" << level;
                EXPECT_EQ(~fast.crc, expected);
            }
            if (level == 1 || level == 9) {
                ChunkIo ref(stream, 4096);
                ASSERT_EQ(inflateStreamReference(ref, window).status, InflateStatus::Ok);
                EXPECT_EQ(ref.out, data);
            }
        }
    }
}

TEST(InflateZlib, SmallWindowsAndMemLevels) {
    const Bytes data = mixedData(100000, 5);
    static uint8_t window[kInflateWindowAlloc];
    for (int bits : {9, 12, 15})
        for (int mem : {1, 9}) {
            const Bytes stream = zlibDeflate(data, 6, Z_DEFAULT_STRATEGY, mem, bits);
            ChunkIo io(stream, 2048);
            ASSERT_EQ(inflateStream(io, window).status, InflateStatus::Ok);
            EXPECT_EQ(io.out, data);
        }
}

TEST(InflateZlib, DamagedZlibStreamsAgreeAndFailTheChecksum) {
    const Bytes data = mixedData(60000, 8);
    const Bytes stream = zlibDeflate(data, 6, Z_DEFAULT_STRATEGY);
    static uint8_t window[kInflateWindowAlloc];
    uint32_t x = 99;
    int detected = 0, changed = 0;
    for (int trial = 0; trial < 200; ++trial) {
        Bytes s = stream;
        x = x * 1103515245u + 12345u;
        s[100 + (x >> 8) % (s.size() - 200)] ^= static_cast<uint8_t>(1u << (x % 8));
        ChunkIo fast(s, 2048), ref(s, 1);
        const InflateStatus a = inflateStream(fast, window).status;
        const InflateStatus b = inflateStreamReference(ref, window).status;
        ASSERT_EQ(a, b) << trial;
        // zlib agrees on whether the stream is valid.
        z_stream z{};
        inflateInit2(&z, -15);
        Bytes out(data.size() + 100000);
        z.next_in = s.data();
        z.avail_in = static_cast<uInt>(s.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int zr = inflate(&z, Z_FINISH);
        const uLong zOut = z.total_out;
        inflateEnd(&z);
        EXPECT_EQ(zr == Z_STREAM_END, a == InflateStatus::Ok) << trial;
        // A flip that zlib, too, decodes to the same data (a bit that
        // changes nothing) has no damage to report.
        if (zr == Z_STREAM_END && zOut == data.size() &&
            std::equal(data.begin(), data.end(), out.begin()))
            continue;
        ++changed;
        if (a != InflateStatus::Ok || fast.out != data) ++detected;
    }
    // Every flip that damages the data shows, as a bad stream or a wrong CRC.
    EXPECT_EQ(detected, changed);
    EXPECT_GT(changed, 190);
}

TEST(Crc32Zlib, SameValuesAsZlib) {
    crc32InitTables();
    const Bytes data = mixedData(1 << 20, 3);
    for (size_t len : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(1000), data.size()}) {
        EXPECT_EQ(~crc32Update(kCrcInit, data.data(), len),
                  static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(len))));
    }
}

}  // namespace
}  // namespace gm::sfx::test
