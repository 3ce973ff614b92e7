// The two editions: each loads only its own kind of plug-in, keeps the
// other's entries in the shared disabled list, and (64-bit) reads the
// records of plug-ins built with either public 64-bit layout.
#include <gtest/gtest.h>

#include <cstring>

#include "PluginTestSupport.h"
#include "TestPluginExtension.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/SusieTypes.h"

TEST(PluginEdition, LoadsOnlyItsOwnKindFromASharedFolder) {
    TempDir dir;
    // Loadable libraries of this edition, one under the other kind's name.
    ASSERT_FALSE(InstallPlugin(dir.path(), "pnm", "own" SPI_EXT).empty());
    ASSERT_FALSE(InstallPlugin(dir.path(), "tar", "other" SPI_OTHER_EXT).empty());
    ASSERT_FALSE(InstallPlugin(dir.path(), "jpg", "both" SPI_OTHER_EXT).empty());
    ASSERT_FALSE(InstallPlugin(dir.path(), "jpg", "both" SPI_EXT).empty());
    CSPISupport host;
    EXPECT_EQ(2, host.LoadPlugins(dir.path()));
    ASSERT_EQ(2, host.GetPluginCount());
    EXPECT_NE(-1, IndexOf(host, "own" SPI_EXT));
    EXPECT_NE(-1, IndexOf(host, "both" SPI_EXT));
    for (const std::string& path : host.loadedPaths) {
        EXPECT_EQ(0, _stricmp(path.c_str() + path.size() - 4, SPI_EXT)) << path;
    }
    EXPECT_EQ(nullptr, GetModuleHandleW(ToWide(dir.File("other" SPI_OTHER_EXT)).c_str()));
    // A later scan of the same folder adds nothing of the other kind either.
    EXPECT_EQ(0, host.LoadPlugins(dir.path()));
    EXPECT_EQ(2, host.GetPluginCount());
#ifdef _WIN64
    EXPECT_STREQ(".sph", kPluginExtension);
#else
    EXPECT_STREQ(".spi", kPluginExtension);
#endif
}

TEST(PluginEdition, DisabledListKeepsTheOtherEditionsEntries) {
    TempDir dir;
    InstallPlugin(dir.path(), "pnm");
    InstallPlugin(dir.path(), "tar");
    TestSettings s(true, dir.path());
    // Written by the other edition: its own names, one of ours, one of neither kind.
    s.profile.WriteString("Settings", "DisableSPIs",
                          "susie" SPI_OTHER_EXT "\\pnm" SPI_EXT "\\Arc" SPI_OTHER_EXT "\\plain.dll\\last" SPI_OTHER_EXT);
    {
        CSPIControl host(&s.settings);
        ASSERT_EQ(2, host.GetPluginCount());
        int pnm = IndexOf(host, "pnm" SPI_EXT), tar = IndexOf(host, "tar" SPI_EXT);
        EXPECT_FALSE(host.IsEnabled(pnm));
        EXPECT_TRUE(host.IsEnabled(tar));
        host.SetEnabled(pnm, true);
        host.SetEnabled(tar, false);
        ASSERT_TRUE(host.SaveDisabledList());
        EXPECT_EQ("tar" SPI_EXT "\\susie" SPI_OTHER_EXT "\\arc" SPI_OTHER_EXT "\\plain.dll\\last" SPI_OTHER_EXT,
                  s.profile.GetString("Settings", "DisableSPIs", ""));
        // Nothing of ours disabled: the other entries alone, in their order.
        host.SetEnabled(tar, true);
    }
    EXPECT_EQ("susie" SPI_OTHER_EXT "\\arc" SPI_OTHER_EXT "\\plain.dll\\last" SPI_OTHER_EXT,
              s.profile.GetString("Settings", "DisableSPIs", ""));
    // The other edition, reading it back, finds its names; ours starts enabled.
    {
        CSPIControl again(&s.settings);
        EXPECT_TRUE(again.IsEnabled(IndexOf(again, "pnm" SPI_EXT)));
        EXPECT_TRUE(again.IsEnabled(IndexOf(again, "tar" SPI_EXT)));
    }
}

#ifdef _WIN64
// Public 64-bit plug-ins write PictureInfo padded (32 bytes) or packed (30),
// and fileInfo records 444 or 448 bytes apart.
TEST(PluginEdition64, DecodesThroughPaddedAndPackedPictureInfo) {
    for (const char* fixture : {"pnm32", "pnm30"}) {
        SCOPED_TRACE(fixture);
        ScannedHost host({fixture});
        ASSERT_EQ(1, host->GetPluginCount());
        ScopedMessageRecorder messages;
        UniqueBitmap bitmap(host->LoadPicture(host.Picture("c.ppm", MakePpm(7, 5))));
        EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 7, 5));

        // The record is given whole and zeroed beyond what the plug-in
        // writes; the fields before hInfo are read, hInfo (a value that is
        // no block) is left alone.
        struct {
            PictureInfo info;
            unsigned char after[16];
        } room;
        std::memset(&room, 0x55, sizeof(room));
        HLOCAL info = nullptr, bits = nullptr;
        ASSERT_EQ(0, host->DecodeFile(host.pictures.File("c.ppm"), &info, &bits, &room.info));
        UniqueLocal infoBlock(info), bitsBlock(bits);
        EXPECT_EQ(7, room.info.width);
        EXPECT_EQ(5, room.info.height);
        EXPECT_EQ(24, room.info.colorDepth);
        EXPECT_EQ(0, room.info.left);
        EXPECT_EQ(0, room.info.x_density);
        for (unsigned char c : room.after) EXPECT_EQ(0x55, c);
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST(PluginEdition64, ListsAndExtractsThrough444And448ByteRecords) {
    const std::string member = MakePgm(6, 3);
    const std::string tar = MakeTar({{"a/", "", 0},
                                     {"a/one.pgm", member, 1700000000u},
                                     {"two.ppm", MakePpm(4, 4), 5},
                                     {"b/three.pgm", member, 7}});
    for (const char* fixture : {"tar444", "tar448"}) {
        SCOPED_TRACE(fixture);
        ScannedHost host({fixture, "pnm"});
        ScopedMessageRecorder messages;
        std::string path = host.Picture("set.tar", tar);
        ArcFileList list;
        ASSERT_EQ(0, host->GetArcFileList(path, &list));
        ASSERT_EQ(3u, list.size());
        EXPECT_EQ("a/one.pgm", list[0]->MemberPath());
        EXPECT_EQ("two.ppm", list[1]->MemberPath());
        EXPECT_EQ("b/three.pgm", list[2]->MemberPath());
        EXPECT_EQ(1700000000u, list[0]->timestamp);
        EXPECT_EQ(member.size(), list[2]->unpackedSize);
        EXPECT_EQ("tar", list[2]->MethodText());

        // Extraction reads the position from GetFileInfo's record.
        UniqueBitmap bitmap(host->LoadPicture(path + "|b/three.pgm"));
        EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 6, 3, true));
        UniqueBitmap second(host->LoadPicture(path + "|two.ppm"));
        EXPECT_TRUE(HoldsTestPattern(second.get(), 4, 4));
        EXPECT_TRUE(messages.shown.empty());
    }
}
#endif
