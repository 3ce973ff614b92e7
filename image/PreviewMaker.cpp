#include "image/PreviewMaker.h"

#include <memory>

#include "framework/Handles.h"
#include "image/PreviewCodec.h"

namespace {
// Saved this often while making, so a long run lost to a kill costs little.
constexpr uint64_t kSaveEvery = 32;
constexpr DWORD kStopWaitMs = 5000;
}  // namespace

bool MakeStoredPreview(HBITMAP picture, const PreviewNeed& need, StoredPreview* out) {
    BITMAP info = {};
    if (!picture || !GetObjectW(picture, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return false;
    const int pictureHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    const PreviewSize size = StoredPreviewSize(info.bmWidth, pictureHeight, need);
    CDIBitmap reduced;
    std::string encoded;
    if (!ReducePicture(picture, size.width, size.height, &reduced) || !EncodePreview(reduced, &encoded)) return false;
    *out = StoredPreview{static_cast<uint32_t>(info.bmWidth), static_cast<uint32_t>(pictureHeight),
                         static_cast<uint32_t>(size.width), static_cast<uint32_t>(size.height), std::move(encoded)};
    return true;
}

PreviewMaker::~PreviewMaker() { Stop(); }

DWORD WINAPI PreviewMaker::ThreadStart(void* self) {
    static_cast<PreviewMaker*>(self)->Run();
    return 0;
}

void PreviewMaker::Start(const PluginSource& source, std::vector<Job> jobs) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.assign(std::make_move_iterator(jobs.begin()), std::make_move_iterator(jobs.end()));
        if (source.on != m_source.on || source.directory != m_source.directory ||
            source.disabledList != m_source.disabledList) {
            m_source = source;
            ++m_sourceVersion;
        }
        m_stop = false;
    }
    m_wake.notify_one();
    if (m_thread) return;
    m_thread = CreateThread(nullptr, 0, &PreviewMaker::ThreadStart, this, 0, nullptr);
    if (m_thread) SetThreadPriority(m_thread, THREAD_PRIORITY_LOWEST);
}

void PreviewMaker::Cancel() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs.clear();
}

bool PreviewMaker::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_one();
    if (!m_thread) return true;
    // Waiting past this, the exit would hang on a plug-in that never returns.
    if (WaitForSingleObject(m_thread, kStopWaitMs) != WAIT_OBJECT_0) return false;
    CloseHandle(m_thread);
    m_thread = nullptr;
    return true;
}

bool PreviewMaker::busy() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_working || !m_jobs.empty();
}

void PreviewMaker::Run() {
    std::unique_ptr<CSPIControl> host;
    uint64_t hostVersion = 0;
    uint64_t unsaved = 0;
    for (;;) {
        Job job;
        PluginSource source;
        uint64_t version = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_working = false;
            if (m_jobs.empty() && unsaved > 0) {
                lock.unlock();
                m_store->Save();
                unsaved = 0;
                lock.lock();
            }
            m_wake.wait(lock, [&] { return m_stop || !m_jobs.empty(); });
            if (m_stop) break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_working = true;
            source = m_source;
            version = m_sourceVersion;
        }
        PreviewKey key;
        StoredPreview sizes;
        if (!PreviewStore::KeyOf(job.path, &key)) continue;
        if (m_store->Find(key, &sizes) &&
            StoredPreviewFits(sizes.width, sizes.height, sizes.pictureWidth, sizes.pictureHeight, job.need))
            continue;
        // The plug-ins the settings name now: a new host when they changed.
        if (!host || hostVersion != version) {
            host.reset();
            host = std::make_unique<CSPIControl>(source);
            hostVersion = version;
        }
        int memoryCode = 0;
        UniqueBitmap picture(host->LoadPicture(job.path, &memoryCode));
        ++m_decodes;
        StoredPreview preview;
        if (!picture || !MakeStoredPreview(picture.get(), job.need, &preview)) continue;
        picture.reset();
        m_store->Put(key, std::move(preview));
        ++m_made;
        if (++unsaved >= kSaveEvery) {
            m_store->Save();
            unsaved = 0;
        }
    }
    host.reset();
    if (unsaved > 0) m_store->Save();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_working = false;
}
