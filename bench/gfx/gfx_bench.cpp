// Raster benchmarks. Every case reports bytes per second of destination
// pixels written, next to a memcpy of the same size, so the ratio shows how
// close a raster operation comes to the machine's memory speed:
//   BM_Memcpy/8294400          the size of one 1920 x 1080 frame
//   BM_BitBltFullScreen        picBG -> picBuffer, as every animation tick does
//   BM_StretchToFullScreen     the 640 x 480 canvas stretched over the screen
//   BM_Memcpy/132000           the size of one 330 x 100 sprite frame
//   BM_MaskedSprite            mask with SRCAND, then sprite with SRCPAINT
//                              (two passes over the frame: 264000 bytes)
// Run: build/<dir>/gfx_bench [--benchmark_repetitions=5]
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "gfx/surface.h"

namespace {

using gm::gfx::Rop;
using gm::gfx::Surface;

constexpr int kScreenW = 1920, kScreenH = 1080;
constexpr int kSpriteW = 330, kSpriteH = 100;

void fillPattern(Surface& s) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            s.row(y)[x] = static_cast<std::uint32_t>((x * 2654435761u) ^ (y * 40503u)) & 0xFFFFFF;
}

void BM_Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint32_t> from(bytes / 4, 0x123456), to(bytes / 4);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Memcpy)->Arg(kScreenW* kScreenH * 4)->Arg(kSpriteW* kSpriteH * 4);

void BM_BitBltFullScreen(benchmark::State& state) {
    Surface background(kScreenW, kScreenH), buffer(kScreenW, kScreenH);
    fillPattern(background);
    for (auto _ : state) {
        gm::gfx::BitBlt(buffer, 0, 0, kScreenW, kScreenH, background, 0, 0, Rop::SrcCopy);
        benchmark::DoNotOptimize(buffer.row(0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
}
BENCHMARK(BM_BitBltFullScreen);

void BM_StretchToFullScreen(benchmark::State& state) {
    Surface canvas(640, 480), window(kScreenW, kScreenH);
    fillPattern(canvas);
    for (auto _ : state) {
        gm::gfx::DrawPicture(window, canvas.view(), 0, 0, kScreenW, kScreenH, 0, 0, 640, 480);
        benchmark::DoNotOptimize(window.row(0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
}
BENCHMARK(BM_StretchToFullScreen);

void BM_MaskedSprite(benchmark::State& state) {
    // A plane strip (two frames) with its mask, drawn onto a full-screen
    // buffer at an unaligned place, as the flying objects are.
    Surface sprite(kSpriteW, 2 * kSpriteH), mask(kSpriteW, 2 * kSpriteH, 0xFFFFFF),
        buffer(kScreenW, kScreenH);
    fillPattern(sprite);
    fillPattern(buffer);
    for (int y = 20; y < 2 * kSpriteH - 20; ++y)
        for (int x = 30; x < kSpriteW - 30; ++x) mask.row(y)[x] = 0;
    for (auto _ : state) {
        gm::gfx::BitBlt(buffer, 777, 123, kSpriteW, kSpriteH, mask, 0, kSpriteH, Rop::SrcAnd);
        gm::gfx::BitBlt(buffer, 777, 123, kSpriteW, kSpriteH, sprite, 0, kSpriteH, Rop::SrcPaint);
        benchmark::DoNotOptimize(buffer.row(123));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSpriteW * kSpriteH * 4);
}
BENCHMARK(BM_MaskedSprite);

}  // namespace
