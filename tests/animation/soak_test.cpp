// Two hours of virtual show at 640 x 480 on the headless platform, through
// Main as the program runs it: no run-time error is reported and the
// process's memory does not grow once the show has started. Sanitizer
// builds, which run everything many times slower, run a quarter of an hour.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "animation/animation.h"
#include "saver/show_parts.h"
#include "tests/saver/saver_fixture.h"

namespace gm::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t kShowMs = 15 * 60 * 1000;
#else
constexpr std::uint64_t kShowMs = 2 * 60 * 60 * 1000;
#endif
constexpr std::uint64_t kStartMs = 5000;
constexpr std::uint64_t kSettledMs = 10 * 60 * 1000;  // heap and caches have their size

// Resident memory of the process in kB.
long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class Soak : public SaverTest {};

TEST_F(Soak, TwoHoursOfShowWithoutErrorsOrGrowingMemory) {
    // After each tick: the flights counted, the resident memory read.
    struct Watched final : SceneAndAnimation {
        explicit Watched(HeadlessPlatform& p) : platform(p) {}
        void tmrAnimation_Timer(MonitorShow& show) override {
            SceneAndAnimation::tmrAnimation_Timer(show);
            ++ticks;
            const Int16 cur = show.animation.curObjekt;
            if (cur > 0 && cur != lastObjekt) {
                ++flights;
                planes += cur == 21;
            }
            lastObjekt = cur;
            const std::uint64_t now = platform.nowMs();
            if (settledKb == 0 && now >= kStartMs + kSettledMs) settledKb = residentKb();
            endKb = residentKb();
        }
        HeadlessPlatform& platform;
        long settledKb = 0, endKb = 0;
        int ticks = 0, flights = 0, planes = 0;
        Int16 lastObjekt;
    } watched{platform};
    installShowParts(watched);
    setSeedOverride(2026);
    put("Date", "1");
    put("Time", "1");
    platform.stopAt(kStartMs + kShowMs);
    EXPECT_THROW(runMain("/s"), HeadlessStop);

    EXPECT_TRUE(protocol().empty()) << protocol();
    EXPECT_EQ(platform.beeps(), 0);
    // One tick per 40 ms, none lost.
    EXPECT_GE(watched.ticks, static_cast<int>(kShowMs / 40) - 2);
    EXPECT_GT(watched.flights, 10);
    EXPECT_GE(watched.planes, 1);
    ASSERT_GT(watched.settledKb, 0);
    EXPECT_LE(watched.endKb - watched.settledKb, 256)
        << "kB at ten minutes: " << watched.settledKb << ", at the end: " << watched.endKb;
    std::printf("soak: %d ticks, %d flights (%d planes), resident %ld kB -> %ld kB\n",
                watched.ticks, watched.flights, watched.planes, watched.settledKb, watched.endKb);
}

}  // namespace
}  // namespace gm::test
