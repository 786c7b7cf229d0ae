// The system services a Linux backend reports through the platform seam:
// the tick count, the local time, the program's path, the system version
// and the per-user settings folder. Plain POSIX; shared by the X11 backend
// and the command-line tools that run without a display.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace gm::posix {

// Milliseconds of the monotonic clock, wrapping at 2^32 like GetTickCount.
std::uint32_t tickCount();
LocalDateTime localNow();
// Full path of the running program (/proc/self/exe).
std::string executablePath();
// The kernel (uname) and the distribution (/etc/os-release). The platform
// id says NT family: the system, not the saver, guards the screen lock.
OsVersionInfo versionInfo();
// The distribution's PRETTY_NAME (or NAME) from an os-release text.
std::string distributionName(const std::string& osRelease);
// $XDG_CONFIG_HOME/glintmoor, or ~/.config/glintmoor without that variable.
std::string userConfigFolder();
// userConfigFolder()/settings.ini
std::string userSettingsPath();
// The settings file to use: GLINTMOOR_SETTINGS when set (tests point it
// away from the user's settings), else userSettingsPath().
std::string settingsFilePath();

// SIGTERM, SIGINT and SIGHUP (the session's end) end a show or a dialog
// from its event loop: the handlers (set up once per process) raise a flag
// and make terminationFd() readable, so a poll() that waits for events
// wakes.
void watchTermination();
bool terminationRequested();
int terminationFd();

// The event pumps run after every single flake, thousands of times a
// second. A display connection watched here raises SIGIO when its server
// sends (O_ASYNC), so that a pump reads the socket only after that instead
// of asking it each time. watchConnection is true when the socket now
// signals; connectionSpoke tells whether data came since it last said so
// (the first time: true).
bool watchConnection(int fd);
bool connectionSpoke();

}  // namespace gm::posix
