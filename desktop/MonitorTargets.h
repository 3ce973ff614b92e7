#pragma once
// The monitors a wallpaper can go to, the one the next choice goes to, and
// the wallpaper each monitor was given on its own.  The choices and the
// target are kept in the profile, section "Monitors", by a stable identity
// of each monitor, so a monitor that goes away finds its choice again when
// it returns.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "image/MonitorLayout.h"
#include "framework/Profile.h"
#include "list/DisplayStyle.h"

struct MonitorInfo {
    // The device interface name where the system gives one, else the
    // display's device name ("\\.\DISPLAY2"), which carries its number.
    std::string identity;
    monitor_layout::Rect rect;  // screen coordinates
    monitor_layout::Rect work;  // the part the task bars leave
    bool primary = false;
};

// The system's monitors, in its order, each with an identity of its own.
std::vector<MonitorInfo> EnumerateMonitors();
// SM_XVIRTUALSCREEN ... SM_CYVIRTUALSCREEN.
monitor_layout::Rect VirtualScreenRect();

struct MonitorChoice {
    std::string path;
    DisplayStyle style = kStyleCentre;
    bool operator==(const MonitorChoice& o) const { return path == o.path && style == o.style; }
};

class MonitorTargets {
public:
    static constexpr const char* kSection = "Monitors";
    static constexpr const char* kWallpapersValue = "Wallpapers";  // "identity\tstyle\tpath" lines
    static constexpr const char* kTargetValue = "Target";          // an identity; empty: all monitors
    // Menu commands: all monitors, then one per monitor in the system's order.
    static constexpr UINT kAllCommand = 32900;
    static constexpr size_t kMaxMonitors = 64;  // also the most choices kept

    explicit MonitorTargets(ProfileStore& profile);

    void Load();
    bool Save();

    // The monitors now.  With fewer than two, or when the target monitor is
    // gone, the target is all monitors again.
    void SetMonitors(std::vector<MonitorInfo> monitors);
    const std::vector<MonitorInfo>& monitors() const { return m_monitors; }
    bool several() const { return m_monitors.size() >= 2; }

    // The monitor the next wallpaper goes to; null for all monitors.
    const MonitorInfo* target() const;
    // -1 for all monitors, else an index into monitors().
    void SetTarget(int index);

    const MonitorChoice* ChoiceFor(const std::string& identity) const;
    void SetChoice(const std::string& identity, const MonitorChoice& choice);
    void ForgetChoices() { m_choices.clear(); }
    // Whether a monitor there now shows a wallpaper of its own.
    bool AnyPresentChoice() const;
    size_t choiceCount() const { return m_choices.size(); }

    // The entry shown on the target monitor: its own choice, or the
    // wallpaper of all monitors.
    MonitorChoice ShownOnTarget(const MonitorChoice& allMonitors) const;

    // The submenu "モニター(&M)" before `beforeCommand`, followed by a
    // separator; nothing with fewer than two monitors.
    void InsertSubmenu(HMENU popup, UINT beforeCommand) const;
    bool IsMenuCommand(UINT command) const;
    // True when the command was one of the submenu's.
    bool OnMenuCommand(UINT command);
    // "&1: 1920×1080 (メイン)", in code page 932.
    static std::string ItemText(size_t index, const MonitorInfo& monitor);

private:
    ProfileStore& m_profile;
    std::vector<MonitorInfo> m_monitors;
    std::string m_target;  // identity, empty for all
    std::map<std::string, MonitorChoice> m_choices;
};
