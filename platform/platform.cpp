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
// The day of the week (0 Sunday) of a date of the Gregorian calendar, by
// arithmetic: mktime, which would also tell it, reads the time zone first,
// a file look-up on every call, and the show prints the date each tick.
int weekday(int year, int month, int day) {
    static constexpr int kMonthOffset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) --year;
    const int w = (year + year / 4 - year / 100 + year / 400 + kMonthOffset[month - 1] + day) % 7;
    return w < 0 ? w + 7 : w;
}

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
    if (t.month >= 1 && t.month <= 12)
        tm.tm_wday = weekday(t.year, t.month, t.day);  // for forms that name the day
    char text[128] = {};
    std::strftime(text, sizeof text, format, &tm);
    return text;
}
}  // namespace

std::string Platform::formatShortDate(const LocalDateTime& t) { return strftimeText(t, "%x"); }
std::string Platform::formatTime(const LocalDateTime& t) { return strftimeText(t, "%X"); }

}  // namespace gm
