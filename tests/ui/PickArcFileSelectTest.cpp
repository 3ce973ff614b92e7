// The archived-file dialog through its real window, with the test tar and
// Netpbm plug-ins: rows, filters, selection, preview, result and failures.
#include <gtest/gtest.h>

#include "PickTestSupport.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "ui/CArcFileSelectDlg.h"
#include "plugin/SusieErrors.h"
#include "plugin/TestPictures.h"
#include "res/resource.h"

namespace {
struct ArcSelectFixture : ::testing::Test {
    PickContext pick{true, {"tar", "pnm"}};
    ScopedMessageRecorder messages;
    TempDir files;
    std::string archive;

    void SetUp() override {
        archive = files.File("set.tar");
        WriteBytes(archive, MakeTar({{"pics/", "", 0},
                                     {"pics/x.ppm", MakePpm(6, 4), 1700000000u},
                                     {"other/x.ppm", MakePpm(2, 2), 5},
                                     {"readme.txt", "hello", 0},
                                     {"top.pgm", MakePgm(3, 3), 0}}));
    }
    static HWND List(HWND d) { return GetDlgItem(d, IDC_ARC_LIST); }
    static std::vector<std::string> Rows(HWND d) {
        std::vector<std::string> rows;
        int n = (int)SendMessageW(List(d), LVM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) rows.push_back(ListViewRowText(List(d), i));
        return rows;
    }
    static int RowOf(HWND d, const std::string& text) {
        auto rows = Rows(d);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == text) return (int)i;
        return -1;
    }
    static std::string Text(HWND d, int id) { return GetWindowTextCp932(GetDlgItem(d, id)); }
    static int FilterRow(HWND d, const std::string& text) {
        HWND combo = GetDlgItem(d, IDC_ARC_FILTER);
        for (int i = 0; i < (int)SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t buffer[256] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, (LPARAM)buffer);
            if (ToCp932(buffer) == text) return i;
        }
        return -1;
    }
    INT_PTR Run(CArcFileSelectDlg& d, std::function<void(HWND)> act) {
        WhenShown([&d] { return d.hwnd(); }, std::move(act));
        return d.DoModal(nullptr);
    }
};
}  // namespace

TEST_F(ArcSelectFixture, ListsTheImageMembersBackwardsUnderTheFirstFilter) {
    CArcFileSelectDlg dialog(*pick.context, archive);
    std::vector<std::string> rows, allRows, filters;
    std::string shownPath, caption;
    int icons = 0;
    Run(dialog, [&](HWND d) {
        rows = Rows(d);
        shownPath = Text(d, IDC_ARC_PATH);
        caption = GetWindowTextCp932(d);
        HWND combo = GetDlgItem(d, IDC_ARC_FILTER);
        for (int i = 0; i < (int)SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t buffer[256] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, (LPARAM)buffer);
            filters.push_back(ToCp932(buffer));
        }
        EXPECT_EQ(0, (int)SendMessageW(combo, CB_GETCURSEL, 0, 0));
        ChooseComboRow(d, IDC_ARC_FILTER, FilterRow(d, "All Files(*.*)"));
        allRows = Rows(d);
        HIMAGELIST list = (HIMAGELIST)SendMessageW(List(d), LVM_GETIMAGELIST, LVSIL_SMALL, 0);
        icons = list ? ImageList_GetImageCount(list) : -1;
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ("select archived file", caption);
    EXPECT_EQ(archive, shownPath);
    // No archive types among the filters.
    EXPECT_EQ((std::vector<std::string>{"All Images", "Netpbm image (*.ppm;*.pgm)", "Portable anymap (*.pnm)",
                                        "All Files(*.*)"}),
              filters);
    EXPECT_EQ((std::vector<std::string>{"top.pgm", "other/x.ppm", "pics/x.ppm"}), rows);
    EXPECT_EQ((std::vector<std::string>{"top.pgm", "readme.txt", "other/x.ppm", "pics/x.ppm"}), allRows);
    // One icon per change of extension: .ppm, .txt, .pgm.
    EXPECT_EQ(3, icons);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ArcSelectFixture, SelectingAMemberShowsItsDetailsAndPreviewAndOkReturnsIt) {
    CArcFileSelectDlg dialog(*pick.context, archive);
    std::string name, details;
    uint32_t pixel = 0;
    INT_PTR result = Run(dialog, [&](HWND d) {
        SelectListViewRow(List(d), RowOf(d, "other/x.ppm"));
        SelectListViewRow(List(d), RowOf(d, "pics/x.ppm"));
        name = Text(d, IDC_ARC_FILENAME);
        details = Text(d, IDC_ARC_DETAILS);
        HWND preview = GetDlgItem(d, IDC_ARC_PREVIEW);
        RECT r;
        GetClientRect(preview, &r);
        // Decoded once the selection has rested; the member passed over is never extracted.
        PumpMessagesUntil([&] { return pick.Count(archive + "|pics/x.ppm") > 0; });
        PumpMessages();
        pixel = ControlPixel(d, preview, 1, 1);  // the picture's top-left pixel, stretched
        // Typing a name does not change what is chosen.
        SetWindowTextCp932(GetDlgItem(d, IDC_ARC_FILENAME), "typed.ppm");
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(0, pick.Count(archive + "|other/x.ppm")) << "passed over before it was decoded";
    EXPECT_EQ("pics/x.ppm", name);
    EXPECT_EQ(archive + "|pics/x.ppm", dialog.ResultPath());
    EXPECT_EQ("pics/x.ppm", dialog.displayName());
    EXPECT_EQ(0u, details.find("Name:x.ppm\r\nTime:"));
    EXPECT_NE(std::string::npos, details.find("\r\nOrg_Size:") );
    EXPECT_NE(std::string::npos, details.find("\r\nMethod:tar"));
    EXPECT_EQ(1, pick.Count(archive + "|pics/x.ppm"));
    Rgb top = TestPixel(0, 0);
    EXPECT_EQ((uint32_t(top.r) << 16) | (top.g << 8) | top.b, pixel);
}

TEST_F(ArcSelectFixture, ChangingTheFilterClearsTheChoice) {
    CArcFileSelectDlg dialog(*pick.context, archive);
    std::string nameAfter, detailsAfter;
    std::vector<std::string> rows;
    INT_PTR result = Run(dialog, [&](HWND d) {
        SelectListViewRow(List(d), RowOf(d, "top.pgm"));
        ChooseComboRow(d, IDC_ARC_FILTER, FilterRow(d, "Netpbm image (*.ppm;*.pgm)"));
        rows = Rows(d);
        nameAfter = Text(d, IDC_ARC_FILENAME);
        detailsAfter = Text(d, IDC_ARC_DETAILS);
        ClickButton(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(3u, rows.size());
    EXPECT_EQ("", nameAfter);
    EXPECT_EQ("", detailsAfter);
    EXPECT_EQ("", dialog.ResultPath());
    EXPECT_EQ("", dialog.selectedMember());
}

TEST_F(ArcSelectFixture, AnEmptyArchiveOpensWithAnEmptyList) {
    std::string empty = files.File("empty.tar");
    WriteBytes(empty, MakeTar({{"empty/", "", 0}}));  // a directory only: no members
    CArcFileSelectDlg dialog(*pick.context, empty);
    std::vector<std::string> rows{"unset"};
    INT_PTR result = Run(dialog, [&](HWND d) {
        rows = Rows(d);
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ArcSelectFixture, AListingFailureClosesItAsCancelled) {
    std::string notArchive = files.File("notes.tar");
    WriteBytes(notArchive, std::string(4096, 'n'));
    CArcFileSelectDlg dialog(*pick.context, notArchive);
    EXPECT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("CSPISupport::GetArcFileList エラー\nFilename[" + notArchive + "] text=" + GetErrorText(2) +
                  " code=2",
              messages.shown[0].text);
    EXPECT_EQ("", dialog.ResultPath());

    // An archive that cannot be read: closed without a word.
    CArcFileSelectDlg missing(*pick.context, files.File("gone.tar"));
    EXPECT_EQ(IDCANCEL, missing.DoModal(nullptr));
    EXPECT_EQ(1u, messages.shown.size());
}

TEST(ArcSelectText, DetailsAndFilterRows) {
    CArcFileEntry entry;
    entry.fileName = "x.ppm";
    entry.directory = "pics/";
    entry.unpackedSize = 3000000000u;  // above the signed range
    entry.packedSize = 12;
    entry.position = 512;
    entry.crc = 0xBEEF;
    memcpy(entry.method, "tar\0\0\0\0\0", 8);
    std::string text = CArcFileSelectDlg::DetailsText(entry);
    size_t time = text.find("\r\nOrg_Size:");
    ASSERT_NE(std::string::npos, time);
    EXPECT_EQ(0u, text.find("Name:x.ppm\r\nTime:"));
    EXPECT_EQ("\r\nOrg_Size:3000000000\r\nPak_Size:12\r\nOffset:512\r\nCRC:0xbeef\r\nMethod:tar", text.substr(time));

    auto rows = CArcFileSelectDlg::FilterRows("画像ファイル(*.bmp)|*.bmp|All Files(*.*)|*.*||");
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("画像ファイル(*.bmp)", rows[0].first);
    EXPECT_EQ("*.bmp", rows[0].second);
    EXPECT_EQ("*.*", rows[1].second);
    // "ポ" ends in the bar byte: still one piece.
    auto kana = CArcFileSelectDlg::FilterRows("ポ|*.p||");
    ASSERT_EQ(1u, kana.size());
    EXPECT_EQ("ポ", kana[0].first);
}

TEST(ArcSelectGarbage, AListingWithoutItsEndIsRefusedAndTheDialogCloses) {
    PickContext pick(true, {"noterm", "pnm"});
    ScopedMessageRecorder messages;
    TempDir files;
    std::string archive = files.File("set.tar");
    WriteBytes(archive, MakeTar({{"x.ppm", MakePpm(2, 2), 0}}));
    CArcFileSelectDlg dialog(*pick.context, archive);
    EXPECT_EQ(IDCANCEL, dialog.DoModal(nullptr));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(0u, messages.shown[0].text.find("CSPISupport::GetArcFileList エラー\nFilename[" + archive + "]"));
    EXPECT_EQ("", dialog.ResultPath());
}
