// The list file under adverse conditions: a folder that comes and goes, a
// file too large to read, memory running out, saves cut short.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "list/WallPaperList.h"
#include "util/FileIO.h"

namespace {
const char* const kReadFailed = "リストファイル[%s]の読み込みに失敗しました。";
const char* const kProtected =
    "リストファイル[%s]を読み込めなかったため、上書きせずに残しました。\n一覧の変更は保存されていません。";

std::string With(const char* pattern, const std::string& path) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, path);
    return text;
}

std::unique_ptr<CWallPaperData> Entry(const std::string& name) {
    return std::make_unique<CWallPaperData>(name, "C:\\" + name + ".bmp", kStyleCentre);
}

std::string ListBytes(std::initializer_list<const char*> names) {
    WallPaperEntries entries;
    for (const char* n : names) entries.push_back(Entry(n));
    return EncodeListFile(entries);
}

// The names in `folder` that match `pattern`.
std::vector<std::string> Matching(const std::string& folder, const wchar_t* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((W(folder) + pattern).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = ToCp932(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

// A file of `size` bytes, all zero, made without writing them.
void MakeSizedFile(const std::string& path, unsigned long long size) {
    HANDLE h = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
}

unsigned long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

TEST(ListFileSafety, ListFromAnUnreachableFolderNeverReplacesTheFileThatAppearsLater) {
    TempDir dir;
    ScopedMessageRecorder messages;
    const std::string folder = dir.File("share");
    const std::string path = folder + "\\List.tvl";
    const std::string users = ListBytes({"a", "b"});
    {
        WallPaperList list;
        list.SetPath(path);
        EXPECT_FALSE(list.Load()) << "the folder is not there";
        EXPECT_FALSE(PathExists(path));

        // The share is connected again before the end of the run.
        ASSERT_TRUE(CreateDirectoryW(W(folder).c_str(), nullptr));
        WriteBytes(path, users);
        EXPECT_FALSE(list.Save()) << "an empty list goes quietly";
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(users, ReadBytes(path));

        list.Append(Entry("new"));
        EXPECT_FALSE(list.Save());
        ASSERT_EQ(1u, messages.shown.size());
        EXPECT_EQ(With(kProtected, path), messages.shown[0].text);
        EXPECT_EQ(users, ReadBytes(path));
        messages.shown.clear();
    }  // the save at destruction takes the same road
    EXPECT_EQ(users, ReadBytes(path));
    EXPECT_EQ(1u, messages.shown.size());
}

TEST(ListFileSafety, ListFromAnUnreachableFolderIsSavedWhenNoFileIsThere) {
    TempDir dir;
    ScopedMessageRecorder messages;
    const std::string folder = dir.File("usb");
    const std::string path = folder + "\\List.tvl";
    WallPaperList list;
    list.SetPath(path);
    EXPECT_FALSE(list.Load());
    ASSERT_TRUE(CreateDirectoryW(W(folder).c_str(), nullptr));
    list.Append(Entry("kept"));
    EXPECT_TRUE(list.Save()) << "nothing of the user's is there to lose";
    EXPECT_EQ(ListBytes({"kept"}), ReadBytes(path));

    // A later load that works lifts the guard.
    WriteBytes(path, ListBytes({"x", "y"}));
    EXPECT_TRUE(list.Load());
    EXPECT_EQ(2u, list.size());
    list.Append(Entry("z"));
    EXPECT_TRUE(list.Save());
    EXPECT_EQ(ListBytes({"x", "y", "z"}), ReadBytes(path));
    EXPECT_TRUE(messages.shown.empty());
    list.SetPath("");
}

TEST(ListFileSafety, ListFileTooLargeForAnyRealListIsReportedAndKept) {
    EXPECT_LE(kMaxWholeFileBytes, 64ull << 20) << "100,000 entries take about 6 MB";
    TempDir dir;
    ScopedMessageRecorder messages;
    const std::string path = dir.File("List.tvl");
    MakeSizedFile(path, kMaxWholeFileBytes + 1);
    WallPaperList list;
    list.SetPath(path);
    EXPECT_TRUE(list.Load());
    EXPECT_EQ(0u, list.size());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(With(kReadFailed, path), messages.shown[0].text);
    EXPECT_EQ(path + ".bak", list.lastBackupPath());
    EXPECT_EQ(kMaxWholeFileBytes + 1, FileSize(path + ".bak"));
    list.SetPath("");
}

TEST(ListFileSafety, RunningOutOfMemoryWhileReadingIsAReadFailure) {
    TempDir dir;
    const std::string path = dir.File("List.tvl");
    const std::string users = ListBytes({"a", "b", "c"});
    std::string big = users + std::string(24u << 20, '\0');  // a tail that nothing reads
    WriteBytes(path, big);
    big.clear();
    big.shrink_to_fit();

    ScopedMessageRecorder messages;
    messages.shown.reserve(8);
    WallPaperList list;
    list.SetPath(path);
    // Take the rest of the address space, so the whole file cannot be held.
    std::vector<void*> held;
    held.reserve(1 << 16);
    for (SIZE_T chunk = 16u << 20; chunk >= 64u << 10; chunk /= 2)
        while (void* p = VirtualAlloc(nullptr, chunk, MEM_RESERVE, PAGE_NOACCESS)) held.push_back(p);
    bool loaded = list.Load();
    for (void* p : held) VirtualFree(p, 0, MEM_RELEASE);
    ASSERT_GT(held.size(), 0u);

    EXPECT_TRUE(loaded);
    EXPECT_EQ(0u, list.size());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(With(kReadFailed, path), messages.shown[0].text);
    // Whatever could be done, the user's bytes survive the save.
    list.Save();
    bool kept = ReadBytes(path).compare(0, users.size(), users) == 0 ||
                (!list.lastBackupPath().empty() && ReadBytes(list.lastBackupPath()).compare(0, users.size(), users) == 0);
    EXPECT_TRUE(kept);
    list.SetPath("");
}

TEST(ListFileSafety, SavesWriteATemporaryFileNamedAfterTheList) {
    TempDir dir;
    const std::string path = dir.File("List.tvl");
    std::vector<std::string> during;
    DWORD error = 0;
    auto produce = [&](const FileChunkWriter& write) {
        during = Matching(dir.path(), L"*");
        return write("\x00\x00", 2);
    };
    ASSERT_TRUE(WriteFileAtomically(path, produce, &error));
    EXPECT_EQ(std::vector<std::string>{"List.tvl.tmp"}, during);
    EXPECT_EQ(std::vector<std::string>{"List.tvl"}, Matching(dir.path(), L"*"));

    // A save that fails leaves nothing behind either.
    auto failing = [&](const FileChunkWriter& write) { return write("x", 1) && false; };
    EXPECT_FALSE(WriteFileAtomically(path, failing, &error));
    EXPECT_EQ(std::vector<std::string>{"List.tvl"}, Matching(dir.path(), L"*"));
}

TEST(ListFileSafety, LeftoverOfAnInterruptedSaveGoesAtTheNextLoadOrSave) {
    TempDir dir;
    ScopedMessageRecorder messages;
    const std::string path = dir.File("List.tvl");
    WriteBytes(path, ListBytes({"a"}));
    WriteBytes(path + ".tmp", std::string(4096, 'h'));  // half a list, from a killed run
    WriteBytes(dir.File("Other.tvl.tmp"), "another list's");
    WallPaperList list;
    list.SetPath(path);
    EXPECT_TRUE(list.Load());
    EXPECT_EQ(1u, list.size());
    EXPECT_FALSE(PathExists(path + ".tmp"));
    EXPECT_TRUE(PathExists(dir.File("Other.tvl.tmp")));

    WriteBytes(path + ".tmp", std::string(4096, 'h'));
    EXPECT_TRUE(list.Save());
    EXPECT_FALSE(PathExists(path + ".tmp"));
    EXPECT_EQ(ListBytes({"a"}), ReadBytes(path));
    EXPECT_TRUE(messages.shown.empty());
    list.SetPath("");
}
