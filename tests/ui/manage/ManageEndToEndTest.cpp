// The real tavrin.exe: "設定(&C)" from the tray menu, then the settings
// dialog's "画像バッファ管理" and "Susieプラグイン設定", each driven from
// outside as a user would, and what the program keeps afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "../../e2e/TavrinDriver.h"
#include "../../image/TestPictures.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"
#include "res/resource.h"
#include "util/PathPieces.h"
#include "plugin/TestPluginExtension.h"

namespace {
void WriteList(const std::string& file, const char* name, const std::string& picture) {
    WallPaperEntries entries;
    entries.push_back(std::make_unique<CWallPaperData>(name, picture, kStyleCentre));
    WriteBytes(file, EncodeListFile(entries));
}

int Rows(HWND list) { return (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); }
bool Ticked(HWND list, int row) {
    UINT state = (UINT)SendMessageW(list, LVM_GETITEMSTATE, (WPARAM)row, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}
// A button press that may open a modal dialog: posted, so the driver is not
// held until that dialog closes.
void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}
void Key(HWND window, UINT key) {
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
}

HWND WaitDialog(TavrinDriver& tavrin, const wchar_t* caption) {
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = tavrin.FindOwnWindow(L"#32770", caption)) != nullptr; })) return nullptr;
    if (!WaitFor([&] { return IsWindowVisible(dialog) != FALSE; })) return nullptr;
    return dialog;
}

// Opens "設定(&C)": from the top, the one entry, 次の壁紙, 自動切替, リスト表示, 追加, 設定.
HWND OpenSettings(TavrinDriver& tavrin) {
    if (!tavrin.OpenMenu()) return nullptr;
    tavrin.Down(6);
    tavrin.Enter();
    return WaitDialog(tavrin, L"設定とか");
}

std::string TestPluginDir() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    PathParts parts = SplitPath(ToCp932(std::wstring(exe, n)));
    return parts.drive + parts.directory + "spi\\";
}
}  // namespace

TEST(ManageEndToEnd, CacheDialogFromTheSettingsDialogUnloadsTheTickedPicturesAndReloads) {
    TempDir dir;
    TavrinDriver tavrin;
    const std::string red = dir.File("red.bmp");
    WriteTestBitmap(red, 16, 16, SolidRed);
    WriteList(dir.File("List.tvl"), "赤", red);
    tavrin.SetString("ConfPath", dir.File("List.tvl"));
    tavrin.SetString("SelectedWallPaper", red);  // cached at start-up
    tavrin.SetString("DeskCalPath", "");
    tavrin.SetInt("EnableSelectPreview", 0);
    ASSERT_TRUE(tavrin.Start());

    HWND settings = OpenSettings(tavrin);
    ASSERT_NE(nullptr, settings);
    Press(settings, IDC_SET_CACHE_MANAGER);
    HWND cache = WaitDialog(tavrin, L"画像キャッシュ管理");
    ASSERT_NE(nullptr, cache);
    HWND list = GetDlgItem(cache, IDC_CACHE_LIST);
    ASSERT_EQ(1, Rows(list));

    // Reload, answered Yes: the question, then the information box.
    Press(cache, IDC_CACHE_RELOAD);
    std::string text;
    ASSERT_TRUE(tavrin.WaitMessageBox(&text));
    EXPECT_EQ("画像バッファをリロードします。よろしいですか？", text);
    PostMessageW(tavrin.FindOwnWindow(L"#32770", L"Tavrin"), WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitFor([&] {
        return tavrin.WaitMessageBox(&text, 200) && text == "画像バッファをリロードしました。";
    }));
    tavrin.AnswerMessageBox();

    SendMessageW(GetDlgItem(cache, IDC_CACHE_CHECK_ALL), BM_CLICK, 0, 0);
    EXPECT_TRUE(Ticked(list, 0));
    Press(cache, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(cache); }));

    // Opened again from the same settings dialog: the picture is gone.
    Press(settings, IDC_SET_CACHE_MANAGER);
    cache = WaitDialog(tavrin, L"画像キャッシュ管理");
    ASSERT_NE(nullptr, cache);
    EXPECT_EQ(0, Rows(GetDlgItem(cache, IDC_CACHE_LIST)));
    Press(cache, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(cache); }));
    Press(settings, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(settings); }));
    EXPECT_TRUE(tavrin.Stop());
}

TEST(ManageEndToEnd, PluginDialogsFromTheSettingsDialogStoreTheChoiceAndShowTheStatus) {
    TempDir dir;
    TavrinDriver tavrin;
    const std::string spi = dir.path() + "spi\\";
    ASSERT_TRUE(CreateDirectoryW(W(spi).c_str(), nullptr));
    for (const char* name : {"mg_verfall" SPI_EXT, "mg_plain" SPI_EXT, "mg_arc" SPI_EXT, "mg_arc2" SPI_EXT})
        ASSERT_TRUE(CopyFileW(W(TestPluginDir() + name).c_str(), W(spi + name).c_str(), FALSE)) << name;
    const std::string red = dir.File("red.bmp");
    WriteTestBitmap(red, 16, 16, SolidRed);
    WriteList(dir.File("List.tvl"), "赤", red);
    tavrin.SetString("ConfPath", dir.File("List.tvl"));
    tavrin.SetString("DeskCalPath", "");
    tavrin.SetInt("EnableSelectPreview", 0);
    tavrin.SetInt("EnableSPI", 1);
    tavrin.SetString("SPIPath", spi);
    tavrin.SetString("DisableSPIs", "");
    ASSERT_TRUE(tavrin.Start());

    HWND settings = OpenSettings(tavrin);
    ASSERT_NE(nullptr, settings);
    Press(settings, IDC_SET_SPI_SETTINGS);
    HWND plugins = WaitDialog(tavrin, L"Susie-plugin設定");
    ASSERT_NE(nullptr, plugins);
    HWND list = GetDlgItem(plugins, IDC_SPI_LIST);
    ASSERT_EQ(4, Rows(list));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(plugins, IDC_SPI_ABOUT)));

    // Home selects the top row (an archive plug-in: archives sort first);
    // the space bar clears its check box.
    Key(list, VK_HOME);
    Key(list, VK_SPACE);
    EXPECT_FALSE(Ticked(list, 0));
    EXPECT_TRUE(Ticked(list, 1));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(plugins, IDC_SPI_ABOUT)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(plugins, IDC_SPI_CONFIG)));  // archives have no ConfigurationDlg

    Press(plugins, IDC_SPI_ABOUT);
    HWND status = WaitDialog(tavrin, L"Susie-plugin status");
    ASSERT_NE(nullptr, status);
    std::string report = ControlText(GetDlgItem(status, IDC_SPI_REPORT));
    EXPECT_EQ(0u, report.find(" [Plugin Data]\r\n Plugin Name : " + spi + "mg_arc")) << report;
    EXPECT_NE(std::string::npos, report.find(" Plugin Type : 00AN\r\n"));
    EXPECT_EQ("\r\n ", report.substr(report.size() - 3));
    Press(status, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(status); }));

    Press(plugins, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(plugins); }));
    tavrin.Settle();
    // Stored at once, before the settings dialog ends.
    std::string stored = tavrin.GetString("DisableSPIs");
    EXPECT_TRUE(stored == "mg_arc" SPI_EXT || stored == "mg_arc2" SPI_EXT) << stored;
    EXPECT_EQ(report.find("mg_arc2" SPI_EXT) != std::string::npos ? "mg_arc2" SPI_EXT : "mg_arc" SPI_EXT, stored);

    Press(settings, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(settings); }));
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(stored, tavrin.GetString("DisableSPIs"));
}
