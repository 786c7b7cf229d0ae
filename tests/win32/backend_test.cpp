// The Win32 backend's side of the seam's intents: the exact Windows calls
// they make (SetTopMost's SetWindowPos, the preview's embedding steps, Main's
// SystemParametersInfoA), what those calls do to real windows, the keys of
// the virtual-key codes and the user's folder of the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "platform/win32/registry_store.h"
#include "platform/win32/win32_calls.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window.h"

namespace gm::win32 {
namespace {

TEST(Win32Calls, TheSystemFlagsAreSystemParametersInfoA) {
    EXPECT_EQ(saverActiveCall(false), (SystemParametersCall{17, 0}));  // SPI_SETSCREENSAVEACTIVE
    EXPECT_EQ(saverActiveCall(true), (SystemParametersCall{17, 1}));
    EXPECT_EQ(showRunningCall(true),
              (SystemParametersCall{97, 0xFFFFFFFFu}));  // SPI_SCREENSAVERRUNNING
    EXPECT_EQ(showRunningCall(false), (SystemParametersCall{97, 0}));
}

TEST(Win32Calls, KeepOnTopIsSetWindowPosWithTheInsertAfterHandleAndFlags) {
    const struct {
        Stacking stacking;
        bool activate;
        std::intptr_t insertAfter;
        UINT flags;
    } cases[] = {
        {Stacking::TopMost, true, -1, 0x03},     // HWND_TOPMOST, SWP_NOMOVE | SWP_NOSIZE
        {Stacking::TopMost, false, -1, 0x13},    // and SWP_NOACTIVATE
        {Stacking::NotTopMost, true, -2, 0x03},  // HWND_NOTOPMOST
        {Stacking::Top, false, 0, 0x13},         // the null handle
    };
    for (const auto& c : cases)
        EXPECT_EQ(keepOnTopCall(c.stacking, c.activate),
                  (SetWindowPosCall{reinterpret_cast<HWND>(c.insertAfter), 0, 0, 0, 0, c.flags}))
            << static_cast<int>(c.stacking) << " " << c.activate;
}

TEST(Win32Calls, TheEmbeddingsWords) {
    // SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW
    EXPECT_EQ(embeddedPlacementCall(152, 112), (SetWindowPosCall{nullptr, 0, 0, 152, 112, 0x54}));
    EXPECT_EQ(childStyle(WS_POPUP | WS_CLIPCHILDREN), 0x40000000 | WS_CLIPCHILDREN);  // WS_CHILD
    EXPECT_EQ(ownerWord(0x4242), 0x4242);
}

TEST(Win32Calls, VirtualKeysBecomeKeys) {
    const struct {
        WPARAM vk;
        Key key;
    } cases[] = {
        {'A', characterKey('a')},   {'7', characterKey('7')}, {VK_SHIFT, Key::Shift},
        {VK_CONTROL, Key::Control}, {VK_MENU, Key::Alt},      {VK_RETURN, Key::Enter},
        {VK_ESCAPE, Key::Escape},   {VK_F5, Key::F5},         {VK_F12, Key::F12},
        {VK_LWIN, Key::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(keyOf(c.vk), c.key) << c.vk;
}

struct NoEvents final : WindowEvents {};

bool topMost(HWND w) { return (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST(Win32Window, KeepOnTopMakesTheWindowTopMostAndTakesThatBack) {
    NoEvents events;
    Win32Window window(WindowKind::Normal, events);
    const HWND hwnd = reinterpret_cast<HWND>(window.handle());
    ASSERT_FALSE(topMost(hwnd));
    EXPECT_TRUE(window.keepOnTop(Stacking::TopMost, false));
    EXPECT_TRUE(topMost(hwnd));
    EXPECT_TRUE(window.keepOnTop(Stacking::Top, false));
    EXPECT_TRUE(topMost(hwnd)) << "the top of the top-most windows";
    EXPECT_TRUE(window.keepOnTop(Stacking::NotTopMost, false));
    EXPECT_FALSE(topMost(hwnd));
}

TEST(Win32Window, EmbeddingMakesAVisibleChildOverTheHostsClientArea) {
    const HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                      300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    NoEvents events;
    Win32Window preview(WindowKind::Preview, events);
    const HWND hwnd = reinterpret_cast<HWND>(preview.handle());
    preview.embedInto(reinterpret_cast<std::uintptr_t>(host), 152, 112);
    EXPECT_EQ(GetParent(hwnd), host);
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    RECT r{};
    GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 152);
    EXPECT_EQ(r.bottom, 112);
    EXPECT_EQ(preview.width(), 152) << "its image follows";
    DestroyWindow(host);
}

TEST(Win32Platform, TheUsersFolderLiesInTheLocalApplicationData) {
    const char* before = std::getenv("LOCALAPPDATA");
    const std::string saved = before ? before : "";
    RegistryStore store;
    auto platform = makeWin32Platform(store);
    for (const char* local : {"C:\\Users\\u\\AppData\\Local", "C:\\Users\\u\\AppData\\Local\\"}) {
        _putenv_s("LOCALAPPDATA", local);
        EXPECT_EQ(platform->userDataFolder(), "C:\\Users\\u\\AppData\\Local\\Glintmoor") << local;
    }
    _putenv_s("LOCALAPPDATA", "");
    EXPECT_EQ(platform->userDataFolder(), "") << "none without the variable";
    _putenv_s("LOCALAPPDATA", saved.c_str());
}

}  // namespace
}  // namespace gm::win32
