#pragma once
// Makes the previews the store lacks ahead of their first showing, on a
// thread of its own at low priority, through a quiet plug-in host of its own
// (CSPIControl(PluginSource)): the tray's thread never waits for it except
// for the plug-in call it may be in (one decode).  The full pictures are not
// kept.  A plug-in that faults is stopped in this host as in any other.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "image/PreviewNeed.h"
#include "image/PreviewStore.h"
#include "plugin/CSPIControl.h"

// The stored preview of a decoded picture for `need`; false when the system
// or the codec refuses.
bool MakeStoredPreview(HBITMAP picture, const PreviewNeed& need, StoredPreview* out);

class PreviewMaker {
public:
    struct Job {
        std::string path;
        PreviewNeed need;
    };

    explicit PreviewMaker(PreviewStore* store) : m_store(store) {}
    // Stops and waits for the thread (see Stop).
    ~PreviewMaker();
    PreviewMaker(const PreviewMaker&) = delete;
    PreviewMaker& operator=(const PreviewMaker&) = delete;

    // Replaces what is still to be made with `jobs`, to be made through
    // `source`'s plug-ins, and starts the thread when it is not running.
    void Start(const PluginSource& source, std::vector<Job> jobs);
    // Forgets what is still to be made; the picture being made is finished.
    void Cancel();
    // Asks the thread to end and waits for it a while: a plug-in call that
    // never returns is left behind rather than holding up the exit.  False
    // when the thread still runs: it still uses this maker and its store.
    bool Stop();

    // Whether anything is being or still to be made.
    bool busy();
    uint64_t made() const { return m_made; }
    uint64_t decodes() const { return m_decodes; }

private:
    static DWORD WINAPI ThreadStart(void* self);
    void Run();

    PreviewStore* m_store;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    PluginSource m_source;
    uint64_t m_sourceVersion = 0;
    bool m_working = false;
    bool m_stop = false;
    HANDLE m_thread = nullptr;
    std::atomic<uint64_t> m_made{0};
    std::atomic<uint64_t> m_decodes{0};
};
