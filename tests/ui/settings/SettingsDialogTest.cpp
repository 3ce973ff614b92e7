// The settings dialog in this process, opened as the program opens it and
// driven as a user would: clicks, typing, the keyboard.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "../../image/TestPictures.h"
#include "ModalScript.h"
#include "TestSupport.h"
#include "framework/CheckListBox.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "context/AppContext.h"
#include "plugin/CSPIControl.h"
#include "res/resource.h"
#include "ui/SettingsDialog.h"
#include "plugin/TestPluginExtension.h"

namespace {
const char* const kCaption = "設定とか";

// Stand-ins for the system's choosers, recording what they were asked.
struct Choosers {
    static std::string answer;  // empty: the user cancels
    static std::vector<std::string> asked;
    static bool File(HWND owner, const std::string& filter, std::string* path) {
        EXPECT_NE(nullptr, owner);
        asked.push_back(filter);
        if (answer.empty()) return false;
        *path = answer;
        return true;
    }
    static bool Folder(HWND, const std::string& title, std::string* path) {
        asked.push_back(title);
        if (answer.empty()) return false;
        *path = answer;
        return true;
    }
};
std::string Choosers::answer;
std::vector<std::string> Choosers::asked;

struct SettingsDialogTest : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<AppContext> context;

    void SetUp() override {
        SettingsDialog::s_system = SettingsDialog::kRealSystem;
        SettingsDialog::s_system.chooseFile = &Choosers::File;
        SettingsDialog::s_system.chooseFolder = &Choosers::Folder;
        Choosers::answer.clear();
        Choosers::asked.clear();
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "C:\\cal\\deskcal.exe");
        profile.WriteString("Settings", "SPIPath", "C:\\spi");
    }
    void TearDown() override {
        if (context) context->list().SetPath("");  // nothing written after the test
        context.reset();
        SettingsDialog::s_system = SettingsDialog::kRealSystem;
    }
    AppContext& Context() {
        if (!context) context = std::make_unique<AppContext>(profile);
        return *context;
    }
    // Opens the dialog as the program does and runs `script` in it.
    bool Run(std::function<void(HWND)> script, SettingsDialog* keep = nullptr) {
        ModalScript modal;
        modal.Then(kCaption, std::move(script));
        if (keep) {
            keep->DoModal(nullptr);
        } else {
            SettingsDialog dialog(Context());
            dialog.DoModal(nullptr);
        }
        return modal.ran() == 1;
    }
};

HWND PortList(HWND dialog) { return GetDlgItem(dialog, IDC_SET_PORT_LIST); }
}  // namespace

TEST_F(SettingsDialogTest, OpensFoldedAndEachPressSwitchesAlsoAfterClosingExpanded) {
    SettingsDialog::ForgetMeasurements();
    int foldedHeight = 0, fullHeight = 0;
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_EQ(SettingsDialog::kFoldedText, ItemText(d, IDC_SET_FOLD_BUTTON));
        RECT window, line;
        GetWindowRect(d, &window);
        GetWindowRect(GetDlgItem(d, IDC_SET_FOLD_LINE), &line);
        EXPECT_EQ(line.top, window.bottom) << "the folded dialog ends at the fold line";
        foldedHeight = WindowHeight(d);
        // While folded only what can be seen can be used.
        EXPECT_TRUE(Enabled(d, IDC_SET_FOLD_BUTTON));
        EXPECT_TRUE(Enabled(d, IDC_SET_LIST_PATH));
        EXPECT_TRUE(Enabled(d, IDOK));
        for (int id : {IDC_SET_ENABLE_SSTP, IDC_SET_PORT_LIST, IDC_SET_COMMAND, IDC_SET_DESKCAL_SEARCH,
                       IDC_SET_COMMAND_BROWSE, IDC_SET_REUSE_CACHE})
            EXPECT_FALSE(Enabled(d, id)) << id;

        Click(d, IDC_SET_FOLD_BUTTON);
        EXPECT_EQ(SettingsDialog::kExpandedText, ItemText(d, IDC_SET_FOLD_BUTTON));
        fullHeight = WindowHeight(d);
        EXPECT_GT(fullHeight, foldedHeight + 100);
        for (int id : {IDC_SET_ENABLE_SSTP, IDC_SET_PORT_LIST, IDC_SET_COMMAND, IDC_SET_DESKCAL_SEARCH,
                       IDC_SET_COMMAND_BROWSE, IDC_SET_REUSE_CACHE, IDC_SET_FOLD_BUTTON})
            EXPECT_TRUE(Enabled(d, id)) << id;
        RECT before, after;
        GetWindowRect(d, &before);
        Click(d, IDC_SET_FOLD_BUTTON);
        GetWindowRect(d, &after);
        EXPECT_EQ(before.top, after.top) << "folding does not move the window";
        EXPECT_EQ(before.left, after.left);
        EXPECT_EQ(foldedHeight, WindowHeight(d));
        Click(d, IDC_SET_FOLD_BUTTON);
        Click(d, IDOK);  // closed while expanded
    }));
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_EQ(SettingsDialog::kFoldedText, ItemText(d, IDC_SET_FOLD_BUTTON));
        EXPECT_EQ(foldedHeight, WindowHeight(d));
        EXPECT_FALSE(Enabled(d, IDC_SET_ENABLE_SSTP));
        Click(d, IDC_SET_FOLD_BUTTON);  // the first press expands
        EXPECT_EQ(fullHeight, WindowHeight(d));
        EXPECT_EQ(SettingsDialog::kExpandedText, ItemText(d, IDC_SET_FOLD_BUTTON));
        Click(d, IDCANCEL);
    }));
}

TEST_F(SettingsDialogTest, OptionRulesFollowTheBoxesThroughFoldingAndExpanding) {
    profile.WriteInt("Settings", "EnableSPI", 0);
    profile.WriteInt("Settings", "EnableSelectPreview", 0);
    ASSERT_TRUE(Run([&](HWND d) {
        auto pluginControls = [&] {
            return std::vector<bool>{Enabled(d, IDC_SET_SPI_PATH), Enabled(d, IDC_SET_SPI_BROWSE),
                                     Enabled(d, IDC_SET_SPI_SETTINGS)};
        };
        auto previewControls = [&] {
            return std::vector<bool>{Enabled(d, IDC_SET_PRELOAD), Enabled(d, IDC_SET_HALFTONE)};
        };
        const std::vector<bool> off3(3, false), on3(3, true), off2(2, false), on2(2, true);
        EXPECT_EQ(off3, pluginControls());
        EXPECT_EQ(off2, previewControls());
        Click(d, IDC_SET_FOLD_BUTTON);
        EXPECT_EQ(off3, pluginControls()) << "still off after expanding";
        EXPECT_EQ(off2, previewControls());
        Click(d, IDC_SET_FOLD_BUTTON);
        EXPECT_EQ(off3, pluginControls()) << "still off after folding";
        EXPECT_TRUE(Enabled(d, IDC_SET_CACHE_MANAGER)) << "not one of the plug-in controls";

        Click(d, IDC_SET_ENABLE_SPI);
        EXPECT_EQ(on3, pluginControls());
        EXPECT_EQ(off2, previewControls());
        Click(d, IDC_SET_SELECT_PREVIEW);
        EXPECT_EQ(on2, previewControls());
        // Folding and expanding use the boxes as they are now.
        Click(d, IDC_SET_FOLD_BUTTON);
        EXPECT_EQ(on3, pluginControls());
        EXPECT_EQ(on2, previewControls());
        Click(d, IDC_SET_ENABLE_SPI);
        Click(d, IDC_SET_FOLD_BUTTON);
        EXPECT_EQ(off3, pluginControls());
        EXPECT_EQ(on2, previewControls());
        Click(d, IDCANCEL);
    }));
}

TEST_F(SettingsDialogTest, PortRowsShowBytesAndOkStoresOnlyTheFirstTwo) {
    profile.WriteBinary("Settings", "Ports", {1, 0});
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    Context();
    ASSERT_TRUE(Run([&](HWND d) {
        HWND list = PortList(d);
        ASSERT_EQ(3, (int)SendMessageW(list, LB_GETCOUNT, 0, 0));
        wchar_t text[64] = {};
        SendMessageW(list, LB_GETTEXT, 0, (LPARAM)text);
        EXPECT_EQ("9801(for 伺か)", ToCp932(text));
        SendMessageW(list, LB_GETTEXT, 2, (LPARAM)text);
        EXPECT_EQ("11000(過去互換で現在は未使用)", ToCp932(text));
        EXPECT_TRUE(Checked(d, IDC_SET_HALFTONE));
        Click(d, IDC_SET_FOLD_BUTTON);
        // The user ticks row 2 with the space bar.
        SetFocus(list);
        SendMessageW(list, LB_SETCURSEL, 2, 0);
        SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
        SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
        Click(d, IDOK);
    }));
    EXPECT_EQ(1, context->settings().ports[0]);
    EXPECT_EQ(0, context->settings().ports[1]);
    EXPECT_TRUE(context->settings().enableHalfTone);

    // Row 2 starts unticked again; untick row 0, tick row 1.
    ASSERT_TRUE(Run([&](HWND d) {
        HWND list = PortList(d);
        Click(d, IDC_SET_FOLD_BUTTON);
        SetFocus(list);
        for (int row : {0, 1}) {
            SendMessageW(list, LB_SETCURSEL, row, 0);
            SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
            SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
        }
        Click(d, IDOK);
    }));
    EXPECT_EQ(0, context->settings().ports[0]);
    EXPECT_EQ(1, context->settings().ports[1]);
}

TEST_F(SettingsDialogTest, OkWritesEveryFieldAndNotesOnlyAChangedListPath) {
    AppContext& c = Context();
    SettingsDialog first(c);
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_EQ(dir.File("List.tvl"), ItemText(d, IDC_SET_LIST_PATH));
        EXPECT_EQ("C:\\cal\\deskcal.exe", ItemText(d, IDC_SET_COMMAND));
        EXPECT_EQ("C:\\spi", ItemText(d, IDC_SET_SPI_PATH));
        EXPECT_EQ("", ItemText(d, IDC_SET_UKAGAKA_STATUS));
        EXPECT_EQ("", ItemText(d, IDC_SET_SSP_STATUS));
        EXPECT_TRUE(Checked(d, IDC_SET_SELECT_PREVIEW));
        Click(d, IDC_SET_EFFECT);  // only a check box
        Click(d, IDOK);
    }, &first));
    EXPECT_FALSE(first.listPathChanged());
    EXPECT_TRUE(c.settings().changingEffect);

    SettingsDialog second(c);
    const std::string newList = dir.File("他の壁紙.tvl");
    ASSERT_TRUE(Run([&](HWND d) {
        Click(d, IDC_SET_FOLD_BUTTON);
        SetItemText(d, IDC_SET_LIST_PATH, newList);
        SetItemText(d, IDC_SET_COMMAND, "");
        Click(d, IDC_SET_ENABLE_SPI);
        SetItemText(d, IDC_SET_SPI_PATH, "D:\\プラグイン");
        Click(d, IDC_SET_ENABLE_SSTP);
        Click(d, IDC_SET_PRELOAD);
        Click(d, IDC_SET_HALFTONE);
        Click(d, IDC_SET_SELECT_PREVIEW);
        Click(d, IDC_SET_EFFECT);
        Click(d, IDOK);
    }, &second));
    EXPECT_TRUE(second.listPathChanged());
    const AppSettings& s = c.settings();
    EXPECT_EQ(newList, s.listFilePath);
    EXPECT_EQ("", s.postChangeCommand) << "nothing is validated: an empty command is stored";
    EXPECT_TRUE(s.enableSPI);
    EXPECT_EQ("D:\\プラグイン", s.spiPath);
    EXPECT_TRUE(s.enableSSTP);
    EXPECT_TRUE(s.preloadPreviewPics);
    EXPECT_TRUE(s.enableHalfTone);
    EXPECT_FALSE(s.enableSelectPreview);
    EXPECT_FALSE(s.changingEffect);
    EXPECT_EQ(dir.File("List.tvl"), c.list().path()) << "the dialog itself does not switch the list";
}

TEST_F(SettingsDialogTest, CancelWritesNothing) {
    profile.WriteBinary("Settings", "Ports", {0, 1});
    AppContext& c = Context();
    SettingsDialog dialog(c);
    ASSERT_TRUE(Run([&](HWND d) {
        Click(d, IDC_SET_FOLD_BUTTON);
        SetItemText(d, IDC_SET_LIST_PATH, dir.File("x.tvl"));
        SetItemText(d, IDC_SET_COMMAND, "notepad");
        Click(d, IDC_SET_ENABLE_SPI);
        Click(d, IDC_SET_REUSE_CACHE);
        Click(d, IDC_SET_ENABLE_SSTP);
        HWND list = PortList(d);
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
        // Esc, as a user leaves.
        SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
    }, &dialog));
    const AppSettings& s = c.settings();
    EXPECT_FALSE(dialog.listPathChanged());
    EXPECT_EQ(dir.File("List.tvl"), s.listFilePath);
    EXPECT_EQ("C:\\cal\\deskcal.exe", s.postChangeCommand);
    EXPECT_FALSE(s.enableSPI);
    EXPECT_FALSE(s.reuseCacheFile);
    EXPECT_FALSE(s.enableSSTP);
    EXPECT_EQ(0, s.ports[0]);
    EXPECT_EQ(1, s.ports[1]);
}

TEST_F(SettingsDialogTest, TurningCacheFileReuseOnEmptiesTheCacheAndTurningItOffDoesNot) {
    std::string pic = dir.File("p.bmp");
    WriteTestBitmap(pic, 8, 8, SolidRed);
    AppContext& c = Context();
    ASSERT_TRUE(c.cache().Load(pic));
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_FALSE(Checked(d, IDC_SET_REUSE_CACHE));
        Click(d, IDC_SET_FOLD_BUTTON);
        Click(d, IDC_SET_REUSE_CACHE);
        EXPECT_EQ(1u, c.cache().count()) << "nothing happens before OK";
        Click(d, IDOK);
    }));
    EXPECT_EQ(0u, c.cache().count());
    EXPECT_TRUE(c.settings().reuseCacheFile);
    EXPECT_EQ(nullptr, profile.Find("Settings", "reuseCacheFile"));

    ASSERT_TRUE(c.cache().Load(pic));
    ASSERT_TRUE(Run([&](HWND d) {  // on stays on: nothing is emptied
        EXPECT_TRUE(Checked(d, IDC_SET_REUSE_CACHE));
        Click(d, IDOK);
    }));
    EXPECT_EQ(1u, c.cache().count());
    ASSERT_TRUE(Run([&](HWND d) {
        Click(d, IDC_SET_FOLD_BUTTON);
        Click(d, IDC_SET_REUSE_CACHE);
        Click(d, IDOK);
    }));
    EXPECT_FALSE(c.settings().reuseCacheFile);
    EXPECT_EQ(1u, c.cache().count());
}

TEST_F(SettingsDialogTest, BrowseButtonsChangeOnlyTheirOwnField) {
    Context();
    ASSERT_TRUE(Run([&](HWND d) {
        Click(d, IDC_SET_FOLD_BUTTON);
        Click(d, IDC_SET_ENABLE_SPI);
        SetItemText(d, IDC_SET_COMMAND, "typed command");
        SetItemText(d, IDC_SET_SPI_PATH, "typed folder");

        Choosers::answer = "E:\\リスト\\new.tvl";
        Click(d, IDC_SET_LIST_BROWSE);
        EXPECT_EQ("E:\\リスト\\new.tvl", ItemText(d, IDC_SET_LIST_PATH));
        EXPECT_EQ("typed command", ItemText(d, IDC_SET_COMMAND));
        EXPECT_EQ("typed folder", ItemText(d, IDC_SET_SPI_PATH));

        Choosers::answer = "E:\\tools\\cal.exe";
        Click(d, IDC_SET_COMMAND_BROWSE);
        EXPECT_EQ("E:\\tools\\cal.exe", ItemText(d, IDC_SET_COMMAND)) << "without quotes";
        EXPECT_EQ("E:\\リスト\\new.tvl", ItemText(d, IDC_SET_LIST_PATH));

        Choosers::answer = "E:\\spi";
        Click(d, IDC_SET_SPI_BROWSE);
        EXPECT_EQ("E:\\spi", ItemText(d, IDC_SET_SPI_PATH));

        // Cancelled choosers change nothing.
        Choosers::answer.clear();
        Click(d, IDC_SET_LIST_BROWSE);
        Click(d, IDC_SET_COMMAND_BROWSE);
        Click(d, IDC_SET_SPI_BROWSE);
        EXPECT_EQ("E:\\リスト\\new.tvl", ItemText(d, IDC_SET_LIST_PATH));
        EXPECT_EQ("E:\\tools\\cal.exe", ItemText(d, IDC_SET_COMMAND));
        EXPECT_EQ("E:\\spi", ItemText(d, IDC_SET_SPI_PATH));
        Click(d, IDCANCEL);
    }));
    const std::vector<std::string> asked = {SettingsDialog::kListFilter, SettingsDialog::kProgramFilter,
                                            "Susie-pluginの場所", SettingsDialog::kListFilter,
                                            SettingsDialog::kProgramFilter, "Susie-pluginの場所"};
    EXPECT_EQ(asked, Choosers::asked);
}

TEST_F(SettingsDialogTest, DeskCalSearchFillsTheCommandOnlyWhenDeskCalIsThere) {
    // DeskCal's own key: without its value first, then with it.
    TempRegistryKey deskcal(L"Software\\Shinonon");
    Context();
    ASSERT_TRUE(Run([&](HWND d) {
        Click(d, IDC_SET_FOLD_BUTTON);
        SetItemText(d, IDC_SET_COMMAND, "typed");
        Click(d, IDC_SET_DESKCAL_SEARCH);
        EXPECT_EQ("typed", ItemText(d, IDC_SET_COMMAND));

        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Shinonon\\Deskcal", 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &key, nullptr));
        std::wstring exe = L"C:\\Program Files\\DeskCal\\Deskcal.exe";
        RegSetValueExW(key, L"ExeFileName", 0, REG_SZ, (const BYTE*)exe.c_str(), (DWORD)(exe.size() + 1) * 2);
        RegCloseKey(key);
        Click(d, IDC_SET_DESKCAL_SEARCH);
        EXPECT_EQ("C:\\Program Files\\DeskCal\\Deskcal.exe", ItemText(d, IDC_SET_COMMAND));
        Click(d, IDCANCEL);
    }));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsDialogTest, HalftoneIsHiddenWhereTheSystemCannotDoItAndKeepsItsValue) {
    SettingsDialog::s_system.supportsHalftone = [] { return false; };
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    AppContext& c = Context();
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_SET_HALFTONE)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, IDC_SET_PRELOAD)));
        Click(d, IDOK);
    }));
    EXPECT_TRUE(c.settings().enableHalfTone);
    SettingsDialog::s_system.supportsHalftone = [] { return true; };
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, IDC_SET_HALFTONE)));
        Click(d, IDCANCEL);
    }));
}

TEST(SettingsFileFilter, SplitsAtBarsButNotInsideDoubleByteCharacters) {
    // "ポ" is 0x83 0x7C in code page 932: its second byte is a bar.
    std::wstring filter = FileDialogFilter("\x83\x7C(*.p)|*.p|全てのﾌｧｲﾙ(*.*)|*.*||");
    std::wstring expected = std::wstring(L"\u30DD(*.p)") + L'\0' + L"*.p" + L'\0' + L"\u5168\u3066\u306E\uFF8C\uFF67"
                            L"\uFF72\uFF99(*.*)" + L'\0' + L"*.*" + L'\0' + L'\0' + L'\0' + L'\0';
    EXPECT_EQ(expected, filter);
}

namespace {
// Ticks row `row` of a list view with check boxes as a user does: select, space.
void TickRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, (LPARAM)&item);
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
}
int RowShowing(HWND list, int column, const std::string& text) {
    int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < rows; ++row) {
        wchar_t buffer[520] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 520;
        SendMessageW(list, LVM_GETITEMTEXTW, row, (LPARAM)&item);
        if (ToCp932(buffer) == text) return row;
    }
    return -1;
}
}  // namespace

TEST_F(SettingsDialogTest, CacheAndPluginDialogsActAtOnceEvenWhenTheDialogIsCancelled) {
    std::string spi = dir.File("spi");
    CreateDirectoryW(W(spi).c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(W(std::string(TAVRIN_TEST_BIN_DIR) + "/spi/mg_plain" SPI_EXT).c_str(),
                          W(spi + "\\mg_plain" SPI_EXT).c_str(), FALSE));
    profile.WriteString("Settings", "SPIPath", spi);
    std::string a = dir.File("a.bmp"), b = dir.File("b.bmp");
    WriteTestBitmap(a, 8, 8, SolidRed);
    WriteTestBitmap(b, 8, 8, Gradient);
    AppContext& c = Context();
    // Bitmaps are read natively while plug-ins are off; then they go on.
    ASSERT_TRUE(c.cache().Load(a));
    ASSERT_TRUE(c.cache().Load(b));
    c.settings().enableSPI = true;
    CSPIControl& host = c.cache().pluginHost();
    host.ReloadFromSettings();
    ASSERT_EQ(1, host.GetPluginCount());

    HWND settingsWindow = nullptr, cacheOwner = nullptr, pluginOwner = nullptr;
    ModalScript modal;
    modal.Then(kCaption, [&](HWND d) {
        settingsWindow = d;
        SetItemText(d, IDC_SET_LIST_PATH, dir.File("other.tvl"));
        Click(d, IDC_SET_CACHE_MANAGER);
        Click(d, IDC_SET_SPI_SETTINGS);
        Click(d, IDCANCEL);
    });
    modal.Then("画像キャッシュ管理", [&](HWND cache) {
        cacheOwner = GetWindow(cache, GW_OWNER);
        HWND list = GetDlgItem(cache, IDC_CACHE_LIST);
        int row = RowShowing(list, 1, a);
        ASSERT_GE(row, 0);
        TickRow(list, row);
        Click(cache, IDOK);
    });
    modal.Then("Susie-plugin設定", [&](HWND plugins) {
        pluginOwner = GetWindow(plugins, GW_OWNER);
        HWND list = GetDlgItem(plugins, IDC_SPI_LIST);
        int row = RowShowing(list, 1, "mg_plain" SPI_EXT);
        ASSERT_GE(row, 0);
        TickRow(list, row);  // unticks: it was enabled
        Click(plugins, IDOK);
    });
    SettingsDialog dialog(c);
    dialog.DoModal(nullptr);
    EXPECT_EQ(3, modal.ran());
    EXPECT_EQ(settingsWindow, cacheOwner);
    EXPECT_EQ(settingsWindow, pluginOwner);
    EXPECT_EQ(nullptr, c.cache().Find(a)) << "unloaded by the cache dialog";
    EXPECT_NE(nullptr, c.cache().Find(b));
    EXPECT_FALSE(host.IsEnabled(0));
    EXPECT_EQ("mg_plain" SPI_EXT, profile.GetString("Settings", "DisableSPIs", "<absent>"));
    EXPECT_FALSE(dialog.listPathChanged());
    EXPECT_EQ(dir.File("List.tvl"), c.settings().listFilePath) << "the settings dialog itself wrote nothing";
}

TEST_F(SettingsDialogTest, TheSystemsOpenDialogFillsTheListPathWithATypedNewFile) {
    SettingsDialog::s_system.chooseFile = SettingsDialog::kRealSystem.chooseFile;
    const std::string typed = dir.File("まだない.tvl");  // the file need not exist
    HWND owner = nullptr;
    std::string filterShown;
    ModalScript modal;
    modal.Then(kCaption, [&](HWND d) {
        Click(d, IDC_SET_LIST_BROWSE);
        EXPECT_EQ(typed, ItemText(d, IDC_SET_LIST_PATH));
        Click(d, IDCANCEL);
    });
    modal.Then("Open", [&](HWND open) {
        owner = GetWindow(open, GW_OWNER);
        // The file-type box shows the first filter; the name box takes the typed path.
        wchar_t type[128] = {};
        GetDlgItemTextW(open, 0x470 /* cmb1 */, type, 128);
        filterShown = ToCp932(type);
        HWND name = GetDlgItem(open, 0x47C /* cmb13 */);
        if (!name) name = GetDlgItem(open, 0x480 /* edt1 */);
        ASSERT_NE(nullptr, name);
        SetWindowTextW(name, W(typed).c_str());
        SendMessageW(open, WM_COMMAND, IDOK, 0);
    });
    SettingsDialog dialog(Context());
    dialog.DoModal(nullptr);
    EXPECT_EQ(2, modal.ran());
    EXPECT_NE(nullptr, owner);
    EXPECT_EQ("壁紙リスト(*.tvl)", filterShown);
    EXPECT_FALSE(PathExists(typed));
}
