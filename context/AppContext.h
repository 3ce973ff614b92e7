#pragma once
// What the tray window owns and every dialog is given: the settings, the
// wallpaper list and (made after the list, destroyed first) the picture cache.
#include <memory>

#include "settings/AppSettings.h"
#include "framework/Profile.h"
#include "image/CWallBitmapList.h"
#include "list/WallPaperList.h"

class AppContext {
public:
    explicit AppContext(ProfileStore& profile);
    // Saves the settings and the list first, then unloads the pictures and the plug-ins.
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    AppSettings& settings() { return *m_settings; }
    WallPaperList& list() { return *m_list; }
    CWallBitmapList& cache() { return *m_cache; }

    // When the log-on ends: settings, then the list, then the cache file
    // (which stores nothing).
    void SaveAll();

private:
    // Declaration order is creation order; destruction runs backwards.
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<WallPaperList> m_list;
    std::unique_ptr<CWallBitmapList> m_cache;
};
