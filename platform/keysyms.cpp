#include "platform/keysyms.h"

#include <X11/keysym.h>

namespace gm {

Key keyOf(std::uint32_t sym) {
    if (sym >= XK_a && sym <= XK_z) return characterKey(static_cast<char>(sym - XK_a + 'a'));
    if ((sym >= XK_A && sym <= XK_Z) || (sym >= XK_0 && sym <= XK_9))
        return characterKey(static_cast<char>(sym));
    if (sym >= XK_F1 && sym <= XK_F12) return static_cast<Key>(int(Key::F1) + int(sym - XK_F1));
    static constexpr struct {
        std::uint32_t sym;
        Key key;
    } kNamed[] = {
        {XK_BackSpace, Key::Backspace}, {XK_Tab, Key::Tab},           {XK_Return, Key::Enter},
        {XK_KP_Enter, Key::Enter},      {XK_Shift_L, Key::Shift},     {XK_Shift_R, Key::Shift},
        {XK_Control_L, Key::Control},   {XK_Control_R, Key::Control}, {XK_Alt_L, Key::Alt},
        {XK_Alt_R, Key::Alt},           {XK_Escape, Key::Escape},     {XK_space, Key::Space},
        {XK_Prior, Key::PageUp},        {XK_Next, Key::PageDown},     {XK_End, Key::End},
        {XK_Home, Key::Home},           {XK_Left, Key::Left},         {XK_Up, Key::Up},
        {XK_Right, Key::Right},         {XK_Down, Key::Down},         {XK_Insert, Key::Insert},
        {XK_Delete, Key::Delete},
    };
    for (const auto& n : kNamed)
        if (n.sym == sym) return n.key;
    return Key::Other;
}

}  // namespace gm
