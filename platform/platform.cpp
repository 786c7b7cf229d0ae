#include "platform/platform.h"

#include <cassert>
#include <clocale>
#include <ctime>

namespace gm {
namespace {
Platform* gPlatform = nullptr;
}

Platform& platform() {
    assert(gPlatform && "setPlatform() runs before anything uses the platform");
    return *gPlatform;
}

void setPlatform(Platform* p) { gPlatform = p; }

namespace {
std::string strftimeText(const LocalDateTime& t, const char* format) {
    // The user's forms come from LC_TIME; the program's other categories
    // stay in the "C" locale.
    static const bool userTimeLocale = std::setlocale(LC_TIME, "") != nullptr;
    (void)userTimeLocale;
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    std::tm normalised = tm;
    if (std::mktime(&normalised) != -1)
        tm.tm_wday = normalised.tm_wday;  // for forms that name the day
    char text[128] = {};
    std::strftime(text, sizeof text, format, &tm);
    return text;
}
}  // namespace

std::string Platform::formatShortDate(const LocalDateTime& t) { return strftimeText(t, "%x"); }
std::string Platform::formatTime(const LocalDateTime& t) { return strftimeText(t, "%X"); }

}  // namespace gm
