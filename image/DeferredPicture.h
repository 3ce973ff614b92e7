#pragma once
// The picture a preview shows (the preview window, a dialog's preview box),
// decoded only where the selection comes to rest.  A cached picture is shown
// at once, and so is a stored preview that serves what the preview draws
// (SetNeed).  Any other waits until no newer request has come for
// kRestMilliseconds and the owner's message queue is empty (a timer message
// comes after every posted and input message), so a sweep over many items
// decodes at most the one it stops on, and a request that a newer one
// replaced before its decode began is simply dropped.  The shown picture is
// held: the cache never releases it while it is shown, and it is let go as
// soon as another picture or none is shown.
#include <windows.h>

#include <functional>
#include <string>

#include "image/CWallBitmapList.h"
#include "image/PictureHold.h"
#include "image/PreviewNeed.h"

class WorkInProgress;

class DeferredPicture {
public:
    static constexpr UINT kRestMilliseconds = 75;

    DeferredPicture() = default;
    ~DeferredPicture();
    DeferredPicture(const DeferredPicture&) = delete;
    DeferredPicture& operator=(const DeferredPicture&) = delete;

    // The window whose thread runs the timer, the cache, and what to do once
    // a waiting picture has been decoded (or failed to): usually repaint.
    void Attach(HWND owner, CWallBitmapList* cache, std::function<void()> decoded);

    // The owner's count of running work: a decode (which may show an error
    // and wait for it) counts as such work.
    void SetWork(WorkInProgress* work) { m_work = work; }

    // What the preview draws the picture into, so that a stored preview is
    // used only where it is large enough.
    void SetNeed(const PreviewNeed& need) { m_need = need; }

    // Shows `path`.  A cached picture is held at once (with one more cache
    // reference when `addReference`), or a stored preview that serves is
    // shown, and true is returned; otherwise the previous picture stays
    // until the decode, which waits.
    bool Request(const std::string& path, bool addReference = true);
    // Lets go of the picture and forgets a waiting request.
    void Clear();
    // Decodes the waiting request now (what the timer does).
    void DecodeNow();

    const std::string& path() const { return m_path; }
    bool waiting() const { return m_waiting; }
    // The shown picture (the cache's, or the stored preview), or null.
    HBITMAP bitmap() const { return m_hold ? m_hold.bitmap() : m_stored.bitmap.get(); }
    // The size of the full picture shown: a stored preview is smaller.
    PreviewSize pictureSize() const;
    // Whether what is shown is a stored preview.
    bool fromStore() const { return !m_hold && m_stored.bitmap; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void StopTimer();

    HWND m_owner = nullptr;
    CWallBitmapList* m_cache = nullptr;
    WorkInProgress* m_work = nullptr;
    std::function<void()> m_decoded;
    std::string m_path;
    bool m_waiting = false;
    bool m_decoding = false;    // a decode runs (and may show a box)
    bool m_askedAgain = false;  // a request came in while it ran
    PictureHold m_hold;
    ShownPreview m_stored;  // shown when nothing is held
    PreviewNeed m_need{256, 256, 0};
};
