#include <gtest/gtest.h>

#include "AnsweringRecorder.h"
#include "ListEditTestSupport.h"
#include "ModalScript.h"
#include "framework/ComboBoxCtrl.h"
#include "framework/TextBridge.h"
#include "res/resource.h"
#include "ui/WallpaperEntryDialog.h"

namespace {
const char* const kAddCaption = "新規追加";
const char* const kEditCaption = "修正/削除";

struct EntryDialog : ::testing::Test {
    TempDir dir;
    ListEditContext lists{dir, {}};
    AnsweringRecorder messages;
    WallpaperEntryDialog dialog{lists.context()};
    ModalScript script;
    HWND shown = nullptr;

    // Waits for the dialog with that caption.
    ModalScript::Step Opened(const char* caption) {
        return [this, caption] { return (shown = FindThreadDialog(caption)) != nullptr; };
    }
    // OK as a last step: a refusal (any message) cancels the dialog, so
    // the test ends and sees the cancel instead of waiting for ever.
    void PressOkOrCancel() {
        SendMessageW(shown, WM_COMMAND, IDOK, 0);
        if (!messages.shown.empty()) PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
    }
    INT_PTR Run() {
        script.Start();
        INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(0u, script.failedStep());
        return result;
    }
    std::string Field(int id) const { return GetWindowTextCp932(GetDlgItem(shown, id)); }
    void SetField(int id, const std::string& text) { SetWindowTextCp932(GetDlgItem(shown, id), text); }
    LPARAM SelectedStyle() const {
        ComboBoxCtrl styles(GetDlgItem(shown, IDC_ENTRY_STYLE));
        LPARAM style = -1;
        styles.GetSelectedData(&style);
        return style;
    }
};
}  // namespace

TEST_F(EntryDialog, AddModeShowsNoDeleteButtonSelectsTheFirstOlderSortedStyleAndReturnsAnEmptyPath) {
    std::string firstText;
    LPARAM firstStyle = -1;
    script.Then(Opened(kAddCaption)).Do([&] {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(shown, IDC_ENTRY_DELETE)));
        ComboBoxCtrl styles(GetDlgItem(shown, IDC_ENTRY_STYLE));
        ASSERT_EQ(kLastStyle + 1, styles.GetCount());  // centre, tile, stretch, fit, fill, span
        int firstOlder = -1;  // a new entry starts on the first row that is not span, as before span
        for (int i = 0; i < styles.GetCount(); ++i) {  // each row carries its own style value
            EXPECT_STREQ(StyleName((DisplayStyle)styles.GetItemData(i)), styles.GetItemText(i).c_str());
            if (firstOlder < 0 && styles.GetItemData(i) != kStyleSpan) firstOlder = i;
        }
        EXPECT_EQ(firstOlder, styles.GetCurSel());
        EXPECT_NE(kStyleSpan, styles.GetItemData(styles.GetCurSel()));
        firstText = styles.GetItemText(firstOlder);
        firstStyle = styles.GetItemData(firstOlder);
        SetField(IDC_ENTRY_NAME, "名前だけ");
        Click(shown, IDOK);
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ("", dialog.path());
    EXPECT_EQ("名前だけ", dialog.displayName());
    EXPECT_EQ(firstStyle, dialog.style());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EntryDialog, AnEmptyDisplayNameIsRefusedAndTheDialogStaysOpen) {
    script.Then(Opened(kAddCaption))
        .Do([&] {
            SetField(IDC_ENTRY_PATH, "C:\\a.bmp");
            Click(shown, IDOK);
        })
        .Then([&] { return !messages.shown.empty(); })
        .Do([&] {
            EXPECT_TRUE(IsWindowVisible(shown));
            EXPECT_EQ(GetDlgItem(shown, IDC_ENTRY_NAME), GetFocus());
            SetField(IDC_ENTRY_NAME, "a");
            Click(shown, IDOK);
        });
    EXPECT_EQ(IDOK, Run());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("表示名を入力してください", messages.shown[0].text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONSTOP), messages.shown[0].type);
    EXPECT_EQ("C:\\a.bmp", dialog.path());
}

TEST_F(EntryDialog, EditModeShowsItsCaptionTheDeleteButtonAndTheEntrysStyle) {
    dialog.SetEditMode(true);
    dialog.SetValues("夕焼け", "C:\\pics\\a.bmp", kStyleTile);
    script.Then(Opened(kEditCaption)).Do([&] {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(shown, IDC_ENTRY_DELETE)));
        EXPECT_EQ("夕焼け", Field(IDC_ENTRY_NAME));
        EXPECT_EQ("C:\\pics\\a.bmp", Field(IDC_ENTRY_PATH));
        EXPECT_EQ(kStyleTile, SelectedStyle());
        ComboBoxCtrl(GetDlgItem(shown, IDC_ENTRY_STYLE)).SelectByData(kStyleStretch);
        Click(shown, IDOK);
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ(kStyleStretch, dialog.style());
}

TEST_F(EntryDialog, AnUnknownStoredStyleSelectsTheFirstOlderStyleAndOkStoresItsValue) {
    dialog.SetEditMode(true);
    dialog.SetValues("n", "p", 7);
    LPARAM first = -1;
    script.Then(Opened(kEditCaption)).Do([&] {
        ComboBoxCtrl styles(GetDlgItem(shown, IDC_ENTRY_STYLE));
        // スパン sorts first; a new or unknown style starts on the row after it.
        EXPECT_EQ(kStyleSpan, styles.GetItemData(0));
        EXPECT_EQ(1, styles.GetCurSel());
        first = styles.GetItemData(1);
        Click(shown, IDOK);
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_NE(7, dialog.style());
    EXPECT_EQ(first, dialog.style());
}

TEST_F(EntryDialog, TypingStopsAt128BytesInBothBoxes) {
    std::string kana;
    for (int i = 0; i < 70; ++i) kana += "壁";
    script.Then(Opened(kAddCaption)).Do([&] {
        TypeText(GetDlgItem(shown, IDC_ENTRY_NAME), kana);
        TypeText(GetDlgItem(shown, IDC_ENTRY_PATH), std::string(140, 'p'));
        EXPECT_EQ(128u, Field(IDC_ENTRY_NAME).size());
        EXPECT_EQ(64u, ToWide(Field(IDC_ENTRY_NAME)).size());
        EXPECT_EQ(std::string(128, 'p'), Field(IDC_ENTRY_PATH));
        Click(shown, IDOK);
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ(kana.substr(0, 128), dialog.displayName());
    EXPECT_TRUE(messages.shown.empty());
}

namespace {
void PutOnClipboard(const std::string& text) {
    std::wstring wide = ToWide(text);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}
// A path as long as folder import or a dropped file may store: 3 + 2 * 101 + 4 + 60 + 4 = 273 bytes.
std::string LongStoredPath() {
    std::string folder;
    for (int i = 0; i < 101; ++i) folder += "写";
    return "C:\\" + folder + "\\" + std::string(60, 'e') + ".bmp";
}
}  // namespace

TEST_F(EntryDialog, AValueLongerThan128BytesOpensWholeAndOkKeepsIt) {
    dialog.SetEditMode(true);
    const std::string longPath = LongStoredPath();
    const std::string longName = std::string(150, 'n') + "名前";
    ASSERT_GT(longPath.size(), 260u);
    dialog.SetValues(longName, longPath, kStyleTile);
    script.Then(Opened(kEditCaption)).Do([&] {
        EXPECT_EQ(longPath, Field(IDC_ENTRY_PATH));
        EXPECT_EQ(longName, Field(IDC_ENTRY_NAME));
        ComboBoxCtrl(GetDlgItem(shown, IDC_ENTRY_STYLE)).SelectByData(kStyleStretch);
        PressOkOrCancel();
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(longPath, dialog.path());
    EXPECT_EQ(longName, dialog.displayName());
    EXPECT_EQ(kStyleStretch, dialog.style());
}

// Over the limit, deleting is always allowed and inserting is refused,
// unless what it replaces brings the value within 128 bytes.
TEST_F(EntryDialog, OverTheLimitDeletingWorksAndInsertingIsRefused) {
    dialog.SetEditMode(true);
    const std::string longPath = LongStoredPath();
    dialog.SetValues("n", longPath, kStyleCentre);
    std::string afterTyping, afterPaste, afterBackspace, afterReplace;
    script.Then(Opened(kEditCaption)).Do([&] {
        HWND path = GetDlgItem(shown, IDC_ENTRY_PATH);
        const int chars = (int)ToWide(longPath).size();
        SendMessageW(path, EM_SETSEL, chars, chars);
        TypeText(path, "x写");
        afterTyping = Field(IDC_ENTRY_PATH);
        PutOnClipboard("y");
        SendMessageW(path, WM_PASTE, 0, 0);
        afterPaste = Field(IDC_ENTRY_PATH);
        SendMessageW(path, WM_CHAR, VK_BACK, 1);  // drops the "p" of ".bmp"
        SendMessageW(path, WM_CHAR, VK_BACK, 1);
        afterBackspace = Field(IDC_ENTRY_PATH);
        SendMessageW(path, EM_SETSEL, 3, 3 + 101);  // the whole long folder name
        TypeText(path, "pics");
        afterReplace = Field(IDC_ENTRY_PATH);
        PressOkOrCancel();
    });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ(longPath, afterTyping);
    EXPECT_EQ(longPath, afterPaste);
    EXPECT_EQ(longPath.substr(0, longPath.size() - 2), afterBackspace);
    const std::string shortened = "C:\\pics\\" + std::string(60, 'e') + ".b";
    EXPECT_EQ(shortened, afterReplace) << "the replacement fits: 70 bytes";
    EXPECT_EQ(shortened, dialog.path());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EntryDialog, DeleteAsksFirstAndDecliningKeepsTheDialogOpen) {
    dialog.SetEditMode(true);
    dialog.SetValues("n", "p", kStyleCentre);
    messages.answers = {IDCANCEL, IDOK};
    script.Then(Opened(kEditCaption))
        .Do([&] { Click(shown, IDC_ENTRY_DELETE); })
        .Then([&] { return messages.shown.size() == 1; })
        .Do([&] {
            EXPECT_TRUE(IsWindowVisible(shown));
            Click(shown, IDC_ENTRY_DELETE);
        });
    EXPECT_EQ(WallpaperEntryDialog::kDeleteResult, Run());
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("本当に削除してよろしいですか？", messages.shown[0].text);
    EXPECT_EQ((UINT)(MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2), messages.shown[0].type);
}

TEST_F(EntryDialog, CancelReturnsCancel) {
    script.Then(Opened(kAddCaption)).Do([&] {
        SetField(IDC_ENTRY_NAME, "x");
        Click(shown, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, Run());
    EXPECT_EQ("", dialog.displayName());
}

namespace {
// The system's file dialog that "..." opens: the top dialog other than `entry`.
ModalScript::Step FileDialogOf(HWND* entry, HWND* files) {
    return [entry, files] {
        for (HWND d : ThreadDialogs())
            if (d != *entry && GetWindow(d, GW_OWNER) == *entry) return (*files = d) != nullptr;
        return false;
    };
}
// Types a full path into the file dialog's name box and presses its OK.
void ChooseFile(HWND files, const std::string& path) {
    HWND name = GetDlgItem(files, 0x480 /* edt1 */);
    if (!name) name = GetDlgItem(files, 0x47c /* cmb13 */);
    SetWindowTextCp932(name, path);
    Click(files, IDOK);
}
}  // namespace

TEST_F(EntryDialog, BrowsingFillsThePathAndReplacesTheDisplayName) {
    WriteBytes(dir.File("a.bmp"), "BM");
    HWND files = nullptr;
    script.Then(Opened(kAddCaption))
        .Do([&] {
            SetField(IDC_ENTRY_NAME, "typed first");
            Click(shown, IDC_ENTRY_BROWSE);
        })
        .Then(FileDialogOf(&shown, &files))
        .Do([&] { ChooseFile(files, dir.File("a.bmp")); })
        .Then([&] { return Field(IDC_ENTRY_PATH) == dir.File("a.bmp"); })
        .Do([&] {
            EXPECT_EQ("a.bmp", Field(IDC_ENTRY_NAME));
            Click(shown, IDOK);
        });
    EXPECT_EQ(IDOK, Run());
    EXPECT_EQ(dir.File("a.bmp"), dialog.path());
    EXPECT_EQ("a.bmp", dialog.displayName());
}

TEST_F(EntryDialog, ACancelledFileDialogKeepsWhatWasTyped) {
    HWND files = nullptr;
    script.Then(Opened(kAddCaption))
        .Do([&] {
            SetField(IDC_ENTRY_PATH, "C:\\typed.bmp");
            SetField(IDC_ENTRY_NAME, "typed");
            Click(shown, IDC_ENTRY_BROWSE);
        })
        .Then(FileDialogOf(&shown, &files))
        .Do([&] { Click(files, IDCANCEL); })
        .Then([&] { return !IsWindow(files); })
        .Do([&] {
            EXPECT_EQ("C:\\typed.bmp", Field(IDC_ENTRY_PATH));
            EXPECT_EQ("typed", Field(IDC_ENTRY_NAME));
            Click(shown, IDCANCEL);
        });
    EXPECT_EQ(IDCANCEL, Run());
}

TEST_F(EntryDialog, ABrowsedPathLongerThan128BytesIsAccepted) {
    std::string folder = dir.File(std::string(60, 'd'));
    CreateDirectoryW(W(folder).c_str(), nullptr);
    folder += "\\" + std::string(60, 'e');
    CreateDirectoryW(W(folder).c_str(), nullptr);
    const std::string picture = folder + "\\long.bmp";
    ASSERT_GT(picture.size(), 128u);
    WriteBytes(picture, "BM");
    HWND files = nullptr;
    script.Then(Opened(kAddCaption))
        .Do([&] { Click(shown, IDC_ENTRY_BROWSE); })
        .Then(FileDialogOf(&shown, &files))
        .Do([&] { ChooseFile(files, picture); })
        .Then([&] { return Field(IDC_ENTRY_PATH) == picture; })
        .Do([&] { PressOkOrCancel(); });
    EXPECT_EQ(IDOK, Run());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(picture, dialog.path());
    EXPECT_EQ("long.bmp", dialog.displayName());
}
