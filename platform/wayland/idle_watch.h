// The seat's idle time as the compositor tells it: ext-idle-notify-v1 where
// offered, else KDE's org_kde_kwin_idle (sway 1.7, KWin). Watching does not
// inhibit idle: screen blanking and locking still happen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace gm {

class IdleWatch {
  public:
    // Connects to the compositor and asks to be told after `timeoutMs`
    // without input; nullptr with `why` set when it cannot.
    static std::unique_ptr<IdleWatch> open(std::uint32_t timeoutMs, std::string& why);
    virtual ~IdleWatch() = default;

    // Waits until the seat has been idle for the time; with `afterInput`,
    // for input first (the last idle time is over). False when SIGTERM or
    // SIGINT came or the compositor went away.
    virtual bool waitForIdle(bool afterInput) = 0;
    // The name of the protocol in use, for messages.
    virtual const char* protocol() const = 0;
};

}  // namespace gm
