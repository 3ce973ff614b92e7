#include <gtest/gtest.h>

#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "context/AppContext.h"
#include "list/WallPaperList.h"

namespace {
const std::string kWorkedExample(
    "\x02\x00\xff\xff\x02\x00\x0e\x00" "CWallPaperData"
    "\x08" "C:\\a.bmp" "\x00\x01" "a" "\x00\x00\x00\x00" "\x00\x00\x00\x00" "\x00\x00\x00\x00" "\x01\x00\x00\x00"
    "\x01\x80" "\x08" "C:\\b.jpg" "\x00\x01" "b" "\x02\x00\x00\x00" "\x00\x00\x00\x00" "\x00\x00\x00\x00"
    "\x00\x00\x00\x00", 80);

std::string FormatMessage(const std::string& path) {
    return "リストファイル[" + path + "]は壊れています。\nフォーマット異常のため読み込みデータを初期化しました。";
}

std::unique_ptr<CWallPaperData> Entry(const std::string& name, const std::string& path) {
    return std::make_unique<CWallPaperData>(name, path, kStyleCentre);
}
}  // namespace

TEST(WallPaperList, MissingFileIsCreatedEmptyWithoutAMessage) {
    TempDir dir;
    ScopedMessageRecorder messages;
    WallPaperList list;
    list.SetPath(dir.File("List.tvl"));
    EXPECT_TRUE(list.Load());
    EXPECT_EQ(0u, list.size());
    EXPECT_TRUE(PathExists(dir.File("List.tvl")));
    EXPECT_EQ("", ReadBytes(dir.File("List.tvl")));
    EXPECT_TRUE(messages.shown.empty());
    list.SetPath("");  // no save at destruction
}

TEST(WallPaperList, LoadsAndSavesTheFileByteForByte) {
    TempDir dir;
    const std::string path = dir.File("\x95\xc7\x8e\x86.tvl");  // 壁紙.tvl: a Japanese name under code page 1252
    WriteBytes(path, kWorkedExample);
    {
        WallPaperList list;
        list.SetPath(path);
        ASSERT_TRUE(list.Load());
        ASSERT_EQ(2u, list.size());
        EXPECT_EQ("C:\\b.jpg", list.FindByDisplayName("b")->m_strPath);
        WriteBytes(path, "");
    }  // destruction saves
    EXPECT_EQ(kWorkedExample, ReadBytes(path));
}

TEST(WallPaperList, EmptyPathDoesNothing) {
    WallPaperList list;
    list.Append(Entry("a", "b"));
    EXPECT_FALSE(list.Load());
    EXPECT_EQ(1u, list.size());
    EXPECT_FALSE(list.Save());
}

TEST(WallPaperList, DamagedFileIsReportedAndItsBytesSurvive) {
    TempDir dir;
    const std::string path = dir.File("List.tvl");
    const std::string damaged = kWorkedExample.substr(0, 60);  // count 2, one and a half entries
    WriteBytes(path, damaged);
    ScopedMessageRecorder messages;
    {
        WallPaperList list;
        list.SetPath(path);
        EXPECT_TRUE(list.Load());
        EXPECT_EQ(0u, list.size());
        ASSERT_EQ(1u, messages.shown.size());
        EXPECT_EQ(FormatMessage(path), messages.shown[0].text);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), messages.shown[0].type);
        EXPECT_EQ(path + ".bak", list.lastBackupPath());
        EXPECT_EQ(damaged, ReadBytes(path + ".bak"));
        EXPECT_EQ(damaged, ReadBytes(path)) << "the load itself changes nothing";
    }  // saves the empty list over the damaged file
    EXPECT_EQ(std::string("\x00\x00", 2), ReadBytes(path));
    EXPECT_EQ(damaged, ReadBytes(path + ".bak"));

    // A second, different damage keeps the first backup and adds another.
    const std::string other = std::string("\x05\x00", 2);
    WriteBytes(path, other);
    {
        WallPaperList list;
        list.SetPath(path);
        list.Load();
        EXPECT_EQ(path + ".bak2", list.lastBackupPath());
    }
    EXPECT_EQ(damaged, ReadBytes(path + ".bak"));
    EXPECT_EQ(other, ReadBytes(path + ".bak2"));
}

TEST(WallPaperList, DamagedFileThatCannotBeBackedUpIsNotOverwritten) {
    TempDir dir;
    const std::string path = dir.File("List.tvl");
    WriteBytes(path, std::string("\x03\x00", 2));
    // Every backup name is taken by a folder, so no copy can be made.
    CreateDirectoryW(W(path + ".bak").c_str(), nullptr);
    for (int n = 2; n <= 99; ++n) CreateDirectoryW(W(path + ".bak" + std::to_string(n)).c_str(), nullptr);
    ScopedMessageRecorder messages;
    {
        WallPaperList list;
        list.SetPath(path);
        list.Load();
        list.Append(Entry("new", "C:\\n.bmp"));
        EXPECT_FALSE(list.Save());
    }
    EXPECT_EQ(std::string("\x03\x00", 2), ReadBytes(path));
    ASSERT_GE(messages.shown.size(), 2u);
    EXPECT_NE(std::string::npos, messages.shown[1].text.find(path));
}

TEST(WallPaperList, FailedSaveIsReportedAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("List.tvl");
    WriteBytes(path, kWorkedExample);
    SetFileAttributesW(W(path).c_str(), FILE_ATTRIBUTE_READONLY);
    ScopedMessageRecorder messages;
    {
        WallPaperList list;
        list.SetPath(path);
        ASSERT_TRUE(list.Load());  // a read-only file still gives its entries
        EXPECT_EQ(2u, list.size());
        list.InsertFront(Entry("front", "C:\\f.bmp"));
        EXPECT_FALSE(list.Save());
        ASSERT_EQ(1u, messages.shown.size());
        EXPECT_EQ("リストファイル[" + path + "]の保存に失敗しました。", messages.shown[0].text);
        list.SetPath("");
    }
    EXPECT_EQ(kWorkedExample, ReadBytes(path));
    // No temporary file is left behind.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(W(dir.path() + "*.tmp").c_str(), &fd);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    SetFileAttributesW(W(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WallPaperList, SaveOverAFileInUseFailsCleanly) {
    TempDir dir;
    const std::string path = dir.File("List.tvl");
    WriteBytes(path, kWorkedExample);
    ScopedMessageRecorder messages;
    WallPaperList list;
    list.SetPath(path);
    ASSERT_TRUE(list.Load());
    list.Clear();
    HANDLE inUse = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, inUse);
    EXPECT_FALSE(list.Save());
    CloseHandle(inUse);
    EXPECT_EQ(1u, messages.shown.size());
    EXPECT_EQ(kWorkedExample, ReadBytes(path));
    list.SetPath("");
}

TEST(WallPaperList, LockedFileIsNotReplacedByAnEmptyList) {
    TempDir dir;
    const std::string path = dir.File("List.tvl");
    WriteBytes(path, kWorkedExample);
    HANDLE lock = CreateFileW(W(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    ScopedMessageRecorder messages;
    {
        WallPaperList list;
        list.SetPath(path);
        EXPECT_FALSE(list.Load());
        CloseHandle(lock);
    }  // the save at destruction must not write the empty list
    EXPECT_EQ(kWorkedExample, ReadBytes(path));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(WallPaperList, LookupsTakeTheFirstMatchFromTheFront) {
    WallPaperList list;
    CWallPaperData* first = list.Append(Entry("same", "C:\\1.bmp"));
    first->m_bInUse = false;
    list.Append(Entry("same", "C:\\2.bmp"));
    CWallPaperData* front = list.InsertFront(Entry("x", "C:\\2.bmp"));
    EXPECT_EQ(first, list.FindByDisplayName("same"));  // not in use, still found
    EXPECT_EQ(front, list.FindByImagePath("C:\\2.bmp"));
    EXPECT_EQ(nullptr, list.FindByDisplayName("SAME"));
    EXPECT_EQ(nullptr, list.FindByImagePath("c:\\2.bmp"));
}

TEST(AppContext, LoadsTheListFromTheSettingsAndSavesBothAtTheEnd) {
    TempDir dir;
    WriteBytes(dir.File("l.tvl"), kWorkedExample);
    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", dir.File("l.tvl"));
    {
        AppContext context(profile);
        EXPECT_EQ(2u, context.list().size());
        context.list().Append(Entry("c", "C:\\c.bmp"));
        context.settings().selectedWallPaper = "C:\\c.bmp";
        profile.values.clear();
        context.SaveAll();
        EXPECT_EQ("C:\\c.bmp", profile.GetString("Settings", "SelectedWallPaper", ""));
        WallPaperList check;
        check.SetPath(dir.File("l.tvl"));
        check.Load();
        EXPECT_EQ(3u, check.size());
        check.SetPath("");
        context.list().Clear();
        profile.values.clear();
    }
    EXPECT_EQ(std::string("\x00\x00", 2), ReadBytes(dir.File("l.tvl")));
    EXPECT_EQ(dir.File("l.tvl"), profile.GetString("Settings", "ConfPath", ""));
}
