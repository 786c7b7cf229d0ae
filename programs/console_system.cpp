#include "programs/console_system.h"

#include "platform/posix_system.h"

namespace gm {

void describeThisSystem(HeadlessPlatform& platform, SettingsStore& store) {
    platform.setSettingsStore(&store);
    platform.setProgramPath(posix::executablePath());
    platform.setOsVersion(posix::versionInfo());
    platform.setDateTime(posix::localNow());
    platform.setUserDataFolder(posix::userConfigFolder());
}

}  // namespace gm
