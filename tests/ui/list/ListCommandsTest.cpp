// The tray menu's "リスト表示(&L)" and "追加(&A)": the dialogs they open, what
// follows them, and the list file saved as soon as a dialog changed the list.
#include <gtest/gtest.h>

#include "AnsweringRecorder.h"
#include "ListEditTestSupport.h"
#include "ModalScript.h"
#include "app/TrayWindow.h"
#include "framework/ListViewCtrl.h"
#include "framework/TextBridge.h"
#include "image/TestPictures.h"
#include "res/resource.h"

namespace {
const char* const kSelectionGone = "現在選択されている壁紙がリストから消去されています。\n選択し直してください。";

struct ListCommands : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    AnsweringRecorder messages;
    ModalScript script;
    std::string a = dir.File("a.bmp"), b = dir.File("b.bmp");
    std::unique_ptr<TrayWindow> tray;
    HWND shown = nullptr;
    ListViewCtrl rows;

    void SetUp() override {
        WriteTestBitmap(a, 8, 8, SolidRed);
        WriteTestBitmap(b, 8, 8, Gradient);
        WriteListFile(dir.File("List.tvl"), {{"A", a, kStyleCentre, true}, {"B", b, kStyleTile, true}});
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "");
        profile.WriteString("Settings", "SelectedWallPaper", b);
        tray = std::make_unique<TrayWindow>(profile);
        ASSERT_TRUE(tray->Create());
    }
    void TearDown() override {
        if (tray && tray->hwnd()) DestroyWindow(tray->hwnd());
    }
    ModalScript::Step Opened(const char* caption) {
        return [this, caption] {
            shown = FindThreadDialog(caption);
            if (shown) rows.Attach(GetDlgItem(shown, IDC_LIST_ROWS));
            return shown != nullptr;
        };
    }
    void Command(UINT id) {
        script.Start();
        SendMessageW(tray->hwnd(), WM_COMMAND, id, 0);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(0u, script.failedStep());
    }
    std::vector<std::string> DiskNames() { return NamesInListFile(dir.File("List.tvl")); }
};
using Names = std::vector<std::string>;
}  // namespace

TEST_F(ListCommands, DeletingTheSelectedWallpaperWarnsOnceClearsTheSelectionAndSavesAtOnce) {
    messages.answers = {IDOK};  // yes, delete
    HWND entry = nullptr;
    script.Then(Opened("壁紙リスト"))
        .Do([&] {
            EXPECT_TRUE(tray->busy());
            SendMessageW(tray->hwnd(), WM_RBUTTONUP, 0, 0);  // a right click meanwhile opens no menu
            EXPECT_EQ(nullptr, FindWindowW(L"#32768", nullptr));
            rows.SelectItem(0);  // B
            RECT r = {LVIR_BOUNDS, 0, 0, 0};
            SendMessageW(rows.hwnd(), LVM_GETITEMRECT, 0, (LPARAM)&r);
            PostMessageW(rows.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 40, (r.top + r.bottom) / 2));
        })
        .Then([&] { return (entry = FindThreadDialog("修正/削除")) != nullptr; })
        .Do([&] { Click(entry, IDC_ENTRY_DELETE); })
        .Then([&] { return rows.GetItemCount() == 1; })
        .Do([&] { Click(shown, IDOK); });
    Command(ID_LIST_SHOW);
    EXPECT_FALSE(tray->busy());
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ(kSelectionGone, messages.shown[1].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), messages.shown[1].type);
    EXPECT_EQ("", tray->context()->settings().selectedWallPaper);
    EXPECT_EQ(Names({"A"}), DiskNames()) << "saved before the program ends";
}

TEST_F(ListCommands, AMoveKeepsTheSelectionWhileItsEntryIsStillListed) {
    script.Then(Opened("壁紙リスト"))
        .Do([&] {
            rows.SelectItem(0);
            Click(shown, IDC_LIST_MOVE_DOWN);
        })
        .Do([&] { Click(shown, IDOK); });
    Command(ID_LIST_SHOW);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(b, tray->context()->settings().selectedWallPaper);
    EXPECT_EQ(Names({"B", "A"}), DiskNames());
}

TEST_F(ListCommands, WithNoWallpaperSelectedAChangeWarnsOfNothing) {
    tray->context()->settings().selectedWallPaper.clear();
    script.Then(Opened("壁紙リスト"))
        .Do([&] {
            rows.SelectItem(1);
            Click(shown, IDC_LIST_MOVE_UP);
        })
        .Do([&] { Click(shown, IDOK); });
    Command(ID_LIST_SHOW);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Names({"B", "A"}), DiskNames());
}

TEST_F(ListCommands, CancelWithoutChangesLeavesFileAndSelectionAlone) {
    const std::string before = ReadBytes(dir.File("List.tvl"));
    tray->context()->cache().Load(dir.File("not-listed.bmp"));
    WriteTestBitmap(dir.File("not-listed.bmp"), 4, 4, SolidRed);
    tray->context()->cache().Load(dir.File("not-listed.bmp"));
    ASSERT_NE(nullptr, tray->context()->cache().Find(dir.File("not-listed.bmp")));
    script.Then(Opened("壁紙リスト")).Do([&] { PostMessageW(shown, WM_COMMAND, IDCANCEL, 0); });
    Command(ID_LIST_SHOW);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(b, tray->context()->settings().selectedWallPaper);
    EXPECT_EQ(before, ReadBytes(dir.File("List.tvl")));
    EXPECT_EQ(nullptr, tray->context()->cache().Find(dir.File("not-listed.bmp"))) << "synchronised after closing";
}

TEST_F(ListCommands, AddPutsTheNewEntryAtTheFrontAndSavesAtOnce) {
    script.Then(Opened("新規追加")).Do([&] {
        EXPECT_TRUE(tray->busy());
        SetWindowTextCp932(GetDlgItem(shown, IDC_ENTRY_PATH), "C:\\new.bmp");
        SetWindowTextCp932(GetDlgItem(shown, IDC_ENTRY_NAME), "新");
        Click(shown, IDOK);
    });
    Command(ID_ENTRY_ADD);
    EXPECT_FALSE(tray->busy());
    EXPECT_EQ(Names({"新", "A", "B"}), DiskNames());
    EXPECT_TRUE(tray->context()->list().entries()[0]->m_bInUse);
}

TEST_F(ListCommands, AddCancelledAddsNothingButSynchronises) {
    WriteTestBitmap(dir.File("stray.bmp"), 4, 4, SolidRed);
    tray->context()->cache().Load(dir.File("stray.bmp"));
    const std::string before = ReadBytes(dir.File("List.tvl"));
    script.Then(Opened("新規追加")).Do([&] { Click(shown, IDCANCEL); });
    Command(ID_ENTRY_ADD);
    EXPECT_EQ(2u, tray->context()->list().size());
    EXPECT_EQ(before, ReadBytes(dir.File("List.tvl")));
    EXPECT_EQ(nullptr, tray->context()->cache().Find(dir.File("stray.bmp")));
}

// The edits reach the list file before the synchronisation decodes: with
// preloading on that decoding takes long, runs plug-in code and shows a box
// per failure, and a crash or a kill meanwhile must not lose them.
TEST_F(ListCommands, TheListIsSavedBeforeThePreloadDecodes) {
    DestroyWindow(tray->hwnd());
    TempDir noPlugins;
    profile.WriteString("Settings", "SelectedWallPaper", "");
    profile.WriteInt("Settings", "PreloadPreviewPics", 1);
    profile.WriteInt("Settings", "EnableSPI", 1);  // and no plug-in: every decode fails with a box
    profile.WriteString("Settings", "SPIPath", noPlugins.path());
    tray = std::make_unique<TrayWindow>(profile);
    ASSERT_TRUE(tray->Create());
    // What the list file holds when a box comes after OK.
    std::vector<Names> onDiskAtBox;
    auto recordFromNowOn = [&] {
        messages.whileShown = [&](const std::string&) { onDiskAtBox.push_back(DiskNames()); };
    };

    script.Then(Opened("壁紙リスト"))
        .Do([&] {
            rows.SelectItem(0);
            Click(shown, IDC_LIST_MOVE_DOWN);
        })
        .Do([&] {
            recordFromNowOn();
            Click(shown, IDOK);
        });
    Command(ID_LIST_SHOW);
    // The previews are made ahead on a thread of their own, quietly: the
    // list is on the disk and no failed decode shows a box.
    EXPECT_EQ(Names({"B", "A"}), DiskNames());
    EXPECT_TRUE(onDiskAtBox.empty());

    onDiskAtBox.clear();
    script.Then(Opened("新規追加")).Do([&] {
        SetWindowTextCp932(GetDlgItem(shown, IDC_ENTRY_PATH), b);
        SetWindowTextCp932(GetDlgItem(shown, IDC_ENTRY_NAME), "C");
        Click(shown, IDOK);
    });
    Command(ID_ENTRY_ADD);
    EXPECT_EQ(Names({"C", "B", "A"}), DiskNames());
    EXPECT_TRUE(onDiskAtBox.empty());
}
