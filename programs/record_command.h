// glintmoor --record DIR [--frames N] [--seed N] [--size WxH] [setting options]
//
// Runs the show on the headless platform, without any display, and writes
// what the window shows after each of N consecutive ticks (100 unless
// given), flakes included, as DIR/frame-0001.png, DIR/frame-0002.png, ...
// The screen is 1024 x 768 unless --size says otherwise. The virtual clock
// starts at tick count kRecordStartMs, ten minutes after a system start, so
// the plane may come at once; date and time come from the real clock. The
// show's setting options (-classic, -no-date ...) override the stored
// settings for the run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gm {

inline constexpr std::uint32_t kRecordStartMs = 600000;

// Runs --record when the command line asks for it and returns the program's
// exit code; nullopt when it does not ask for it.
std::optional<int> runRecordCommand(const std::vector<std::string>& args);

}  // namespace gm
