#pragma once
// When and how the program lays the desktop out itself instead of handing
// the picture and its style to the system: fit and fill, and a wallpaper
// per monitor.  Everything else goes to the system as before.
#include <string>
#include <vector>

#include "desktop/MonitorTargets.h"
#include "desktop/DesktopStyleValues.h"
#include "list/CWallPaperData.h"

class AppContext;

enum class OwnLayout {
    None,          // the system lays out the picture in its style
    OneScreen,     // one monitor: the picture at the screen's size, set centred
    VirtualScreen  // several monitors: one picture of the whole virtual screen, set tiled
};

// `target`: the monitor the choice goes to, or null for all monitors;
// `keep`: the monitors' own choices stay (start-up, a change of monitors).
OwnLayout OwnLayoutFor(DisplayStyle style, const MonitorTargets* monitors, const MonitorInfo* target, bool keep);

// "TileWallPaper" and "WallpaperStyle" for the virtual screen's picture.
constexpr DesktopStyleValues kTiledValues = {"1", "0"};

struct DesktopLayout {
    const std::vector<MonitorInfo>& monitors;
    monitor_layout::Rect virtualScreen;
    const MonitorInfo* target;  // null: the choice is for all monitors
    MonitorChoice chosen;       // the entry being applied
    MonitorChoice allMonitors;  // the wallpaper of all monitors before this choice
    bool keepOwn;               // the monitors' own choices show
};

// What each monitor shows, in the order of `layout.monitors`: the target its
// new choice; with `keepOwn` or a target, the others their own choice where
// they have one; every other monitor the wallpaper of all monitors.  A
// monitor's own choice in span style shows as fill: it covers that monitor only.
std::vector<MonitorChoice> ChoicesPerMonitor(const DesktopLayout& layout, const MonitorTargets& targets);

// Draws and writes the virtual screen's picture; pictures not yet in the
// cache are loaded (one that cannot be is the desktop colour on its monitor).
bool WriteVirtualScreen(AppContext& context, const DesktopLayout& layout, const MonitorTargets& targets,
                        const std::string& file);
// The picture fitted or filled at the main screen's size.
bool WriteOneScreen(HBITMAP picture, DisplayStyle style, const std::string& file);
// After the wallpaper was set: the target keeps its choice; a choice for
// all monitors forgets every monitor's own.  Saved to the profile at once.
void RememberMonitorChoice(MonitorTargets& targets, const MonitorInfo* target, const CWallPaperData& entry);
