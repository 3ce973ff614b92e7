#pragma once
// The picture cache: every picture the program shows or writes out is
// decoded here and kept, keyed by its path exactly as the list stores it
// (byte for byte, case-sensitive), within a budget of bytes: when a new
// picture would pass it, the least recently used pictures that nobody holds
// (PictureHold) are released first, and decoded again when next asked for.
// It owns the plug-in host and the preview store: every picture it decodes
// leaves its preview there, and with preloading on the missing previews of
// all listed pictures are made ahead (PreviewMaker) instead of decoding and
// keeping the full pictures.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "framework/Handles.h"
#include "image/CPictureData.h"
#include "image/PictureHold.h"
#include "image/PreviewNeed.h"

class AppSettings;
class CSPIControl;
class PreviewMaker;
class PreviewStore;
class WallPaperList;

// A stored preview made into a bitmap to show: the bitmap is the preview's
// (smaller than the picture), the sizes the full picture's.
struct ShownPreview {
    UniqueBitmap bitmap;
    int pictureWidth = 0, pictureHeight = 0;
};

class CWallBitmapList {
public:
    using Pictures = std::map<std::string, std::shared_ptr<CPictureData>>;
    // Decodes a path into a new bitmap, or null.  A failure for lack of
    // memory sets `memoryCode` to 4 and is left to the cache to report.
    using Decoder = std::function<HBITMAP(const std::string& path, int* memoryCode)>;

    static constexpr uint64_t kDefaultBudget = 256ull << 20;

    CWallBitmapList(WallPaperList* list, AppSettings* settings);
    ~CWallBitmapList();
    CWallBitmapList(const CWallBitmapList&) = delete;
    CWallBitmapList& operator=(const CWallBitmapList&) = delete;

    // Decodes the picture unless it is cached, and adds a reference.  True
    // when it is cached now.  Room is made first; a picture larger than the
    // whole budget is still kept until it is held and let go, or until the
    // next picture needs the room.
    bool Load(const std::string& path);
    // The cached picture of `path`, held for the length of a use; empty when
    // it is not cached.  Adds no reference.
    PictureHold Hold(const std::string& path);
    // Load, then Hold: the picture a caller is about to draw or write.
    PictureHold LoadAndHold(const std::string& path);
    // Removes the picture whatever its count.  True when there was one.
    bool Unload(const std::string& path);
    // The cached bitmap (still the cache's), or null.  Valid until the
    // cache next decodes something; hold the picture to keep it longer.
    HBITMAP GetBitmap(const std::string& path) const;
    const CPictureData* Find(const std::string& path) const;
    // Drops pictures no longer listed (and their stored previews, the store
    // saved); with preloading on, has the missing previews of the listed
    // pictures made ahead.  The store follows the list file.
    void Synchronize();
    // The stored preview of `path` when one serves `need`; false otherwise
    // (none, a changed file, or bytes that no longer decode).
    bool LoadStoredPreview(const std::string& path, const PreviewNeed& need, ShownPreview* out);
    // What the preview window needs of `path` on the largest monitor, for
    // the styles it is listed with.
    PreviewNeed StoreNeedOf(const std::string& path) const;
    PreviewStore& previewStore() { return *m_store; }
    PreviewMaker& previewMaker() { return *m_maker; }
    // With `waiting` set, the preview of a picture just decoded is stored
    // later, at StoreWaitingPreviews (or when the picture leaves first), so
    // the picture is shown before it is reduced; `waiting` is called when
    // the first one waits.  Unset, previews are stored at each decode.
    void SetPreviewsWaiting(std::function<void()> waiting) { m_previewsWaiting = std::move(waiting); }
    void StoreWaitingPreviews();
    // Stored previews shown since the cache was made.
    uint64_t storedPreviewsShown() const { return m_storedShown; }
    // Decodes every cached path again; what no longer decodes leaves.
    void ReloadAll();
    void UnloadAll();
    // Releases every picture nobody holds.
    void ReleaseUnused();
    // The pictures themselves are never kept in a file: SaveCacheFile saves
    // the preview store (previews of unlisted pictures dropped), and
    // LoadCacheFile does nothing.
    bool SaveCacheFile();
    bool LoadCacheFile() { return false; }

    // Bytes the bitmap would take as a BMP file, or -1.
    static int32_t PictureSize(HBITMAP bitmap);

    // The budget in bytes; a smaller one releases pictures at once.
    void SetBudget(uint64_t bytes);
    uint64_t budget() const { return m_budget; }
    // Bytes of the cached pictures, counted as PictureSize gives them.
    uint64_t heldBytes() const { return m_heldBytes; }
    // Whether the last decode failed for lack of memory (and said so).
    bool lastLoadLackedMemory() const { return m_lastLackedMemory; }
    // Pictures decoded since the cache was made.
    uint64_t decodeCount() const { return m_decodes; }
    // Replaces the decoder (the plug-in host's by default).
    void SetDecoder(Decoder decoder) { m_decoder = std::move(decoder); }

    const Pictures& pictures() const { return m_pictures; }
    size_t count() const { return m_pictures.size(); }
    // The plug-in host, its plug-ins scanned on the first call.
    CSPIControl& pluginHost();

private:
    friend class PictureHold;
    // Decodes `path` into a new entry (reference count 1), making room for
    // it first unless `keepOthers`.  Null when it does not decode.
    CPictureData* Decode(const std::string& path, bool keepOthers);
    // Releases unheld pictures, least recently used first, until at most
    // `limit` bytes are held; `spare` is never released.
    void TrimTo(uint64_t limit, const CPictureData* spare = nullptr);
    void Erase(Pictures::iterator it);
    void Touch(const CPictureData& picture) const { picture.m_nLastUse = ++m_clock; }

    // Leaves the picture's preview in the store unless one that serves is there.
    void StorePreviewOf(const std::string& path, HBITMAP picture);
    void FollowListFile();

    std::unique_ptr<CSPIControl> m_host;
    std::unique_ptr<PreviewStore> m_store;
    std::unique_ptr<PreviewMaker> m_maker;
    uint64_t m_storedShown = 0;
    Pictures m_pictures;
    WallPaperList* m_list;
    AppSettings* m_settings;
    Decoder m_decoder;
    std::function<void()> m_previewsWaiting;
    std::vector<std::string> m_unstored;  // decoded, their previews not yet stored
    uint64_t m_budget = kDefaultBudget;
    uint64_t m_heldBytes = 0;
    // The size of the last picture decoded: the room made for the next one.
    uint64_t m_lastDecodedBytes = 0;
    uint64_t m_decodes = 0;
    bool m_lastLackedMemory = false;
    mutable uint64_t m_clock = 0;
    // What holds reach the cache through; empty once the cache is gone.
    std::shared_ptr<CWallBitmapList*> m_self;
};
