#include "image/CWallBitmapList.h"

#include <unordered_map>
#include <vector>

#include "app/AppSettings.h"
#include "list/WallPaperList.h"
#include "plugin/CSPIControl.h"

CWallBitmapList::CWallBitmapList(WallPaperList* list, AppSettings* settings)
    : m_host(std::make_unique<CSPIControl>(settings)), m_list(list), m_settings(settings) {}

CWallBitmapList::~CWallBitmapList() {
    UnloadAll();
    m_host.reset();
}

bool CWallBitmapList::Load(const std::string& path) {
    if (path.empty()) return false;
    auto it = m_pictures.find(path);
    if (it != m_pictures.end()) {
        ++it->second->m_nRefCount;
        return true;
    }
    HBITMAP bitmap = m_host->LoadPicture(path);
    if (!bitmap) return false;
    m_pictures.emplace(path, std::make_unique<CPictureData>(bitmap, path, PictureSize(bitmap)));
    return true;
}

bool CWallBitmapList::Unload(const std::string& path) {
    if (path.empty()) return false;
    return m_pictures.erase(path) > 0;
}

HBITMAP CWallBitmapList::GetBitmap(const std::string& path) const {
    const CPictureData* picture = Find(path);
    return picture ? picture->m_hBitmap : nullptr;
}

const CPictureData* CWallBitmapList::Find(const std::string& path) const {
    if (path.empty()) return nullptr;
    auto it = m_pictures.find(path);
    return it == m_pictures.end() ? nullptr : it->second.get();
}

void CWallBitmapList::Synchronize() {
    // How often each path is listed, so the walk over the cache is not a
    // search through the whole list for every picture.
    std::unordered_map<std::string, size_t> listed;
    for (const auto& entry : m_list->entries()) ++listed[entry->m_strPath];

    // A cached picture takes up the first listing of its path; one that is
    // not listed goes.
    std::unordered_map<std::string, bool> takenUp;
    for (auto it = m_pictures.begin(); it != m_pictures.end();) {
        auto found = listed.find(it->first);
        if (found != listed.end() && found->second > 0) {
            takenUp[it->first] = true;
            ++it;
        } else {
            it = m_pictures.erase(it);
        }
    }
    if (!m_settings->preloadPreviewPics) return;

    // Every listing not taken up is loaded, in list order.
    std::vector<std::string> toLoad;
    for (const auto& entry : m_list->entries()) {
        auto taken = takenUp.find(entry->m_strPath);
        if (taken != takenUp.end() && taken->second) {
            taken->second = false;
            continue;
        }
        toLoad.push_back(entry->m_strPath);
    }
    for (const std::string& path : toLoad) Load(path);
}

void CWallBitmapList::ReloadAll() {
    std::vector<std::string> paths;
    paths.reserve(m_pictures.size());
    for (const auto& picture : m_pictures) paths.push_back(picture.first);
    for (const std::string& path : paths)
        if (Unload(path)) Load(path);
}

void CWallBitmapList::UnloadAll() { m_pictures.clear(); }

int32_t CWallBitmapList::PictureSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) != sizeof(info)) return -1;
    int64_t size = static_cast<int64_t>(info.bmWidthBytes) * info.bmHeight + 54;
    switch (info.bmBitsPixel) {
    case 1: size += 8; break;
    case 4: size += 64; break;
    case 8: size += 1024; break;
    default: break;
    }
    return size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
}
