#include "desktop/WallpaperFileStamp.h"

#include <windows.h>

#include <sstream>

#include "context/AppContext.h"
#include "desktop/DesktopLayout.h"
#include "desktop/MonitorTargets.h"
#include "framework/TextBridge.h"
#include "plugin/ArchiveMemberPath.h"
#include "util/FileIO.h"

std::string FileFactsOf(const std::string& path) {
    unsigned long long size = 0, time = 0;
    if (!ReadFileFacts(path, &size, &time)) return "-";
    return std::to_string(size) + ":" + std::to_string(time);
}

std::string WallpaperFileStamp(AppContext& context, const MonitorTargets* monitors, const std::string& wallpaperFile,
                               const DesktopStyleValues& values) {
    const AppSettings& settings = context.settings();
    const MonitorChoice selected{settings.selectedWallPaper, settings.viewStyle};
    std::ostringstream out;
    // Fields are separated by a tab, which no path holds.
    out << "1\t" << wallpaperFile << '\t' << FileFactsOf(wallpaperFile) << '\t' << values.tile << ',' << values.style
        << '\t' << settings.enableHalfTone << settings.enableSPI << '\t' << GetSysColor(COLOR_BACKGROUND) << '\t'
        << GetSystemMetrics(SM_CXSCREEN) << 'x' << GetSystemMetrics(SM_CYSCREEN);
    // A picture in an archive changes with its archive.  A picture that cannot
    // be read makes no stamp: the start then tries it and says why.
    bool complete = FileFactsOf(wallpaperFile) != "-";
    auto source = [&](const MonitorChoice& choice) {
        if (choice.path.empty()) return;
        const ArchiveMemberPath split = SplitArchiveMemberPath(choice.path);
        const std::string facts = FileFactsOf(split.archive);
        complete = complete && facts != "-";
        out << '\t' << choice.style << ':' << choice.path << ':' << facts;
    };
    if (OwnLayoutFor(settings.viewStyle, monitors, nullptr, true) == OwnLayout::VirtualScreen) {
        const monitor_layout::Rect screen = VirtualScreenRect();
        DesktopLayout layout{monitors->monitors(), screen, nullptr, selected, selected, true};
        const std::vector<MonitorChoice> shown = ChoicesPerMonitor(layout, *monitors);
        out << '\t' << screen.left << ',' << screen.top << ',' << screen.right << ',' << screen.bottom;
        for (size_t i = 0; i < shown.size(); ++i) {
            const monitor_layout::Rect& r = layout.monitors[i].rect;
            out << '\t' << layout.monitors[i].identity << '=' << r.left << ',' << r.top << ',' << r.right << ','
                << r.bottom;
            source(shown[i]);
        }
    } else {
        source(selected);
    }
    return complete ? out.str() : std::string();
}
