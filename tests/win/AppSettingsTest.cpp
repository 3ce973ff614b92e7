#include <gtest/gtest.h>

#include <shlwapi.h>

#include "TestSupport.h"
#include "settings/AppSettings.h"
#include "settings/DeskCal.h"
#include "framework/TextBridge.h"
#include "util/RegistryKey.h"

namespace {
const char* const kSettings = "Settings";

// DeskCal's key is shared per user; each test sets it as it needs and removes it.
class DeskCalKey {
public:
    DeskCalKey() : m_key(L"Software\\Shinonon") {}
    void Set(const std::string& exe) {
        RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, "Software\\Shinonon\\Deskcal"));
        key.SetString("ExeFileName", exe);
    }
private:
    TempRegistryKey m_key;
};
}  // namespace

TEST(AppSettings, FirstStartDefaults) {
    DeskCalKey deskcal;
    MemoryProfile profile;
    AppSettings s(profile);
    std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ('\\', dir.back());
    EXPECT_EQ(dir, s.programDirectory);
    EXPECT_EQ(dir + "List.tvl", s.listFilePath);
    EXPECT_EQ("", s.selectedWallPaper);
    EXPECT_EQ("", s.spiPath);
    EXPECT_EQ(0, s.viewStyle);
    EXPECT_TRUE(s.enableSelectPreview);
    EXPECT_FALSE(s.enableSSTP || s.enableHalfTone || s.preloadPreviewPics || s.enableSPI || s.reuseCacheFile ||
                 s.changingEffect);
    EXPECT_EQ(0, s.ports[0]);
    EXPECT_EQ(0, s.ports[1]);
}

TEST(AppSettings, SaveWritesEveryValueInOrderWithItsType) {
    MemoryProfile profile;
    {
        AppSettings s(profile);
        s.reuseCacheFile = true;
        s.viewStyle = -7;
        s.changingEffect = true;
        profile.values.clear();
        profile.writeOrder.clear();
        ASSERT_TRUE(s.Save());
    }
    const std::vector<std::string> order = {
        "ConfPath", "DeskCalPath", "SelectedWallPaper", "SPIPath", "EnableSPI", "EnableSSTP", "Ports",
        "EnableHalfTone", "EnableSelectPreview", "PreloadPreviewPics", "ViewStyle", "ChangingEffect"};
    EXPECT_EQ(order, profile.writeOrder);
    using K = MemoryProfile::Kind;
    for (const char* name : {"ConfPath", "DeskCalPath", "SelectedWallPaper", "SPIPath"})
        EXPECT_EQ(K::String, profile.Find(kSettings, name)->kind) << name;
    for (const char* name : {"EnableSPI", "EnableSSTP", "EnableHalfTone", "EnableSelectPreview",
                             "PreloadPreviewPics", "ViewStyle", "ChangingEffect"})
        EXPECT_EQ(K::Int, profile.Find(kSettings, name)->kind) << name;
    const MemoryProfile::Value* ports = profile.Find(kSettings, "Ports");
    EXPECT_EQ(K::Binary, ports->kind);
    EXPECT_EQ((std::vector<uint8_t>{0, 0}), ports->bytes);
    EXPECT_EQ(-7, profile.Find(kSettings, "ViewStyle")->number);
    EXPECT_EQ(1, profile.Find(kSettings, "ChangingEffect")->number);
    EXPECT_EQ(1, profile.Find(kSettings, "EnableSelectPreview")->number);
    EXPECT_EQ(nullptr, profile.Find(kSettings, "reuseCacheFile"));
}

TEST(AppSettings, StoredValuesWinAndFlagsAreAnyNonZero) {
    MemoryProfile profile;
    profile.WriteString(kSettings, "ConfPath", "D:\\lists\\my.tvl");
    profile.WriteInt(kSettings, "EnableSPI", 5);
    profile.WriteInt(kSettings, "EnableSelectPreview", 0);
    profile.WriteInt(kSettings, "ViewStyle", 2);
    profile.WriteBinary(kSettings, "Ports", {1, 1});
    AppSettings s(profile);
    EXPECT_EQ("D:\\lists\\my.tvl", s.listFilePath);
    EXPECT_TRUE(s.enableSPI);
    EXPECT_FALSE(s.enableSelectPreview);
    EXPECT_EQ(2, s.viewStyle);
    EXPECT_EQ(1, s.ports[0]);
    EXPECT_EQ(1, s.ports[1]);
    s.Save();
    EXPECT_EQ(1, profile.Find(kSettings, "EnableSPI")->number);  // stored as 0 or 1
}

TEST(AppSettings, PortsOfOtherSizesOrTypes) {
    struct Case { std::vector<uint8_t> stored; uint8_t p0, p1; };
    for (const Case& c : {Case{{}, 0, 0}, Case{{1}, 1, 0}, Case{{0, 1, 1, 1, 1}, 0, 1}}) {
        MemoryProfile profile;
        profile.WriteBinary(kSettings, "Ports", c.stored);
        AppSettings s(profile);
        EXPECT_EQ(c.p0, s.ports[0]);
        EXPECT_EQ(c.p1, s.ports[1]);
    }
    MemoryProfile profile;
    profile.WriteInt(kSettings, "Ports", 0x0101);
    AppSettings s(profile);
    EXPECT_EQ(0, s.ports[0]);
    EXPECT_EQ(0, s.ports[1]);
}

TEST(AppSettings, DeskCalLookupGivesTheDefaultCommand) {
    DeskCalKey deskcal;
    deskcal.Set("C:\\Program Files\\DeskCal\\deskcal.exe");
    EXPECT_EQ("C:\\Program Files\\DeskCal\\deskcal.exe", LookUpDeskCal());
    {
        MemoryProfile profile;
        AppSettings s(profile);
        EXPECT_EQ("C:\\Program Files\\DeskCal\\deskcal.exe", s.postChangeCommand);
    }
    {
        // A stored command, even an empty one, wins over the lookup.
        MemoryProfile profile;
        profile.WriteString(kSettings, "DeskCalPath", "");
        AppSettings s(profile);
        EXPECT_EQ("", s.postChangeCommand);
    }
}

TEST(AppSettings, DeskCalLookupKeepsTheLastValueFound) {
    DeskCalKey deskcal;
    deskcal.Set("C:\\cal\\first.exe");
    EXPECT_EQ("C:\\cal\\first.exe", LookUpDeskCal());
    // The value goes away: the lookup creates the key again and keeps what it had.
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Shinonon\\Deskcal");
    EXPECT_EQ("C:\\cal\\first.exe", LookUpDeskCal());
    HKEY h;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Shinonon\\Deskcal", 0, KEY_READ, &h));
    RegCloseKey(h);
    // A value too long for the 200-byte buffer is not taken.
    deskcal.Set(std::string(250, 'x'));
    EXPECT_EQ("C:\\cal\\first.exe", LookUpDeskCal());
}

TEST(AppSettings, RegistryRoundTripKeepsJapaneseAndTypes) {
    TempRegistryKey temp;
    RegistryProfile profile(HKEY_CURRENT_USER, temp.path());
    {
        AppSettings s(profile);
        s.selectedWallPaper = "C:\\\x95\xc7\x8e\x86\\\x95\x5c.bmp";
        s.ports[1] = 1;
        s.enableHalfTone = true;
    }  // destruction saves
    std::wstring section = temp.path() + L"\\Settings";
    BYTE ports[8];
    DWORD size = sizeof(ports), type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, section.c_str(), L"Ports", RRF_RT_ANY, &type, ports,
                                          &size));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(2u, size);
    DWORD flag = 0;
    size = sizeof(flag);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, section.c_str(), L"EnableHalfTone", RRF_RT_ANY, &type,
                                          &flag, &size));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(1u, flag);

    AppSettings again(profile);
    EXPECT_EQ("C:\\\x95\xc7\x8e\x86\\\x95\x5c.bmp", again.selectedWallPaper);
    EXPECT_EQ(1, again.ports[1]);
    EXPECT_TRUE(again.enableHalfTone);
    EXPECT_FALSE(again.reuseCacheFile);
}
