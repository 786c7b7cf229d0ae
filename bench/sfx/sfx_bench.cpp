// Benchmarks of the self-extractor's hot paths, each beside its zlib
// counterpart on the same data, all through the stub's own routines:
// fill input (in input-buffer chunks, decrypting where the entry is
// encrypted), the decompressor, flush output with its CRC-32.
//
// GM_SFX_BENCH_ZIP names the package archive (tools/bench-sfx.sh makes it),
// GM_SFX_BENCH_ZIP_ENCRYPTED the same package encrypted with the password
// in GM_SFX_BENCH_PASSWORD.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sfx/core/bytes.h"
#include "sfx/core/crc32.h"
#include "sfx/core/inflate.h"
#include "sfx/core/sfx.h"
#include "sfx/core/zipcrypto.h"

namespace {

using namespace gm::sfx;
using Bytes = std::vector<uint8_t>;

struct Entry {
    size_t offset;  // of the compressed data (after any encryption header)
    uint32_t csize, usize, crc;
    uint16_t method, flags, time;
};

struct Package {
    Bytes file;
    std::vector<Entry> entries;
    uint64_t deflatedOut = 0;  // uncompressed bytes of the deflated entries
    bool loaded = false;
};

Package load(const char* env) {
    Package p;
    const char* path = std::getenv(env);
    if (path == nullptr) return p;
    std::ifstream f(path, std::ios::binary);
    p.file.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    const uint8_t* d = p.file.data();
    size_t end = p.file.size() - 22;
    while (end > 0 && load32le(d + end) != 0x06054b50) --end;
    size_t cd = load32le(d + end + 16);
    const unsigned count = load16le(d + end + 10);
    for (unsigned i = 0; i < count; ++i) {
        Entry e;
        e.flags = load16le(d + cd + 8);
        e.method = load16le(d + cd + 10);
        e.time = load16le(d + cd + 12);
        e.crc = load32le(d + cd + 16);
        e.csize = load32le(d + cd + 20);
        e.usize = load32le(d + cd + 24);
        const size_t local = load32le(d + cd + 42);
        e.offset = local + 30 + load16le(d + local + 26) + load16le(d + local + 28);
        cd += 46 + load16le(d + cd + 28) + load16le(d + cd + 30) + load16le(d + cd + 32);
        if (e.method == 8) p.deflatedOut += e.usize;
        p.entries.push_back(e);
    }
    p.loaded = true;
    return p;
}

const Package& plainPackage() {
    static const Package p = load("GM_SFX_BENCH_ZIP");
    return p;
}
const Package& encryptedPackage() {
    static const Package p = load("GM_SFX_BENCH_ZIP_ENCRYPTED");
    return p;
}

// The stub's fill input and flush output, from memory instead of a file.
class StubPathIo final : public InflateIo {
  public:
    StubPathIo(const uint8_t* data, size_t size, size_t chunk, ZipKeys* keys)
        : data_(data), size_(size), chunk_(chunk), keys_(keys) {
        buffer_.resize(chunk);
    }
    size_t fillInput(const uint8_t** out) override {
        const size_t n = std::min(chunk_, size_ - pos_);
        if (n == 0) return 0;
        std::memcpy(buffer_.data(), data_ + pos_, n);  // the read into the input buffer
        if (keys_) keys_->decrypt(buffer_.data(), n);
        pos_ += n;
        *out = buffer_.data();
        return n;
    }
    bool flushOutput(const uint8_t* data, size_t size) override {
        crc = crc32Update(crc, data, size);
        return true;
    }
    uint32_t crc = kCrcInit;

  private:
    const uint8_t* data_;
    size_t size_, chunk_, pos_ = 0;
    ZipKeys* keys_;
    Bytes buffer_;
};

uint8_t gWindow[kInflateWindowAlloc];

void inflateOurs(benchmark::State& state, const Package& p, size_t chunk, const char* password) {
    crc32InitTables();
    if (!p.loaded) {
        state.SkipWithError("set GM_SFX_BENCH_ZIP (tools/bench-sfx.sh)");
        return;
    }
    for (auto _ : state) {
        for (const Entry& e : p.entries) {
            if (e.method != 8) continue;
            ZipKeys keys;
            size_t offset = e.offset, csize = e.csize;
            if (password) {
                keys.start(password, std::strlen(password));
                uint8_t header[12];
                std::memcpy(header, p.file.data() + offset, 12);
                keys.decrypt(header, 12);
                offset += 12;
                csize -= 12;
            }
            StubPathIo io(p.file.data() + offset, csize, chunk, password ? &keys : nullptr);
            const InflateResult r = inflateStream(io, gWindow);
            if (r.status != InflateStatus::Ok || ~io.crc != e.crc) {
                state.SkipWithError("bad stream or CRC");
                return;
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.deflatedOut));
}

void BM_Inflate_Sfx(benchmark::State& s) {
    inflateOurs(s, plainPackage(), kInputBufferSize, nullptr);
}
void BM_Inflate_Sfx_Input2048(benchmark::State& s) {
    inflateOurs(s, plainPackage(), 2048, nullptr);
}
void BM_InflateDecrypt_Sfx(benchmark::State& s) {
    const char* pw = std::getenv("GM_SFX_BENCH_PASSWORD");
    inflateOurs(s, encryptedPackage(), kInputBufferSize, pw ? pw : "");
}

// zlib's inflate on the same streams, in the same chunks, with zlib's crc32.
void BM_Inflate_Zlib(benchmark::State& state) {
    const Package& p = plainPackage();
    if (!p.loaded) {
        state.SkipWithError("set GM_SFX_BENCH_ZIP (tools/bench-sfx.sh)");
        return;
    }
    Bytes in(kInputBufferSize), out(32768);
    for (auto _ : state) {
        for (const Entry& e : p.entries) {
            if (e.method != 8) continue;
            z_stream z{};
            inflateInit2(&z, -15);
            uLong crc = 0;
            size_t pos = 0;
            int ret = Z_OK;
            while (ret == Z_OK) {
                if (z.avail_in == 0) {
                    const size_t n = std::min(in.size(), e.csize - pos);
                    std::memcpy(in.data(), p.file.data() + e.offset + pos, n);
                    pos += n;
                    z.next_in = in.data();
                    z.avail_in = static_cast<uInt>(n);
                }
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                ret = inflate(&z, Z_NO_FLUSH);
                crc = crc32(crc, out.data(), static_cast<uInt>(out.size() - z.avail_out));
            }
            inflateEnd(&z);
            if (ret != Z_STREAM_END || crc != e.crc) {
                state.SkipWithError("zlib: bad stream or CRC");
                return;
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.deflatedOut));
}

// The package's own bytes, 64 MiB of them, for CRC and decryption.
const Bytes& crcData() {
    static const Bytes data = [] {
        const Package& p = plainPackage();
        Bytes d(64u << 20);
        for (size_t i = 0; i < d.size(); ++i)
            d[i] =
                p.loaded ? p.file[i % p.file.size()] : static_cast<uint8_t>(i * 2654435761u >> 24);
        return d;
    }();
    return data;
}

void BM_Crc32_Sfx(benchmark::State& state) {
    crc32InitTables();
    const Bytes& d = crcData();
    for (auto _ : state) benchmark::DoNotOptimize(crc32Update(kCrcInit, d.data(), d.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
    state.SetLabel(crc32HasClmul() ? "carry-less multiplication" : "slicing by 16");
}
void BM_Crc32_Sfx_Slice16(benchmark::State& state) {
    crc32InitTables();
    const Bytes& d = crcData();
    for (auto _ : state) benchmark::DoNotOptimize(crc32UpdateSlice16(kCrcInit, d.data(), d.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}
void BM_Crc32_Zlib(benchmark::State& state) {
    const Bytes& d = crcData();
    for (auto _ : state) benchmark::DoNotOptimize(crc32_z(0, d.data(), d.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}
void BM_Decrypt_Sfx(benchmark::State& state) {
    crc32InitTables();
    Bytes d(16u << 20, 0x5A);
    for (auto _ : state) {
        ZipKeys keys;
        keys.start("Kennwort", 8);
        keys.decrypt(d.data(), d.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}

BENCHMARK(BM_Inflate_Sfx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_Zlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_Sfx_Input2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateDecrypt_Sfx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32_Sfx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32_Zlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32_Sfx_Slice16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decrypt_Sfx)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
