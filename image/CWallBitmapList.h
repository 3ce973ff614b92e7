#pragma once
// The picture cache: every picture the program shows or writes out is
// decoded once and kept here, keyed by its path exactly as the list stores it
// (byte for byte, case-sensitive).  It owns the plug-in host.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "image/CPictureData.h"

class AppSettings;
class CSPIControl;
class WallPaperList;

class CWallBitmapList {
public:
    using Pictures = std::map<std::string, std::unique_ptr<CPictureData>>;

    CWallBitmapList(WallPaperList* list, AppSettings* settings);
    ~CWallBitmapList();
    CWallBitmapList(const CWallBitmapList&) = delete;
    CWallBitmapList& operator=(const CWallBitmapList&) = delete;

    // Decodes the picture unless it is cached, and adds a reference.  True
    // when it is cached now.
    bool Load(const std::string& path);
    // Removes the picture whatever its count.  True when there was one.
    bool Unload(const std::string& path);
    // The cached bitmap (still the cache's), or null.
    HBITMAP GetBitmap(const std::string& path) const;
    const CPictureData* Find(const std::string& path) const;
    // Drops pictures no longer listed; with preloading on, loads every
    // listed picture (a path listed n times gains n - 1 references).
    void Synchronize();
    // Decodes every cached path again; what no longer decodes leaves.
    void ReloadAll();
    void UnloadAll();
    // Keeping the cache in a file is not done: both do nothing.
    bool SaveCacheFile() { return false; }
    bool LoadCacheFile() { return false; }

    // Bytes the bitmap would take as a BMP file, or -1.
    static int32_t PictureSize(HBITMAP bitmap);

    const Pictures& pictures() const { return m_pictures; }
    size_t count() const { return m_pictures.size(); }
    CSPIControl& pluginHost() { return *m_host; }

private:
    std::unique_ptr<CSPIControl> m_host;
    Pictures m_pictures;
    WallPaperList* m_list;
    AppSettings* m_settings;
};
