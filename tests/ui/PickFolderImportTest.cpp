// The folder import dialog through its real window: what each mode offers,
// ticking, check all and invert, the style, the preview, OK and Cancel.
#include <gtest/gtest.h>

#include "PickTestSupport.h"
#include <algorithm>

#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "ui/FolderImportDialog.h"
#include "image/TestPictures.h"
#include "plugin/CSPIControl.h"
#include "plugin/TestPictures.h"
#include "res/resource.h"

namespace {
struct FolderImportFixture : ::testing::Test {
    PickContext pick;
    ScopedMessageRecorder messages;
    TempDir pics;

    HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_IMPORT_FILES); }
    std::vector<std::string> RowTexts(FolderImportDialog& d) {
        std::vector<std::string> texts;
        for (int i = 0; i < d.fileList().GetCount(); ++i) texts.push_back(d.fileList().GetText(i));
        return texts;
    }
    std::vector<int> Ticks(FolderImportDialog& d) {
        std::vector<int> ticks;
        for (int i = 0; i < d.fileList().GetCount(); ++i) ticks.push_back(d.fileList().GetCheck(i));
        return ticks;
    }
    int RowOf(FolderImportDialog& d, const std::string& text) {
        for (int i = 0; i < d.fileList().GetCount(); ++i)
            if (d.fileList().GetText(i) == text) return i;
        return -1;
    }
    INT_PTR Run(FolderImportDialog& d, std::function<void(HWND)> act) {
        WhenShown([&d] { return d.hwnd(); }, std::move(act));
        return d.DoModal(nullptr);
    }
};
}  // namespace

TEST_F(FolderImportFixture, FolderModeOffersTheBitmapsTickedAndSorted) {
    WriteTestBitmap(pics.File("a.bmp"), 8, 8, SolidRed);
    WriteTestBitmap(pics.File("B.BMP"), 8, 8, Gradient);
    WriteBytes(pics.File("c.jpg"), "not a picture");
    CreateDirectoryW(ToWide(pics.File("d.bmp")).c_str(), nullptr);  // a folder named like a picture
    FolderImportDialog dialog(*pick.context);
    dialog.SetFolder(pics.path().substr(0, pics.path().size() - 1));
    std::vector<std::string> rows;
    std::vector<int> ticks;
    std::string caption;
    INT_PTR result = Run(dialog, [&](HWND d) {
        rows = RowTexts(dialog);
        ticks = Ticks(dialog);
        caption = GetWindowTextCp932(d);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ((std::vector<std::string>{"a.bmp", "B.BMP"}), rows);
    EXPECT_EQ((std::vector<int>{1, 1}), ticks);
    EXPECT_EQ("一覧 / チェックされた画像が追加されます", caption);
    EXPECT_TRUE(dialog.TakeEntries().empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FolderImportFixture, OkAddsTheTickedFilesWithTheChosenStyleAndUnloadsTheOthers) {
    for (const char* name : {"one.bmp", "two.bmp", "three.bmp"}) WriteTestBitmap(pics.File(name), 8, 8, SolidRed);
    FolderImportDialog dialog(*pick.context);
    dialog.SetFolder(pics.path());  // a trailing backslash is fine too
    std::vector<std::string> styles;
    INT_PTR result = Run(dialog, [&](HWND d) {
        // Sorted rows: one, three, two.  Preview "three", then untick it.
        int three = RowOf(dialog, "three.bmp");
        ClickListBoxRow(List(d), three);
        EXPECT_EQ(pics.File("three.bmp"), dialog.previewPath());
        // Decoded once the selection rests there.
        EXPECT_TRUE(PumpMessagesUntil([&] { return pick.Count(pics.File("three.bmp")) == 1; }));
        ClickListBoxRow(List(d), RowOf(dialog, "two.bmp"));
        EXPECT_TRUE(PumpMessagesUntil([&] { return pick.Count(pics.File("two.bmp")) == 1; }));
        ClickListBoxRow(List(d), RowOf(dialog, "two.bmp"));
        EXPECT_EQ(2, pick.Count(pics.File("two.bmp")));  // cached: a reference per selection
        ClickListBoxTick(List(d), three);
        EXPECT_EQ(0, dialog.fileList().GetCheck(three));
        // The style list is sorted by text: the code travels with each row.
        // Every style is offered, fit, fill and span too; fill is chosen.
        HWND combo = GetDlgItem(d, IDC_IMPORT_STYLE);
        ASSERT_EQ(kLastStyle + 1, (int)SendMessageW(combo, CB_GETCOUNT, 0, 0));
        int fill = -1;
        for (int i = 0; i < (int)SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i)
            if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == kStyleFill) fill = i;
        ASSERT_GE(fill, 0);
        ChooseComboRow(d, IDC_IMPORT_STYLE, fill);
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    auto entries = dialog.TakeEntries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("one.bmp", entries[0]->m_strName);
    EXPECT_EQ(pics.File("one.bmp"), entries[0]->m_strPath);
    EXPECT_EQ("two.bmp", entries[1]->m_strName);
    for (const auto& e : entries) {
        EXPECT_EQ(kStyleFill, e->m_nStyle);
        EXPECT_TRUE(e->m_bInUse);
    }
    EXPECT_EQ(0, pick.Count(pics.File("three.bmp")));  // unticked: out of the cache
    EXPECT_EQ(2, pick.Count(pics.File("two.bmp")));    // ticked: stays
}

TEST_F(FolderImportFixture, CheckAllAndInvertLeaveTheThirdStateAlone) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) WriteTestBitmap(pics.File(name), 4, 4, SolidRed);
    FolderImportDialog dialog(*pick.context);
    dialog.SetFolder(pics.path());
    std::vector<int> afterInvert, afterTwice, afterAll, afterSpace;
    Run(dialog, [&](HWND d) {
        ClickListBoxTick(List(d), 0);  // a: unticked by the user
        dialog.fileList().SetCheck(3, CheckListBox::kIndeterminate);
        ClickButton(d, IDC_IMPORT_INVERT);
        afterInvert = Ticks(dialog);
        ClickButton(d, IDC_IMPORT_INVERT);
        afterTwice = Ticks(dialog);
        ClickButton(d, IDC_IMPORT_CHECKALL);
        afterAll = Ticks(dialog);
        // The space bar ticks the selected row like a click on its box.
        ClickListBoxRow(List(d), 1);
        SendMessageW(List(d), WM_KEYDOWN, VK_SPACE, 0);
        afterSpace = Ticks(dialog);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ((std::vector<int>{1, 0, 0, 2}), afterInvert);
    EXPECT_EQ((std::vector<int>{0, 1, 1, 2}), afterTwice);
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1}), afterAll);
    EXPECT_EQ((std::vector<int>{1, 0, 1, 1}), afterSpace);
    EXPECT_TRUE(dialog.TakeEntries().empty());
}

TEST_F(FolderImportFixture, DroppedFilesOfferOnlyPicturesUnderTheirFullPath) {
    WriteTestBitmap(pics.File("x.BMP"), 4, 4, SolidRed);
    WriteBytes(pics.File("y.txt"), "text");
    CreateDirectoryW(ToWide(pics.File("z.bmp")).c_str(), nullptr);
    FolderImportDialog dialog(*pick.context);
    dialog.SetFiles({pics.File("x.BMP"), pics.File("y.txt"), pics.File("z.bmp")});
    std::vector<std::string> rows;
    LRESULT firstStyle = -1;
    INT_PTR result = Run(dialog, [&](HWND d) {
        rows = RowTexts(dialog);
        HWND combo = GetDlgItem(d, IDC_IMPORT_STYLE);
        EXPECT_EQ(1, SendMessageW(combo, CB_GETCURSEL, 0, 0)) << "span sorts first and is not the default";
        firstStyle = SendMessageW(combo, CB_GETITEMDATA, 1, 0);
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ((std::vector<std::string>{"x.BMP"}), rows);
    auto entries = dialog.TakeEntries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(pics.File("x.BMP"), entries[0]->m_strPath);
    EXPECT_EQ("x.BMP", entries[0]->m_strName);
    EXPECT_EQ(firstStyle, entries[0]->m_nStyle);  // the first of the older styles, sorted
}

TEST_F(FolderImportFixture, CancelAddsNothingAndKeepsPreviewedPictures) {
    WriteTestBitmap(pics.File("red.bmp"), 16, 16, SolidRed);
    FolderImportDialog dialog(*pick.context);
    dialog.SetFolder(pics.path());
    uint32_t centre = 0, before = 0;
    INT_PTR result = Run(dialog, [&](HWND d) {
        HWND preview = GetDlgItem(d, IDC_IMPORT_PREVIEW);
        RECT r;
        GetClientRect(preview, &r);
        before = ControlPixel(d, preview, r.right / 2, r.bottom / 2);
        ClickListBoxRow(List(d), 0);
        // The picture is decoded once the selection has rested.
        PumpMessagesUntil([&] { return ControlPixel(d, preview, r.right / 2, r.bottom / 2) == 0xFF0000u; });
        centre = ControlPixel(d, preview, r.right / 2, r.bottom / 2);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_NE(0xFF0000u, before);
    EXPECT_EQ(0xFF0000u, centre);  // the picture stretched into the preview
    EXPECT_TRUE(dialog.TakeEntries().empty());
    EXPECT_EQ(1, pick.Count(pics.File("red.bmp")));
}

TEST(FolderImportPlugins, PluginsOnButNoneLoadedOfferNothing) {
    PickContext pick(true);
    TempDir pics;
    WriteTestBitmap(pics.File("a.bmp"), 4, 4, SolidRed);
    EXPECT_TRUE(FolderImportDialog::FindInFolder(pics.path(), pick.context->cache().pluginHost().GetImagePatterns())
                    .empty());
    EXPECT_TRUE(FolderImportDialog::FilterFiles({pics.File("a.bmp")},
                                                pick.context->cache().pluginHost().GetImagePatterns())
                    .empty());
}

TEST(FolderImportPlugins, ThePluginPatternsChooseTheFiles) {
    PickContext pick(true, {"pnm"});
    TempDir pics;
    WriteBytes(pics.File("p.ppm"), MakePpm(4, 4));
    WriteBytes(pics.File("g.PGM"), MakePgm(4, 4));
    WriteBytes(pics.File("n.pnm"), MakePpm(4, 4));
    WriteTestBitmap(pics.File("a.bmp"), 4, 4, SolidRed);
    std::string patterns = pick.context->cache().pluginHost().GetImagePatterns();
    auto found = FolderImportDialog::FindInFolder(pics.path(), patterns);
    std::sort(found.begin(), found.end());
    EXPECT_EQ((std::vector<std::string>{pics.File("g.PGM"), pics.File("n.pnm"), pics.File("p.ppm")}), found)
        << patterns;
    EXPECT_EQ((std::vector<std::string>{pics.File("g.PGM")}),
              FolderImportDialog::FilterFiles({pics.File("g.PGM"), pics.File("a.bmp")}, patterns));
    EXPECT_EQ(2u, FolderImportDialog::FilterFiles({pics.File("g.PGM"), pics.File("a.bmp")}, "*.*").size());
}

TEST_F(FolderImportFixture, AFolderOfThousandsFillsAndForeignNamesTakeTheirShortForm) {
    const int count = 1000;
    for (int i = 0; i < count; ++i) WriteBytes(pics.File("p" + std::to_string(i) + ".bmp"), "BM");
    // "é" has no code page 932 form: the file is offered under its short name.
    std::wstring foreign = ToWide(pics.path()) + L"caf\u00e9.bmp";
    HANDLE f = CreateFileW(foreign.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    CloseHandle(f);
    FolderImportDialog dialog(*pick.context);
    dialog.SetFolder(pics.path());
    int rows = 0;
    INT_PTR result = Run(dialog, [&](HWND d) {
        rows = dialog.fileList().GetCount();
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(count + 1, rows);
    auto entries = dialog.TakeEntries();
    ASSERT_EQ(size_t(count + 1), entries.size());
    int foreignRows = 0;
    for (const auto& e : entries) {
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(ToWide(e->m_strPath).c_str())) << e->m_strPath;
        EXPECT_EQ(std::string::npos, e->m_strPath.find('?'));
        if (e->m_strName.rfind("p", 0) != 0) ++foreignRows;
    }
    EXPECT_EQ(1, foreignRows);
}

// The system's wildcard search also matches the short (8.3) names: "*.jpe"
// finds "a.jpeg" (A~1.JPE) and "*.tif" finds "b.tiff".  Each file is
// offered once, judged by its long name.
TEST(FolderImportPlugins, LongExtensionsAreOfferedOnceByTheirLongName) {
    PickContext pick(true, {"photo"});
    TempDir pics;
    WriteBytes(pics.File("c.jpg"), MakePpm(4, 4));
    WriteBytes(pics.File("a.jpeg"), MakePpm(4, 4));
    WriteBytes(pics.File("b.tiff"), MakePpm(4, 4));
    WriteBytes(pics.File("d.jpegx"), MakePpm(4, 4));  // its short name ends in .JPE, its long name in no pattern
    const std::string patterns = pick.context->cache().pluginHost().GetImagePatterns();
    ASSERT_NE(std::string::npos, patterns.find("*.jpe ")) << patterns;
    ASSERT_NE(std::string::npos, patterns.find("*.tif ")) << patterns;
    auto found = FolderImportDialog::FindInFolder(pics.path(), patterns);
    std::sort(found.begin(), found.end());
    EXPECT_EQ((std::vector<std::string>{pics.File("a.jpeg"), pics.File("b.tiff"), pics.File("c.jpg")}), found);

    FolderImportDialog dialog(*pick.context);
    dialog.SetFolder(pics.path());
    std::vector<std::string> rows;
    WhenShown([&dialog] { return dialog.hwnd(); }, [&](HWND d) {
        for (int i = 0; i < dialog.fileList().GetCount(); ++i) rows.push_back(dialog.fileList().GetText(i));
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ((std::vector<std::string>{"a.jpeg", "b.tiff", "c.jpg"}), rows);
    auto entries = dialog.TakeEntries();
    std::vector<std::string> paths;
    for (const auto& e : entries) paths.push_back(e->m_strPath);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(found, paths) << "one entry per file";
}
