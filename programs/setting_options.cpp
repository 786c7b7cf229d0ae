#include "programs/setting_options.h"

#include "basic/vb_error.h"
#include "common/settings.h"
#include "programs/option_values.h"

namespace gm {
namespace {

// A number option: the setting it overrides and the dialog's range of it.
struct NumberOption {
    const char* name;
    const char* key;
    const char* unit;  // for the usage text
    Single low;
    Single high;
    bool whole;  // a 16-bit integer setting: whole numbers only
};

constexpr NumberOption kNumbers[] = {
    {"-speed", "Speed", "animation speed, frames per 200 ms", 0.1f, 10.0f, false},
    {"-density", "maxFl", "most snowflakes", 22.0f, 200.0f, true},
    {"-flake-speed", "SpeedF", "snowflake speed", 2.08f, 10.0f, false},
    {"-flake-size", "Size", "snowflake size", 2.08f, 10.0f, false},
    {"-cloud-speed", "SpeedS", "sky band speed, pixels per frame", 0.04f, 1.03f, false},
    {"-object-speed", "SpeedO", "speed of the birds and the plane", 2.08f, 10.0f, false},
};

// A switch option: the setting and the value it gives it.
struct SwitchOption {
    const char* name;
    const char* key;
    const char* value;
};

constexpr SwitchOption kSwitches[] = {
    {"-date", "Date", "1"},    {"-no-date", "Date", "0"},    {"-time", "Time", "1"},
    {"-no-time", "Time", "0"}, {"-classic", "Classic", "1"},
};

// The value in the setting's own text form, or nothing when it is no
// number of the option's range.
std::optional<std::string> settingText(const NumberOption& o, const std::string& text) {
    if (o.whole) {
        const auto n = parseWholeNumber<int>(text);
        if (!n || *n < o.low || *n > o.high) return std::nullopt;
        return std::to_string(*n);
    }
    Single value = 0;
    try {
        value = textToSingle(text);
    } catch (const VbError&) {
        return std::nullopt;
    }
    if (!(value >= o.low && value <= o.high)) return std::nullopt;
    return singleToText(value);
}

std::string rangeText(const NumberOption& o) {
    const auto f = o.whole ? "a whole number from " : "a number from ";
    return f + singleToText(o.low) + " to " + singleToText(o.high);
}

}  // namespace

bool takeSettingOption(const std::vector<std::string>& args, std::size_t& i,
                       SettingOverrides& overrides, std::string& error) {
    // "--density" is "-density" too.
    const std::string name = args[i].rfind("--", 0) == 0 ? args[i].substr(1) : args[i];
    for (const SwitchOption& s : kSwitches) {
        if (name != s.name) continue;
        overrides[s.key] = s.value;
        return true;
    }
    for (const NumberOption& o : kNumbers) {
        if (name != o.name) continue;
        const bool hasValue = i + 1 < args.size();
        const auto text = hasValue ? settingText(o, args[++i]) : std::nullopt;
        if (!text) {
            error = std::string(o.name) + " takes " + rangeText(o) +
                    (hasValue ? ", not \"" + args[i] + "\"" : "");
            return true;
        }
        overrides[o.key] = *text;
        return true;
    }
    return false;
}

std::string settingOptionsUsage() {
    std::string usage;
    for (const NumberOption& o : kNumbers) {
        std::string head = "  " + std::string(o.name) + (o.whole ? " N" : " X");
        head.resize(21, ' ');
        usage += head + o.unit + " (" + o.key + "), " + singleToText(o.low) + " to " +
                 singleToText(o.high) + "\n";
    }
    usage +=
        "  -date, -no-date    show the date, or not (Date)\n"
        "  -time, -no-time    show the time, or not (Time)\n"
        "  -classic           the classic 640 x 480 picture stretched over the screen (Classic)\n";
    return usage;
}

}  // namespace gm
