#pragma once
// What the tray window owns and every dialog is given: the settings, the
// wallpaper list and (made after the list, destroyed first) the picture cache.
#include <memory>

#include "app/AppSettings.h"
#include "framework/Profile.h"
#include "list/WallPaperList.h"

class AppContext {
public:
    explicit AppContext(ProfileStore& profile);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    AppSettings& settings() { return *m_settings; }
    WallPaperList& list() { return *m_list; }

    // When the log-on ends: settings, then the list.
    void SaveAll();

private:
    // Declaration order is creation order; destruction runs backwards.
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<WallPaperList> m_list;
};
