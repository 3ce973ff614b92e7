#include "desktop/DesktopLayout.h"

#include "image/LookDrawing.h"
#include "framework/Handles.h"
#include "image/BitmapFileImage.h"
#include "image/CWallBitmapList.h"
#include "context/AppContext.h"

OwnLayout OwnLayoutFor(DisplayStyle style, const MonitorTargets* monitors, const MonitorInfo* target, bool keep) {
    if (target) return OwnLayout::VirtualScreen;
    if (monitors && keep && monitors->AnyPresentChoice()) return OwnLayout::VirtualScreen;
    if (!IsAspectStyle(style)) return OwnLayout::None;
    return monitors && monitors->several() ? OwnLayout::VirtualScreen : OwnLayout::OneScreen;
}

std::vector<MonitorChoice> ChoicesPerMonitor(const DesktopLayout& layout, const MonitorTargets& targets) {
    std::vector<MonitorChoice> shown;
    const bool ownShow = layout.keepOwn || layout.target;
    for (const MonitorInfo& m : layout.monitors) {
        const MonitorChoice* own = ownShow ? targets.ChoiceFor(m.identity) : nullptr;
        // A monitor's own choice covers that monitor alone: span is fill there.
        if (layout.target && m.identity == layout.target->identity)
            shown.push_back(MonitorChoice{layout.chosen.path, StyleOnOneMonitor(layout.chosen.style)});
        else if (own)
            shown.push_back(MonitorChoice{own->path, StyleOnOneMonitor(own->style)});
        else
            shown.push_back(layout.target ? layout.allMonitors : layout.chosen);
    }
    return shown;
}

bool WriteVirtualScreen(AppContext& context, const DesktopLayout& layout, const MonitorTargets& targets,
                        const std::string& file) {
    CWallBitmapList& cache = context.cache();
    const std::vector<MonitorChoice> shown = ChoicesPerMonitor(layout, targets);
    std::vector<MonitorLook> looks;
    // Every monitor's picture is held until the composition is written: a
    // later monitor's decode must not release an earlier one's under it.
    std::vector<PictureHold> held;
    for (size_t i = 0; i < shown.size(); ++i) {
        MonitorLook look;
        look.monitor = layout.monitors[i].rect;
        look.style = shown[i].style;
        if (!shown[i].path.empty()) {
            PictureHold hold = cache.Hold(shown[i].path);
            if (!hold) hold = cache.LoadAndHold(shown[i].path);
            look.picture = hold.bitmap();
            held.push_back(std::move(hold));
        }
        looks.push_back(look);
    }
    CDIBitmap picture;
    return ComposeVirtualScreen(layout.virtualScreen, looks, context.settings().enableHalfTone, &picture) &&
           WriteBitmapFile(picture.handle(), file);
}

bool WriteOneScreen(HBITMAP picture, DisplayStyle style, const std::string& file) {
    UniqueBitmap look(DrawLookBitmap(picture, style, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), true));
    return look && WriteBitmapFile(look.get(), file);
}

void RememberMonitorChoice(MonitorTargets& targets, const MonitorInfo* target, const CWallPaperData& entry) {
    if (target)
        targets.SetChoice(target->identity, MonitorChoice{entry.m_strPath, entry.m_nStyle});
    else
        targets.ForgetChoices();
    targets.Save();
}
