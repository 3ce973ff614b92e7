// Listing archives through archive plug-ins, including plug-ins whose
// listing block is malformed.
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "framework/UserMessages.h"
#include "plugin/CSPIControl.h"
#include "plugin/SusieErrors.h"

namespace {
std::string ListError(const std::string& path, int code) {
    return "CSPISupport::GetArcFileList エラー\nFilename[" + path + "] text=" + GetErrorText(code) +
           " code=" + std::to_string(code);
}

struct ArchiveHost {
    explicit ArchiveHost(std::initializer_list<const char*> fixtures) {
        for (const char* f : fixtures) {
            dirs.emplace_back(new TempDir);
            InstallPlugin(dirs.back()->path(), f);
            host.LoadPlugins(dirs.back()->path());
        }
    }
    std::string Archive(const std::string& name, const std::string& bytes) {
        WriteBytes(files.File(name), bytes);
        return files.File(name);
    }
    TempDir files;
    std::vector<std::unique_ptr<TempDir>> dirs;
    CSPISupport host;
};
}  // namespace

TEST(PluginArcList, ListsEveryMemberWithItsRecord) {
    ArchiveHost a({"tar"});
    std::string tar = a.Archive("set.tar", MakeTar({{"pics/", "", 0},
                                                    {"pics/x.ppm", std::string(700, 'x'), 1700000000u},
                                                    {"other/x.ppm", "yy", 5},
                                                    {"top.pgm", "z", 0}}));
    ScopedMessageRecorder messages;
    ArcFileList list;
    ASSERT_EQ(0, a.host.GetArcFileList(tar, &list));
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ("pics/", list[0]->directory);
    EXPECT_EQ("x.ppm", list[0]->fileName);
    EXPECT_EQ("tar", list[0]->MethodText());
    EXPECT_EQ(512u, list[0]->position);
    EXPECT_EQ(700u, list[0]->unpackedSize);
    EXPECT_EQ(700u, list[0]->packedSize);
    EXPECT_EQ(1700000000u, list[0]->timestamp);
    // Same name, told apart by the directory.
    EXPECT_EQ("other/x.ppm", list[1]->MemberPath());
    EXPECT_EQ("", list[2]->directory);
    EXPECT_EQ("top.pgm", list[2]->MemberPath());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ("IsSupported:buffer;GetArchiveInfo:0;", PluginCallLog(a.host, 0));

    // The list is appended to.
    ASSERT_EQ(0, a.host.GetArcFileList(tar, &list));
    EXPECT_EQ(6u, list.size());
}

TEST(PluginArcList, JapaneseArchiveNameIsListedAndExtracted) {
    ArchiveHost a({"tar"});
    // "壁紙.tar": a name the code-page-1252 system can only reach by its short form.
    std::string tar = a.Archive("\x95\xc7\x8e\x86.tar", MakeTar({{"a.ppm", MakePpm(2, 2), 0}}));
    ScopedMessageRecorder messages;
    ArcFileList list;
    ASSERT_EQ(0, a.host.GetArcFileList(tar, &list));
    ASSERT_EQ(1u, list.size());
    HLOCAL member = nullptr;
    ASSERT_EQ(0, a.host.ExtractFile(tar, list[0]->MemberPath(), &member));
    EXPECT_EQ(MakePpm(2, 2).size(), LocalSize(member));
    LocalFree(member);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(PluginArcList, ArchiveWithoutMembersGivesAnEmptyList) {
    ArchiveHost a({"tar"});
    ArcFileList list;
    ScopedMessageRecorder messages;
    EXPECT_EQ(0, a.host.GetArcFileList(a.Archive("dirs.tar", MakeTar({{"only/", "", 0}})), &list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST(PluginArcList, FailuresAndTheirMessages) {
    ArchiveHost a({"tar"});
    ArcFileList list;
    ScopedMessageRecorder messages;
    // Missing or unreadable: code 6 without a message; no path: 8.
    EXPECT_EQ(6, a.host.GetArcFileList(a.files.File("gone.tar"), &list));
    EXPECT_EQ(8, a.host.GetArcFileList("", &list));
    EXPECT_TRUE(messages.shown.empty());
    // Nobody takes it.
    std::string fake = a.Archive("fake.tar", "plain text");
    EXPECT_EQ(2, a.host.GetArcFileList(fake, &list));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(ListError(fake, 2), messages.shown[0].text);
    EXPECT_EQ("CSPISupport::GetArcFileList エラー\nFilename[" + fake + "] text=未知のフォーマット code=2",
              messages.shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), messages.shown[0].type);
    // Disabled plug-ins are not asked.
    a.host.SetEnabled(0, false);
    EXPECT_EQ(2, a.host.GetArcFileList(a.Archive("ok.tar", MakeTar({{"a", "b", 0}})), &list));
    EXPECT_TRUE(list.empty());
}

TEST(PluginArcList, ListWithoutItsTerminatingRecordIsBrokenData) {
    ArchiveHost a({"noterm", "tar"});
    std::string tar = a.Archive("set.tar", MakeTar({{"a.ppm", "1", 0}, {"b.ppm", "2", 0}}));
    ScopedMessageRecorder messages;
    ArcFileList list;
    // The first plug-in that hands back a block decides.
    EXPECT_EQ(3, a.host.GetArcFileList(tar, &list));
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(ListError(tar, 3), messages.shown[0].text);
    EXPECT_EQ("", PluginCallLog(a.host, 1));
}

TEST(PluginArcList, NamesWithoutZeroAreReadToTheirFieldEnd) {
    ArchiveHost a({"longname"});
    ArcFileList list;
    ScopedMessageRecorder messages;
    ASSERT_EQ(0, a.host.GetArcFileList(a.Archive("set.tar", MakeTar({{"a.ppm", "1", 0}})), &list));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(std::string(200, 'D'), list[0]->directory);
    EXPECT_EQ(std::string(200, 'N'), list[0]->fileName);
    EXPECT_TRUE(messages.shown.empty());
}
