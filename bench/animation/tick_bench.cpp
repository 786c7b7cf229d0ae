// The cost of one animation tick, tmrAnimation_Timer, in the real show: the
// program's scene, default settings, FreeType text, the flake loop running
// between the ticks on the headless platform. Every tick is timed on its
// own, by the wall clock and by the thread's CPU clock (which other
// processes on a busy machine do not inflate); the counters give the median
// and the 99th percentile over 1,500 ticks (a minute of show) and the mean
// CPU time (what the show's process share follows), for the
// reference composition (every layer over the whole window) and the
// incremental one (only what changed), at the default settings and at the
// largest (maxFl 200, Speed, SpeedF and Size 10).
//
//   bench_animation_tick                      all four
//   bench_animation_tick --benchmark_filter=Incremental
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

#include "animation/animation.h"
#include "gfx/text.h"
#include "platform/headless/headless_platform.h"
#include "saver/frm_main.h"
#include "saver/saver.h"
#include "saver/show_parts.h"

namespace gm {
namespace {

constexpr int kTicks = 1500;
constexpr std::uint64_t kStartMs = 600000;

double threadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

struct TickTimes {
    std::vector<double> wall, cpu;  // microseconds per tick
};

// The settings of the show: the defaults, or the largest the settings
// dialog allows for the flakes and the speed (a 20 ms period).
enum class Load { Defaults, Largest };

// Runs the show at width x height and times each tick.
TickTimes tickTimes(int width, int height, Composition mode, Load load) {
    HeadlessPlatform screen(width, height, kStartMs);
    setPlatform(&screen);
    setSeedOverride(2026);
    // Every tick of the primary's show in the given composition, timed.
    struct Timed final : SceneAndAnimation {
        void tmrAnimation_Timer(MonitorShow& show) override {
            show.animation.setComposition(mode);
            const double cpu = threadCpuUs();
            const auto start = std::chrono::steady_clock::now();
            SceneAndAnimation::tmrAnimation_Timer(show);
            const auto end = std::chrono::steady_clock::now();
            times.cpu.push_back(threadCpuUs() - cpu);
            times.wall.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
        Composition mode{};
        TickTimes times;
    } parts;
    parts.mode = mode;
    parts.times.wall.reserve(kTicks);
    parts.times.cpu.reserve(kTicks);
    installShowParts(parts);
    // Date and time on, as a user who wants them sees the show.
    screen.memoryStore().SaveSetting("Glintmoor", "Settings", "Date", "1");
    screen.memoryStore().SaveSetting("Glintmoor", "Settings", "Time", "1");
    std::uint64_t periodMs = 40;
    if (load == Load::Largest) {
        for (const char* key : {"Speed", "SpeedF", "Size"})
            screen.memoryStore().SaveSetting("Glintmoor", "Settings", key, "10");
        screen.memoryStore().SaveSetting("Glintmoor", "Settings", "maxFl", "200");
        periodMs = 20;
    }
    screen.stopAt(kStartMs + periodMs * kTicks + 20);
    try {
        Main("/s");
    } catch (const HeadlessStop&) {
    }
    forms() = Forms{};
    setShowParts(nullptr);
    gfx::setTextRenderer(nullptr);
    setPlatform(nullptr);
    return parts.times;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * (v.size() - 1))];
}

void BM_Tick(benchmark::State& state, Composition mode) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Load load = state.range(2) ? Load::Largest : Load::Defaults;
    for (auto _ : state) {
        const TickTimes times = tickTimes(width, height, mode, load);
        double total = 0;
        for (double t : times.wall) total += t;
        state.SetIterationTime(total / 1e6);
        state.counters["ticks"] = static_cast<double>(times.wall.size());
        state.counters["median_us"] = percentile(times.wall, 0.5);
        state.counters["p99_us"] = percentile(times.wall, 0.99);
        double cpuTotal = 0;
        for (double t : times.cpu) cpuTotal += t;
        state.counters["cpu_mean_us"] = cpuTotal / static_cast<double>(times.cpu.size());
        state.counters["cpu_median_us"] = percentile(times.cpu, 0.5);
        state.counters["cpu_p99_us"] = percentile(times.cpu, 0.99);
    }
}

// Third argument: 0 the default settings, 1 the largest.
BENCHMARK_CAPTURE(BM_Tick, Reference, Composition::Reference)
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Tick, Incremental, Composition::Incremental)
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace gm

BENCHMARK_MAIN();
