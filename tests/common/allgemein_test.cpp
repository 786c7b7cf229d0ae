// Zz, ZzR and ConvRGB: the formulas at their edges, with scripted random
// values, and the distribution of the process's generator.
#include "common/allgemein.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "errors/trap.h"

// Counts the allocations of the whole test program.
static std::size_t gAllocations = 0;
void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace gm {
namespace {

// Plays back the given values in turn.
class Script final : public RandomSource {
  public:
    explicit Script(std::vector<Single> values) : values_(std::move(values)) {}
    Single next() override { return values_.at(i_++ % values_.size()); }
    std::size_t draws() const { return i_; }

  private:
    std::vector<Single> values_;
    std::size_t i_ = 0;
};

constexpr Single kBelowOne = 0.99999994f;  // the largest single below 1

struct Reported {
    std::string proc;
    int number = 0;
    int line = 0;
};
Reported gReported;
Int16 leaveOnError(const std::string&, const std::string& proc) {
    gReported = {proc, Err().number, Err().line};
    return 2;
}

class AllgemeinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gReported = {};
        setErrorHandler(&leaveOnError);
    }
    void TearDown() override {
        setRandomSource(nullptr);
        setErrorHandler(nullptr);
    }
    void play(std::vector<Single> values) {
        script_ = std::make_unique<Script>(std::move(values));
        setRandomSource(script_.get());
    }
    std::unique_ptr<Script> script_;
};

TEST_F(AllgemeinTest, ZzCoversTheClosedRangeWithOneDrawPerCall) {
    play({0.0f, 0.4999999f, 0.5f, kBelowOne});
    EXPECT_EQ(Zz(0, 1).value(), 0);
    EXPECT_EQ(Zz(0, 1).value(), 0);
    EXPECT_EQ(Zz(0, 1).value(), 1);
    EXPECT_EQ(Zz(0, 1).value(), 1) << "the upper bound is reached but never passed";
    EXPECT_EQ(script_->draws(), 4u);

    play({0.0f, kBelowOne});
    EXPECT_EQ(Zz(-10, -3).value(), -10);
    EXPECT_EQ(Zz(-10, -3).value(), -3);
    EXPECT_EQ(Zz(5, 5).value(), 5);
    EXPECT_EQ(Zz(5, 5).value(), 5);
    EXPECT_EQ(Zz(0, 32766).value(), 0);
    EXPECT_EQ(Zz(0, 32766).value(), 32766);
}

TEST_F(AllgemeinTest, ZzWithReversedBounds) {
    play({0.0f, 0.5f, kBelowOne});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Zz(0, -1).value(), 0) << "n = 0 always gives lo";
    // hi < lo - 1: values from hi + 1 to lo.
    EXPECT_EQ(Zz(5, 2).value(), 5);
    EXPECT_EQ(Zz(5, 2).value(), 4);
    EXPECT_EQ(Zz(5, 2).value(), 3);
}

TEST_F(AllgemeinTest, ZzOverflowsWhenTheRangeDoesNotFitIn16Bits) {
    play({0.5f});
    Zz(-32768, 32767);
    EXPECT_EQ(gReported.proc, "Zz");
    EXPECT_EQ(gReported.number, err::Overflow);
    EXPECT_EQ(gReported.line, 50020);
}

TEST_F(AllgemeinTest, ZzDoesNotAllocate) {
    Randomize(7);
    const std::size_t before = gAllocations;
    int sum = 0;
    for (int i = 0; i < 1000; ++i) sum += Zz(-50, 50).value();
    EXPECT_EQ(gAllocations, before);
    EXPECT_NE(sum, 0);
}

TEST_F(AllgemeinTest, ZzR) {
    play({kBelowOne});
    EXPECT_EQ(ZzR(5, 6), std::nextafter(6.0f, 0.0f)) << "rounding must not reach hi";
    EXPECT_LT(ZzR(-1, 0), 0.0f);
    play({0.0f, 0.25f, kBelowOne});
    EXPECT_EQ(ZzR(2, 2), 2.0f);
    EXPECT_EQ(ZzR(2, 2), 2.0f);
    EXPECT_EQ(ZzR(2, 2), 2.0f);
    EXPECT_EQ(ZzR(0, 1), 0.0f);
    EXPECT_EQ(ZzR(-4, 4), -2.0f);
    EXPECT_LT(ZzR(0, 1), 1.0f);
}

TEST_F(AllgemeinTest, TheGeneratorIsUniformOnTheWholeRange) {
    Randomize(20261208);
    std::array<int, 8> counts{};
    constexpr int kDraws = 60000;
    for (int i = 0; i < kDraws; ++i) {
        const int v = Zz(1, 6).value();
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 6);
        ++counts[static_cast<std::size_t>(v)];
    }
    for (int face = 1; face <= 6; ++face) {
        EXPECT_NEAR(counts[static_cast<std::size_t>(face)], kDraws / 6, kDraws / 6 / 20) << face;
    }
    int heads = 0;
    for (int i = 0; i < 10000; ++i) heads += Zz(0, 1).value();
    EXPECT_NEAR(heads, 5000, 250);
    Single lo = 1, hi = 0;
    for (int i = 0; i < 100000; ++i) {
        const Single r = Rnd();
        lo = std::min(lo, r);
        hi = std::max(hi, r);
    }
    EXPECT_GE(lo, 0.0f);
    EXPECT_LT(lo, 0.001f);
    EXPECT_LT(hi, 1.0f);
    EXPECT_GT(hi, 0.999f);
}

TEST_F(AllgemeinTest, OneSeedOneSequence) {
    Randomize(42);
    const Single a = Rnd(), b = Rnd();
    Randomize(42);
    EXPECT_EQ(Rnd(), a);
    EXPECT_EQ(Rnd(), b);
    Randomize(43);
    EXPECT_NE(Rnd(), a);
    EXPECT_NE(seedFromTimeOfDay(3600.25), seedFromTimeOfDay(3600.5))
        << "fractions of a second count";
}

TEST_F(AllgemeinTest, ConvRGBSplitsEveryColour) {
    Int16 r, g, b;
    auto split = [&](std::int32_t c) {
        ConvRGB(c, r, g, b);
        return std::vector<int>{r.value(), g.value(), b.value()};
    };
    EXPECT_EQ(split(0x00FF8040), (std::vector<int>{64, 128, 255}));
    EXPECT_EQ(split(0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(split(0x00FFFFFF), (std::vector<int>{255, 255, 255}));
    for (std::int32_t c = 0; c <= 0xFFFFFF; c += 4093) {
        ConvRGB(c, r, g, b);
        ASSERT_EQ(r.value(), c & 0xFF) << c;
        ASSERT_EQ(g.value(), (c >> 8) & 0xFF) << c;
        ASSERT_EQ(b.value(), c >> 16) << c;
    }
    // The remainder keeps the colour's sign.
    ConvRGB(-1, r, g, b);
    EXPECT_EQ(r.value(), -1);
    EXPECT_EQ(b.value(), -1);
    EXPECT_EQ(g.value(), 256);
    EXPECT_EQ(gReported.number, 0);
}

}  // namespace
}  // namespace gm
