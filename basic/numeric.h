// The numeric semantics every procedure of the saver relies on.
//
//  * Int16 / Int32: signed integers that never wrap. Arithmetic that leaves
//    the range raises run-time error 6 (Overflow), as does storing an
//    out-of-range value into them.
//  * CInt / CLng: real-to-integer conversion to the nearest integer, ties to
//    the even neighbour (CInt(2.5) == 2, CInt(3.5) == 4), range-checked.
//  * Bool16: 16-bit Boolean, true = -1, false = 0.
//  * fdiv: floating-point division that raises error 11 on a zero divisor.
//  * Single: single-precision float; code that must compute in single
//    precision stores every intermediate in a Single.
#pragma once

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>

#include "basic/vb_error.h"

namespace gm {

using Single = float;

template <typename Rep>
class Checked {
  public:
    static constexpr long long kMin = std::numeric_limits<Rep>::min();
    static constexpr long long kMax = std::numeric_limits<Rep>::max();

    constexpr Checked() = default;
    // Implicit and range-checked: assigning an int that does not fit raises 6.
    template <std::integral I>
    constexpr Checked(I v) : v_(narrow(static_cast<long long>(v))) {}
    template <typename OtherRep>
    constexpr Checked(Checked<OtherRep> v) : v_(narrow(v.value())) {}

    constexpr Rep value() const { return v_; }
    constexpr operator Rep() const { return v_; }

    static constexpr Rep narrow(long long v) {
        if (v < kMin || v > kMax) raise(err::Overflow);
        return static_cast<Rep>(v);
    }

    constexpr Checked& operator+=(Checked o) { return *this = *this + o; }
    constexpr Checked& operator-=(Checked o) { return *this = *this - o; }
    constexpr Checked& operator*=(Checked o) { return *this = *this * o; }

    friend constexpr Checked operator+(Checked a, Checked b) {
        return Checked(static_cast<long long>(a.v_) + b.v_);
    }
    friend constexpr Checked operator-(Checked a, Checked b) {
        return Checked(static_cast<long long>(a.v_) - b.v_);
    }
    friend constexpr Checked operator*(Checked a, Checked b) {
        return Checked(static_cast<long long>(a.v_) * b.v_);
    }
    friend constexpr Checked operator-(Checked a) { return Checked(-static_cast<long long>(a.v_)); }
    // Integer division (the "\" operator): truncates, raises 11 on zero.
    friend constexpr Checked idiv(Checked a, Checked b) {
        if (b.v_ == 0) raise(err::DivisionByZero);
        return Checked(static_cast<long long>(a.v_) / b.v_);
    }
    // Remainder with the sign of the dividend; raises 11 on zero.
    friend constexpr Checked mod(Checked a, Checked b) {
        if (b.v_ == 0) raise(err::DivisionByZero);
        return Checked(static_cast<long long>(a.v_) % b.v_);
    }

    // Mixed with a plain integer literal: the literal joins the checked type.
    template <std::integral I>
    friend constexpr Checked operator+(Checked a, I b) {
        return a + Checked(b);
    }
    template <std::integral I>
    friend constexpr Checked operator+(I a, Checked b) {
        return Checked(a) + b;
    }
    template <std::integral I>
    friend constexpr Checked operator-(Checked a, I b) {
        return a - Checked(b);
    }
    template <std::integral I>
    friend constexpr Checked operator-(I a, Checked b) {
        return Checked(a) - b;
    }
    template <std::integral I>
    friend constexpr Checked operator*(Checked a, I b) {
        return a * Checked(b);
    }
    template <std::integral I>
    friend constexpr Checked operator*(I a, Checked b) {
        return Checked(a) * b;
    }

  private:
    Rep v_ = 0;
};

using Int16 = Checked<std::int16_t>;
using Int32 = Checked<std::int32_t>;

// Arithmetic mixing Int16 and Int32 widens to Int32.
inline Int32 operator+(Int16 a, Int32 b) { return Int32(a) + b; }
inline Int32 operator+(Int32 a, Int16 b) { return a + Int32(b); }
inline Int32 operator-(Int16 a, Int32 b) { return Int32(a) - b; }
inline Int32 operator-(Int32 a, Int16 b) { return a - Int32(b); }
inline Int32 operator*(Int16 a, Int32 b) { return Int32(a) * b; }
inline Int32 operator*(Int32 a, Int16 b) { return a * Int32(b); }

using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;
constexpr Bool16 toBool16(bool b) { return b ? kTrue : kFalse; }

// Nearest integer, ties to even, without range check.
inline double roundHalfEven(double x) {
    // nearbyint follows the current rounding mode, which is round-to-nearest
    // (ties to even) unless someone changed it; do it explicitly instead.
    double r = std::floor(x);
    double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    return r;
}

// Real to 16-bit integer, ties to even; NaN or out of range raises 6.
inline Int16 CInt(double x) {
    double r = roundHalfEven(x);
    if (!(r >= Int16::kMin && r <= Int16::kMax)) raise(err::Overflow);
    return Int16(static_cast<int>(r));
}

// Real to 32-bit integer, ties to even; NaN or out of range raises 6.
inline Int32 CLng(double x) {
    double r = roundHalfEven(x);
    if (!(r >= Int32::kMin && r <= Int32::kMax)) raise(err::Overflow);
    return Int32(static_cast<long long>(r));
}

// Floor of a real into a 16-bit integer (Int()), range-checked.
inline Int16 floorInt16(double x) {
    double r = std::floor(x);
    if (!(r >= Int16::kMin && r <= Int16::kMax)) raise(err::Overflow);
    return Int16(static_cast<int>(r));
}

// Floating-point division that raises 11 on a zero divisor.
inline double fdiv(double a, double b) {
    if (b == 0.0) raise(err::DivisionByZero);
    return a / b;
}

}  // namespace gm
