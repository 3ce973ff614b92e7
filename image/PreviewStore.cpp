#include "image/PreviewStore.h"

#include <algorithm>
#include <vector>

#include "framework/TextBridge.h"
#include "plugin/ArchiveMemberPath.h"
#include "util/FileIO.h"
#include "util/PathPieces.h"

PreviewStore::~PreviewStore() { Save(); }

std::string PreviewStore::FileFor(const std::string& listFile) {
    if (listFile.empty()) return std::string();
    PathParts parts = SplitPath(listFile);
    return parts.drive + parts.directory + parts.name + ".previews";
}

bool PreviewStore::KeyOf(const std::string& path, PreviewKey* key) {
    // A picture in an archive changes with its archive.
    const ArchiveMemberPath split = SplitArchiveMemberPath(path);
    unsigned long long size = 0, time = 0;
    if (path.empty() || path.size() > preview_store::kMaxPathBytes || !ReadFileFacts(split.archive, &size, &time))
        return false;
    key->path = path;
    key->fileSize = size;
    key->writeTime = time;
    return true;
}

void PreviewStore::SetFile(const std::string& file) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (file == m_file) return;
    SaveLocked();
    m_reader.reset();
    m_entries.clear();
    m_bytes = 0;
    m_file = file;
    m_opened = false;
    m_changed = false;
    m_setAside = false;
}

void PreviewStore::SetBudget(uint64_t bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_budget = bytes;
    OpenLocked();
    TrimLocked(std::string());
}

void PreviewStore::OpenLocked() {
    if (m_opened) return;
    m_opened = true;
    if (m_file.empty()) return;
    RemoveLeftoverTemporary(m_file);
    const std::wstring wide = ToWide(m_file);
    // Shared for deleting too, so the next save may put a new file in its place.
    UniqueFile file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;  // none yet (or unreadable): an empty store
    LARGE_INTEGER size = {};
    uint8_t header[preview_store::kHeaderBytes];
    DWORD got = 0;
    uint32_t count = 0, indexBytes = 0;
    std::vector<PreviewRecord> records;
    bool good = GetFileSizeEx(file.get(), &size) && size.QuadPart >= 0 &&
                ReadFile(file.get(), header, sizeof(header), &got, nullptr) && got == sizeof(header) &&
                preview_store::ReadHeader(header, sizeof(header), static_cast<uint64_t>(size.QuadPart), &count,
                                          &indexBytes);
    if (good) {
        std::string index(indexBytes, '\0');
        got = 0;
        good = (indexBytes == 0 || (ReadFile(file.get(), &index[0], indexBytes, &got, nullptr) && got == indexBytes)) &&
               preview_store::ParseIndex(reinterpret_cast<const uint8_t*>(index.data()), index.size(),
                                         static_cast<uint64_t>(size.QuadPart), count, &records);
    }
    if (!good) {
        // Not ours, or damaged: kept aside for whoever wants to look, and
        // the store starts again.
        file.reset();
        m_setAside = MoveFileExW(wide.c_str(), ToWide(m_file + ".damaged").c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        if (!m_setAside) DeleteFileW(wide.c_str());
        return;
    }
    m_reader = std::move(file);
    for (PreviewRecord& record : records) {
        m_clock = std::max(m_clock, record.lastShown);
        m_bytes += preview_store::BudgetBytes(record);
        std::string path = record.path;
        m_entries[path] = Entry{std::move(record), std::string()};
    }
    // A smaller budget set meanwhile applies to what was stored before.
    TrimLocked(std::string());
}

std::unordered_map<std::string, PreviewStore::Entry>::iterator PreviewStore::FindLocked(const PreviewKey& key) {
    OpenLocked();
    auto it = m_entries.find(key.path);
    if (it == m_entries.end()) return it;
    if (it->second.record.fileSize != key.fileSize || it->second.record.writeTime != key.writeTime) {
        // The file changed: its old preview is of no use any more.
        EraseLocked(it);
        m_changed = true;
        return m_entries.end();
    }
    return it;
}

bool PreviewStore::Find(const PreviewKey& key, StoredPreview* sizes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = FindLocked(key);
    if (it == m_entries.end()) return false;
    const PreviewRecord& r = it->second.record;
    *sizes = StoredPreview{r.pictureWidth, r.pictureHeight, r.width, r.height, std::string()};
    return true;
}

bool PreviewStore::Read(const PreviewKey& key, StoredPreview* preview) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = FindLocked(key);
    if (it == m_entries.end()) return false;
    PreviewRecord& r = it->second.record;
    StoredPreview out{r.pictureWidth, r.pictureHeight, r.width, r.height, it->second.pending};
    if (out.encoded.empty() && !ReadBytesLocked(r, &out.encoded)) {
        EraseLocked(it);
        m_changed = true;
        return false;
    }
    r.lastShown = ++m_clock;
    m_changed = true;
    *preview = std::move(out);
    return true;
}

bool PreviewStore::ReadBytesLocked(const PreviewRecord& record, std::string* out) {
    if (!m_reader) return false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(record.offset);
    out->assign(record.length, '\0');
    DWORD got = 0;
    return SetFilePointerEx(m_reader.get(), at, nullptr, FILE_BEGIN) &&
           ReadFile(m_reader.get(), &(*out)[0], record.length, &got, nullptr) && got == record.length;
}

void PreviewStore::Put(const PreviewKey& key, StoredPreview preview) {
    if (key.path.empty() || key.path.size() > preview_store::kMaxPathBytes || preview.encoded.empty() ||
        preview.encoded.size() > preview_store::kMaxEncodedBytes)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    OpenLocked();
    auto old = m_entries.find(key.path);
    if (old != m_entries.end()) EraseLocked(old);
    Entry entry;
    entry.record.path = key.path;
    entry.record.fileSize = key.fileSize;
    entry.record.writeTime = key.writeTime;
    entry.record.lastShown = ++m_clock;
    entry.record.pictureWidth = preview.pictureWidth;
    entry.record.pictureHeight = preview.pictureHeight;
    entry.record.width = preview.width;
    entry.record.height = preview.height;
    entry.record.length = static_cast<uint32_t>(preview.encoded.size());
    entry.pending = std::move(preview.encoded);
    const uint64_t bytes = preview_store::BudgetBytes(entry.record);
    if (bytes > m_budget) return;
    m_bytes += bytes;
    m_entries[key.path] = std::move(entry);
    m_changed = true;
    TrimLocked(key.path);
}

void PreviewStore::Forget(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_entries.find(path);
    if (it == m_entries.end()) return;
    EraseLocked(it);
    m_changed = true;
}

void PreviewStore::KeepOnly(const std::function<bool(const std::string& path)>& listed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    OpenLocked();
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        auto next = std::next(it);
        if (!listed(it->first)) {
            EraseLocked(it);
            m_changed = true;
        }
        it = next;
    }
}

void PreviewStore::TrimLocked(const std::string& keep) {
    if (m_bytes <= m_budget) return;
    std::vector<std::pair<uint64_t, std::string>> byAge;
    byAge.reserve(m_entries.size());
    for (const auto& e : m_entries)
        if (e.first != keep) byAge.emplace_back(e.second.record.lastShown, e.first);
    std::sort(byAge.begin(), byAge.end());
    for (const auto& old : byAge) {
        if (m_bytes <= m_budget) break;
        EraseLocked(m_entries.find(old.second));
        m_changed = true;
    }
}

void PreviewStore::EraseLocked(std::unordered_map<std::string, Entry>::iterator it) {
    m_bytes -= preview_store::BudgetBytes(it->second.record);
    m_entries.erase(it);
}

bool PreviewStore::Save() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SaveLocked();
}

bool PreviewStore::SaveLocked() {
    if (!m_changed || m_file.empty()) return !m_changed;
    std::vector<PreviewRecord> records;
    std::vector<Entry*> order;
    records.reserve(m_entries.size());
    for (auto& e : m_entries) {
        records.push_back(e.second.record);
        order.push_back(&e.second);
    }
    // Offsets in the old file, before Serialize sets the new ones.
    std::vector<PreviewRecord> old = records;
    const std::string head = preview_store::Serialize(&records);
    bool copied = true;
    auto produce = [&](const FileChunkWriter& write) {
        if (!write(head.data(), head.size())) return false;
        std::string bytes;
        for (size_t i = 0; i < order.size(); ++i) {
            const std::string* data = &order[i]->pending;
            if (data->empty()) {
                // An old entry that can no longer be read keeps its place as
                // zeros: it fails to decode when shown, and is then forgotten.
                if (!ReadBytesLocked(old[i], &bytes)) {
                    bytes.assign(old[i].length, '\0');
                    copied = false;
                }
                data = &bytes;
            }
            if (!write(data->data(), data->size())) return false;
        }
        // The old file is let go before the new one takes its name.
        m_reader.reset();
        return true;
    };
    DWORD error = 0;
    const bool written = WriteFileAtomically(m_file, produce, &error);
    m_reader.reset(CreateFileW(ToWide(m_file).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written) return false;
    for (size_t i = 0; i < order.size(); ++i) {
        order[i]->record.offset = records[i].offset;
        order[i]->pending.clear();
        order[i]->pending.shrink_to_fit();
    }
    m_changed = !copied;
    return true;
}

size_t PreviewStore::count() {
    std::lock_guard<std::mutex> lock(m_mutex);
    OpenLocked();
    return m_entries.size();
}

uint64_t PreviewStore::bytes() {
    std::lock_guard<std::mutex> lock(m_mutex);
    OpenLocked();
    return m_bytes;
}
