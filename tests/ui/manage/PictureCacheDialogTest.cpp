// The picture cache dialog, opened as the settings dialog opens it and
// driven as a user would: rows and their texts, check all, invert, reload
// answered No and Yes, OK unloading the ticked pictures, Cancel nothing, and
// the preview of the selected row.
#include <gtest/gtest.h>

#include <map>

#include "ManageDialogDriver.h"
#include "AnsweringRecorder.h"
#include "image/TestPictures.h"
#include "TestSupport.h"
#include "ui/PictureCacheDialog.h"
#include "context/AppContext.h"
#include "res/resource.h"

using namespace manage_test;

namespace {
const char kCaption[] = "画像キャッシュ管理";

uint32_t SolidBlue(int, int) { return 0x0000FF; }

struct CacheDialogFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    std::unique_ptr<AppContext> context;
    std::string a, b, c;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        context = std::make_unique<AppContext>(profile);
        a = dir.File("a.bmp");
        b = dir.File("b.bmp");
        c = dir.File("c.bmp");
        WriteTestBitmap(a, 40, 30, SolidRed);
        WriteTestBitmap(b, 20, 10, SolidBlue);
        WriteTestBitmap(c, 8, 8, Gradient);
    }
    CWallBitmapList& cache() { return context->cache(); }
    int Count(const std::string& path) {
        const CPictureData* p = cache().Find(path);
        return p ? p->m_nRefCount : 0;
    }
    static HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_CACHE_LIST); }
    // The row showing `path`, or -1.
    static int RowOf(HWND dialog, const std::string& path) {
        for (int i = 0; i < RowCount(List(dialog)); ++i)
            if (RowText(List(dialog), i, 1) == path) return i;
        return -1;
    }
    // Runs the dialog with `script` and reports how it ended.
    bool Run(ModalScript& script) {
        bool ok = ShowPictureCacheDialog(*context, nullptr);
        EXPECT_TRUE(script.done()) << "the dialog did not show or a step did not run";
        return ok;
    }
};
}  // namespace

TEST_F(CacheDialogFixture, ListsEveryPictureWithSizeAndCountAndOkUnloadsTheTickedOnes) {
    ASSERT_TRUE(cache().Load(a));
    ASSERT_TRUE(cache().Load(a));
    ASSERT_TRUE(cache().Load(a));
    ASSERT_TRUE(cache().Load(b));
    const int32_t sizeA = cache().Find(a)->m_nSize;

    std::map<std::string, std::vector<std::string>> rows;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        HWND list = List(dialog);
        for (int i = 0; i < RowCount(list); ++i) {
            rows[RowText(list, i, 1)] = {RowText(list, i, 0), RowText(list, i, 2), RowText(list, i, 3)};
            EXPECT_FALSE(RowChecked(list, i));
        }
        PressSpaceOn(list, RowOf(dialog, a));  // ticks a
        EXPECT_TRUE(RowChecked(list, RowOf(dialog, a)));
        EXPECT_TRUE(Click(dialog, IDOK));
    });
    EXPECT_TRUE(Run(script));

    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"", std::to_string(sizeA) + "Bytes", "3回"}), rows[a]);
    EXPECT_EQ("1回", rows[b][2]);
    // A 40 x 30 picture in the screen's format: the size follows its rows.
    EXPECT_GT(sizeA, 40 * 30);
    // Three references, gone at once.
    EXPECT_EQ(nullptr, cache().Find(a));
    EXPECT_EQ(1, Count(b));
}

TEST_F(CacheDialogFixture, InvertFlipsEveryRowAndCancelUnloadsNothing) {
    for (const std::string& p : {a, b, c}) ASSERT_TRUE(cache().Load(p));
    std::vector<bool> afterInvert;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        HWND list = List(dialog);
        ASSERT_EQ(3, RowCount(list));
        SetRowChecked(list, 0, true);
        SetRowChecked(list, 2, true);
        EXPECT_TRUE(Click(dialog, IDC_CACHE_INVERT));
        for (int i = 0; i < 3; ++i) afterInvert.push_back(RowChecked(list, i));
        EXPECT_TRUE(Click(dialog, IDCANCEL));
    });
    EXPECT_FALSE(Run(script));
    EXPECT_EQ((std::vector<bool>{false, true, false}), afterInvert);
    EXPECT_EQ(3u, cache().count());
}

TEST_F(CacheDialogFixture, CheckAllThenOkEmptiesTheCache) {
    for (const std::string& p : {a, b, c}) ASSERT_TRUE(cache().Load(p));
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        EXPECT_TRUE(Click(dialog, IDC_CACHE_CHECK_ALL));
        for (int i = 0; i < RowCount(List(dialog)); ++i) EXPECT_TRUE(RowChecked(List(dialog), i));
        EXPECT_TRUE(Click(dialog, IDOK));
    });
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(0u, cache().count());
}

TEST_F(CacheDialogFixture, EmptyCacheShowsNoRowsAndOkChangesNothing) {
    int rows = -1;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        rows = RowCount(List(dialog));
        EXPECT_TRUE(Click(dialog, IDC_CACHE_CHECK_ALL));
        EXPECT_TRUE(Click(dialog, IDOK));
    });
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(0, rows);
    EXPECT_EQ(0u, cache().count());
}

TEST_F(CacheDialogFixture, ReloadAnsweredNoChangesNothingAndShowsNoSecondBox) {
    ASSERT_TRUE(cache().Load(a));
    ASSERT_TRUE(cache().Load(a));
    const CPictureData* before = cache().Find(a);
    AnsweringRecorder boxes({IDNO});
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        EXPECT_TRUE(Click(dialog, IDC_CACHE_RELOAD));
        EXPECT_TRUE(Click(dialog, IDCANCEL));
    });
    Run(script);
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ("画像バッファをリロードします。よろしいですか？", boxes.shown[0].text);
    EXPECT_EQ(UINT(MB_YESNO), boxes.shown[0].type & MB_TYPEMASK);
    EXPECT_EQ(before, cache().Find(a));
    EXPECT_EQ(2, Count(a));
}

TEST_F(CacheDialogFixture, ReloadAnsweredYesRenewsThePicturesAndRowsStillWorkAfterwards) {
    ASSERT_TRUE(cache().Load(a));
    ASSERT_TRUE(cache().Load(a));
    ASSERT_TRUE(cache().Load(b));
    ASSERT_TRUE(cache().Load(c));
    AnsweringRecorder boxes({IDYES, IDOK});
    std::string countShown;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        HWND list = List(dialog);
        // c no longer decodes when the reload comes; b is selected for the preview.
        ASSERT_TRUE(DeleteFileW(W(c).c_str()));
        SelectRow(list, RowOf(dialog, b));
        EXPECT_TRUE(Click(dialog, IDC_CACHE_RELOAD));
        countShown = RowText(list, RowOf(dialog, a), 3);
        // Rows built before the reload: selecting and painting the gone
        // picture and unloading by the rows must not reach a destroyed record.
        SelectRow(list, RowOf(dialog, c));
        UpdateWindow(dialog);
        SetRowChecked(list, RowOf(dialog, b), true);
        SetRowChecked(list, RowOf(dialog, c), true);
        EXPECT_TRUE(Click(dialog, IDOK));
    });
    EXPECT_TRUE(Run(script));
    ASSERT_EQ(2u, boxes.shown.size());
    EXPECT_EQ("画像バッファをリロードしました。", boxes.shown[1].text);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), boxes.shown[1].type & MB_ICONMASK);
    EXPECT_EQ("2回", countShown);  // the texts stay as they were
    EXPECT_EQ(1, Count(a));              // decoded anew
    EXPECT_EQ(nullptr, cache().Find(b));
    EXPECT_EQ(nullptr, cache().Find(c));
    EXPECT_EQ(1u, cache().count());
}

TEST_F(CacheDialogFixture, SelectingARowPreviewsItsPicture) {
    ASSERT_TRUE(cache().Load(a));
    ASSERT_TRUE(cache().Load(b));
    COLORREF before = CLR_INVALID, red = CLR_INVALID, blue = CLR_INVALID;
    auto centre = [](HWND dialog) {
        HWND preview = GetDlgItem(dialog, IDC_CACHE_PREVIEW);
        RECT r;
        GetClientRect(preview, &r);
        HDC dc = GetDC(preview);
        COLORREF colour = GetPixel(dc, r.right / 2, r.bottom / 2);
        ReleaseDC(preview, dc);
        return colour;
    };
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        UpdateWindow(dialog);
        before = centre(dialog);
        SelectRow(List(dialog), RowOf(dialog, a));
        UpdateWindow(dialog);
        red = centre(dialog);
        SelectRow(List(dialog), RowOf(dialog, b));
        UpdateWindow(dialog);
        blue = centre(dialog);
        EXPECT_TRUE(Click(dialog, IDCANCEL));
    });
    Run(script);
    EXPECT_NE(RGB(255, 0, 0), before);
    EXPECT_EQ(RGB(255, 0, 0), red);
    EXPECT_EQ(RGB(0, 0, 255), blue);
    EXPECT_EQ(2u, cache().count());
}
