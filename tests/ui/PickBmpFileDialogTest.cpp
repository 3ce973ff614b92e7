// The image file dialog: the system's open dialog with the program's
// template, driven through its own file list.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include "PickTestSupport.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "ui/CBMPFileDialog.h"
#include "image/TestPictures.h"
#include "res/resource.h"
#include "util/PathPieces.h"

namespace {
HWND FindDescendant(HWND parent, const wchar_t* className) {
    HWND child = nullptr;
    while ((child = FindWindowExW(parent, child, nullptr, nullptr)) != nullptr) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (lstrcmpiW(name, className) == 0) return child;
        if (HWND found = FindDescendant(child, className)) return found;
    }
    return nullptr;
}

// The row of the dialog's file list showing `name` (with or without its extension), waiting for it to appear.
int FileRow(HWND shellList, const std::string& name) {
    std::string bare = name.substr(0, name.rfind('.'));
    for (int attempt = 0; attempt < 100; ++attempt) {
        int n = (int)SendMessageW(shellList, LVM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            std::string text = ListViewRowText(shellList, i);
            if (lstrcmpiW(ToWide(text).c_str(), ToWide(name).c_str()) == 0 || text == bare) return i;
        }
        PumpMessages();
        Sleep(20);
    }
    return -1;
}

struct BmpFileDialogFixture : ::testing::Test {
    PickContext pick;
    ScopedMessageRecorder messages;
    TempDir pics;
    wchar_t previousDirectory[MAX_PATH] = {};
    const std::string filter = "画像ファイル(*.bmp)|*.bmp|All Files(*.*)|*.*||";

    void SetUp() override {
        WriteTestBitmap(pics.File("a.bmp"), 32, 32, SolidRed);
        WriteTestBitmap(pics.File("b.bmp"), 32, 32, Gradient);
        WriteBytes(pics.File("c.txt"), "not a picture");
        GetCurrentDirectoryW(MAX_PATH, previousDirectory);
        SetCurrentDirectoryW(ToWide(pics.path()).c_str());
    }
    void TearDown() override { SetCurrentDirectoryW(previousDirectory); }

    INT_PTR Run(CBMPFileDialog& d, std::function<void(HWND, HWND)> act) {
        WhenShown([&d] { return d.dialogWindow(); },
                  [&d, act](HWND dialog) {
                      HWND list = FindDescendant(dialog, L"SysListView32");
                      EXPECT_TRUE(list != nullptr);
                      if (list) act(dialog, list);
                      if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                  });
        return d.DoModal();
    }
    void Select(HWND list, const std::string& name) {
        int row = FileRow(list, name);
        ASSERT_GE(row, 0) << name;
        SelectListViewRow(list, row);
        PumpMessages();
    }
};
}  // namespace

TEST(BmpFileDialogFilter, BarsBecomeZerosWithoutSplittingCharacters) {
    std::wstring system = FileDialog::FilterToSystem("画像ファイル(*.bmp)|*.bmp|All Files(*.*)|*.*||");
    EXPECT_EQ(std::wstring(L"画像ファイル(*.bmp)\0*.bmp\0All Files(*.*)\0*.*\0\0", 40), system);
    // "ポ" is 0x83 0x7C in code page 932: its second byte is the bar.
    EXPECT_EQ(std::wstring(L"ポ\0*.p\0\0", 7), FileDialog::FilterToSystem("ポ|*.p|"));
    EXPECT_EQ(std::wstring(2, L'\0'), FileDialog::FilterToSystem(""));
}

TEST_F(BmpFileDialogFixture, EverySelectionDecodesIntoTheCacheAndThePreviewShowsIt) {
    CBMPFileDialog dialog(true, "", "", OFN_EXPLORER | OFN_HIDEREADONLY, filter, nullptr);
    dialog.SetContext(pick.context.get());
    uint32_t pixel = 0;
    bool hasPreview = false;
    RECT previewRect = {};
    INT_PTR result = Run(dialog, [&](HWND d, HWND list) {
        HWND preview = GetDlgItem(dialog.hookWindow(), IDC_BMPFILE_PREVIEW);
        hasPreview = preview && IsWindowVisible(preview);
        previewRect = dialog.previewRect();
        // Each selection rests until its picture is decoded.
        for (const char* name : {"a.bmp", "b.bmp", "a.bmp"}) {
            Select(list, name);
            EXPECT_TRUE(PumpMessagesUntil([&] { return !dialog.previewWaiting(); }));
        }
        EXPECT_EQ(pics.File("a.bmp"), dialog.previewPath());
        if (preview) pixel = ControlPixel(dialog.hookWindow(), preview, 10, 10);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(hasPreview);
    EXPECT_GT(previewRect.right - previewRect.left, 40);
    EXPECT_EQ(0xFF0000u, pixel);
    // Cancel leaves the browsed pictures cached.
    EXPECT_EQ(2, pick.Count(pics.File("a.bmp")));
    EXPECT_EQ(1, pick.Count(pics.File("b.bmp")));
    EXPECT_EQ("", dialog.GetPathName());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BmpFileDialogFixture, OkGivesTheChosenPathAndName) {
    CBMPFileDialog dialog(true, "", "", OFN_EXPLORER | OFN_HIDEREADONLY, filter, nullptr);
    dialog.SetContext(pick.context.get());
    INT_PTR result = Run(dialog, [&](HWND d, HWND list) {
        Select(list, "b.bmp");
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(pics.File("b.bmp"), dialog.GetPathName());
    EXPECT_EQ("b.bmp", FileNameOf(dialog.GetPathName()));
}

TEST_F(BmpFileDialogFixture, ANonPictureUnderAllFilesShowsAnEmptyPreview) {
    CBMPFileDialog dialog(true, "", "", OFN_EXPLORER | OFN_HIDEREADONLY, filter, nullptr);
    dialog.SetContext(pick.context.get());
    uint32_t pixel = 0;
    Run(dialog, [&](HWND d, HWND list) {
        HWND types = GetDlgItem(d, cmb1);
        SendMessageW(types, CB_SETCURSEL, 1, 0);
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), (LPARAM)types);
        PumpMessages();
        Select(list, "c.txt");
        EXPECT_TRUE(PumpMessagesUntil([&] { return !dialog.previewWaiting(); }));
        EXPECT_EQ(pics.File("c.txt"), dialog.previewPath());
        pixel = ControlPixel(dialog.hookWindow(), GetDlgItem(dialog.hookWindow(), IDC_BMPFILE_PREVIEW), 10, 10);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(0, pick.Count(pics.File("c.txt")));
    uint32_t face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ((uint32_t)((GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face)), pixel);
}

TEST_F(BmpFileDialogFixture, FilesPassedOverBeforeTheSelectionRestsAreNotDecoded) {
    CBMPFileDialog dialog(true, "", "", OFN_EXPLORER | OFN_HIDEREADONLY, filter, nullptr);
    dialog.SetContext(pick.context.get());
    uint64_t decodes = 0;
    uint32_t pixel = 0;
    Run(dialog, [&](HWND d, HWND list) {
        decodes = pick.context->cache().decodeCount();
        Select(list, "b.bmp");
        EXPECT_TRUE(dialog.previewWaiting());
        Select(list, "a.bmp");
        EXPECT_TRUE(PumpMessagesUntil([&] { return !dialog.previewWaiting(); }));
        pixel = ControlPixel(dialog.hookWindow(), GetDlgItem(dialog.hookWindow(), IDC_BMPFILE_PREVIEW), 10, 10);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(decodes + 1, pick.context->cache().decodeCount());
    EXPECT_EQ(0, pick.Count(pics.File("b.bmp")));
    EXPECT_EQ(1, pick.Count(pics.File("a.bmp")));
    EXPECT_EQ(0xFF0000u, pixel);
}
