#include "image/CWallBitmapList.h"

#include <unordered_map>
#include <vector>

#include <algorithm>

#include "image/PreviewCodec.h"
#include "image/PreviewMaker.h"
#include "image/PreviewStore.h"
#include "list/WallPaperList.h"
#include "plugin/CSPIControl.h"
#include "plugin/SusieErrors.h"
#include "settings/AppSettings.h"

namespace {
// The largest width and the largest height among the monitors: a stored
// preview serves the preview window on any of them.
BOOL CALLBACK WidenToMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    SIZE* largest = reinterpret_cast<SIZE*>(data);
    largest->cx = std::max<LONG>(largest->cx, rect->right - rect->left);
    largest->cy = std::max<LONG>(largest->cy, rect->bottom - rect->top);
    return TRUE;
}

SIZE LargestMonitor() {
    SIZE largest = {0, 0};
    EnumDisplayMonitors(nullptr, nullptr, WidenToMonitor, reinterpret_cast<LPARAM>(&largest));
    if (largest.cx <= 0 || largest.cy <= 0) largest = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return largest;
}
}  // namespace

CWallBitmapList::CWallBitmapList(WallPaperList* list, AppSettings* settings)
    : m_host(std::make_unique<CSPIControl>(settings, false)),  // scanned when first needed
      m_store(std::make_unique<PreviewStore>()),
      m_list(list),
      m_settings(settings),
      m_self(std::make_shared<CWallBitmapList*>(this)) {
    m_maker = std::make_unique<PreviewMaker>(m_store.get());
    if (settings) {
        m_budget = settings->PictureCacheBudgetBytes();
        m_store->SetBudget(settings->PreviewStoreBudgetBytes());
    }
    FollowListFile();
    m_decoder = [host = m_host.get()](const std::string& path, int* memoryCode) {
        return host->LoadPicture(path, memoryCode);
    };
}

CSPIControl& CWallBitmapList::pluginHost() {
    m_host->EnsureScanned();
    return *m_host;
}

CWallBitmapList::~CWallBitmapList() {
    // Holds that outlive the cache keep their bitmaps and stop calling back.
    m_self.reset();
    const bool makerEnded = m_maker->Stop();
    SaveCacheFile();
    UnloadAll();
    m_host.reset();
    if (!makerEnded) {
        // Its thread is still in a plug-in and would come back to freed
        // memory: the maker and the store are left to the ending process.
        (void)m_maker.release();
        (void)m_store.release();
    }
}

void CWallBitmapList::FollowListFile() {
    if (m_list) m_store->SetFile(PreviewStore::FileFor(m_list->path()));
}

bool CWallBitmapList::SaveCacheFile() {
    StoreWaitingPreviews();
    if (m_list) {
        std::unordered_map<std::string, bool> listed;
        for (const auto& entry : m_list->entries()) listed[entry->m_strPath] = true;
        m_store->KeepOnly([&](const std::string& path) { return listed.count(path) != 0; });
    }
    return m_store->Save();
}

PreviewNeed CWallBitmapList::StoreNeedOf(const std::string& path) const {
    bool centred = false;
    if (m_list) {
        for (const auto& entry : m_list->entries())
            if (entry->m_strPath == path && !IsAspectStyle(entry->m_nStyle) && entry->m_nStyle != kStyleStretch)
                centred = true;
    }
    const SIZE monitor = LargestMonitor();
    return PreviewWindowNeed(monitor.cx, monitor.cy, centred);
}

void CWallBitmapList::StorePreviewOf(const std::string& path, HBITMAP picture) {
    PreviewKey key;
    if (!PreviewStore::KeyOf(path, &key)) return;
    const PreviewNeed need = StoreNeedOf(path);
    StoredPreview sizes;
    if (m_store->Find(key, &sizes) &&
        StoredPreviewFits(sizes.width, sizes.height, sizes.pictureWidth, sizes.pictureHeight, need))
        return;
    StoredPreview preview;
    if (MakeStoredPreview(picture, need, &preview)) m_store->Put(key, std::move(preview));
}

bool CWallBitmapList::LoadStoredPreview(const std::string& path, const PreviewNeed& need, ShownPreview* out) {
    PreviewKey key;
    StoredPreview stored;
    if (!PreviewStore::KeyOf(path, &key) || !m_store->Find(key, &stored) ||
        !StoredPreviewFits(stored.width, stored.height, stored.pictureWidth, stored.pictureHeight, need) ||
        !m_store->Read(key, &stored))
        return false;
    UniqueBitmap bitmap(DecodePreview(stored.encoded, stored.width, stored.height));
    if (!bitmap) {
        // Damaged bytes: made again from the picture the next time it is decoded.
        m_store->Forget(path);
        return false;
    }
    out->bitmap = std::move(bitmap);
    out->pictureWidth = static_cast<int>(stored.pictureWidth);
    out->pictureHeight = static_cast<int>(stored.pictureHeight);
    ++m_storedShown;
    return true;
}

bool CWallBitmapList::Load(const std::string& path) {
    if (path.empty()) return false;
    auto it = m_pictures.find(path);
    if (it != m_pictures.end()) {
        ++it->second->m_nRefCount;
        Touch(*it->second);
        return true;
    }
    return Decode(path, false) != nullptr;
}

PictureHold CWallBitmapList::Hold(const std::string& path) {
    if (path.empty()) return PictureHold();
    auto it = m_pictures.find(path);
    if (it == m_pictures.end()) return PictureHold();
    Touch(*it->second);
    return PictureHold(it->second, m_self);
}

PictureHold CWallBitmapList::LoadAndHold(const std::string& path) {
    // Load never releases the picture it has just loaded, so the hold finds it.
    if (!Load(path)) return PictureHold();
    return Hold(path);
}

CPictureData* CWallBitmapList::Decode(const std::string& path, bool keepOthers) {
    // Room for a picture like the last one, before the decoder needs it: the
    // decoder's own buffers come on top of what the cache holds.
    if (!keepOthers) TrimTo(m_budget > m_lastDecodedBytes ? m_budget - m_lastDecodedBytes : 0);
    int memoryCode = SusieResult::kSuccess;
    HBITMAP bitmap = m_decoder(path, &memoryCode);
    ++m_decodes;
    m_lastLackedMemory = false;
    if (!bitmap && memoryCode == SusieResult::kNoMemory) {
        // Everything nobody uses goes, and the picture is tried once more.
        ReleaseUnused();
        memoryCode = SusieResult::kSuccess;
        bitmap = m_decoder(path, &memoryCode);
        ++m_decodes;
        m_lastLackedMemory = !bitmap && memoryCode == SusieResult::kNoMemory;
        if (m_lastLackedMemory) m_host->ReportLoadError(SusieResult::kNoMemory);
    }
    if (!bitmap) return nullptr;

    // A decode that showed a box let messages run: a preview may have asked
    // for the same picture meanwhile and added it.  That entry stays (it may
    // be held), the new bitmap goes, and the bytes are counted once.
    auto present = m_pictures.find(path);
    if (present != m_pictures.end()) {
        DeleteObject(bitmap);
        ++present->second->m_nRefCount;
        Touch(*present->second);
        return present->second.get();
    }

    if (!m_previewsWaiting) {
        StorePreviewOf(path, bitmap);
    } else if (std::find(m_unstored.begin(), m_unstored.end(), path) == m_unstored.end()) {
        if (m_unstored.empty()) m_previewsWaiting();
        m_unstored.push_back(path);
    }
    auto picture = std::make_shared<CPictureData>(bitmap, path, PictureSize(bitmap));
    Touch(*picture);
    m_heldBytes += picture->BudgetBytes();
    m_lastDecodedBytes = picture->BudgetBytes();
    CPictureData* added = picture.get();
    m_pictures[path] = std::move(picture);
    if (!keepOthers) TrimTo(m_budget, added);
    return added;
}

void CWallBitmapList::TrimTo(uint64_t limit, const CPictureData* spare) {
    while (m_heldBytes > limit) {
        // The least recently used picture that nobody holds but the cache.
        auto victim = m_pictures.end();
        for (auto it = m_pictures.begin(); it != m_pictures.end(); ++it) {
            const CPictureData* picture = it->second.get();
            if (picture == spare || it->second.use_count() > 1) continue;
            if (victim == m_pictures.end() || picture->m_nLastUse < victim->second->m_nLastUse) victim = it;
        }
        if (victim == m_pictures.end()) return;
        Erase(victim);
    }
}

void CWallBitmapList::StoreWaitingPreviews() {
    std::vector<std::string> waiting;
    waiting.swap(m_unstored);
    for (const std::string& path : waiting) {
        auto it = m_pictures.find(path);
        if (it != m_pictures.end()) StorePreviewOf(path, it->second->m_hBitmap);
    }
}

void CWallBitmapList::Erase(Pictures::iterator it) {
    auto waiting = std::find(m_unstored.begin(), m_unstored.end(), it->first);
    if (waiting != m_unstored.end()) {
        m_unstored.erase(waiting);
        StorePreviewOf(it->first, it->second->m_hBitmap);
    }
    m_heldBytes -= it->second->BudgetBytes();
    m_pictures.erase(it);
}

void CWallBitmapList::ReleaseUnused() { TrimTo(0); }

void CWallBitmapList::SetBudget(uint64_t bytes) {
    m_budget = bytes;
    TrimTo(m_budget);
}

bool CWallBitmapList::Unload(const std::string& path) {
    if (path.empty()) return false;
    auto it = m_pictures.find(path);
    if (it == m_pictures.end()) return false;
    Erase(it);
    return true;
}

HBITMAP CWallBitmapList::GetBitmap(const std::string& path) const {
    const CPictureData* picture = Find(path);
    if (!picture) return nullptr;
    Touch(*picture);
    return picture->m_hBitmap;
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

    // A cached picture that is not listed goes, its preview not stored.
    m_unstored.erase(std::remove_if(m_unstored.begin(), m_unstored.end(),
                                    [&](const std::string& path) { return listed.find(path) == listed.end(); }),
                     m_unstored.end());
    for (auto it = m_pictures.begin(); it != m_pictures.end();) {
        auto next = std::next(it);
        if (listed.find(it->first) == listed.end()) Erase(it);
        it = next;
    }
    FollowListFile();
    SaveCacheFile();
    if (!m_settings || !m_settings->preloadPreviewPics) {
        m_maker->Cancel();
        return;
    }
    // The previews still missing, in list order, each path once.
    std::vector<PreviewMaker::Job> jobs;
    std::unordered_map<std::string, bool> queued;
    for (const auto& entry : m_list->entries()) {
        if (entry->m_strPath.empty() || !queued.emplace(entry->m_strPath, true).second) continue;
        jobs.push_back(PreviewMaker::Job{entry->m_strPath, StoreNeedOf(entry->m_strPath)});
    }
    m_maker->Start(CSPIControl::SourceOf(*m_settings), std::move(jobs));
}

void CWallBitmapList::ReloadAll() {
    std::vector<std::string> paths;
    paths.reserve(m_pictures.size());
    for (const auto& picture : m_pictures) paths.push_back(picture.first);
    for (const std::string& path : paths)
        if (Unload(path)) Load(path);
}

void CWallBitmapList::UnloadAll() {
    StoreWaitingPreviews();
    m_pictures.clear();
    m_heldBytes = 0;
}

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

// The cache's hold on a picture: letting go trims the cache to its budget.
PictureHold::PictureHold(PictureHold&& other) noexcept
    : m_picture(std::move(other.m_picture)), m_cache(std::move(other.m_cache)) {}

PictureHold& PictureHold::operator=(PictureHold&& other) noexcept {
    if (this != &other) {
        reset();
        m_picture = std::move(other.m_picture);
        m_cache = std::move(other.m_cache);
    }
    return *this;
}

HBITMAP PictureHold::bitmap() const { return m_picture ? m_picture->m_hBitmap : nullptr; }

void PictureHold::reset() {
    if (!m_picture) return;
    m_picture.reset();
    // The picture may have been kept over the budget only for this use.
    if (std::shared_ptr<CWallBitmapList*> cache = m_cache.lock()) (*cache)->TrimTo((*cache)->budget());
    m_cache.reset();
}
