// BMP decoding speed: every picture of the catalogue decoded once per
// iteration, as the program decodes them (afresh on every load). Reports
// pictures and output pixels per second.
//   BM_DecodeCatalogue            all bitmap resources, ascending id
//   BM_DecodeCatalogueReference   the same through the plain reference decoder
// Run: build/<dir>/gfx_bench --benchmark_filter=Decode
#include <benchmark/benchmark.h>

#include <cstdint>
#include <span>

#include "gfx/bmp_decoder.h"
#include "gfx/bmp_decoder_reference.h"
#include "resources/resource_data.h"

namespace {

using Decoder = gm::gfx::BmpDecodeResult (*)(std::span<const std::uint8_t>);

void decodeCatalogue(benchmark::State& state, Decoder decode) {
    std::int64_t pixels = 0;
    for (const gm::BitmapResourceName& entry : gm::bitmapResourceNames()) {
        const gm::gfx::BmpDecodeResult r = decode(gm::bitmapResource(entry.id));
        if (!r) state.SkipWithError("a catalogue bitmap does not decode");
        pixels += static_cast<std::int64_t>(r.bitmap.width()) * r.bitmap.height();
    }
    for (auto _ : state)
        for (const gm::BitmapResourceName& entry : gm::bitmapResourceNames())
            benchmark::DoNotOptimize(decode(gm::bitmapResource(entry.id)));
    const auto pictures = static_cast<std::int64_t>(gm::bitmapResourceNames().size());
    state.SetItemsProcessed(state.iterations() * pictures);
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DecodeCatalogue(benchmark::State& state) { decodeCatalogue(state, &gm::gfx::decodeBmp); }
void BM_DecodeCatalogueReference(benchmark::State& state) {
    decodeCatalogue(state, &gm::gfx::decodeBmpReference);
}
BENCHMARK(BM_DecodeCatalogue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCatalogueReference)->Unit(benchmark::kMillisecond);

}  // namespace
