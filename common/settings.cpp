#include "common/settings.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <set>
#include <string_view>
#include <system_error>

#include "basic/vb_error.h"
#include "errors/trap.h"
#include "platform/platform.h"

namespace gm {
namespace {

constexpr const char* kApp = "Glintmoor";
constexpr const char* kSection = "Settings";

// The number in text in the form from_chars reads: blanks trimmed, a comma
// separator turned into a point, a leading plus dropped. Raises 13 when the
// text does not have the form of a number.
std::string numberForm(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) raise(err::TypeMismatch);
    const auto last = text.find_last_not_of(" \t");
    std::string s = text.substr(first, last - first + 1);
    if (s.front() == '+') s.erase(0, 1);

    std::size_t i = s.empty() || s.front() != '-' ? 0 : 1;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
        s[i++] = '.';
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) raise(err::TypeMismatch);
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++expDigits;
        if (expDigits == 0) raise(err::TypeMismatch);
    }
    if (i != s.size()) raise(err::TypeMismatch);
    return s;
}

template <typename T>
T parseNumber(const std::string& text) {
    const std::string s = numberForm(text);
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) raise(err::Overflow);
    if (ec != std::errc() || end != s.data() + s.size()) raise(err::TypeMismatch);
    return value;
}

// The reads of one LoadConfig. A stored text that does not convert fails
// its statement once, so the trap reports it; the statement's retry then
// reads the key's default, and loading goes on.
class StoredValues {
  public:
    explicit StoredValues(SettingsStore& store) : store_(store) {}

    Int16 int16(const char* key, const char* fallback) {
        return convert(key, fallback, textToInt16);
    }
    Single single(const char* key, const char* fallback) {
        return convert(key, fallback, textToSingle);
    }

  private:
    template <typename T>
    T convert(const char* key, const char* fallback, T (*conv)(const std::string&)) {
        if (rejected_.contains(key)) return conv(fallback);
        const std::string text = store_.GetSetting(kApp, kSection, key).value_or(fallback);
        try {
            return conv(text);
        } catch (const VbError&) {
            rejected_.insert(key);
            throw;
        }
    }

    SettingsStore& store_;
    std::set<std::string> rejected_;
};

}  // namespace

Settings& settings() {
    static Settings record;
    return record;
}

Int16 textToInt16(const std::string& text) { return CInt(parseNumber<double>(text)); }

Single textToSingle(const std::string& text) { return parseNumber<float>(text); }

namespace {

// The decimal text of sign, digits and exponent as to_chars writes them in
// scientific form ("-1.2345e-03"), without exponent: "-0.0012345".
std::string withoutExponent(std::string_view scientific) {
    std::string sign, digits;
    std::size_t i = 0;
    if (scientific[i] == '-') sign = "-", ++i;
    for (; i < scientific.size() && scientific[i] != 'e'; ++i)
        if (scientific[i] != '.') digits += scientific[i];
    std::size_t e = i + 1;
    if (e < scientific.size() && scientific[e] == '+') ++e;  // from_chars takes no plus
    int exponent = 0;
    std::from_chars(scientific.data() + e, scientific.data() + scientific.size(), exponent);
    const int point = exponent + 1;  // digits before the decimal point
    std::string text;
    if (point <= 0) {
        text = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (point >= static_cast<int>(digits.size())) {
        text = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
    } else {
        text = digits.substr(0, static_cast<std::size_t>(point)) + "." +
               digits.substr(static_cast<std::size_t>(point));
    }
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return sign + text;
}

}  // namespace

std::string singleToText(Single value) {
    if (!std::isfinite(value)) raise(err::Overflow);
    if (value == 0) return "0";
    // The fewest significant digits, at most 7, that read back to the value.
    constexpr int kMaxDigits = 7;
    char buf[32];
    for (int digits = 1;; ++digits) {
        const auto end = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                                       std::chars_format::scientific, digits - 1)
                             .ptr;
        Single back = 0;
        std::from_chars(buf, end, back);
        if (back == value || digits == kMaxDigits) return withoutExponent({buf, end});
    }
}

std::string describeSettings(const Settings& s) {
    auto i = [](Int16 v) { return std::to_string(v.value()); };
    return "maxFl=" + i(s.maxFl) + "\nminFl=" + i(s.minFl) + "\nSpeedF=" + singleToText(s.SpeedF) +
           "\nSize=" + singleToText(s.Size) + "\nSpeedS=" + singleToText(s.SpeedS) +
           "\nSpeedO=" + singleToText(s.SpeedO) + "\nSpeed=" + singleToText(s.Speed) +
           "\nDate=" + i(s.Date) + "\nTime=" + i(s.Time) + "\nSnowman=" + i(s.Snowman) +
           "\nClassic=" + i(s.Classic) + "\n";
}

void LoadConfig() {
    trapped("Saver", "LoadConfig", [](Trap& at) {
        Settings& s = settings();
        StoredValues stored(platform().settingsStore());
        at(50010, [&] { s.maxFl = stored.int16("maxFl", "110"); });
        at(50020, [&] { s.SpeedF = stored.single("SpeedF", "6"); });
        at(50030, [&] { s.Size = stored.single("Size", "6"); });
        at(50040, [&] { s.SpeedS = stored.single("SpeedS", "0.53"); });
        at(50050, [&] { s.SpeedO = stored.single("SpeedO", "6"); });
        at(50060, [&] { s.Speed = stored.single("Speed", "5"); });
        at(50070, [&] { s.minFl = CInt(s.maxFl.value() * 0.5); });
        at(50080, [&] { s.Date = stored.int16("Date", "1"); });
        at(50090, [&] { s.Time = stored.int16("Time", "1"); });
        at(50100, [&] { s.Snowman = stored.int16("Snowman", "1"); });
        at(50110, [&] { s.Classic = stored.int16("Classic", "0"); });
    });
}

void SaveConfig() {
    trapped("Saver", "SaveConfig", [](Trap& at) {
        const Settings& s = settings();
        SettingsStore& store = platform().settingsStore();
        auto save = [&](const char* key, const std::string& text) {
            store.SaveSetting(kApp, kSection, key, text);
        };
        at(50010, [&] { save("SpeedF", singleToText(s.SpeedF)); });
        at(50020, [&] { save("Size", singleToText(s.Size)); });
        at(50030, [&] { save("maxFl", std::to_string(s.maxFl.value())); });
        at(50040, [&] { save("SpeedS", singleToText(s.SpeedS)); });
        at(50050, [&] { save("SpeedO", singleToText(s.SpeedO)); });
        at(50060, [&] { save("Speed", singleToText(s.Speed)); });
        at(50070, [&] { save("Date", std::to_string(s.Date.value())); });
        at(50080, [&] { save("Time", std::to_string(s.Time.value())); });
    });
}

}  // namespace gm
