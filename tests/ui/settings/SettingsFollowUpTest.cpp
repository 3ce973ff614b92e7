// "設定(&C)" from the tray window: the dialog, then what the tray window
// does afterwards, OK or cancel, including the switch of the list file.
#include <gtest/gtest.h>

#include "ModalScript.h"
#include "TestSupport.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "list/ListFileCodec.h"
#include "plugin/CSPIControl.h"
#include "util/Cp932Convert.h"
#include "res/resource.h"
#include "ui/SettingsDialog.h"
#include "ui/SettingsFollowUp.h"
#include "plugin/TestPluginExtension.h"

namespace {
std::string ListBytes(std::initializer_list<std::pair<const char*, const char*>> rows) {
    WallPaperEntries entries;
    for (auto& r : rows) entries.push_back(std::make_unique<CWallPaperData>(r.first, r.second, kStyleTile));
    return EncodeListFile(entries);
}

std::vector<std::string> Names(WallPaperList& list) {
    std::vector<std::string> names;
    for (auto& e : list.entries()) names.push_back(e->m_strName);
    return names;
}

struct SettingsCommandTest : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<TrayWindow> tray;
    std::string oldList, newList;

    void SetUp() override {
        SettingsDialog::s_system = SettingsDialog::kRealSystem;
        oldList = dir.File("List.tvl");
        newList = dir.File("新しい.tvl");
        WriteBytes(oldList, ListBytes({{"old", "C:\\old.bmp"}}));
        profile.WriteString("Settings", "ConfPath", oldList);
        profile.WriteString("Settings", "DeskCalPath", "");
        tray = std::make_unique<TrayWindow>(profile);
        ASSERT_TRUE(tray->Create());
        ASSERT_EQ(1u, tray->context()->list().size());
    }
    void TearDown() override {
        tray->context()->list().SetPath("");
        DestroyWindow(tray->hwnd());
    }
    WallPaperList& List() { return tray->context()->list(); }
    AppSettings& Settings() { return tray->context()->settings(); }
    // "設定(&C)" with `script` acting in the dialog.
    void Command(std::function<void(HWND)> script) {
        ModalScript modal;
        modal.Then("設定とか", std::move(script));
        SendMessageW(tray->hwnd(), WM_COMMAND, ID_SETTINGS, 0);
        EXPECT_EQ(1, modal.ran());
        EXPECT_FALSE(tray->busy());
    }
    void ChangeListPath(const std::string& path) {
        Command([&](HWND d) {
            SetItemText(d, IDC_SET_LIST_PATH, path);
            Click(d, IDOK);
        });
    }
};
}  // namespace

TEST_F(SettingsCommandTest, CancelStillSavesTheSettings) {
    Settings().enableHalfTone = true;  // changed elsewhere, not yet saved
    Command([&](HWND d) {
        EXPECT_TRUE(tray->busy()) << "a right click does nothing while the dialog is open";
        EXPECT_EQ(nullptr, GetWindow(d, GW_OWNER)) << "the dialog has no owner";
        Click(d, IDC_SET_ENABLE_SPI);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(1, profile.GetInt("Settings", "EnableHalfTone", 0));
    EXPECT_EQ(0, profile.GetInt("Settings", "EnableSPI", 9)) << "cancel wrote nothing";
    const MemoryProfile::Value* ports = profile.Find("Settings", "Ports");
    ASSERT_NE(nullptr, ports);
    EXPECT_EQ(2u, ports->bytes.size());
    EXPECT_EQ(oldList, List().path());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsCommandTest, OkMakesTheChangesPermanentAtOnce) {
    Command([&](HWND d) {
        Click(d, IDC_SET_FOLD_BUTTON);
        Click(d, IDC_SET_HALFTONE);
        Click(d, IDC_SET_EFFECT);
        SetItemText(d, IDC_SET_COMMAND, "C:\\cal.exe /x");
        HWND ports = GetDlgItem(d, IDC_SET_PORT_LIST);
        SendMessageW(ports, LB_SETCURSEL, 1, 0);
        SendMessageW(ports, WM_KEYDOWN, VK_SPACE, 0);
        Click(d, IDOK);
    });
    EXPECT_EQ(1, profile.GetInt("Settings", "EnableHalfTone", 0));
    EXPECT_EQ(1, profile.GetInt("Settings", "ChangingEffect", 0));
    EXPECT_EQ("C:\\cal.exe /x", profile.GetString("Settings", "DeskCalPath", ""));
    EXPECT_EQ((std::vector<uint8_t>{0, 1}), profile.Find("Settings", "Ports")->bytes);
    EXPECT_EQ(1u, List().size()) << "the list was not reloaded";
}

TEST_F(SettingsCommandTest, ANewListPathSavesTheOldListThenLoadsTheNewFile) {
    WriteBytes(newList, ListBytes({{"n1", "C:\\n1.bmp"}, {"n2", "C:\\n2.bmp"}}));
    List().Append(std::make_unique<CWallPaperData>("added", "C:\\added.bmp", kStyleCentre));
    ChangeListPath(newList);
    EXPECT_EQ(newList, List().path());
    EXPECT_EQ((std::vector<std::string>{"n1", "n2"}), Names(List()));
    WallPaperEntries saved;
    std::string bytes = ReadBytes(oldList);
    ASSERT_EQ(ListDecodeResult::Ok, DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &saved));
    ASSERT_EQ(2u, saved.size());
    EXPECT_EQ("added", saved[1]->m_strName) << "the old list reached its file before the switch";
    EXPECT_EQ(newList, profile.GetString("Settings", "ConfPath", ""));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsCommandTest, ADamagedNewFileIsReportedAndBackedUpAsAtStartUp) {
    const std::string damaged("\x02\x00\xff\xff\x02\x00\x03\x00" "Bad", 11);
    WriteBytes(newList, damaged);
    ChangeListPath(newList);
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("リストファイル[" + newList + "]は壊れています。\nフォーマット異常のため読み込みデータを初期化しました。",
              messages.shown[0].text);
    EXPECT_TRUE(List().entries().empty());
    EXPECT_EQ(damaged, ReadBytes(newList + ".bak"));
    EXPECT_EQ(damaged, ReadBytes(newList)) << "nothing was written over it on loading";
}

TEST_F(SettingsCommandTest, WhenTheOldListCannotBeSavedItStaysInUse) {
    // The old list's folder is gone, so its file cannot be written.
    std::string folder = dir.File("gone");
    CreateDirectoryW(W(folder).c_str(), nullptr);
    std::string inside = folder + "\\List.tvl";
    List().SetPath(inside);
    Settings().listFilePath = inside;
    DeleteFileW(W(inside).c_str());
    RemoveDirectoryW(W(folder).c_str());
    WriteBytes(newList, ListBytes({{"n1", "C:\\n1.bmp"}}));

    ChangeListPath(newList);
    EXPECT_EQ(inside, List().path());
    EXPECT_EQ((std::vector<std::string>{"old"}), Names(List()));
    EXPECT_EQ(inside, Settings().listFilePath);
    EXPECT_EQ(inside, profile.GetString("Settings", "ConfPath", ""));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("リストファイル[" + inside + "]の保存に失敗しました。", messages.shown[0].text);
    EXPECT_EQ("リストファイル[" + inside + "]に現在のリストを保存できなかったため、リストファイルを切り替えませんでした。",
              messages.shown[1].text);
}

TEST_F(SettingsCommandTest, ANewPathThatCannotBeOpenedLeavesTheOldListInUse) {
    std::string unreachable = dir.File("no such folder") + "\\List.tvl";
    ChangeListPath(unreachable);
    EXPECT_EQ(oldList, List().path());
    EXPECT_EQ((std::vector<std::string>{"old"}), Names(List()));
    EXPECT_EQ(oldList, profile.GetString("Settings", "ConfPath", ""));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("リストファイル[" + unreachable + "]を開けなかったため、元のリストファイルを使い続けます。",
              messages.shown[0].text);
}

TEST_F(SettingsCommandTest, PluginsSwitchedOnInTheDialogAreLoadedFromTheChosenFolder) {
    std::string spi = dir.File("spi");
    CreateDirectoryW(W(spi).c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(W(std::string(TAVRIN_TEST_BIN_DIR) + "/spi/mg_plain" SPI_EXT).c_str(),
                          W(spi + "\\mg_plain" SPI_EXT).c_str(), FALSE));
    CSPIControl& host = tray->context()->cache().pluginHost();
    ASSERT_EQ(0, host.GetPluginCount());
    Command([&](HWND d) {
        Click(d, IDC_SET_ENABLE_SPI);
        SetItemText(d, IDC_SET_SPI_PATH, spi);
        Click(d, IDOK);
    });
    EXPECT_EQ(1, host.GetPluginCount());
    EXPECT_EQ(spi, profile.GetString("Settings", "SPIPath", ""));
}
