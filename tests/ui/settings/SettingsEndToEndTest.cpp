// The real tavrin.exe: "設定(&C)" from the tray menu, the dialog driven
// from outside as a user would, and what the program does afterwards.
#include <gtest/gtest.h>

#include "../../e2e/TavrinDriver.h"
#include "../../image/TestPictures.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"
#include "res/resource.h"
#include "util/Cp932Convert.h"

namespace {
void WriteList(const std::string& file, const char* name, const std::string& picture) {
    WallPaperEntries entries;
    entries.push_back(std::make_unique<CWallPaperData>(name, picture, kStyleCentre));
    WriteBytes(file, EncodeListFile(entries));
}
bool OpenSettings(TavrinDriver& tavrin) {
    if (!tavrin.OpenMenu()) return false;
    PostMessageW(tavrin.menuWindow(), WM_CHAR, L'c', 0);
    return tavrin.WaitMenuClosed();
}
size_t EntriesIn(const std::string& file) {
    WallPaperEntries entries;
    std::string bytes = ReadBytes(file);
    DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &entries);
    return entries.size();
}
}  // namespace

TEST(SettingsEndToEnd, TheTrayCommandOpensTheDialogAndOkSwitchesListAndSettings) {
    TempDir dir;
    TavrinDriver tavrin;
    const std::string oldList = dir.File("List.tvl"), newList = dir.File("second.tvl");
    const std::string red = dir.File("red.bmp"), grad = dir.File("grad.bmp");
    WriteTestBitmap(red, 16, 16, SolidRed);
    WriteTestBitmap(grad, 16, 16, Gradient);
    WriteList(oldList, "赤", red);
    WriteList(newList, "グラデーション", grad);
    tavrin.SetString("ConfPath", oldList);
    tavrin.SetString("DeskCalPath", "");
    tavrin.SetInt("EnableSelectPreview", 0);
    ASSERT_TRUE(tavrin.Start());

    // "設定(&C)" by its mnemonic, as a user would type it.
    ASSERT_TRUE(OpenSettings(tavrin));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = tavrin.FindOwnWindow(L"#32770", L"設定とか")) != nullptr; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(dialog) != FALSE; }));
    HWND fold = GetDlgItem(dialog, IDC_SET_FOLD_BUTTON);
    EXPECT_EQ(" 拡張(&E) >>", ControlText(fold));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_ENABLE_SSTP)));
    EXPECT_EQ(oldList, ControlText(GetDlgItem(dialog, IDC_SET_LIST_PATH)));
    SendMessageW(fold, BM_CLICK, 0, 0);
    EXPECT_EQ("<< 縮小(&S)", ControlText(fold));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET_ENABLE_SSTP)));
    SendMessageW(GetDlgItem(dialog, IDC_SET_ENABLE_SSTP), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(dialog, IDC_SET_EFFECT), BM_CLICK, 0, 0);
    std::wstring path = W(newList);
    SendMessageW(GetDlgItem(dialog, IDC_SET_LIST_PATH), WM_SETTEXT, 0, (LPARAM)path.c_str());
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    tavrin.Settle();

    EXPECT_EQ(newList, tavrin.GetString("ConfPath"));
    EXPECT_EQ(1u, tavrin.GetInt("EnableSSTP", 9));
    EXPECT_EQ(1u, tavrin.GetInt("ChangingEffect", 9));
    EXPECT_EQ(1u, EntriesIn(oldList)) << "the old list stays in its file";
    // The menu now lists the new file's entry.
    ASSERT_TRUE(tavrin.ChooseItem(1));
    EXPECT_EQ(grad, DesktopWallpaper());

    // Opened again: folded again, and Esc leaves everything as it is.
    ASSERT_TRUE(OpenSettings(tavrin));
    ASSERT_TRUE(WaitFor([&] { return (dialog = tavrin.FindOwnWindow(L"#32770", L"設定とか")) != nullptr; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(dialog) != FALSE; }));
    EXPECT_EQ(" 拡張(&E) >>", ControlText(GetDlgItem(dialog, IDC_SET_FOLD_BUTTON)));
    EXPECT_EQ(newList, ControlText(GetDlgItem(dialog, IDC_SET_LIST_PATH)));
    SendMessageW(GetDlgItem(dialog, IDC_SET_ENABLE_SPI), BM_CLICK, 0, 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    tavrin.Settle();
    EXPECT_EQ(0u, tavrin.GetInt("EnableSPI", 9));
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(1u, EntriesIn(newList));
}
