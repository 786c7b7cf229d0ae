// The cost of composing one landscape: BuildBG with the program's pictures,
// CopyBg showing nothing (no stretch to the window, no yield), so that only
// the composition is measured. One repetition per seed, seeds 1..100; the
// median of the repetitions is the figure to read.
//
// BM_BuildBG_DecodingAlone decodes just the pictures the same compositions
// load (every procedure loads its pictures afresh), to show how much of
// BuildBG's time that takes.
//
// BM_BuildBG_4k composes the landscape of a 3840 x 2160 screen as the show
// does at its start: every picture painted at the scale on first use,
// nothing kept from an earlier run, each stage shown on the window. Its
// time is the whole landscape's; first_stage_ms is when the first stage
// (sky and distant snow) reached the window.
//
//   bench_scene_build_bg
#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>
#include <vector>

#include "common/allgemein.h"
#include "gfx/bitmap_resource.h"
#include "scene/scene.h"

namespace gm {
namespace {

constexpr int kSeeds = 100;

class QuietHost final : public ShowHost {
  public:
    explicit QuietHost(int width = 640, int height = 480) : window_(width, height) {}
    gfx::Surface& windowImage() override { return window_; }
    int windowWidth() const override { return window_.width(); }
    int windowHeight() const override { return window_.height(); }
    void refreshWindow() override {
        if (!firstRefresh) firstRefresh = std::chrono::steady_clock::now();
    }
    void yieldEvents() override {}
    void setTimerEnabled(bool) override {}
    std::optional<std::chrono::steady_clock::time_point> firstRefresh;

  private:
    gfx::Surface window_;
};

Settings defaultSettings() {
    Settings s;
    s.maxFl = 110;
    s.minFl = 55;
    s.Size = 6;
    s.Snowman = 1;
    return s;
}

// A composition of a window's scene, ready to run.
struct Composition {
    explicit Composition(BitmapLoader load)
        : scene(surfaces, sceneState, settings, host, std::move(load)) {
        scene.showStages = false;
    }
    ShowSurfaces surfaces;
    SceneState sceneState;
    const Settings settings = defaultSettings();
    QuietHost host;
    Scene scene;
};

int nextSeed() {
    static int seed = 0;
    return seed = seed % kSeeds + 1;
}

void BM_BuildBG(benchmark::State& state) {
    const int seed = nextSeed();
    Composition c(&gfx::LoadBitmapResource);
    for (auto _ : state) {
        Randomize(static_cast<std::uint64_t>(seed));
        c.scene.BuildBG();
    }
}

void BM_BuildBG_DecodingAlone(benchmark::State& state) {
    std::vector<int> ids;
    Composition c([&](int id) {
        ids.push_back(id);
        return gfx::LoadBitmapResource(id);
    });
    Randomize(static_cast<std::uint64_t>(nextSeed()));
    c.scene.BuildBG();
    for (auto _ : state)
        for (const int id : ids) benchmark::DoNotOptimize(gfx::LoadBitmapResource(id));
    state.counters["pictures"] = static_cast<double>(ids.size());
}

void perSeed(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Repetitions(kSeeds)->ReportAggregatesOnly(true)->Unit(
        benchmark::kMillisecond);
}
void BM_BuildBG_4k(benchmark::State& state) {
    const int seed = nextSeed();
    double firstStage = 0;
    for (auto _ : state) {
        ShowSurfaces surfaces;
        SceneState sceneState;
        const Settings settings = defaultSettings();
        QuietHost host(3840, 2160);
        const auto start = std::chrono::steady_clock::now();
        Scene scene(surfaces, sceneState, settings, host, &gfx::LoadBitmapResource);
        scene.canvas = canvasFor(3840, 2160, false);
        scene.loadScaled = &gfx::PaintScaledFrame;
        Randomize(static_cast<std::uint64_t>(seed));
        scene.BuildBG();
        firstStage = std::chrono::duration<double, std::milli>(*host.firstRefresh - start).count();
    }
    state.counters["first_stage_ms"] = firstStage;
}

BENCHMARK(BM_BuildBG)->Apply(perSeed);
BENCHMARK(BM_BuildBG_4k)->Iterations(1)->Repetitions(12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildBG_DecodingAlone)->Apply(perSeed);

}  // namespace
}  // namespace gm

BENCHMARK_MAIN();
