// Fit, fill and a wallpaper per monitor: the monitors' model, its menu and
// profile storage, and the applier writing the laid-out wallpaper file.
#include <gtest/gtest.h>

#include "../image/TestPictures.h"
#include "TestSupport.h"
#include "desktop/DesktopLayout.h"
#include "desktop/MonitorTargets.h"
#include "desktop/WallPaperApplier.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "context/AppContext.h"
#include "res/resource.h"

using monitor_layout::Rect;

namespace {
uint32_t SolidGreen(int, int) { return 0x00FF00; }
uint32_t SolidBlue(int, int) { return 0x0000FF; }
// A 90-pixel-wide picture in three bands: red, green, blue.
uint32_t Bands(int x, int) { return x < 30 ? 0xFF0000 : x < 60 ? 0x00FF00 : 0x0000FF; }
// A 30 x 60 picture: red above, blue below.
uint32_t TopAndBottom(int, int y) { return y < 30 ? 0xFF0000 : 0x0000FF; }

uint32_t DesktopColour() {
    COLORREF c = GetSysColor(COLOR_BACKGROUND);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

MonitorInfo Monitor(const std::string& identity, Rect rect, bool primary = false) {
    MonitorInfo m;
    m.identity = identity;
    m.rect = rect;
    m.work = rect;
    m.primary = primary;
    return m;
}

struct MonitorFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<WallPaperApplier> applier;
    std::unique_ptr<MonitorTargets> targets;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::string red, green, blue, bands, tall;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        context = std::make_unique<AppContext>(profile);
        context->settings().programDirectory = dir.path();
        applier = std::make_unique<WallPaperApplier>(*context);
        targets = std::make_unique<MonitorTargets>(profile);
        red = dir.File("red.bmp");
        green = dir.File("green.bmp");
        blue = dir.File("blue.bmp");
        bands = dir.File("bands.bmp");
        tall = dir.File("tall.bmp");
        WriteTestBitmap(red, 16, 16, SolidRed);
        WriteTestBitmap(green, 16, 16, SolidGreen);
        WriteTestBitmap(blue, 16, 16, SolidBlue);
        WriteTestBitmap(bands, 90, 10, Bands);
        WriteTestBitmap(tall, 30, 60, TopAndBottom);
    }

    // Two made-up monitors side by side that share the real screen between them.
    void SplitTheScreen() {
        targets->SetMonitors({Monitor("A", Rect{0, 0, width / 2, height}, true),
                              Monitor("B", Rect{width / 2, 0, width, height})});
        applier->SetMonitorTargets(targets.get());
    }

    // The wallpaper file as written: its size and a few pixels.
    struct Written {
        SIZE size = {0, 0};
        HBITMAP bitmap = nullptr;
        ~Written() { if (bitmap) DeleteObject(bitmap); }
        uint32_t at(int x, int y) const { return BitmapPixel(bitmap, x, y); }
    };
    std::unique_ptr<Written> ReadWallpaper() {
        auto written = std::make_unique<Written>();
        written->bitmap = (HBITMAP)LoadImageW(nullptr, W(dir.File("TVTemp.bmp")).c_str(), IMAGE_BITMAP, 0, 0,
                                              LR_LOADFROMFILE);
        written->size = BitmapSize(written->bitmap);
        return written;
    }
};
}  // namespace

TEST_F(MonitorFixture, FitAndFillOnOneMonitorWriteTheScreenSizedLookSetCentred) {
    // Neither halftone nor plug-ins are on: the program still lays these out.
    ASSERT_TRUE(applier->Apply(CWallPaperData("tall", tall, kStyleFit)));
    EXPECT_EQ(dir.File("TVTemp.bmp"), DesktopValue(L"Wallpaper"));
    EXPECT_EQ("0", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ("0", DesktopValue(L"WallpaperStyle"));
    EXPECT_EQ(kStyleFit, context->settings().viewStyle);
    auto fit = ReadWallpaper();
    ASSERT_NE(nullptr, fit->bitmap);
    EXPECT_EQ(width, fit->size.cx);
    EXPECT_EQ(height, fit->size.cy);
    // A tall picture on a wide screen: the whole of it, the desktop colour beside it.
    EXPECT_EQ(DesktopColour(), fit->at(0, height / 2));
    EXPECT_EQ(DesktopColour(), fit->at(width - 1, height / 2));
    EXPECT_EQ(0xFF0000u, fit->at(width / 2, height / 8));
    EXPECT_EQ(0x0000FFu, fit->at(width / 2, height - 1 - height / 8));

    // Filled, a very wide picture loses its sides: only the middle band shows.
    ASSERT_TRUE(applier->Apply(CWallPaperData("bands", bands, kStyleFill)));
    EXPECT_EQ("0", DesktopValue(L"TileWallPaper"));
    auto fill = ReadWallpaper();
    ASSERT_NE(nullptr, fill->bitmap);
    EXPECT_EQ(width, fill->size.cx);
    EXPECT_EQ(height, fill->size.cy);
    EXPECT_EQ(0x00FF00u, fill->at(0, 0));
    EXPECT_EQ(0x00FF00u, fill->at(width - 1, height - 1));
    EXPECT_EQ(0x00FF00u, fill->at(width / 2, height / 2));

    // Fitted, the same picture is a band across the middle.
    ASSERT_TRUE(applier->Apply(CWallPaperData("bands", bands, kStyleFit)));
    auto band = ReadWallpaper();
    EXPECT_EQ(DesktopColour(), band->at(width / 2, 0));
    EXPECT_EQ(0xFF0000u, band->at(2, height / 2));
    EXPECT_EQ(0x0000FFu, band->at(width - 3, height / 2));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MonitorFixture, EachMonitorKeepsItsOwnPictureUntilOneIsChosenForAll) {
    SplitTheScreen();
    ASSERT_TRUE(applier->Apply(CWallPaperData("green", green, kStyleStretch)));  // for all monitors
    EXPECT_EQ(green, DesktopValue(L"Wallpaper"));  // as ever: the system lays it out

    targets->SetTarget(1);
    ASSERT_TRUE(applier->Apply(CWallPaperData("red", red, kStyleFill)));
    EXPECT_EQ(dir.File("TVTemp.bmp"), DesktopValue(L"Wallpaper"));
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ("0", DesktopValue(L"WallpaperStyle"));
    // The wallpaper of all monitors is still green; B has its own.
    EXPECT_EQ(green, context->settings().selectedWallPaper);
    EXPECT_EQ(kStyleStretch, context->settings().viewStyle);
    EXPECT_EQ("B\t4\t" + red + "\n", profile.GetString("Monitors", "Wallpapers", "<none>"));
    EXPECT_EQ("B", profile.GetString("Monitors", "Target", "<none>"));
    {
        auto w = ReadWallpaper();
        ASSERT_NE(nullptr, w->bitmap);
        EXPECT_EQ(width, w->size.cx);
        EXPECT_EQ(height, w->size.cy);
        EXPECT_EQ(0x00FF00u, w->at(width / 4, height / 2));
        EXPECT_EQ(0xFF0000u, w->at(width * 3 / 4, height / 2));
        EXPECT_EQ(0xFF0000u, w->at(width / 2, 0));
    }

    targets->SetTarget(0);
    ASSERT_TRUE(applier->Apply(CWallPaperData("blue", blue, kStyleStretch)));
    EXPECT_EQ(MonitorChoice({blue, kStyleStretch}), targets->ShownOnTarget({green, kStyleStretch}));
    {
        auto w = ReadWallpaper();
        EXPECT_EQ(0x0000FFu, w->at(width / 4, height / 2));
        EXPECT_EQ(0xFF0000u, w->at(width * 3 / 4, height / 2));  // B keeps red
    }

    // The next start reads both choices back and lays them out again.
    DeleteFileW(W(dir.File("TVTemp.bmp")).c_str());
    MonitorTargets restored(profile);
    restored.Load();
    restored.SetMonitors(targets->monitors());
    EXPECT_EQ(&restored.monitors()[0], restored.target());
    ASSERT_NE(nullptr, restored.ChoiceFor("B"));
    EXPECT_EQ(MonitorChoice({red, kStyleFill}), *restored.ChoiceFor("B"));
    WallPaperApplier next(*context);
    next.SetMonitorTargets(&restored);
    ASSERT_TRUE(next.ApplyAtStartUp(CWallPaperData(std::string(), green, kStyleStretch)));
    {
        auto w = ReadWallpaper();
        ASSERT_NE(nullptr, w->bitmap);
        EXPECT_EQ(0x0000FFu, w->at(width / 4, height / 2));
        EXPECT_EQ(0xFF0000u, w->at(width * 3 / 4, height / 2));
    }
    EXPECT_EQ(2u, restored.choiceCount());  // a restore forgets nothing

    // A monitor that goes away keeps its choice; the target falls back to all.
    restored.SetMonitors({Monitor("B", Rect{0, 0, width, height}, true)});
    EXPECT_EQ(nullptr, restored.target());
    EXPECT_TRUE(restored.AnyPresentChoice());

    // A wallpaper for all monitors forgets the monitors' own.
    targets->SetTarget(-1);
    ASSERT_TRUE(applier->Apply(CWallPaperData("green", green, kStyleCentre)));
    EXPECT_EQ(green, DesktopValue(L"Wallpaper"));
    EXPECT_EQ("0", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ(0u, targets->choiceCount());
    EXPECT_EQ("", profile.GetString("Monitors", "Wallpapers", "<none>"));
    EXPECT_EQ("", profile.GetString("Monitors", "Target", "<none>"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MonitorFixture, FitOnSeveralMonitorsIsLaidOutForEachAtItsOwnSize) {
    SplitTheScreen();
    ASSERT_TRUE(applier->Apply(CWallPaperData("tall", tall, kStyleFit)));
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ(kStyleFit, context->settings().viewStyle);
    auto w = ReadWallpaper();
    ASSERT_NE(nullptr, w->bitmap);
    // Each half shows the whole picture centred in it, the desktop colour around.
    for (int left : {0, width / 2}) {
        const Rect fit = monitor_layout::FitRect(30, 60, width / 2, height);
        EXPECT_EQ(0xFF0000u, w->at(left + fit.left + fit.width() / 2, fit.top + fit.height() / 8));
        EXPECT_EQ(0x0000FFu, w->at(left + fit.left + fit.width() / 2, fit.bottom - 1 - fit.height() / 8));
        if (fit.left > 0) {
            EXPECT_EQ(DesktopColour(), w->at(left, height / 2));
        }
    }
}

TEST(MonitorTargets, TheSubmenuStorageAndWhatEachMonitorShows) {
    MemoryProfile profile;
    // Broken lines in the profile are skipped, good ones kept.
    profile.WriteString("Monitors", "Wallpapers",
                        "\\\\?\\DISPLAY#A\t3\tC:\\a.jpg\nbroken\n\t1\tC:\\x.bmp\nB\tx\tC:\\y.bmp\nC\t2\t\n"
                        "\\\\.\\DISPLAY2\t4\tC:\\b|in.jpg\n");
    profile.WriteString("Monitors", "Target", "gone");
    MonitorTargets targets(profile);
    targets.Load();
    EXPECT_EQ(2u, targets.choiceCount());
    ASSERT_NE(nullptr, targets.ChoiceFor("\\\\.\\DISPLAY2"));
    EXPECT_EQ(MonitorChoice({"C:\\b|in.jpg", kStyleFill}), *targets.ChoiceFor("\\\\.\\DISPLAY2"));

    // The Xinerama pair of the end-to-end run.
    targets.SetMonitors({Monitor("\\\\?\\DISPLAY#A", Rect{0, 0, 800, 600}, true),
                         Monitor("\\\\.\\DISPLAY2", Rect{800, 0, 1440, 480})});
    EXPECT_EQ(nullptr, targets.target());  // the stored target is not there
    EXPECT_EQ("&1: 800×600 (メイン)", MonitorTargets::ItemText(0, targets.monitors()[0]));
    EXPECT_EQ("&2: 640×480", MonitorTargets::ItemText(1, targets.monitors()[1]));

    // What each shows: the target its new choice, the others their own or
    // the wallpaper of all monitors.
    targets.SetTarget(1);
    targets.SetChoice("\\\\?\\DISPLAY#A", {"C:\\a.jpg", kStyleFit});
    DesktopLayout toOne{targets.monitors(), Rect{0, 0, 1440, 600}, targets.target(), {"C:\\new.bmp", kStyleTile},
                        {"C:\\all.bmp", kStyleCentre}, false};
    std::vector<MonitorChoice> shown = ChoicesPerMonitor(toOne, targets);
    EXPECT_EQ(MonitorChoice({"C:\\a.jpg", kStyleFit}), shown[0]);
    EXPECT_EQ(MonitorChoice({"C:\\new.bmp", kStyleTile}), shown[1]);
    DesktopLayout toAll{targets.monitors(), Rect{0, 0, 1440, 600}, nullptr, {"C:\\all.bmp", kStyleFill},
                        {"C:\\old.bmp", kStyleCentre}, false};
    shown = ChoicesPerMonitor(toAll, targets);
    EXPECT_EQ(MonitorChoice({"C:\\all.bmp", kStyleFill}), shown[0]);
    EXPECT_EQ(MonitorChoice({"C:\\all.bmp", kStyleFill}), shown[1]);
    targets.ForgetChoices();
    targets.SetChoice("\\\\?\\DISPLAY#A", {"C:\\a.jpg", kStyleFit});
    toAll.keepOwn = true;
    shown = ChoicesPerMonitor(toAll, targets);
    EXPECT_EQ(MonitorChoice({"C:\\a.jpg", kStyleFit}), shown[0]);
    EXPECT_EQ(MonitorChoice({"C:\\all.bmp", kStyleFill}), shown[1]);

    // One monitor: no submenu, and no target but all.
    targets.SetTarget(1);
    targets.SetMonitors({Monitor("\\\\.\\DISPLAY2", Rect{0, 0, 640, 480}, true)});
    EXPECT_EQ(nullptr, targets.target());
    HMENU single = CreatePopupMenu();
    AppendMenuW(single, MF_STRING, ID_LIST_SHOW, L"list");
    targets.InsertSubmenu(single, ID_LIST_SHOW);
    EXPECT_EQ(1, GetMenuItemCount(single));
    DestroyMenu(single);

    // Stored and read back.
    targets.Save();
    MonitorTargets again(profile);
    again.Load();
    EXPECT_EQ(1u, again.choiceCount());
    EXPECT_EQ(MonitorChoice({"C:\\a.jpg", kStyleFit}), *again.ChoiceFor("\\\\?\\DISPLAY#A"));
}
