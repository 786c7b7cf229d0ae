#include "platform/x11/x11_monitors.h"

#include <X11/Xresource.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace gm::x11 {
namespace {

constexpr double kMmPerInch = 25.4;
// A size in millimetres that gives a resolution outside this range is a
// made-up one (a virtual display, a projector that reports 0 or 1 mm).
constexpr int kLowestDpi = 48, kHighestDpi = 480;

int dpiFromSize(int pixels, int millimetres) {
    if (millimetres <= 0) return 0;
    const int dpi = static_cast<int>(std::lround(pixels * kMmPerInch / millimetres));
    return dpi >= kLowestDpi && dpi <= kHighestDpi ? dpi : 0;
}

// Xft.dpi from the resource database the desktop loads into the server.
int xftDpi(Display* d) {
    const char* resources = XResourceManagerString(d);
    if (!resources) return 0;
    XrmInitialize();
    XrmDatabase db = XrmGetStringDatabase(resources);
    if (!db) return 0;
    char* type = nullptr;
    XrmValue value{};
    int dpi = 0;
    if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
        dpi = static_cast<int>(std::lround(std::strtod(value.addr, nullptr)));
    XrmDestroyDatabase(db);
    return dpi >= kLowestDpi && dpi <= kHighestDpi ? dpi : 0;
}

std::vector<MonitorArea> randrMonitors(Display* d, int screen, int fallbackDpi) {
    int events = 0, errors = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(d, &events, &errors) || !XRRQueryVersion(d, &major, &minor) ||
        major * 100 + minor < 105)
        return {};
    int count = 0;
    XRRMonitorInfo* info = XRRGetMonitors(d, RootWindow(d, screen), True, &count);
    std::vector<MonitorArea> monitors;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = info[i];
        const int dpi = dpiFromSize(m.width, m.mwidth);
        const MonitorArea area{{m.x, m.y, m.width, m.height}, dpi ? dpi : fallbackDpi};
        if (m.primary)
            monitors.insert(monitors.begin(), area);
        else
            monitors.push_back(area);
    }
    if (info) XRRFreeMonitors(info);
    return monitors;
}

std::vector<MonitorArea> xineramaMonitors(Display* d, int dpi) {
    int events = 0, errors = 0;
    if (!XineramaQueryExtension(d, &events, &errors) || !XineramaIsActive(d)) return {};
    int count = 0;
    XineramaScreenInfo* info = XineramaQueryScreens(d, &count);
    std::vector<MonitorArea> monitors;
    for (int i = 0; i < count; ++i)
        monitors.push_back({{info[i].x_org, info[i].y_org, info[i].width, info[i].height}, dpi});
    if (info) XFree(info);
    return monitors;
}

}  // namespace

int screenDpi(Display* d, int screen) {
    if (const int dpi = xftDpi(d)) return dpi;
    const int dpi = dpiFromSize(DisplayWidth(d, screen), DisplayWidthMM(d, screen));
    return dpi ? dpi : kDefaultDpi;
}

std::vector<MonitorArea> screenMonitors(Display* d, int screen) {
    // Xft.dpi is the user's choice for every monitor; without it each
    // monitor's own size counts.
    const int userDpi = xftDpi(d);
    const int dpi = screenDpi(d, screen);
    std::vector<MonitorArea> monitors = randrMonitors(d, screen, dpi);
    if (userDpi)
        for (MonitorArea& m : monitors) m.dpi = userDpi;
    if (monitors.empty()) monitors = xineramaMonitors(d, dpi);
    if (monitors.empty())
        monitors.push_back({{0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)}, dpi});
    return monitors;
}

}  // namespace gm::x11
