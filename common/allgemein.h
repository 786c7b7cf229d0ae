// Module Allgemein: the random and colour helpers the whole scene and
// animation code uses. All randomness of the program comes through Zz and
// ZzR from one sequence of uniform single-precision values in [0, 1).
#pragma once

#include <cstdint>

#include "basic/numeric.h"

namespace gm {

// A source of uniform single-precision values in [0, 1).
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual Single next() = 0;
};

// The process's generator (a 64-bit PCG; each value carries 24 random bits,
// so every value is exactly representable and strictly below 1).
class Pcg32Source final : public RandomSource {
  public:
    explicit Pcg32Source(std::uint64_t seed = 0) { reseed(seed); }
    void reseed(std::uint64_t seed);
    Single next() override;

  private:
    std::uint64_t state_ = 0;
};

// Seeds the process's generator (once, at start).
void Randomize(std::uint64_t seed);
// The seed Randomize was last given (0 before that).
std::uint64_t randomSeed();
// The seed taken from the time of day: seconds since midnight with fractions.
std::uint64_t seedFromTimeOfDay(double secondsSinceMidnight);
// Replaces the process's source (tests script it); nullptr restores the generator.
void setRandomSource(RandomSource* source);
// Draws the next value of the sequence.
Single Rnd();

// Zz, ZzR and Rnd draw from `source` while this lives, then from the source
// they drew from before: a show of its own with a sequence of its own.
class UsingRandomSource {
  public:
    explicit UsingRandomSource(RandomSource& source);
    ~UsingRandomSource();
    UsingRandomSource(const UsingRandomSource&) = delete;
    UsingRandomSource& operator=(const UsingRandomSource&) = delete;

  private:
    RandomSource* previous_;
};

// A random integer from lo to hi inclusive: floor(n * r + lo), n = hi - lo + 1.
Int16 Zz(Int16 lo, Int16 hi);
// A random real in [lo, hi).
Single ZzR(Single lo, Single hi);
// Splits a colour r + 256g + 65536b into its components.
void ConvRGB(Int32 colour, Int16& red, Int16& green, Int16& blue);

}  // namespace gm
