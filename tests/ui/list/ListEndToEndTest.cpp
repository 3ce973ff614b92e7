// The real tavrin.exe: "リスト表示(&L)" and "追加(&A)" from its tray menu, used
// from another process as a user would, and the list file read back while
// the program still runs.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "e2e/TavrinFixture.h"
#include "e2e/TavrinDriver.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "image/TestPictures.h"
#include "list/ListFileCodec.h"
#include "res/resource.h"
#include "util/Cp932Convert.h"

namespace {
struct Saved { std::string name, path; bool inUse; };

std::vector<Saved> ReadSavedList(const std::string& file) {
    std::string bytes = ReadBytes(file);
    WallPaperEntries entries;
    std::vector<Saved> saved;
    if (DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &entries) != ListDecodeResult::Ok)
        return {{"<unreadable>", "", false}};
    for (const auto& e : entries) saved.push_back({e->m_strName, e->m_strPath, e->m_bInUse});
    return saved;
}

struct ListEndToEnd : TavrinFixtureNoPreview {
    void WriteList(const std::vector<Saved>& rows) {
        WallPaperEntries entries;
        for (const Saved& r : rows) {
            WriteTestBitmap(r.path, 8, 6, SolidRed);
            auto e = std::make_unique<CWallPaperData>(r.name, r.path, kStyleCentre);
            e->m_bInUse = r.inUse;
            entries.push_back(std::move(e));
        }
        WriteBytes(list, EncodeListFile(entries));
    }
    HWND WaitWindow(const char* caption) {
        HWND found = nullptr;
        WaitFor([&] { return (found = tavrin.FindOwnWindow(L"#32770", ToWide(caption).c_str())) != nullptr; }, 10000);
        return found;
    }
    void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Key(HWND window, WPARAM key) {
        PostMessageW(window, WM_KEYDOWN, key, 0);
        PostMessageW(window, WM_KEYUP, key, 0xC0000000);
    }
};
}  // namespace

TEST_F(ListEndToEnd, TheListDialogReordersAndTicksAndTheListIsSavedAtOnce) {
    WriteList({{"A", dir.File("a.bmp"), true}, {"B", dir.File("b.bmp"), false}, {"C", dir.File("c.bmp"), true}});
    ASSERT_TRUE(tavrin.Start());
    // Two wallpapers in use, "次の壁紙(&N)", "自動切替(&T)", then "リスト表示(&L)".
    ASSERT_TRUE(tavrin.ChooseItem(5));
    HWND dialog = WaitWindow("壁紙リスト");
    ASSERT_NE(nullptr, dialog) << "the list dialog did not open";
    HWND rows = GetDlgItem(dialog, IDC_LIST_ROWS);
    EXPECT_EQ(3, (int)SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    // A right click on the icon meanwhile opens no menu.
    PostMessageW(tavrin.tray(), 0x800C, 100, WM_RBUTTONUP);
    Sleep(300);
    EXPECT_EQ(nullptr, FindWindowW(L"#32768", nullptr));

    // The first row (C): clear its tick, move it down below B.
    Key(rows, VK_HOME);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(rows, LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 0; }));
    Key(rows, VK_SPACE);
    ASSERT_TRUE(WaitFor([&] {
        return (SendMessageW(rows, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
               INDEXTOSTATEIMAGEMASK(1);
    }));
    Press(dialog, IDC_LIST_MOVE_DOWN);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(rows, LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 1; }));
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    tavrin.Settle();

    // Rows B, C, A: the last row is the front of the list.
    std::vector<Saved> saved = ReadSavedList(list);
    ASSERT_EQ(3u, saved.size());
    EXPECT_EQ("A", saved[0].name);
    EXPECT_EQ("C", saved[1].name);
    EXPECT_EQ("B", saved[2].name);
    EXPECT_TRUE(saved[0].inUse);
    EXPECT_FALSE(saved[1].inUse);
    EXPECT_FALSE(saved[2].inUse);
    std::string text;
    EXPECT_FALSE(tavrin.WaitMessageBox(&text, 300)) << text;
    EXPECT_TRUE(tavrin.Stop());
}

TEST_F(ListEndToEnd, TheAddCommandLimitsTypingAndPutsTheEntryFirst) {
    WriteList({{"A", dir.File("a.bmp"), true}});
    ASSERT_TRUE(tavrin.Start());
    // One wallpaper, "次の壁紙(&N)", "自動切替(&T)", "リスト表示(&L)", then "追加(&A)".
    ASSERT_TRUE(tavrin.ChooseItem(5));
    HWND dialog = WaitWindow("新規追加");
    ASSERT_NE(nullptr, dialog) << "the entry dialog did not open";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_ENTRY_DELETE)));
    HWND name = GetDlgItem(dialog, IDC_ENTRY_NAME);
    for (int i = 0; i < 70; ++i) PostMessageW(name, WM_CHAR, 0x58D1 /* 壁 */, 1);
    ASSERT_TRUE(WaitFor([&] { return ToWide(ControlText(name)).size() >= 64; }));
    tavrin.Settle();
    EXPECT_EQ(128u, ControlText(name).size()) << "64 double-byte characters, 128 bytes";
    std::string picture = dir.File("new.bmp");
    SendMessageW(GetDlgItem(dialog, IDC_ENTRY_PATH), WM_SETTEXT, 0, (LPARAM)ToWide(picture).c_str());
    SendMessageW(name, WM_SETTEXT, 0, (LPARAM)L"\u65b0\u3057\u3044");  // 新しい
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    tavrin.Settle();

    std::vector<Saved> saved = ReadSavedList(list);
    ASSERT_EQ(2u, saved.size());
    EXPECT_EQ("新しい", saved[0].name);
    EXPECT_EQ(picture, saved[0].path);
    EXPECT_TRUE(saved[0].inUse);
    EXPECT_EQ("A", saved[1].name);
    EXPECT_TRUE(tavrin.Stop());
}
