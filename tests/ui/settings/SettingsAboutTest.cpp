// The about area's links, the tooltips and the module list of the settings
// dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ModalScript.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "util/PathPieces.h"
#include "context/AppContext.h"
#include "res/resource.h"
#include "ui/SettingsDialog.h"

namespace {
std::vector<std::pair<HWND, std::string>> g_opened;
void RecordOpen(HWND owner, const std::string& target) { g_opened.push_back({owner, target}); }
std::vector<std::string> g_properties;
void RecordProperties(HWND, const std::string& path) { g_properties.push_back(path); }

struct SettingsAboutTest : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<SettingsDialog> dialog;

    void SetUp() override {
        SettingsDialog::s_system = SettingsDialog::kRealSystem;
        SettingsDialog::s_system.showProperties = &RecordProperties;
        HyperlinkLabel::s_open = &RecordOpen;
        g_opened.clear();
        g_properties.clear();
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "");
        context = std::make_unique<AppContext>(profile);
        dialog = std::make_unique<SettingsDialog>(*context);
    }
    void TearDown() override {
        dialog.reset();
        context->list().SetPath("");
        HyperlinkLabel::s_open = &HyperlinkLabel::ShellOpen;
        SettingsDialog::s_system = SettingsDialog::kRealSystem;
    }
    bool Run(std::function<void(HWND)> script) {
        ModalScript modal;
        modal.Then("設定とか", std::move(script));
        dialog->DoModal(nullptr);
        return modal.ran() == 1;
    }
};

// The text colour the dialog gives a control when it is about to draw it.
COLORREF TextColourFor(HWND d, HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(d, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)control);
    COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

void MouseDown(HWND control) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

std::string ListText(HWND list, int row, int column) {
    wchar_t text[520] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 520;
    SendMessageW(list, LVM_GETITEMTEXTW, row, (LPARAM)&item);
    return ToCp932(text);
}

void SelectRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

void AltEnter(HWND list) {
    SetFocus(list);
    SendMessageW(list, WM_SYSKEYDOWN, VK_RETURN, 0x20000001);
    SendMessageW(list, WM_SYSCHAR, L'\r', 0x20000001);
    SendMessageW(list, WM_SYSKEYUP, VK_RETURN, 0xE0000001);
}
}  // namespace

TEST_F(SettingsAboutTest, LinksAreUnderlinedBlueTurnDarkWhenClickedAndOpenTheirTargets) {
    const std::string help = context->settings().programDirectory + "Tavrin.chm";
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_EQ("Tavrin Version 2.1", [&] {
            for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                if (GetWindowTextCp932(c) == "Tavrin Version 2.1") return GetWindowTextCp932(c);
            return std::string();
        }());
        for (int id : {IDC_SET_LINK_CREDIT1, IDC_SET_LINK_CREDIT2, IDC_SET_LINK_MAKER, IDC_SET_LINK_CREDIT3}) {
            HWND link = GetDlgItem(d, id);
            LOGFONTW font = {};
            GetObjectW((HFONT)SendMessageW(link, WM_GETFONT, 0, 0), sizeof(font), &font);
            EXPECT_TRUE(font.lfUnderline) << id;
            EXPECT_EQ(RGB(0, 0, 255), TextColourFor(d, link)) << id;
        }
        EXPECT_NE(RGB(0, 0, 255), TextColourFor(d, GetDlgItem(d, IDC_SET_UKAGAKA_STATUS)))
            << "other statics keep the dialog's colour";

        HWND maker = GetDlgItem(d, IDC_SET_LINK_MAKER);
        MouseDown(maker);
        ASSERT_EQ(1u, g_opened.size());
        EXPECT_EQ(maker, g_opened[0].first);
        EXPECT_EQ(help, g_opened[0].second);
        EXPECT_EQ(RGB(0, 0, 80), TextColourFor(d, maker));
        EXPECT_EQ(RGB(0, 0, 255), TextColourFor(d, GetDlgItem(d, IDC_SET_LINK_CREDIT3))) << "the others stay";

        // A second click opens again and does not redraw.
        ValidateRect(maker, nullptr);
        MouseDown(maker);
        EXPECT_EQ(2u, g_opened.size());
        RECT update;
        EXPECT_FALSE(GetUpdateRect(maker, &update, FALSE));

        MouseDown(GetDlgItem(d, IDC_SET_LINK_CREDIT1));
        MouseDown(GetDlgItem(d, IDC_SET_LINK_CREDIT2));
        MouseDown(GetDlgItem(d, IDC_SET_LINK_CREDIT3));
        Click(d, IDCANCEL);
    }));
    std::vector<std::string> targets;
    for (auto& o : g_opened) targets.push_back(o.second);
    EXPECT_EQ((std::vector<std::string>{help, help, "https://www.mingw-w64.org/", "https://cmake.org/",
                                        "https://www.winehq.org/"}),
              targets);
    EXPECT_EQ(RGB(0, 0, 80), dialog->label(IDC_SET_LINK_MAKER).currentColour()) << "visited until destroyed";
    EXPECT_EQ(nullptr, dialog->label(IDC_SET_LINK_MAKER).font()) << "the font went with the window";

    // A new showing starts unvisited.
    dialog = std::make_unique<SettingsDialog>(*context);
    ASSERT_TRUE(Run([&](HWND d) {
        EXPECT_EQ(RGB(0, 0, 255), TextColourFor(d, GetDlgItem(d, IDC_SET_LINK_MAKER)));
        Click(d, IDCANCEL);
    }));
}

TEST_F(SettingsAboutTest, ThePointerOverALinkIsTheHelpCursorAndElsewhereTheControlsOwn) {
    ASSERT_TRUE(Run([&](HWND d) {
        HCURSOR help = LoadCursorW(nullptr, MAKEINTRESOURCEW(32651));
        // As the system asks: the window under the pointer first, which asks its parent.
        HWND link = GetDlgItem(d, IDC_SET_LINK_CREDIT2);
        SendMessageW(link, WM_SETCURSOR, (WPARAM)link, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(help, GetCursor());
        HWND edit = GetDlgItem(d, IDC_SET_LIST_PATH);
        SendMessageW(edit, WM_SETCURSOR, (WPARAM)edit, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(LoadCursorW(nullptr, IDC_IBEAM), GetCursor());
        HWND version = GetDlgItem(d, IDC_SET_APP_ICON);
        SendMessageW(version, WM_SETCURSOR, (WPARAM)version, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), GetCursor());
        Click(d, IDCANCEL);
    }));
}

TEST_F(SettingsAboutTest, EveryTipComesFromTheStringOfItsControl) {
    ASSERT_TRUE(Run([&](HWND d) {
        const ToolTipCtrl& tips = dialog->toolTips();
        EXPECT_EQ(14, tips.GetToolCount());
        EXPECT_EQ("デスクトップを右クリックしたメニューに「次の壁紙 (Tavrin)」を加えます(すぐに変わります)。"
                  "Windows 11 では「その他のオプションを表示」の中です。",
                  tips.GetToolText(GetDlgItem(d, IDC_SET_DESKTOP_VERB)));
        EXPECT_EQ("Susieプラグインを使って\"全ての形式の\"画像を読み込みます。",
                  tips.GetToolText(GetDlgItem(d, IDC_SET_ENABLE_SPI)));
        EXPECT_EQ("画像を選択するとき画面左下にプレビューを表示します",
                  tips.GetToolText(GetDlgItem(d, IDC_SET_SELECT_PREVIEW)));
        EXPECT_EQ("画像バッファを終了時にファイルへ書き出し起動時に読み込み再利用します。ファイルサイズがバケモノ"
                  "になるので余りお勧めしないです(ぉぃ",
                  tips.GetToolText(GetDlgItem(d, IDC_SET_REUSE_CACHE)));
        EXPECT_EQ("誰かアイコン作ってくださいな....", tips.GetToolText(GetDlgItem(d, IDC_SET_APP_ICON)));
        EXPECT_EQ("Wine [https://www.winehq.org/]", tips.GetToolText(GetDlgItem(d, IDC_SET_LINK_CREDIT3)));
        EXPECT_EQ("", tips.GetToolText(GetDlgItem(d, IDC_SET_LIST_PATH))) << "no tip of its own";
        // Each link's tip names its own target.
        for (int id : {IDC_SET_LINK_CREDIT1, IDC_SET_LINK_CREDIT2, IDC_SET_LINK_CREDIT3}) {
            std::string tip = tips.GetToolText(GetDlgItem(d, id));
            EXPECT_NE(std::string::npos, tip.find("[" + dialog->label(id).target() + "]")) << tip;
            EXPECT_EQ(0u, tip.find(GetWindowTextCp932(GetDlgItem(d, id)) + " [")) << tip;
        }
        Click(d, IDCANCEL);
    }));
}

TEST_F(SettingsAboutTest, ModuleListNamesThisProcesssModulesAndAltEnterShowsProperties) {
    ASSERT_TRUE(Run([&](HWND d) {
        HWND list = GetDlgItem(d, IDC_SET_MODULE_LIST);
        int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        ASSERT_GT(rows, 3);
        ASSERT_EQ((size_t)rows, dialog->modulePaths().size());
        // The first module is the program itself.
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        EXPECT_EQ(ToCp932(self), dialog->modulePaths()[0]);
        std::string path = dialog->modulePaths()[0];
        EXPECT_EQ(path.substr(0, path.rfind('\\')), ListText(list, 0, 1));
        EXPECT_EQ(path.substr(path.rfind('\\') + 1), ListText(list, 0, 0));
        bool kernel = false;
        for (int r = 0; r < rows; ++r) kernel |= LowerCp932(ListText(list, r, 0)) == "kernel32.dll";
        EXPECT_TRUE(kernel);
        EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

        AltEnter(list);
        EXPECT_TRUE(g_properties.empty()) << "no row selected";
        SelectRow(list, 1);
        AltEnter(list);
        ASSERT_EQ(1u, g_properties.size());
        EXPECT_EQ(dialog->modulePaths()[1], g_properties[0]);
        EXPECT_TRUE(IsWindowVisible(d)) << "Alt+Enter does not close the dialog";
        Click(d, IDCANCEL);
    }));
}

TEST_F(SettingsAboutTest, AFailedSnapshotGivesOneRowThatOffersNoProperties) {
    SettingsDialog::s_system.snapshotModules = [](std::vector<LoadedModule>*) { return false; };
    ASSERT_TRUE(Run([&](HWND d) {
        HWND list = GetDlgItem(d, IDC_SET_MODULE_LIST);
        ASSERT_EQ(1, (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ("取得失敗", ListText(list, 0, 0));
        EXPECT_EQ("取得失敗", ListText(list, 0, 1));
        SelectRow(list, 0);
        AltEnter(list);
        Click(d, IDCANCEL);
    }));
    EXPECT_TRUE(g_properties.empty());
}

TEST(HyperlinkLabelTest, AnEmptyTargetOpensNothingButTurnsVisited) {
    g_opened.clear();
    HyperlinkLabel::s_open = &RecordOpen;
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr, nullptr, nullptr);
    HWND text = CreateWindowExW(0, L"STATIC", L"x", WS_CHILD | SS_NOTIFY, 0, 0, 50, 20, parent, nullptr, nullptr,
                                nullptr);
    {
        HyperlinkLabel label;
        ASSERT_TRUE(label.Attach(text));
        label.SetLink("", RGB(10, 20, 30), RGB(40, 50, 60));
        EXPECT_EQ(RGB(10, 20, 30), label.currentColour());
        label.OnClicked();
        EXPECT_TRUE(g_opened.empty());
        EXPECT_EQ(RGB(40, 50, 60), label.currentColour());
        EXPECT_FALSE(label.OnParentSetCursor(parent));
    }
    EXPECT_EQ(nullptr, (HFONT)SendMessageW(text, WM_GETFONT, 0, 0)) << "the control keeps no deleted font";
    DestroyWindow(parent);
    HyperlinkLabel::s_open = &HyperlinkLabel::ShellOpen;
}
