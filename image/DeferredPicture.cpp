#include "image/DeferredPicture.h"

#include "image/CWallBitmapList.h"
#include "util/WorkInProgress.h"

DeferredPicture::~DeferredPicture() { StopTimer(); }

void DeferredPicture::Attach(HWND owner, CWallBitmapList* cache, std::function<void()> decoded) {
    StopTimer();
    m_owner = owner;
    m_cache = cache;
    m_decoded = std::move(decoded);
}

bool DeferredPicture::Request(const std::string& path, bool addReference) {
    m_path = path;
    if (!m_cache || path.empty()) {
        Clear();
        return false;
    }
    if (m_cache->Find(path)) {
        StopTimer();
        if (addReference) m_cache->Load(path);
        m_hold = m_cache->Hold(path);
        m_stored = ShownPreview();
        return true;
    }
    ShownPreview stored;
    if (m_cache->LoadStoredPreview(path, m_need, &stored)) {
        StopTimer();
        m_hold.reset();
        m_stored = std::move(stored);
        return true;
    }
    // What is shown stays until the new picture is there; it is the only
    // picture held, so a sweep holds nothing it has left behind.
    m_waiting = true;
    // The timer's identity is this object; a new request restarts the rest.
    if (!m_owner || !SetTimer(m_owner, reinterpret_cast<UINT_PTR>(this), kRestMilliseconds, &DeferredPicture::OnTimer))
        DecodeNow();
    return false;
}

void DeferredPicture::Clear() {
    StopTimer();
    m_hold.reset();
    m_stored = ShownPreview();
    m_path.clear();
}

void DeferredPicture::DecodeNow() {
    StopTimer();
    if (!m_cache || m_path.empty()) return;
    // A box of the running decode lets the timer fire again: the request
    // that came meanwhile is decoded once that decode has returned.
    if (m_decoding) {
        m_askedAgain = true;
        return;
    }
    const std::string path = m_path;
    PictureHold decoded;
    {
        WorkScope decoding(m_work);
        m_decoding = true;
        m_hold.reset();
        decoded = m_cache->LoadAndHold(path);
        m_decoding = false;
    }
    // The selection may have moved on meanwhile, and its picture be shown
    // already: only the picture it still rests on replaces what is shown.
    if (m_path == path) {
        m_hold = std::move(decoded);
        m_stored = ShownPreview();
    }
    if (m_askedAgain) {
        m_askedAgain = false;
        if (!m_path.empty() && m_path != path) Request(m_path, false);
    }
    if (m_decoded) m_decoded();
}

PreviewSize DeferredPicture::pictureSize() const {
    if (!m_hold && m_stored.bitmap) return PreviewSize{m_stored.pictureWidth, m_stored.pictureHeight};
    BITMAP info = {};
    if (!bitmap() || !GetObjectW(bitmap(), sizeof(info), &info)) return PreviewSize{0, 0};
    return PreviewSize{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

void CALLBACK DeferredPicture::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    reinterpret_cast<DeferredPicture*>(id)->DecodeNow();
}

void DeferredPicture::StopTimer() {
    if (m_waiting && m_owner) KillTimer(m_owner, reinterpret_cast<UINT_PTR>(this));
    m_waiting = false;
}
