#include "common/allgemein.h"

#include <cmath>

#include "errors/trap.h"

namespace gm {
namespace {
Pcg32Source gGenerator;
RandomSource* gSource = &gGenerator;
std::uint64_t gSeed = 0;
}  // namespace

void Pcg32Source::reseed(std::uint64_t seed) {
    state_ = 0;
    next();
    state_ += seed;
    next();
}

Single Pcg32Source::next() {
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<std::uint32_t>(old >> 59u);
    const std::uint32_t out = (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
    return static_cast<Single>(out >> 8) * (1.0f / 16777216.0f);
}

void Randomize(std::uint64_t seed) {
    gSeed = seed;
    gGenerator.reseed(seed);
}

std::uint64_t randomSeed() { return gSeed; }

std::uint64_t seedFromTimeOfDay(double secondsSinceMidnight) {
    // Microseconds keep the fractions, so two starts in one second differ.
    return static_cast<std::uint64_t>(std::llround(secondsSinceMidnight * 1e6));
}

void setRandomSource(RandomSource* source) { gSource = source ? source : &gGenerator; }

Single Rnd() { return gSource->next(); }

UsingRandomSource::UsingRandomSource(RandomSource& source) : previous_(gSource) {
    gSource = &source;
}

UsingRandomSource::~UsingRandomSource() { gSource = previous_; }

Int16 Zz(Int16 lo, Int16 hi) {
    Int16 result;
    trapped("Allgemein", "Zz", [&](Trap& at) {
        Single r = 0;
        Int16 n;
        at(50010, [&] { r = Rnd(); });
        at(50020, [&] { n = hi - lo + 1; });
        at(50030, [&] {
            // n * r + lo is exact in double (16-bit integers, 24-bit r). In
            // single precision 1 * 0.99999994 + 5 would round up to 6 and
            // give hi + 1; the exact sum keeps the result within lo..hi.
            const double v = static_cast<double>(n.value()) * r + lo.value();
            result = floorInt16(v);
        });
    });
    return result;
}

Single ZzR(Single lo, Single hi) {
    Single result = 0;
    trapped("Allgemein", "ZzR", [&](Trap& at) {
        Single r = 0;
        at(50010, [&] { r = Rnd(); });
        at(50020, [&] {
            result = (hi - lo) * r + lo;
            // Rounding to single can reach hi (5 + 0.99999994 is 6.0f): keep
            // the range half-open.
            if (lo < hi && result >= hi) result = std::nextafter(hi, lo);
        });
    });
    return result;
}

void ConvRGB(Int32 colour, Int16& red, Int16& green, Int16& blue) {
    trapped("Allgemein", "ConvRGB", [&](Trap& at) {
        at(50010, [&] { red = Int16(colour.value() % 256); });
        at(50020, [&] { blue = floorInt16(static_cast<double>(colour.value()) / 65536.0); });
        at(50030, [&] {
            const Int32 rest = colour - Int32(blue) * 65536 - Int32(red);
            green = CInt(static_cast<double>(rest.value()) / 256.0);
        });
    });
}

}  // namespace gm
