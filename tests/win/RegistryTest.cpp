#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "util/RegistryKey.h"

namespace {
void SetRaw(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &h, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(h);
}
}  // namespace

TEST(RegistryKey, OpenCreatesAVolatileKeyAndStringsRoundTrip) {
    TempRegistryKey temp;
    RegistryKey key;
    std::string sub = ToCp932(temp.path()) + "\\\x95\xc7";  // a Japanese key name (壁)
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, sub));
    EXPECT_EQ(sub, key.subKey());
    ASSERT_EQ(ERROR_SUCCESS, key.SetString("v", "\x95\xc7\x8e\x86 Tavrin 2.0\x83\xc0"));

    // Stored as UTF-16 with its terminator.
    DWORD type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.handle(), L"v", nullptr, &type, nullptr, &size));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ((wcslen(L"\u58c1\u7d19 Tavrin 2.0\u03b2") + 1) * 2, size);

    std::string back = "unchanged";
    ASSERT_EQ(ERROR_SUCCESS, key.QueryString("v", &back));
    EXPECT_EQ("\x95\xc7\x8e\x86 Tavrin 2.0\x83\xc0", back);
    key.Close();
    EXPECT_FALSE(key.IsOpen());
}

TEST(RegistryKey, QueryStringFitsTwoHundredBytes) {
    TempRegistryKey temp;
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, ToCp932(temp.path())));
    std::string out;
    key.SetString("fits", std::string(199, 'a'));
    EXPECT_EQ(ERROR_SUCCESS, key.QueryString("fits", &out));
    EXPECT_EQ(199u, out.size());

    out = "unchanged";
    key.SetString("long", std::string(200, 'a'));
    EXPECT_NE(ERROR_SUCCESS, key.QueryString("long", &out));
    EXPECT_EQ("unchanged", out);

    // 100 double-byte characters are 200 program bytes: too long as well.
    std::string wide;
    for (int i = 0; i < 100; ++i) wide += "\x95\xc7";
    key.SetString("dbcs", wide);
    EXPECT_NE(ERROR_SUCCESS, key.QueryString("dbcs", &out));
    EXPECT_EQ("unchanged", out);

    DWORD number = 5;
    RegSetValueExW(key.handle(), L"number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
    EXPECT_NE(ERROR_SUCCESS, key.QueryString("number", &out));
    EXPECT_NE(ERROR_SUCCESS, key.QueryString("absent", &out));
    EXPECT_EQ("unchanged", out);
}

TEST(RegistryProfile, ValuesOfTheWrongKindReadAsAbsent) {
    TempRegistryKey temp;
    RegistryProfile profile(HKEY_CURRENT_USER, temp.path());
    std::wstring section = temp.path() + L"\\Settings";
    SetRaw(section, L"StringForNumber", REG_SZ, L"12", 6);
    BYTE three[3] = {1, 2, 3};
    SetRaw(section, L"ShortNumber", REG_DWORD, three, 2);
    DWORD seven = 7;
    SetRaw(section, L"NumberForString", REG_DWORD, &seven, 4);
    SetRaw(section, L"NumberForBinary", REG_DWORD, &seven, 4);
    SetRaw(section, L"Unterminated", REG_SZ, L"abcd", 4);  // "ab" without terminator
    std::wstring huge(RegistryProfile::kMaxStringChars + 1, L'x');
    SetRaw(section, L"Huge", REG_SZ, huge.c_str(), (DWORD)((huge.size() + 1) * 2));

    EXPECT_EQ(42, profile.GetInt("Settings", "StringForNumber", 42));
    EXPECT_EQ(42, profile.GetInt("Settings", "ShortNumber", 42));
    EXPECT_EQ("def", profile.GetString("Settings", "NumberForString", "def"));
    std::vector<uint8_t> bytes{9};
    EXPECT_FALSE(profile.ReadBinary("Settings", "NumberForBinary", &bytes));
    EXPECT_EQ(std::vector<uint8_t>{9}, bytes);
    EXPECT_EQ("ab", profile.GetString("Settings", "Unterminated", "def"));
    EXPECT_EQ("def", profile.GetString("Settings", "Huge", "def"));
    EXPECT_EQ("def", profile.GetString("Nowhere", "x", "def"));
}

TEST(RegistryProfile, JapaneseTextRoundTripsUnderAnyCodePage) {
    TempRegistryKey temp;
    RegistryProfile profile(HKEY_CURRENT_USER, temp.path());
    const std::string text = "C:\\\x95\xc7\x8e\x86\\\x95\x5c.bmp";  // C:\壁紙\表.bmp
    ASSERT_TRUE(profile.WriteString("Settings", "SelectedWallPaper", text));
    EXPECT_EQ(text, profile.GetString("Settings", "SelectedWallPaper", ""));

    // What the registry holds is the right Unicode text, not ANSI bytes.
    wchar_t buf[64] = {};
    DWORD size = sizeof(buf);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, (temp.path() + L"\\Settings").c_str(),
                                          L"SelectedWallPaper", RRF_RT_REG_SZ, nullptr, buf, &size));
    EXPECT_STREQ(L"C:\\\u58c1\u7d19\\\u8868.bmp", buf);
    EXPECT_EQ(1252u, GetACP()) << "the test prefix is meant to be a code page 1252 system";
}

TEST(RegistryKey, QueryStringKeepsToTheBytesTheValueHolds) {
    TempRegistryKey temp;
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, ToCp932(temp.path())));
    auto set = [&](const wchar_t* name, const void* data, DWORD size) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.handle(), name, 0, REG_SZ, static_cast<const BYTE*>(data), size));
    };
    // An odd byte count: "ab" and half of a third character, no terminator.
    // The buffer is filled to its end, so anything read past it shows here.
    for (DWORD size : {5u, 7u, 9u, 199u}) {
        std::vector<char> bytes(size, 0);
        std::string expected;
        for (DWORD i = 0; i + 1 < size; i += 2) {
            bytes[i] = static_cast<char>('a' + (i / 2) % 26);
            expected += bytes[i];
        }
        bytes[size - 1] = 'x';
        set(L"odd", bytes.data(), size);
        std::string out;
        ASSERT_EQ(ERROR_SUCCESS, key.QueryString("odd", &out)) << size;
        EXPECT_EQ(expected, out) << size;
    }
    // Whole characters without a terminator.
    set(L"unterminated", L"abcd", 8);
    std::string out;
    ASSERT_EQ(ERROR_SUCCESS, key.QueryString("unterminated", &out));
    EXPECT_EQ("abcd", out);
    // The text ends at its first zero.
    set(L"embedded", L"ab\0cd", 12);
    ASSERT_EQ(ERROR_SUCCESS, key.QueryString("embedded", &out));
    EXPECT_EQ("ab", out);
    set(L"empty", L"", 0);
    out = "unchanged";
    ASSERT_EQ(ERROR_SUCCESS, key.QueryString("empty", &out));
    EXPECT_EQ("", out);
    set(L"one", "a", 1);
    out = "unchanged";
    ASSERT_EQ(ERROR_SUCCESS, key.QueryString("one", &out));
    EXPECT_EQ("", out);
}
