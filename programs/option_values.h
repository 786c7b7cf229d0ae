// Values of the Linux program's file commands (--render, --gallery,
// --record): whole numbers and screen sizes, read strictly.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

namespace gm {

inline constexpr int kMinScreenSide = 16;
inline constexpr int kMaxScreenSide = 7680;

// The whole text as a decimal number; nothing else may follow it.
template <typename T>
std::optional<T> parseWholeNumber(std::string_view text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "WxH" with both sides from kMinScreenSide to kMaxScreenSide.
inline std::optional<std::pair<int, int>> parseScreenSize(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto w = parseWholeNumber<int>(text.substr(0, x));
    const auto h = parseWholeNumber<int>(text.substr(x + 1));
    const auto fits = [](std::optional<int> v) {
        return v && *v >= kMinScreenSide && *v <= kMaxScreenSide;
    };
    if (!fits(w) || !fits(h)) return std::nullopt;
    return std::pair{*w, *h};
}

}  // namespace gm
