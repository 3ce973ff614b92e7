#pragma once
// The preview store: for every picture that has been seen, what the previews
// draw (the picture reduced, PreviewCodec), kept in one file beside the list
// file so a restarted program previews at once.  An entry is found by the
// path as the list stores it together with the size and last-write time of
// the file it lives in (an archive member's archive): a changed file is
// simply not found.  The store holds at most its budget of bytes, the least
// recently shown entry going first.  Only the index is kept in memory; a
// preview's bytes are read from the file when it is shown.  The file is
// replaced whole and atomically; a damaged or foreign file is set aside
// ("<name>.damaged") and the store starts empty.  Safe to use from the tray's
// thread and the thread that makes previews ahead at once.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

#include "framework/Handles.h"
#include "image/PreviewStoreFormat.h"

struct PreviewKey {
    std::string path;  // as the list stores it
    uint64_t fileSize = 0;
    uint64_t writeTime = 0;
};

// What one stored preview is: the sizes, and (when read) its bytes.
struct StoredPreview {
    uint32_t pictureWidth = 0, pictureHeight = 0;
    uint32_t width = 0, height = 0;
    std::string encoded;
};

class PreviewStore {
public:
    static constexpr uint64_t kDefaultBudget = 64ull << 20;

    PreviewStore() = default;
    // Saves what changed.
    ~PreviewStore();
    PreviewStore(const PreviewStore&) = delete;
    PreviewStore& operator=(const PreviewStore&) = delete;

    // The store's file for a list file: the list file's name with the
    // extension ".previews" (".previews" added when it has none).
    static std::string FileFor(const std::string& listFile);
    // The key of `path` now; false when its file cannot be read.
    static bool KeyOf(const std::string& path, PreviewKey* key);

    // Saves what changed to the old file, then uses `file` (read when first
    // needed); an empty path stores in memory only.
    void SetFile(const std::string& file);
    const std::string& file() const { return m_file; }
    void SetBudget(uint64_t bytes);

    // The sizes of the entry of `key`, without its bytes.
    bool Find(const PreviewKey& key, StoredPreview* sizes);
    // The entry with its bytes; it counts as shown now.
    bool Read(const PreviewKey& key, StoredPreview* preview);
    // Adds or replaces the entry of `key`.  An entry larger than the whole
    // budget is not stored.
    void Put(const PreviewKey& key, StoredPreview preview);
    // Forgets an entry whose bytes turned out not to decode.
    void Forget(const std::string& path);
    // Drops every entry whose path `listed` does not accept.
    void KeepOnly(const std::function<bool(const std::string& path)>& listed);
    // Writes the file when anything changed since it was read or written.
    // True when the file holds the store now.
    bool Save();

    size_t count();
    uint64_t bytes();
    // Whether opening found a damaged or foreign file and set it aside.
    bool setAside() const { return m_setAside; }

private:
    struct Entry {
        PreviewRecord record;
        std::string pending;  // bytes not yet in the file
    };
    void OpenLocked();
    void TrimLocked(const std::string& keep);
    void EraseLocked(std::unordered_map<std::string, Entry>::iterator it);
    bool ReadBytesLocked(const PreviewRecord& record, std::string* out);
    bool SaveLocked();
    std::unordered_map<std::string, Entry>::iterator FindLocked(const PreviewKey& key);

    std::mutex m_mutex;
    std::string m_file;
    bool m_opened = false;
    bool m_changed = false;
    bool m_setAside = false;
    UniqueFile m_reader;
    std::unordered_map<std::string, Entry> m_entries;
    uint64_t m_bytes = 0;
    uint64_t m_budget = kDefaultBudget;
    uint64_t m_clock = 0;
};
