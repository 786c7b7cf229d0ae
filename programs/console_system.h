// The headless platform as the commands that need no display run it: this
// system's program path, version, date and time and the user's folder, and
// the settings store the command reads.
#pragma once

#include "platform/headless/headless_platform.h"

namespace gm {

void describeThisSystem(HeadlessPlatform& platform, SettingsStore& store);

}  // namespace gm
