// glintmoor --idle DURATION: stays in the background and starts the show
// (this program with the rest of the command line) each time the seat has
// been idle for DURATION; the next time after input has come between.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gm {

// showArgs: the command line without --idle and its duration. Returns the
// exit status: 0 when SIGTERM or SIGINT ended it, 1 when it cannot watch.
int runIdleCommand(std::uint32_t seconds, const std::vector<std::string>& showArgs);

// The command line without "--idle DURATION".
std::vector<std::string> withoutIdleOption(const std::vector<std::string>& args);

}  // namespace gm
