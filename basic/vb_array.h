// A fixed-size array with explicit bounds whose every access is checked:
// an index outside lo..hi raises run-time error 9 (Subscript out of range).
#pragma once

#include <array>
#include <cstddef>

#include "basic/vb_error.h"

namespace gm {

template <typename T, int Lo, int Hi>
class VbArray {
    static_assert(Lo <= Hi, "an array needs at least one element");

  public:
    static constexpr int lower = Lo;
    static constexpr int upper = Hi;

    T& operator[](long long i) { return items_[slot(i)]; }
    const T& operator[](long long i) const { return items_[slot(i)]; }

  private:
    static std::size_t slot(long long i) {
        if (i < Lo || i > Hi) raise(err::SubscriptOutOfRange);
        return static_cast<std::size_t>(i - Lo);
    }
    std::array<T, Hi - Lo + 1> items_{};
};

}  // namespace gm
