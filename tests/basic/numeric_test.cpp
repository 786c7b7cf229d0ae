// Checked integers, half-even conversion, division by zero, bounds-checked
// arrays and the classic error texts.
#include "basic/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "basic/vb_array.h"

namespace gm {
namespace {

int errorOf(auto&& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

TEST(Numeric, ConversionRoundsTiesToEven) {
    const struct {
        double in;
        int out;
    } cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},      {-0.5, 0},  {-1.5, -2},
                 {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {55.5, 56}, {54.5, 54}};
    for (const auto& c : cases) {
        EXPECT_EQ(CInt(c.in).value(), c.out) << c.in;
        EXPECT_EQ(CLng(c.in).value(), c.out) << c.in;
    }
    // The halves next to the ends of the ranges.
    EXPECT_EQ(CInt(32766.5).value(), 32766);
    EXPECT_EQ(CInt(-32768.5).value(), -32768);
    EXPECT_EQ(CLng(2147483646.5).value(), 2147483646);
    EXPECT_EQ(CLng(-2147483648.5).value(), std::numeric_limits<std::int32_t>::min());
}

TEST(Numeric, ConversionOutsideTheRangeOverflows) {
    EXPECT_EQ(errorOf([] { CInt(32767.5); }), err::Overflow);  // rounds to 32768
    EXPECT_EQ(errorOf([] { CInt(-32768.51); }), err::Overflow);
    EXPECT_EQ(errorOf([] { CLng(2147483647.5); }), err::Overflow);
    EXPECT_EQ(errorOf([] { CLng(-2147483649.0); }), err::Overflow);
    EXPECT_EQ(errorOf([] { CInt(std::nan("")); }), err::Overflow);
    EXPECT_EQ(errorOf([] { floorInt16(32768.0); }), err::Overflow);
    EXPECT_EQ(floorInt16(-32767.5).value(), -32768);
}

TEST(Numeric, Int16NeverWraps) {
    const Int16 max = 32767, min = -32768;
    EXPECT_EQ(errorOf([&] { (void)(max + 1); }), err::Overflow);
    EXPECT_EQ(errorOf([&] { (void)(min - 1); }), err::Overflow);
    EXPECT_EQ(errorOf([&] { (void)(-min); }), err::Overflow);
    EXPECT_EQ(errorOf([&] { (void)(Int16(16384) * 2); }), err::Overflow);
    EXPECT_EQ(errorOf([] {
                  Int16 v = 40000;
                  (void)v;
              }),
              err::Overflow);
    EXPECT_EQ(errorOf([] {
                  Int16 v = Int32(-32769);
                  (void)v;
              }),
              err::Overflow);
    Int16 v = 32766;
    v += 1;
    EXPECT_EQ(v.value(), 32767);
    EXPECT_EQ(errorOf([&] { v += 1; }), err::Overflow);
    EXPECT_EQ(v.value(), 32767) << "a failed assignment leaves the variable unchanged";
}

TEST(Numeric, Int32NeverWraps) {
    const Int32 max = std::numeric_limits<std::int32_t>::max();
    const Int32 min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(errorOf([&] { (void)(max + 1); }), err::Overflow);
    EXPECT_EQ(errorOf([&] { (void)(min - 1); }), err::Overflow);
    EXPECT_EQ(errorOf([&] { (void)(-min); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)(Int32(65536) * 32768); }), err::Overflow);
    EXPECT_EQ(errorOf([] {
                  Int32 v = 3000000000LL;
                  (void)v;
              }),
              err::Overflow);
    // Mixed 16- and 32-bit arithmetic widens instead of overflowing.
    EXPECT_EQ((Int16(32767) + Int32(1)).value(), 32768);
    EXPECT_EQ((Int16(-32768) * Int32(2)).value(), -65536);
}

TEST(Numeric, DivisionByZeroIsError11) {
    EXPECT_EQ(errorOf([] { idiv(Int16(5), Int16(0)); }), err::DivisionByZero);
    EXPECT_EQ(errorOf([] { mod(Int32(5), Int32(0)); }), err::DivisionByZero);
    EXPECT_EQ(errorOf([] { fdiv(200, 0.0f); }), err::DivisionByZero);
    EXPECT_EQ(errorOf([] { fdiv(200, -0.0); }), err::DivisionByZero);
    EXPECT_EQ(fdiv(200, 0.1f), 200 / static_cast<double>(0.1f));
    EXPECT_EQ(idiv(Int16(-7), Int16(2)).value(), -3) << "integer division truncates";
    EXPECT_EQ(mod(Int16(-7), Int16(2)).value(), -1) << "the remainder has the dividend's sign";
    EXPECT_EQ(errorOf([] { idiv(Int16(-32768), Int16(-1)); }), err::Overflow);
}

TEST(Numeric, BooleansAreMinusOne) {
    EXPECT_EQ(kTrue, -1);
    EXPECT_EQ(kFalse, 0);
    EXPECT_EQ(toBool16(true), -1);
    EXPECT_EQ(sizeof(Bool16), 2u);
}

TEST(VbArray, AccessOutsideTheBoundsIsError9) {
    VbArray<int, 0, 500> flakes;
    flakes[0] = 1;
    flakes[500] = 2;
    EXPECT_EQ(flakes[500], 2);
    EXPECT_EQ(errorOf([&] { flakes[501] = 0; }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { (void)flakes[-1]; }), err::SubscriptOutOfRange);
    VbArray<int, 1, 4> oneBased;
    EXPECT_EQ(errorOf([&] { (void)oneBased[0]; }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { (void)oneBased[4]; }), 0);
}

TEST(VbError, ClassicDescriptions) {
    EXPECT_EQ(errorDescription(5), "Invalid procedure call or argument");
    EXPECT_EQ(errorDescription(6), "Overflow");
    EXPECT_EQ(errorDescription(9), "Subscript out of range");
    EXPECT_EQ(errorDescription(11), "Division by zero");
    EXPECT_EQ(errorDescription(13), "Type mismatch");
    EXPECT_EQ(errorDescription(53), "File not found");
    EXPECT_EQ(errorDescription(75), "Path/File access error");
    EXPECT_EQ(errorDescription(326, "301"), "Resource with identifier '301' not found");
    EXPECT_EQ(errorDescription(380), "Invalid property value");
    try {
        raise(err::DivisionByZero);
        ADD_FAILURE() << "raise returned";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 11);
        EXPECT_EQ(e.description(), "Division by zero");
    }
}

}  // namespace
}  // namespace gm
