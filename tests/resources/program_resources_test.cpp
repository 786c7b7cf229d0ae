// The resources a Windows program built with gm_resources_rc carries besides
// the bitmaps: the icon group 1 with its images 30001-30003, the version
// record 1.0.310 and the manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const LPCSTR kIconType = MAKEINTRESOURCEA(3);        // RT_ICON
const LPCSTR kGroupIconType = MAKEINTRESOURCEA(14);  // RT_GROUP_ICON
const LPCSTR kManifestType = MAKEINTRESOURCEA(24);   // RT_MANIFEST

std::string resourceText(LPCSTR type, int id) {
    HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!info) return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, info)));
    return {data, SizeofResource(nullptr, info)};
}

TEST(ProgramResources, IconGroupOneListsTheImages30001To30003) {
    const std::string group = resourceText(kGroupIconType, 1);
    ASSERT_GE(group.size(), 6u + 3 * 14);
    auto u16 = [&](std::size_t o) {
        return int(std::uint8_t(group[o])) | int(std::uint8_t(group[o + 1])) << 8;
    };
    EXPECT_EQ(u16(2), 1) << "an icon directory";
    ASSERT_EQ(u16(4), 3);
    for (int i = 0; i < 3; ++i) {
        const int id = u16(6 + 14 * i + 12);
        EXPECT_EQ(id, 30001 + i);
        EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(id), kIconType), nullptr) << id;
    }
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    EXPECT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST(ProgramResources, TheVersionRecordSays1_0_310) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 0u);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), 310u);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040704B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "1.0.310");
}

TEST(ProgramResources, TheManifestAsksForCommonControls6AndPerMonitorDpiAwareness) {
    const std::string manifest = resourceText(kManifestType, 1);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2<"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
}

}  // namespace
