// The one timer of a window (tmrAnimation) as the Linux backends run it:
// a period, on or off, and when it is due next. A late tick is not made up
// for: the next one counts from the tick that ran.
#pragma once

#include <chrono>
#include <cstdint>

namespace gm {

class IntervalTimer {
  public:
    using Clock = std::chrono::steady_clock;

    // An interval of 0 stops the timer, as for a disabled one.
    void set(std::uint32_t intervalMs, bool enabled) {
        interval_ = std::chrono::milliseconds(intervalMs);
        on_ = enabled && intervalMs > 0;
        if (on_) next_ = Clock::now() + interval_;
    }
    // When the timer is due next (time_point::max() when it is off).
    Clock::time_point due() const { return on_ ? next_ : Clock::time_point::max(); }
    // True (and the next tick scheduled) when a tick is due at `now`.
    bool take(Clock::time_point now) {
        if (!on_ || now < next_) return false;
        next_ = now + interval_;
        return true;
    }

  private:
    std::chrono::milliseconds interval_{0};
    bool on_ = false;
    Clock::time_point next_{};
};

}  // namespace gm
