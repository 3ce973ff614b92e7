// The texts derived from the loaded plug-ins: file dialog filters, the
// folder import's pattern list and the archive test.
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "plugin/CSPIControl.h"

namespace {
// jpg.spi (*.jpg, JPEG) from one directory, then lha.spi (*.lzh, LHA) from
// another, so the image plug-in has index 0.
struct WorkedExample {
    WorkedExample() : s(true, images.path()) {
        InstallPlugin(images.path(), "jpg");
        InstallPlugin(archives.path(), "lha");
        host.reset(new CSPIControl(&s.settings));
        s.settings.spiPath = archives.path();
        host->ReloadFromSettings();
    }
    TempDir images, archives;
    TestSettings s;
    std::unique_ptr<CSPIControl> host;
};
}  // namespace

TEST(PluginFilters, WorkedExampleWithAndWithoutArchives) {
    WorkedExample ex;
    ASSERT_EQ(2, ex.host->GetPluginCount());
    EXPECT_EQ("All Images|*.jpg|All Archives|*.lzh|JPEG (*.jpg)|*.jpg|LHA (*.lzh)|*.lzh|All Files(*.*)|*.*|",
              ex.host->GetOpenFilter(true));
    EXPECT_EQ("All Images|*.jpg|JPEG (*.jpg)|*.jpg|All Files(*.*)|*.*|", ex.host->GetOpenFilter(false));
    EXPECT_EQ(ex.host->GetOpenFilter(true), ex.host->GetFileFilter(true));
}

TEST(PluginFilters, OnlyArchivePluginsKeepAnEmptyImageGroup) {
    WorkedExample ex;
    ex.host->SetEnabled(0, false);
    EXPECT_EQ("All Images||All Archives|*.lzh|LHA (*.lzh)|*.lzh|All Files(*.*)|*.*|", ex.host->GetOpenFilter(true));
    EXPECT_EQ("All Images||All Files(*.*)|*.*|", ex.host->GetOpenFilter(false));
}

TEST(PluginFilters, FixedTextsWhenPluginsAreOffOrNoneIsLoaded) {
    WorkedExample ex;
    ex.s.settings.enableSPI = false;  // loaded plug-ins are ignored
    EXPECT_EQ("画像ファイル(*.bmp)|*.bmp|All Files(*.*)|*.*||", ex.host->GetOpenFilter(true));
    EXPECT_EQ("画像ファイル(*.bmp)|*.bmp|All Files(*.*)|*.*||", ex.host->GetOpenFilter(false));
    EXPECT_EQ("*.bmp", ex.host->GetImagePatterns());
    EXPECT_FALSE(ex.host->IsArchiveFile(".lzh"));

    TempDir empty;
    TestSettings on(true, empty.path());
    CSPIControl none(&on.settings);
    EXPECT_EQ("All Files(*.*)|*.*|", none.GetOpenFilter(true));
    EXPECT_EQ("All Files(*.*)|*.*|", none.GetOpenFilter(false));
    EXPECT_EQ("", none.GetImagePatterns());
    EXPECT_FALSE(none.IsArchiveFile("a.lzh"));
}

TEST(PluginFilters, PluginWithoutEntriesContributesNothingButIsListed) {
    TempDir dir;
    InstallPlugin(dir.path(), "noentry");
    TestSettings s(true, dir.path());
    CSPIControl host(&s.settings);
    EXPECT_EQ(1, host.GetPluginCount());
    EXPECT_EQ(0, host.CountSupportEntries());
    EXPECT_EQ("All Files(*.*)|*.*|", host.GetOpenFilter(true));
    EXPECT_EQ("", host.GetImagePatterns());
}

TEST(PluginFilters, EveryEntryOfEveryEnabledPluginInIndexOrder) {
    TempDir first, second;
    InstallPlugin(first.path(), "pnm");
    InstallPlugin(second.path(), "noentry");
    TestSettings s(true, first.path());
    CSPIControl host(&s.settings);
    s.settings.spiPath = second.path();
    host.ReloadFromSettings();
    EXPECT_EQ(2, host.CountSupportEntries());
    EXPECT_EQ("All Images|*.ppm;*.pgm;*.pnm|Netpbm image (*.ppm;*.pgm)|*.ppm;*.pgm|"
              "Portable anymap (*.pnm)|*.pnm|All Files(*.*)|*.*|",
              host.GetOpenFilter(false));
}

TEST(PluginPatterns, DuplicatesRemovedAndSemicolonsBecomeSpaces) {
    TempDir first, second, third;
    InstallPlugin(first.path(), "pnm");   // *.ppm;*.pgm and *.pnm
    InstallPlugin(second.path(), "dup");  // *.PNM and *.pam
    InstallPlugin(third.path(), "tar");   // archives are not listed
    TestSettings s(true, first.path());
    CSPIControl host(&s.settings);
    for (const TempDir* d : {&second, &third}) {
        s.settings.spiPath = d->path();
        host.ReloadFromSettings();
    }
    ASSERT_EQ(3, host.GetPluginCount());
    EXPECT_EQ("*.ppm *.pgm *.pnm *.pam ", host.GetImagePatterns());
    host.SetEnabled(0, false);
    EXPECT_EQ("*.PNM *.pam ", host.GetImagePatterns());
}

TEST(PluginArchiveTest, BareExtensionsAndNamesMatchArchivePatterns) {
    WorkedExample ex;
    EXPECT_TRUE(ex.host->IsArchiveFile(".lzh"));
    EXPECT_TRUE(ex.host->IsArchiveFile("C:\\pics\\a.LZH"));
    EXPECT_TRUE(ex.host->IsArchiveFile("a.lzh"));
    EXPECT_FALSE(ex.host->IsArchiveFile(".jpg"));  // an image pattern is no archive
    EXPECT_FALSE(ex.host->IsArchiveFile("a.lzh.txt"));
    EXPECT_FALSE(ex.host->IsArchiveFile(""));
    ex.host->SetEnabled(1, false);
    EXPECT_FALSE(ex.host->IsArchiveFile(".lzh"));
}
