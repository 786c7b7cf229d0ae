// Tick counts: GetTickCount values held in 32-bit signed integers.
//
// The system's millisecond counter is unsigned and wraps after 49.7 days; the
// saver keeps it in signed 32-bit variables (tickNow, flakesDone,
// lastBigTime), where it turns negative after 24.8 days of up-time. Checked
// subtraction of two such values would overflow at the sign change, so every
// elapsed-time test takes the difference modulo 2^32 instead.
#pragma once

#include <cstdint>

#include "basic/numeric.h"
#include "platform/platform.h"

namespace gm {

// GetTickCount() as the saver stores it: the counter's bits as a signed value.
inline Int32 tickCountNow() { return Int32(static_cast<std::int32_t>(platform().GetTickCount())); }

// later - earlier modulo 2^32, as a signed value: negative when `later` is in
// truth the earlier of the two (right across the sign change and the wrap).
inline std::int32_t tickDiff(Int32 later, Int32 earlier) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later.value()) -
                                     static_cast<std::uint32_t>(earlier.value()));
}

// Milliseconds from `earlier` to `later` modulo 2^32 (0 .. 49.7 days), for a
// stamp known not to lie in the future, such as the start of the last
// flight: its age stays right after the sign change, where a signed
// difference would make a stamp of 0 look 24.8 days in the future.
inline std::uint32_t elapsedMs(Int32 later, Int32 earlier) {
    return static_cast<std::uint32_t>(later.value()) - static_cast<std::uint32_t>(earlier.value());
}

}  // namespace gm
