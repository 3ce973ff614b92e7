#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ListDialogFixture.h"
#include "framework/DroppedFiles.h"
#include "framework/ListViewCtrl.h"
#include "framework/TextBridge.h"
#include "image/TestPictures.h"
#include "res/resource.h"
#include "ui/WallpaperListDialog.h"

namespace {
const char* const kAddCaption = "新規追加";
const char* const kEditCaption = "修正/削除";

struct ListDialog : ListDialogFixture {
    std::string red = dir.File("red.bmp");
    std::string grad = dir.File("grad.bmp");

    void SetUp() override {
        WriteTestBitmap(red, 32, 24, SolidRed);
        WriteTestBitmap(grad, 40, 30, Gradient);
        // List order A, B, C: the rows show C, B, A as the tray menu does.
        MakeDialog({{"A", red, kStyleCentre, true}, {"B", grad, kStyleTile, false}, {"C", dir.File("c.bmp"), kStyleStretch, true}});
    }
    ModalScript::Step Waits(const char* caption, HWND* found) {
        return [caption, found] { return (*found = FindThreadDialog(caption)) != nullptr; };
    }
    std::vector<bool> RowChecks() const {
        std::vector<bool> checks;
        for (int i = 0; i < rows.GetItemCount(); ++i) checks.push_back(rows.GetCheck(i));
        return checks;
    }
    std::vector<bool> ListFlags() const {
        std::vector<bool> flags;
        for (const auto& e : lists->list().entries()) flags.push_back(e->m_bInUse);
        return flags;
    }
    // A double click on a row, as the mouse makes it (the row is selected first).
    void DoubleClickRow(int row) {
        rows.SelectItem(row);
        RECT r = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(rows.hwnd(), LVM_GETITEMRECT, row, (LPARAM)&r);
        LPARAM at = MAKELPARAM(r.left + 40, (r.top + r.bottom) / 2);
        PostMessageW(rows.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(rows.hwnd(), WM_LBUTTONUP, 0, at);
    }
};
using Names = std::vector<std::string>;
using Flags = std::vector<bool>;
}  // namespace

TEST_F(ListDialog, OpensWithTheRowsInMenuOrderTheUseFlagsAsCheckBoxesAndItsOwnTaskbarButton) {
    script.Then(Opened()).Do([&] {
        EXPECT_EQ(Names({"C", "B", "A"}), RowNames());
        EXPECT_EQ(Flags({true, false, true}), RowChecks());
        EXPECT_EQ(red, rows.GetItemText(2, 2));
        EXPECT_EQ("拡大", rows.GetItemText(0, 3));
        EXPECT_EQ("並べる", rows.GetItemText(1, 3));
        EXPECT_EQ("", rows.GetItemText(0, 0));
        HWND header = (HWND)SendMessageW(rows.hwnd(), LVM_GETHEADER, 0, 0);
        EXPECT_EQ(4, (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        // The path column is eight times its heading: the widest.
        int nameWidth = (int)SendMessageW(rows.hwnd(), LVM_GETCOLUMNWIDTH, 1, 0);
        int pathWidth = (int)SendMessageW(rows.hwnd(), LVM_GETCOLUMNWIDTH, 2, 0);
        EXPECT_GT(pathWidth, nameWidth);
        LONG_PTR ex = GetWindowLongPtrW(shown, GWL_EXSTYLE);
        EXPECT_TRUE(ex & WS_EX_APPWINDOW);
        EXPECT_TRUE(ex & WS_EX_ACCEPTFILES);
        EXPECT_EQ(nullptr, GetWindow(shown, GW_OWNER));
        EXPECT_NE(nullptr, (HICON)SendMessageW(shown, WM_GETICON, ICON_BIG, 0));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(shown, IDCANCEL)));
        DWORD ext = (DWORD)SendMessageW(rows.hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_EQ((DWORD)(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP),
                  ext & (LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP));
        PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_FALSE(dialog->listChanged());
    EXPECT_FALSE(dialog->listModified());
}

TEST_F(ListDialog, MovesDoNothingWithoutASelectionOrPastTheEnds) {
    LVITEMW deselect = {};
    deselect.stateMask = LVIS_SELECTED;
    script.Then(Opened())
        .Do([&] {
            Click(shown, IDC_LIST_MOVE_UP);
            Click(shown, IDC_LIST_MOVE_DOWN);
        })
        .Do([&] {
            rows.SelectItem(0);
            Click(shown, IDC_LIST_MOVE_UP);
        })
        .Do([&] {
            rows.SelectItem(2);
            Click(shown, IDC_LIST_MOVE_DOWN);
        })
        .Do([&] {
            EXPECT_EQ(Names({"C", "B", "A"}), RowNames());
            SendMessageW(rows.hwnd(), LVM_SETITEMSTATE, -1, (LPARAM)&deselect);
            EXPECT_FALSE(dialog->listChanged());
            // A double click with no row selected (as below the last row).
            NMITEMACTIVATE activate = {};
            activate.hdr = {rows.hwnd(), IDC_LIST_ROWS, (UINT)NM_DBLCLK};
            activate.iItem = -1;
            SendMessageW(shown, WM_NOTIFY, IDC_LIST_ROWS, (LPARAM)&activate);
            EXPECT_EQ(1u, ThreadDialogs().size());
        })
        .Do([&] { Click(shown, IDOK); });
    EXPECT_EQ(IDOK, Run());
    EXPECT_FALSE(dialog->listChanged());
    EXPECT_EQ(Names({"A", "B", "C"}), lists->Names());
}

TEST_F(ListDialog, OkWritesTheRowOrderAndCheckBoxesIntoTheList) {
    script.Then(Opened())
        .Do([&] {
            rows.SelectItem(0);  // C
            Click(shown, IDC_LIST_MOVE_DOWN);
        })
        .Do([&] {
            EXPECT_EQ(Names({"B", "C", "A"}), RowNames());
            EXPECT_EQ(1, rows.GetSelectedIndex());
            EXPECT_TRUE(dialog->listChanged());
            rows.SetCheck(0, true);   // B
            rows.SetCheck(2, false);  // A
            EXPECT_EQ(Flags({true, false, true}), ListFlags()) << "nothing reaches the list before OK";
            Click(shown, IDOK);
        });
    EXPECT_EQ(IDOK, Run());
    // The last row becomes the first entry.
    EXPECT_EQ(Names({"A", "C", "B"}), lists->Names());
    EXPECT_EQ(Flags({false, true, true}), ListFlags());
    EXPECT_TRUE(dialog->listModified());
}

TEST_F(ListDialog, CancelLeavesOrderAndUseFlagsAsTheyWere) {
    script.Then(Opened())
        .Do([&] {
            rows.SelectItem(2);
            Click(shown, IDC_LIST_MOVE_UP);
        })
        .Do([&] {
            rows.SetCheck(0, false);
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);  // Esc or the close box
        });
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_TRUE(dialog->listChanged());
    EXPECT_EQ(Names({"A", "B", "C"}), lists->Names());
    EXPECT_EQ(Flags({true, false, true}), ListFlags());
}

TEST_F(ListDialog, AnAddedEntryIsARowUntilOkAndGoesWithCancel) {
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        SetUp();
        ModalScript run;
        HWND entry = nullptr;
        run.Then(Opened())
            .Do([&] { Click(shown, IDC_LIST_ADD); })
            .Then(Waits(kAddCaption, &entry))
            .Do([&] {
                EXPECT_EQ(shown, GetWindow(entry, GW_OWNER)) << "the list waits while the entry dialog is open";
                SetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_PATH), "C:\\new.bmp");
                SetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_NAME), "新しい");
                Click(entry, IDOK);
            })
            .Then([&] { return rows.GetItemCount() == 4; })
            .Do([&] {
                EXPECT_EQ(Names({"C", "B", "A", "新しい"}), RowNames());
                EXPECT_TRUE(rows.GetCheck(3));
                EXPECT_EQ(-1, rows.GetSelectedIndex());
                EXPECT_EQ(3u, lists->list().size());
                if (ok) Click(shown, IDOK); else PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
            });
        run.Start();
        dialog->DoModal(nullptr);
        EXPECT_EQ(0u, run.failedStep());
        EXPECT_TRUE(dialog->listChanged());
        if (ok) {
            EXPECT_EQ(Names({"新しい", "A", "B", "C"}), lists->Names());
            EXPECT_EQ("C:\\new.bmp", lists->list().entries()[0]->m_strPath);
            EXPECT_TRUE(lists->list().entries()[0]->m_bInUse);
        } else {
            EXPECT_EQ(Names({"A", "B", "C"}), lists->Names());
        }
        dialog.reset();
        lists.reset();
    }
}

TEST_F(ListDialog, EditingTheNameChangesTheEntryAtOnceWithoutSettingListChanged) {
    HWND entry = nullptr;
    script.Then(Opened())
        .Do([&] { DoubleClickRow(2); })  // A
        .Then(Waits(kEditCaption, &entry))
        .Do([&] {
            EXPECT_EQ("A", GetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_NAME)));
            EXPECT_EQ(red, GetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_PATH)));
            SetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_NAME), "A2");
            Click(entry, IDOK);
        })
        .Then([&] { return rows.GetItemText(2, 1) == "A2"; })
        .Do([&] {
            EXPECT_EQ(-1, rows.GetSelectedIndex()) << "the row was built again";
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        });
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_FALSE(dialog->listChanged());
    EXPECT_TRUE(dialog->listModified());
    EXPECT_EQ(Names({"A2", "B", "C"}), lists->Names());
}

TEST_F(ListDialog, EditingThePathSetsListChangedAndDropsTheOldPicture) {
    HWND entry = nullptr;
    script.Then(Opened())
        .Do([&] { DoubleClickRow(2); })
        .Then(Waits(kEditCaption, &entry))
        .Then([&] { return !dialog->previewWaiting(); })  // the row's picture, once the selection rested
        .Do([&] {
            EXPECT_NE(nullptr, lists->context().cache().Find(red)) << "the selection previewed it";
            SetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_PATH), grad);
            Click(entry, IDOK);
        })
        .Then([&] { return rows.GetItemText(2, 2) == grad; })
        .Do([&] { Click(shown, IDOK); });
    EXPECT_EQ(IDOK, Run());
    EXPECT_TRUE(dialog->listChanged());
    EXPECT_EQ(nullptr, lists->context().cache().Find(red));
    EXPECT_EQ(grad, lists->list().entries()[0]->m_strPath);
}

TEST_F(ListDialog, DeletingThroughTheEntryDialogStaysDeletedAfterCancel) {
    messages.answers = {IDOK};
    HWND entry = nullptr;
    lists->context().cache().Load(grad);
    script.Then(Opened())
        .Do([&] { DoubleClickRow(1); })  // B
        .Then(Waits(kEditCaption, &entry))
        .Do([&] { Click(entry, IDC_ENTRY_DELETE); })
        .Then([&] { return rows.GetItemCount() == 2; })
        .Do([&] {
            EXPECT_EQ(Names({"C", "A"}), RowNames());
            EXPECT_EQ(Names({"A", "C"}), lists->Names()) << "removed from the list at once";
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        });
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_TRUE(dialog->listChanged());
    EXPECT_EQ(Names({"A", "C"}), lists->Names());
    EXPECT_EQ(nullptr, lists->context().cache().Find(grad));
}

TEST_F(ListDialog, DeleteUncheckedAsksFirst) {
    messages.answers = {IDNO, IDYES};
    script.Then(Opened())
        .Do([&] { Click(shown, IDC_LIST_DELETE_UNCHECKED); })
        .Then([&] { return messages.shown.size() == 1; })
        .Do([&] {
            EXPECT_EQ(3, rows.GetItemCount()) << "answered No";
            EXPECT_FALSE(dialog->listChanged());
            rows.SetCheck(0, false);  // C as well as B
            Click(shown, IDC_LIST_DELETE_UNCHECKED);
        })
        .Then([&] { return rows.GetItemCount() == 1; })
        .Do([&] {
            EXPECT_EQ(Names({"A"}), lists->Names());
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        });
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_TRUE(dialog->listChanged());
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("チェックされていないアイテムを消してよいですか？", messages.shown[0].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONEXCLAMATION), messages.shown[0].type);
    EXPECT_EQ(Names({"A"}), lists->Names());
}

TEST_F(ListDialog, DeleteUncheckedWithEveryBoxTickedRemovesNothing) {
    messages.answers = {IDYES};
    script.Then(Opened())
        .Do([&] {
            rows.SetCheck(1, true);
            Click(shown, IDC_LIST_DELETE_UNCHECKED);
        })
        .Then([&] { return messages.shown.size() == 1; })
        .Do([&] { Click(shown, IDOK); });
    EXPECT_EQ(IDOK, Run());
    EXPECT_FALSE(dialog->listChanged());
    EXPECT_EQ(Names({"A", "B", "C"}), lists->Names());
}

TEST_F(ListDialog, TheSelectedRowsPictureFillsThePreviewBox) {
    lists->context().settings().enableHalfTone = true;
    COLORREF middle = 0, corner = 0;
    script.Then(Opened())
        .Do([&] {
            EXPECT_EQ("", dialog->previewPath());
            rows.SelectItem(2);  // A: red
        })
        .Then([&] { return dialog->previewPath() == red && !dialog->previewWaiting(); })
        .Do([&] {
            EXPECT_NE(nullptr, lists->context().cache().Find(red));
            UpdateWindow(shown);
            RECT box;
            GetWindowRect(GetDlgItem(shown, IDC_LIST_PREVIEW), &box);
            HDC screen = GetDC(nullptr);
            middle = GetPixel(screen, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
            corner = GetPixel(screen, box.left + 3, box.bottom - 4);
            ReleaseDC(nullptr, screen);
            rows.SelectItem(0);  // C: no such file, the button face
        })
        .Then([&] { return dialog->previewPath() == dir.File("c.bmp") && !dialog->previewWaiting(); })
        .Do([&] {
            UpdateWindow(shown);
            RECT box;
            GetWindowRect(GetDlgItem(shown, IDC_LIST_PREVIEW), &box);
            HDC screen = GetDC(nullptr);
            EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(screen, (box.left + box.right) / 2, (box.top + box.bottom) / 2));
            ReleaseDC(nullptr, screen);
            Click(shown, IDOK);
        });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ(RGB(255, 0, 0), middle);
    EXPECT_EQ(RGB(255, 0, 0), corner);
}

TEST_F(ListDialog, RowsPassedOverBeforeTheSelectionRestsAreNotDecoded) {
    uint64_t decodes = 0;
    script.Then(Opened())
        .Do([&] {
            decodes = lists->context().cache().decodeCount();
            rows.SelectItem(0);  // C
            rows.SelectItem(1);  // B
            rows.SelectItem(2);  // A, where the selection rests
        })
        .Then([&] { return dialog->previewPath() == red && !dialog->previewWaiting(); })
        .Do([&] { Click(shown, IDCANCEL); });
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_EQ(decodes + 1, lists->context().cache().decodeCount());
    EXPECT_EQ(nullptr, lists->context().cache().Find(grad));
    EXPECT_NE(nullptr, lists->context().cache().Find(red));
}

TEST_F(ListDialog, DroppedFoldersOpenNothing) {
    std::string sub = dir.File("sub");
    CreateDirectoryW(W(sub).c_str(), nullptr);
    size_t dialogsWhileDropped = 0;
    script.Then(Opened())
        .Do([&] { PostMessageW(shown, WM_DROPFILES, (WPARAM)MakeDrop({W(sub), W(dir.path())}), 0); })
        .Do([&] { dialogsWhileDropped = ThreadDialogs().size(); })
        .Do([&] { Click(shown, IDOK); });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ(1u, dialogsWhileDropped);
    EXPECT_EQ(Names({"A", "B", "C"}), lists->Names());
}

TEST(DroppedFiles, OnlyReadableFilesStayInDropOrder) {
    TempDir dir;
    WriteBytes(dir.File("x.BMP"), "x");
    WriteBytes(dir.File("y.txt"), "y");
    WriteBytes(dir.File("\x95\xc7.bmp"), "z");  // 壁.bmp
    CreateDirectoryW(W(dir.File("folder")).c_str(), nullptr);
    std::wstring tooLong = W(dir.path()) + std::wstring(300, L'n') + L".bmp";
    std::vector<std::wstring> dropped = {W(dir.File("y.txt")), W(dir.File("folder")), W(dir.File("gone.bmp")),
                                         tooLong, W(dir.File("x.BMP")), W(dir.File("\x95\xc7.bmp"))};
    std::vector<std::string> expected = {dir.File("y.txt"), dir.File("x.BMP"), dir.File("\x95\xc7.bmp")};
    EXPECT_EQ(expected, ReadableFilesOnly(dropped));

    HDROP drop = MakeDrop(dropped);
    DroppedFiles files(drop);
    EXPECT_EQ(dropped, files.Paths());
}

TEST_F(ListDialog, AnUntickedRowAddedHereIsSimplyDestroyedAndAnEditCancelledChangesNothing) {
    messages.answers = {IDYES};
    HWND entry = nullptr;
    script.Then(Opened())
        .Do([&] { Click(shown, IDC_LIST_ADD); })
        .Then(Waits(kAddCaption, &entry))
        .Do([&] {
            SetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_NAME), "N");
            Click(entry, IDOK);
        })
        .Then([&] { return rows.GetItemCount() == 4; })
        .Do([&] {
            rows.SetCheck(1, true);   // B stays
            rows.SetCheck(3, false);  // the new row goes
            Click(shown, IDC_LIST_DELETE_UNCHECKED);
        })
        .Then([&] { return rows.GetItemCount() == 3; })
        .Do([&] { DoubleClickRow(0); })
        .Then(Waits(kEditCaption, &entry))
        .Do([&] {
            SetWindowTextCp932(GetDlgItem(entry, IDC_ENTRY_PATH), "C:\\elsewhere.bmp");
            Click(entry, IDCANCEL);
        })
        .Then([&] { return !IsWindow(entry); })
        .Do([&] { Click(shown, IDOK); });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ(Names({"A", "B", "C"}), lists->Names());
    EXPECT_EQ(dir.File("c.bmp"), lists->list().entries()[2]->m_strPath);
    EXPECT_EQ(Flags({true, true, true}), ListFlags());
}
