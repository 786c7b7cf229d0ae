// What the Linux backends (x11/, wayland/) report alike through the seam:
// the system's clock, version, program path and user folder, the process's
// end, and the Windows system calls that have nothing to do on Linux.
#pragma once

#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/posix_system.h"

namespace gm {

class PosixPlatform : public Platform {
  public:
    std::uint32_t GetTickCount() override { return posix::tickCount(); }
    LocalDateTime now() override { return posix::localNow(); }

    // Linux keeps no screen saver flags for programs to set.
    void setSystemSaverActive(bool) override {}
    void setShowRunning(bool) override {}

    int GetVersionExA(OsVersionInfo& info) override {
        info = posix::versionInfo();
        return 1;
    }

    // The screen lock of a Linux desktop guards the password, as on the NT family.
    int VerifyScreenSavePwd(std::uintptr_t) override { return 1; }
    void PwdChangePasswordA(const char*, std::uintptr_t) override {}

    void resetMousePointer() override {}  // the pointer's shape is never changed
    std::string programPath() override { return posix::executablePath(); }
    std::string userDataFolder() override { return posix::userConfigFolder(); }

    [[noreturn]] void exitProcess(int code) override {
        std::fflush(nullptr);
        _exit(code);  // at once, as ExitProcess: no handlers run any more
    }
};

}  // namespace gm
