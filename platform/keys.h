// The keys of the keyboard as the windows and dialogs of the platform seam
// report them.
#pragma once

#include <cstdint>

namespace gm {

// A key as the backends report it. A letter or a digit is the key of its
// character (characterKey: upper case, whatever the shift state); the other
// keys have names; Other is any key without one here.
enum class Key : std::uint16_t {
    Other = 0,
    Backspace = 0x100,
    Tab,
    Enter,
    Shift,
    Control,
    Alt,
    Escape,
    Space,
    PageUp,
    PageDown,
    End,
    Home,
    Left,
    Up,
    Right,
    Down,
    Insert,
    Delete,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
};

// The key of a letter (either case) or a digit; Other for any other character.
constexpr Key characterKey(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const bool named = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return named ? static_cast<Key>(c) : Key::Other;
}

}  // namespace gm
