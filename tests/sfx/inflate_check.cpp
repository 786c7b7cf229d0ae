// sfx_inflate_check STREAM ORIGINAL [STREAM ORIGINAL ...]
//
// For each pair: inflates the raw deflate STREAM with the fast
// decompressor (input in 2048-byte chunks and in one piece), with the
// reference decompressor and with zlib; all results must be byte-identical
// to ORIGINAL, and the CRC-32 computed on the way must equal zlib's crc32 of
// ORIGINAL. Prints one line per pair; exit status 1 on any difference.
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "sfx/core/crc32.h"
#include "sfx/core/inflate.h"
#include "tests/sfx/sfx_test_support.h"

namespace {

using namespace gm::sfx;
using gm::sfx::test::Bytes;
using gm::sfx::test::ChunkIo;

Bytes readAll(const char* path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    crc32InitTables();
    static uint8_t window[kInflateWindowAlloc];
    int failures = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const Bytes stream = readAll(argv[i]);
        const Bytes original = readAll(argv[i + 1]);
        const uint32_t expected =
            static_cast<uint32_t>(crc32(0, original.data(), static_cast<uInt>(original.size())));
        bool ok = true;
        for (size_t chunk : {size_t(2048), stream.size() + 1}) {
            ChunkIo io(stream, chunk);
            const InflateResult r = inflateStream(io, window);
            ok &= r.status == InflateStatus::Ok && io.out == original && ~io.crc == expected;
        }
        ChunkIo ref(stream, 4096);
        ok &=
            inflateStreamReference(ref, window).status == InflateStatus::Ok && ref.out == original;
        // zlib on the same stream.
        Bytes z(original.size() + 1);
        z_stream zs{};
        inflateInit2(&zs, -15);
        zs.next_in = const_cast<Bytef*>(stream.data());
        zs.avail_in = static_cast<uInt>(stream.size());
        zs.next_out = z.data();
        zs.avail_out = static_cast<uInt>(z.size());
        ok &= inflate(&zs, Z_FINISH) == Z_STREAM_END && zs.total_out == original.size();
        inflateEnd(&zs);
        z.resize(original.size());
        ok &= z == original;
        std::printf("%s %s (%zu -> %zu bytes, crc %08x)\n", ok ? "ok  " : "FAIL", argv[i],
                    stream.size(), original.size(), expected);
        if (!ok) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
