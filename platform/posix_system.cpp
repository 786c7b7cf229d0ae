#include "platform/posix_system.h"

#include <fcntl.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace gm::posix {

std::uint32_t tickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

LocalDateTime localNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    LocalDateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.secondsSinceMidnight = t.hour * 3600.0 + t.minute * 60.0 + t.second + ts.tv_nsec / 1e9;
    return t;
}

std::string executablePath() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("glintmoor");
}

std::string distributionName(const std::string& osRelease) {
    std::string pretty, name;
    std::istringstream in(osRelease);
    std::string line;
    auto unquote = [](std::string v) {
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
            v = v.substr(1, v.size() - 2);
        }
        return v;
    };
    while (std::getline(in, line)) {
        if (line.rfind("PRETTY_NAME=", 0) == 0) pretty = unquote(line.substr(12));
        if (line.rfind("NAME=", 0) == 0) name = unquote(line.substr(5));
    }
    return pretty.empty() ? name : pretty;
}

OsVersionInfo versionInfo() {
    OsVersionInfo info;
    info.platformId = 2;
    utsname u{};
    if (uname(&u) == 0) {
        info.kernelName = u.sysname;
        info.kernelRelease = u.release;
        // "6.1.0-18-amd64": major 6, minor 1.
        std::istringstream release(info.kernelRelease);
        char dot = 0;
        release >> info.majorVersion >> dot >> info.minorVersion;
    }
    std::ifstream osRelease("/etc/os-release");
    std::stringstream text;
    text << osRelease.rdbuf();
    info.distribution = distributionName(text.str());
    return info;
}

std::string userConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/glintmoor";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/glintmoor";
}

std::string userSettingsPath() { return userConfigFolder() + "/settings.ini"; }

std::string settingsFilePath() {
    const char* path = std::getenv("GLINTMOOR_SETTINGS");
    return path && *path ? std::string(path) : userSettingsPath();
}

namespace {
volatile std::sig_atomic_t gTerminate = 0;
int gWakePipe[2] = {-1, -1};

void onTerminationSignal(int) {
    gTerminate = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(gWakePipe[1], &byte, 1);
}
}  // namespace

void watchTermination() {
    if (gWakePipe[0] >= 0) return;
    if (pipe2(gWakePipe, O_NONBLOCK | O_CLOEXEC) != 0) gWakePipe[0] = gWakePipe[1] = -1;
    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

bool terminationRequested() { return gTerminate != 0; }
int terminationFd() { return gWakePipe[0]; }

namespace {
volatile std::sig_atomic_t gServerSpoke = 1;

void onServerData(int) { gServerSpoke = 1; }
}  // namespace

bool watchConnection(int fd) {
    struct sigaction sa {};
    sa.sa_handler = onServerData;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    if (sigaction(SIGIO, &sa, nullptr) != 0) return false;
    const int flags = fcntl(fd, F_GETFL);
    return flags != -1 && fcntl(fd, F_SETOWN, getpid()) == 0 &&
           fcntl(fd, F_SETFL, flags | O_ASYNC) == 0;
}

// Cleared only once seen set, before the caller reads: data that comes in
// from here on raises the note again.
bool connectionSpoke() {
    if (!gServerSpoke) return false;
    gServerSpoke = 0;
    return true;
}

}  // namespace gm::posix
