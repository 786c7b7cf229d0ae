#include "platform/win32/win32_calls.h"

namespace gm::win32 {

SystemParametersCall saverActiveCall(bool active) {
    return {SPI_SETSCREENSAVEACTIVE, active ? 1u : 0u};
}

SystemParametersCall showRunningCall(bool running) {
    return {SPI_SCREENSAVERRUNNING, running ? static_cast<UINT>(-1) : 0u};
}

SetWindowPosCall keepOnTopCall(Stacking stacking, bool activate) {
    UINT flags = SWP_NOMOVE | SWP_NOSIZE;
    if (!activate) flags |= SWP_NOACTIVATE;
    HWND insertAfter = nullptr;
    if (stacking == Stacking::TopMost) insertAfter = HWND_TOPMOST;
    if (stacking == Stacking::NotTopMost) insertAfter = HWND_NOTOPMOST;
    return {insertAfter, 0, 0, 0, 0, flags};
}

SetWindowPosCall embeddedPlacementCall(int width, int height) {
    return {nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW};
}

std::int32_t childStyle(std::int32_t style) {
    return (style | static_cast<std::int32_t>(WS_CHILD)) & ~static_cast<std::int32_t>(WS_POPUP);
}

LONG_PTR ownerWord(std::uintptr_t host) {
    return static_cast<LONG_PTR>(static_cast<std::int32_t>(host));
}

Key keyOf(WPARAM virtualKey) {
    const auto vk = static_cast<unsigned>(virtualKey);
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return characterKey(static_cast<char>(vk));
    if (vk >= VK_F1 && vk <= VK_F12) return static_cast<Key>(int(Key::F1) + int(vk - VK_F1));
    static constexpr struct {
        unsigned vk;
        Key key;
    } kNamed[] = {
        {VK_BACK, Key::Backspace}, {VK_TAB, Key::Tab},         {VK_RETURN, Key::Enter},
        {VK_SHIFT, Key::Shift},    {VK_CONTROL, Key::Control}, {VK_MENU, Key::Alt},
        {VK_ESCAPE, Key::Escape},  {VK_SPACE, Key::Space},     {VK_PRIOR, Key::PageUp},
        {VK_NEXT, Key::PageDown},  {VK_END, Key::End},         {VK_HOME, Key::Home},
        {VK_LEFT, Key::Left},      {VK_UP, Key::Up},           {VK_RIGHT, Key::Right},
        {VK_DOWN, Key::Down},      {VK_INSERT, Key::Insert},   {VK_DELETE, Key::Delete},
    };
    for (const auto& n : kNamed)
        if (n.vk == vk) return n.key;
    return Key::Other;
}

}  // namespace gm::win32
