// The registry settings store, against the real registry (under Wine in the
// test run): where values live, what reads back, what counts as missing.
#include "platform/win32/registry_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32/win32_platform.h"
#include "programs/settings_store.h"

namespace gm {
namespace {

// A private application name per run, removed again afterwards.
class RegistryStoreTest : public ::testing::Test {
  protected:
    const std::string app = "GlintmoorTest" + std::to_string(GetCurrentProcessId());
    const std::string key = "Software\\" + app;
    win32::RegistryStore store;

    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }

    // Writes a value of any type directly, as another program or regedit would.
    void putRaw(const std::string& name, DWORD type, const void* data, DWORD size) {
        HKEY hkey;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (key + "\\Settings").c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &hkey, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(hkey, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(hkey);
    }
};

TEST_F(RegistryStoreTest, SavedTextIsARegSzValueUnderSoftwareAppSection) {
    store.SaveSetting(app, "Settings", "SpeedS", "0,56");
    char text[32] = {};
    DWORD type = 0, size = sizeof text;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (key + "\\Settings").c_str(), "SpeedS", RRF_RT_ANY,
                           &type, text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, "0,56");
    EXPECT_EQ(size, 5u);  // the text and its terminating NUL
}

TEST_F(RegistryStoreTest, ReadsBackWhatItSavedAndTheLastSaveWins) {
    store.SaveSetting(app, "Settings", "maxFl", "110");
    store.SaveSetting(app, "Settings", "maxFl", "22");
    store.SaveSetting(app, "Settings", "Date", "");
    EXPECT_EQ(store.GetSetting(app, "Settings", "maxFl"), "22");
    EXPECT_EQ(store.GetSetting(app, "Settings", "Date"), "");
    // Value names compare without regard to case, as the registry does.
    EXPECT_EQ(store.GetSetting(app, "Settings", "MAXFL"), "22");
}

TEST_F(RegistryStoreTest, MissingKeySectionOrValueIsNoValue) {
    EXPECT_EQ(store.GetSetting(app, "Settings", "Speed"), std::nullopt);
    store.SaveSetting(app, "Settings", "Speed", "5");
    EXPECT_EQ(store.GetSetting(app, "Other", "Speed"), std::nullopt);
    EXPECT_EQ(store.GetSetting(app, "Settings", "Size"), std::nullopt);
}

TEST_F(RegistryStoreTest, TextWithoutTerminatorOrWithTrailingNulsReadsAsTheText) {
    putRaw("Size", REG_SZ, "7.5", 3);
    putRaw("SpeedF", REG_SZ, "8\0\0\0", 4);
    EXPECT_EQ(store.GetSetting(app, "Settings", "Size"), "7.5");
    EXPECT_EQ(store.GetSetting(app, "Settings", "SpeedF"), "8");
}

TEST_F(RegistryStoreTest, ValuesThatAreNotTextAreNoValue) {
    const DWORD number = 5;
    putRaw("Speed", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(store.GetSetting(app, "Settings", "Speed"), std::nullopt);
}

TEST(Win32SettingsStoreChoice, GlintmoorSettingsNamesAnIniFileInsteadOfTheRegistry) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + "glintmoor-store-test.ini";
    std::remove(path.c_str());
    SetEnvironmentVariableA("GLINTMOOR_SETTINGS", path.c_str());
    _putenv_s("GLINTMOOR_SETTINGS", path.c_str());
    const auto store = openSettingsStore();
    auto platform = makeWin32Platform(*store);
    platform->settingsStore().SaveSetting("Glintmoor", "Settings", "Speed", "7");
    _putenv_s("GLINTMOOR_SETTINGS", "");

    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Speed=7"), std::string::npos) << text.str();
    EXPECT_EQ(platform->settingsStore().GetSetting("Glintmoor", "Settings", "Speed"), "7");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace gm
