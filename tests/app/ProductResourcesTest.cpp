#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {
// The built program, read as data: its resources as Windows sees them.
struct ProgramImage : ::testing::Test {
    HMODULE module = nullptr;
    void SetUp() override {
        std::string path = std::string(TAVRIN_BIN_DIR) + "/tavrin.exe";
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, module) << path;
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    std::string Resource(LPCWSTR type, LPCWSTR name) {
        HRSRC found = FindResourceW(module, name, type);
        if (!found) return std::string();
        HGLOBAL loaded = LoadResource(module, found);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
    }
    // Pixel sizes of the images of an icon group.
    std::vector<int> IconSizes(int id) {
        std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(id));
        std::vector<int> sizes;
        if (group.size() < 6) return sizes;
        int count = static_cast<unsigned char>(group[4]) | static_cast<unsigned char>(group[5]) << 8;
        for (int i = 0; i < count && 6 + 14 * i + 14 <= (int)group.size(); ++i) {
            int width = static_cast<unsigned char>(group[6 + 14 * i]);
            sizes.push_back(width == 0 ? 256 : width);
        }
        return sizes;
    }
};
}  // namespace

TEST_F(ProgramImage, IconsHoldEverySizeFromSixteenToTwoHundredFiftySix) {
    const std::vector<int> expected = {16, 20, 24, 32, 40, 48, 64, 256};
    EXPECT_EQ(expected, IconSizes(IDI_MAINFRAME));
    EXPECT_EQ(expected, IconSizes(IDI_TRAY));
    // The notification area's size at 100 % and 200 % scale comes out as drawn.
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectW(info.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(size, bm.bmWidth);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_F(ProgramImage, ManifestAsksForVisualStylesPerMonitorDpiAndNoElevation) {
    std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find(">PerMonitorV2, System</dpiAwareness>"));
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(std::string::npos, manifest.find(os)) << os;
}
