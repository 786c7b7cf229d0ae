// The monitors of an X screen and their resolution.
#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "platform/platform.h"

namespace gm::x11 {

// The monitors RandR reports (or Xinerama, on a server without RandR 1.5),
// the primary first, in root window coordinates; one area over the whole
// screen when neither knows of several.
std::vector<MonitorArea> screenMonitors(Display* d, int screen);

// The dots per inch of the screen: the user's Xft.dpi resource when set,
// else from the screen's physical size (kDefaultDpi when that is unknown
// or implausible).
int screenDpi(Display* d, int screen);

}  // namespace gm::x11
