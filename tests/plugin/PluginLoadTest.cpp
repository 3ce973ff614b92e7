// Discovery and loading: the directory scan and its skip rules, the type
// table, the export wrappers and their defaults, the support entries, the
// settings-driven host and the stored disabled list.  Real test plug-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "PluginTestSupport.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "list/WallPaperList.h"
#include "plugin/CSPIControl.h"
#include "plugin/SusieErrors.h"
#include "util/PathPieces.h"
#include "TestPluginExtension.h"

namespace {
bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}
size_t CountOf(const std::vector<std::string>& list, const std::string& item) {
    return static_cast<size_t>(std::count(list.begin(), list.end(), item));
}

class RecordingHost : public CSPISupport {
public:
    struct Call { std::string fileName, apiVersion; int index; };
    int OnPluginLoaded(const std::string& fileName, const char* apiVersion, int index) override {
        calls.push_back(Call{fileName, apiVersion, index});
        return 0;
    }
    std::vector<Call> calls;
};
}  // namespace

TEST(PluginScan, KeepsImageAndArchivePluginsInListingOrderAndSkipsTheRest) {
    TempDir dir;
    for (const char* f : {"pnm", "tar", "im", "xn", "short", "lower", "noinfo"}) ASSERT_FALSE(InstallPlugin(dir.path(), f).empty());
    WriteBytes(dir.File("junk" SPI_EXT), "not a library");
    WriteBytes(dir.File("readme.txt"), "not a plug-in");
    ScopedMessageRecorder messages;

    RecordingHost host;
    EXPECT_EQ(3, host.LoadPlugins(dir.path()));

    // Accepted ones, in the order the directory listing gives them.
    std::vector<std::string> expected;
    for (const std::string& name : ListedNames(dir.path() + "*" SPI_EXT)) {
        if (name == "pnm" SPI_EXT || name == "tar" SPI_EXT || name == "im" SPI_EXT) expected.push_back(name);
    }
    ASSERT_EQ(3, host.GetPluginCount());
    ASSERT_EQ(3u, expected.size());
    ASSERT_EQ(3u, host.calls.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i], host.GetFileName(i));
        EXPECT_EQ(expected[i], host.calls[i].fileName);
        EXPECT_EQ(i, host.calls[i].index);
    }
    int pnm = IndexOf(host, "pnm" SPI_EXT), tar = IndexOf(host, "tar" SPI_EXT), im = IndexOf(host, "im" SPI_EXT);
    EXPECT_EQ(0x01, host.GetTypeFlags(pnm));
    EXPECT_EQ(0x02, host.GetTypeFlags(tar));
    EXPECT_EQ(0x81, host.GetTypeFlags(im));
    EXPECT_STREQ("00IN", host.GetPlugin(pnm)->apiVersion);
    EXPECT_STREQ("00AN", host.GetPlugin(tar)->apiVersion);
    EXPECT_EQ("00IM", host.calls[im].apiVersion);
    EXPECT_EQ(dir.File("pnm" SPI_EXT), host.GetPlugin(pnm)->modulePath);
    EXPECT_TRUE(host.IsEnabled(pnm));

    // Loaded once, whatever their type; never a file that does not load or lacks GetPluginInfo.
    for (const char* f : {"pnm" SPI_EXT, "tar" SPI_EXT, "im" SPI_EXT, "xn" SPI_EXT, "short" SPI_EXT, "lower" SPI_EXT})
        EXPECT_TRUE(Contains(host.loadedPaths, dir.File(f))) << f;
    EXPECT_FALSE(Contains(host.loadedPaths, dir.File("noinfo" SPI_EXT)));
    EXPECT_FALSE(Contains(host.loadedPaths, dir.File("junk" SPI_EXT)));
    EXPECT_EQ(6u, host.loadedPaths.size());

    // The skipped ones are not left in memory.
    for (const char* f : {"xn" SPI_EXT, "short" SPI_EXT, "lower" SPI_EXT, "noinfo" SPI_EXT})
        EXPECT_EQ(nullptr, GetModuleHandleW(ToWide(dir.File(f)).c_str())) << f;
    EXPECT_NE(nullptr, GetModuleHandleW(ToWide(dir.File("pnm" SPI_EXT)).c_str()));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(PluginScan, RescanLoadsNothingAgain) {
    TempDir dir;
    for (const char* f : {"pnm", "xn"}) InstallPlugin(dir.path(), f);
    ClearAttachNotes();
    CSPISupport host;
    EXPECT_EQ(1, host.LoadPlugins(dir.path()));
    EXPECT_EQ(0, host.LoadPlugins(dir.path()));
    EXPECT_EQ(0, host.LoadPlugins(dir.path().substr(0, dir.path().size() - 1)));  // without the backslash
    EXPECT_EQ(1, host.GetPluginCount());
    EXPECT_EQ(2u, host.loadedPaths.size());
    // The 00XN library was attached exactly once, although it is never kept.
    std::vector<std::string> notes = AttachNotes();
    EXPECT_EQ(1u, CountOf(notes, "xn" SPI_EXT));
    EXPECT_EQ(1u, CountOf(notes, "pnm" SPI_EXT));
}

TEST(PluginScan, SameNameInAnotherDirectoryIsSkippedInAnyCase) {
    TempDir first, second;
    InstallPlugin(first.path(), "pnm");
    InstallPlugin(second.path(), "jpg", "PNM" SPI_EXT_UPPER);  // another plug-in under the same name
    InstallPlugin(second.path(), "tar");
    CSPISupport host;
    EXPECT_EQ(1, host.LoadPlugins(first.path()));
    EXPECT_EQ(1, host.LoadPlugins(second.path()));
    ASSERT_EQ(2, host.GetPluginCount());
    EXPECT_EQ("pnm" SPI_EXT, host.GetFileName(0));
    EXPECT_EQ("tar" SPI_EXT, host.GetFileName(1));
    // It was loaded to learn its name, so it is recorded, and then let go.
    EXPECT_TRUE(Contains(host.loadedPaths, second.File("PNM" SPI_EXT_UPPER)));
    EXPECT_EQ(nullptr, GetModuleHandleW(ToWide(second.File("PNM" SPI_EXT_UPPER)).c_str()));
    std::string pattern;
    ASSERT_EQ(1, host.GetSupportEntry(0, 0, nullptr, &pattern));
    EXPECT_EQ("*.ppm;*.pgm", pattern);  // still the first one's
}

TEST(PluginScan, EmptyOrMissingDirectories) {
    TempDir empty;
    CSPISupport host;
    EXPECT_EQ(0, host.LoadPlugins(empty.path()));
    EXPECT_EQ(0, host.LoadPlugins(empty.path() + "missing\\"));
    EXPECT_EQ(0, host.GetPluginCount());
    EXPECT_TRUE(host.loadedPaths.empty());
}

TEST(PluginTypes, FlagsFollowTheApiVersionExactly) {
    struct Row { const char* version; uint8_t flags; };
    const Row rows[] = {{"00IN", 0x01}, {"00IM", 0x81}, {"00AN", 0x02}, {"00AM", 0x82}, {"00XN", 0x04},
                        {"00XM", 0x84}, {"00CN", 0x10}, {"00EN", 0x20}, {"00in", 0}, {"00IX", 0},
                        {"01IN", 0},    {"00I", 0}};
    for (const Row& row : rows)
        EXPECT_EQ(row.flags, CSPIPlugin::TypeFlagsOf(row.version, strlen(row.version))) << row.version;
    EXPECT_EQ(0, CSPIPlugin::TypeFlagsOf("00IN", 3));
}

TEST(PluginRecord, LoadFailuresLeaveAnEmptyRecord) {
    TempDir dir;
    std::string noinfo = InstallPlugin(dir.path(), "noinfo");
    CSPIPlugin record;
    EXPECT_FALSE(record.LoadPlugin(""));
    EXPECT_FALSE(record.LoadPlugin(dir.File("missing" SPI_EXT)));
    EXPECT_FALSE(record.LoadPlugin(noinfo));
    EXPECT_FALSE(record.module);
    EXPECT_TRUE(record.modulePath.empty());
    EXPECT_FALSE(record.HasEntryPoint(CSPIPlugin::kIsSupported));
    EXPECT_EQ(nullptr, GetModuleHandleW(ToWide(noinfo).c_str()));
}

TEST(PluginRecord, ShortVersionGivesTypeZeroAndUnloadKeepsChoiceAndVersion) {
    TempDir dir;
    CSPIPlugin shortOne;
    ASSERT_TRUE(shortOne.LoadPlugin(InstallPlugin(dir.path(), "short")));
    EXPECT_EQ(0, shortOne.typeFlags);
    EXPECT_STREQ("", shortOne.apiVersion);

    CSPIPlugin pnm;
    ASSERT_TRUE(pnm.LoadPlugin(InstallPlugin(dir.path(), "pnm")));
    pnm.enabled = 0;
    pnm.UnloadPlugin();
    EXPECT_EQ(0, pnm.enabled);
    EXPECT_STREQ("00IN", pnm.apiVersion);
    EXPECT_EQ(0, pnm.typeFlags);
    EXPECT_EQ(0, pnm.entryCount);
    EXPECT_TRUE(pnm.patterns.empty());
    EXPECT_TRUE(pnm.fileName.empty());
    EXPECT_FALSE(pnm.HasEntryPoint(CSPIPlugin::kGetPluginInfo));
}

TEST(PluginRecord, EntryPointsAndMissingExportDefaults) {
    TempDir dir;
    CSPIPlugin image, archive, empty;
    ASSERT_TRUE(image.LoadPlugin(InstallPlugin(dir.path(), "pnm")));
    ASSERT_TRUE(archive.LoadPlugin(InstallPlugin(dir.path(), "tar")));
    const bool imageHas[] = {false, true, true, true, true, false, false, false, false, true, false};
    const bool archiveHas[] = {false, true, true, false, false, false, true, true, true, false, false};
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(imageHas[k], image.HasEntryPoint(k)) << k;
        EXPECT_EQ(archiveHas[k], archive.HasEntryPoint(k)) << k;
    }
    char buf[16] = "x";
    HLOCAL a = nullptr, b = nullptr;
    fileInfo record = {};
    EXPECT_EQ(0, empty.GetPluginInfo(0, buf, 15));
    EXPECT_EQ(0, empty.IsSupported(buf, 0));
    EXPECT_EQ(-1, archive.GetPictureInfo(buf, 0, 0, nullptr));
    EXPECT_EQ(-1, archive.GetPicture(buf, 0, 0, &a, &b, nullptr, 0));
    EXPECT_EQ(-1, image.GetPreview(buf, 0, 0, &a, &b, nullptr, 0));
    EXPECT_EQ(-1, archive.ConfigurationDlg(nullptr, 1));
    EXPECT_EQ(-1, image.GetArchiveInfo(buf, 0, 0, &a));
    EXPECT_EQ(-1, image.GetFileInfo(buf, 0, buf, 0, &record));
    EXPECT_EQ(-1, image.GetFile(buf, 0, buf, 0, nullptr, 0));
    EXPECT_EQ(nullptr, a);
    EXPECT_EQ(nullptr, b);
}

TEST(PluginRecord, SupportEntriesAreReadAtLoadTime) {
    TempDir dir;
    CSPIPlugin pnm, noentry;
    ASSERT_TRUE(pnm.LoadPlugin(InstallPlugin(dir.path(), "pnm")));
    ASSERT_TRUE(noentry.LoadPlugin(InstallPlugin(dir.path(), "noentry")));
    EXPECT_EQ(2, pnm.entryCount);
    EXPECT_EQ((std::vector<std::string>{"*.ppm;*.pgm", "*.pnm"}), pnm.patterns);
    EXPECT_EQ((std::vector<std::string>{"Netpbm image", "Portable anymap"}), pnm.typeNames);
    EXPECT_EQ(0, noentry.entryCount);
    EXPECT_EQ(0x01, noentry.typeFlags);

    std::string type, pattern;
    EXPECT_EQ(1, pnm.GetSupportEntry(1, &type, &pattern));
    EXPECT_EQ("Portable anymap", type);
    EXPECT_EQ("*.pnm", pattern);
    EXPECT_EQ(0, pnm.GetSupportEntry(2, &type, &pattern));
    // A short buffer cuts the text but stays terminated.
    EXPECT_EQ(1, pnm.GetSupportEntry(0, &type, &pattern, 4));
    EXPECT_EQ("Net", type);
    EXPECT_EQ("*.p", pattern);
}

TEST(PluginHostAccessors, InfoTextEnabledFlagAndConfiguration) {
    TempDir dir;
    InstallPlugin(dir.path(), "pnm");
    InstallPlugin(dir.path(), "noentry");
    CSPISupport host;
    ASSERT_EQ(2, host.LoadPlugins(dir.path()));
    int pnm = IndexOf(host, "pnm" SPI_EXT);

    char buf[5];
    std::memset(buf, 'x', sizeof(buf));
    // The plug-in is given 4 and, as the API asks, writes 3 characters and a zero.
    EXPECT_EQ(3, host.GetPluginInfo(pnm, 1, buf, sizeof(buf)));
    EXPECT_STREQ("Tav", buf);
    char whole[64];
    host.GetPluginInfo(pnm, 1, whole, sizeof(whole));
    EXPECT_STREQ("Tavrin test Netpbm plug-in", whole);
    EXPECT_EQ(0, host.GetPluginInfo(7, 1, whole, sizeof(whole)));
    EXPECT_STREQ("", whole);

    EXPECT_EQ(2, host.CountSupportEntries());
    host.SetEnabled(pnm, false);
    EXPECT_FALSE(host.IsEnabled(pnm));
    EXPECT_EQ(0, host.CountSupportEntries());
    host.SetEnabled(pnm, true);

    ResetPluginLog(host, pnm);
    EXPECT_EQ(0, host.ConfigurationDlg(pnm, nullptr, 1));
    EXPECT_EQ("ConfigurationDlg:1;", PluginCallLog(host, pnm));
    EXPECT_EQ(-1, host.ConfigurationDlg(99, nullptr, 1));
    EXPECT_FALSE(host.HasEntryPoint(99, 1));
    EXPECT_TRUE(host.HasEntryPoint(pnm, CSPIPlugin::kConfigurationDlg));
    EXPECT_EQ(0, host.GetTypeFlags(-1));
    EXPECT_EQ("", host.GetFileName(99));
}

TEST(PluginControl, FollowsTheSettings) {
    TempDir first, second;
    InstallPlugin(first.path(), "pnm");
    InstallPlugin(second.path(), "tar");
    TestSettings s(false, first.path());
    CSPIControl host(&s.settings);
    EXPECT_EQ(0, host.GetPluginCount());
    EXPECT_EQ("", host.pluginDirectory());
    EXPECT_FALSE(host.ReloadFromSettings());

    s.settings.enableSPI = true;
    EXPECT_TRUE(host.ReloadFromSettings());
    EXPECT_EQ(first.path(), host.pluginDirectory());
    EXPECT_FALSE(host.ReloadFromSettings());  // nothing new
    s.settings.spiPath = second.path();
    EXPECT_TRUE(host.ReloadFromSettings());
    EXPECT_EQ(2, host.GetPluginCount());

    s.settings.enableSPI = false;
    EXPECT_FALSE(host.ReloadFromSettings());
    EXPECT_EQ("", host.pluginDirectory());
    EXPECT_EQ(2, host.GetPluginCount());  // plug-ins stay loaded
}

// The cache's host loads no plug-in until one is needed: the first decode or
// the first use of the host (a filter, a dialog), not the start.
TEST(PluginControl, TheCachesHostScansWhenFirstNeeded) {
    TempDir dir;
    InstallPlugin(dir.path(), "pnm");
    const std::string picture = dir.File("p.ppm");
    WriteBytes(picture, std::string("P6\n2 1\n255\n\xff\0\0\0\xff\0", 17));
    TestSettings s(true, dir.path());
    ScopedMessageRecorder messages;
    for (int use = 0; use < 2; ++use) {
        ClearAttachNotes();
        WallPaperList list;
        CWallBitmapList cache(&list, &s.settings);
        EXPECT_TRUE(AttachNotes().empty()) << "loaded at the start";
        if (use == 0) {
            EXPECT_TRUE(cache.Load(picture));
        } else {
            EXPECT_EQ(1, cache.pluginHost().GetPluginCount());
        }
        EXPECT_EQ(1u, CountOf(AttachNotes(), "pnm" SPI_EXT)) << use;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(PluginDisabledList, ReadIgnoringCaseAndRepeatedBackslashes) {
    TempDir dir;
    for (const char* f : {"pnm", "tar", "jpg"}) InstallPlugin(dir.path(), f);
    // "表.spi": the second byte of 表 is 0x5C, the backslash's byte.
    const std::string hyou = "\x95\x5C" SPI_EXT;
    ASSERT_FALSE(InstallPlugin(dir.path(), "im", hyou).empty());
    TestSettings s(true, dir.path());
    s.profile.WriteString("Settings", "DisableSPIs", "\\\\PNM" SPI_EXT_UPPER "\\\\\\Tar" SPI_EXT_MIXED "\\\\" +
                                                         std::string("\x95\x5C" SPI_EXT_UPPER));
    CSPIControl host(&s.settings);
    ASSERT_EQ(4, host.GetPluginCount());
    EXPECT_FALSE(host.IsEnabled(IndexOf(host, "pnm" SPI_EXT)));
    EXPECT_FALSE(host.IsEnabled(IndexOf(host, "tar" SPI_EXT)));
    EXPECT_FALSE(host.IsEnabled(IndexOf(host, hyou)));
    EXPECT_TRUE(host.IsEnabled(IndexOf(host, "jpg" SPI_EXT)));
}

TEST(PluginDisabledList, WrittenLowerCasedInIndexOrderWithoutTrailingBackslash) {
    TempDir dir;
    InstallPlugin(dir.path(), "pnm", "Upper" SPI_EXT_UPPER);
    InstallPlugin(dir.path(), "tar");
    InstallPlugin(dir.path(), "jpg");
    TestSettings s(true, dir.path());
    {
        CSPIControl host(&s.settings);
        ASSERT_EQ(3, host.GetPluginCount());
        EXPECT_TRUE(host.SaveDisabledList());
        EXPECT_EQ("", s.profile.GetString("Settings", "DisableSPIs", "absent"));

        std::string expected;
        for (int i = 0; i < host.GetPluginCount(); ++i) {
            if (host.GetFileName(i) == "jpg" SPI_EXT) continue;
            host.SetEnabled(i, false);
            expected += (expected.empty() ? "" : "\\") + LowerCp932(host.GetFileName(i));
        }
        EXPECT_TRUE(host.SaveDisabledList());
        EXPECT_EQ(expected, s.profile.GetString("Settings", "DisableSPIs", ""));
        EXPECT_NE(std::string::npos, expected.find("upper" SPI_EXT));
        host.SetEnabled(IndexOf(host, "tar" SPI_EXT), true);
    }
    // The destructor wrote the last choice.
    EXPECT_EQ("upper" SPI_EXT, s.profile.GetString("Settings", "DisableSPIs", ""));
}

TEST(PluginDisabledList, HostWithoutPluginsKeepsTheStoredList) {
    TempDir dir;
    InstallPlugin(dir.path(), "pnm");
    TestSettings s(false, dir.path());
    s.profile.WriteString("Settings", "DisableSPIs", "pnm" SPI_EXT);
    {
        CSPIControl host(&s.settings);
        EXPECT_TRUE(host.SaveDisabledList());
    }
    EXPECT_EQ("pnm" SPI_EXT, s.profile.GetString("Settings", "DisableSPIs", ""));

    // Switched on later, the first scan that finds plug-ins still honours
    // the stored choice, so the save at the end does not lose it.
    {
        CSPIControl later(&s.settings);
        s.settings.enableSPI = true;
        ASSERT_TRUE(later.ReloadFromSettings());
        EXPECT_FALSE(later.IsEnabled(0));
    }
    EXPECT_EQ("pnm" SPI_EXT, s.profile.GetString("Settings", "DisableSPIs", ""));
}

TEST(PluginDisabledList, NamesOfPluginsNotHeldAreKept) {
    TempDir dir, other;
    InstallPlugin(dir.path(), "pnm");
    InstallPlugin(other.path(), "tar");
    TestSettings s(true, dir.path());
    s.profile.WriteString("Settings", "DisableSPIs", "gone" SPI_EXT "\\pnm" SPI_EXT);
    {
        CSPIControl host(&s.settings);
        ASSERT_EQ(1, host.GetPluginCount());
        host.SetEnabled(0, true);
        // A plug-in from a later scan of another folder starts enabled.
        s.settings.spiPath = other.path();
        ASSERT_TRUE(host.ReloadFromSettings());
        EXPECT_TRUE(host.IsEnabled(IndexOf(host, "tar" SPI_EXT)));
        host.SetEnabled(IndexOf(host, "tar" SPI_EXT), false);
    }
    EXPECT_EQ("tar" SPI_EXT "\\gone" SPI_EXT, s.profile.GetString("Settings", "DisableSPIs", ""));
}
