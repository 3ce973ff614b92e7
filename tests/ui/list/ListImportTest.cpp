// Many pictures at once into the list dialog: a folder through the folder
// chooser, and files dropped from the shell, both through the real folder
// import dialog.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ListDialogFixture.h"
#include "framework/ListViewCtrl.h"
#include "framework/TextBridge.h"
#include "image/TestPictures.h"
#include "res/resource.h"
#include "ui/WallpaperListDialog.h"

namespace {
struct ListImport : ListDialogFixture {
    TempDir pictures;

    void SetUp() override { MakeDialog({{"old", dir.File("old.bmp"), 0, true}}); }
    // The dialog other than the list that has a control `id`.
    ModalScript::Step Waits(int id, HWND* found) {
        return [this, id, found] {
            for (HWND d : ThreadDialogs())
                if (d != shown && GetDlgItem(d, id)) return (*found = d) != nullptr;
            return false;
        };
    }
};
using Names = std::vector<std::string>;
}  // namespace

namespace {
// The text of the item selected in the folder chooser's tree.
std::wstring TreeSelectionText(HWND chooser) {
    HWND tree = FindWindowExW(chooser, nullptr, L"SysTreeView32", nullptr);
    HTREEITEM item = tree ? (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) : nullptr;
    if (!item) return std::wstring();
    wchar_t text[MAX_PATH] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&data);
    return text;
}
}  // namespace

TEST_F(ListImport, AFolderImportsInReverseAtTheEndWithoutSettingListChanged) {
    for (const char* name : {"first.bmp", "second.bmp", "third.bmp"})
        WriteTestBitmap(pictures.File(name), 4, 4, SolidRed);
    WriteBytes(pictures.File("notes.txt"), "text");
    std::wstring folder = W(pictures.path().substr(0, pictures.path().size() - 1));
    HWND chooser = nullptr, import = nullptr;
    int offered = 0;
    script.Then(Opened())
        .Do([&] { Click(shown, IDC_LIST_ADD_FOLDER); })
        .Then([&] {
            for (HWND d : ThreadDialogs())
                if (d != shown && FindWindowExW(d, nullptr, L"SysTreeView32", nullptr)) chooser = d;
            return chooser != nullptr;
        })
        .Do([&] {
            EXPECT_EQ(shown, GetWindow(chooser, GW_OWNER));
            SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, (LPARAM)folder.c_str());
        })
        // The tree may take a while to reach the folder in a new prefix: OK only once it shows it.
        .Then([&] { return TreeSelectionText(chooser) == folder.substr(folder.find_last_of(L'\\') + 1); })
        .Do([&] { Click(chooser, IDOK); })
        .Then(Waits(IDC_IMPORT_FILES, &import))
        .Do([&] {
            offered = (int)SendMessageW(GetDlgItem(import, IDC_IMPORT_FILES), LB_GETCOUNT, 0, 0);
            Click(import, IDOK);
        })
        .Then([&] { return rows.GetItemCount() > 1 || !IsWindow(import); })
        .Do([&] {
            // The import lists first, second, third (sorted); the rows take them last first.
            EXPECT_EQ(Names({"old", "third.bmp", "second.bmp", "first.bmp"}), RowNames());
            EXPECT_EQ(pictures.File("third.bmp"), rows.GetItemText(1, 2));
            EXPECT_FALSE(dialog->listChanged());
            EXPECT_EQ(1u, lists->list().size()) << "in the rows only until OK";
            Click(shown, IDOK);
        });
    Run();
    EXPECT_EQ(3, offered);
    // OK: the last row is the front of the list.
    EXPECT_EQ(Names({"first.bmp", "second.bmp", "third.bmp", "old"}), lists->Names());
    EXPECT_FALSE(dialog->listChanged());
    EXPECT_TRUE(dialog->listModified());
}

TEST_F(ListImport, DroppedFilesOfferOnlyPicturesAndCancelAddsNothing) {
    WriteTestBitmap(pictures.File("x.BMP"), 4, 4, SolidRed);
    WriteBytes(pictures.File("y.txt"), "text");
    CreateDirectoryW(W(pictures.File("folder")).c_str(), nullptr);
    HWND import = nullptr;
    int offered = 0;
    script.Then(Opened())
        .Do([&] {
            PostMessageW(shown, WM_DROPFILES,
                         (WPARAM)MakeDrop({W(pictures.File("x.BMP")), W(pictures.File("y.txt")),
                                           W(pictures.File("folder"))}),
                         0);
        })
        .Then(Waits(IDC_IMPORT_FILES, &import))
        .Do([&] {
            offered = (int)SendMessageW(GetDlgItem(import, IDC_IMPORT_FILES), LB_GETCOUNT, 0, 0);
            Click(import, IDOK);
        })
        .Then([&] { return rows.GetItemCount() == 2; })
        .Do([&] {
            EXPECT_EQ(Names({"old", "x.BMP"}), RowNames());
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        });
    Run();
    EXPECT_EQ(1, offered) << "x.BMP only";
    EXPECT_FALSE(dialog->listChanged());
    EXPECT_EQ(Names({"old"}), lists->Names()) << "Cancel destroys what was added";
}
