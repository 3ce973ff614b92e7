#pragma once
// The small borderless window in the lower-left corner that shows how the
// highlighted menu entry would look on the desktop.
#include <string>

#include "framework/Dialog.h"
#include "image/DeferredPicture.h"
#include "list/DisplayStyle.h"
#include "util/WorkInProgress.h"

class AppContext;

// wParam: a copy of the path made by PostPreviewRequest (the window frees
// it), or 0 to forget the last path; lParam: the display style.
constexpr UINT WM_PREVIEWPICTURE = WM_APP + 0x78;

// Posts a show request with a copy of `path`.  False (and the copy freed)
// when the post failed.
bool PostPreviewRequest(HWND preview, const std::string& path, DisplayStyle style);
// Hides the window and posts the request to forget the last path.
void HidePreview(HWND preview);

class PreviewWindow : public Dialog {
public:
    PreviewWindow();
    ~PreviewWindow() override;

    bool Create(AppContext* context, bool halftone);
    void SetHalftone(bool halftone) { m_halftone = halftone; }
    // The monitor the preview shows the look of (screen coordinates: the
    // monitor and its work area); the main screen until called.  The window
    // takes a quarter of its size and sits in its lower-left corner.
    void SetMonitor(const RECT& monitor, const RECT& work);
    // The rectangle a picture in span style covers (the virtual screen)
    // while the next wallpaper goes to all monitors: the window takes its
    // aspect for span.  Empty: span covers the monitor alone, as fill does.
    void SetSpanArea(const RECT& area) { m_spanArea = area; }
    // The owner's count of running work: a picture being loaded (which may
    // show a decode error and wait for it) counts as such work.
    void SetWorkInProgress(WorkInProgress* work) { m_picture.SetWork(work); }

    const std::string& path() const { return m_path; }
    DisplayStyle style() const { return m_style; }
    static const std::string& lastPath() { return s_lastPath; }
    const RECT& clientRect() const { return m_client; }
    // Whether a picture waits for the highlight to rest before its decode.
    bool waiting() const { return m_picture.waiting(); }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    void OnPreviewPicture(WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);
    // The requested picture is there (or failed to decode): show or hide.
    void OnPictureReady();
    // The area whose look the window shows for `style`, in pixels.
    SIZE LookArea(DisplayStyle style) const;
    // Sized for an area of cx x cy pixels, in the work area's lower-left corner.
    void PlaceFor(int cx, int cy);

    bool m_halftone = false;
    AppContext* m_context = nullptr;
    DeferredPicture m_picture;
    RECT m_client = {0, 0, 0, 0};
    bool m_onMonitor = false;
    RECT m_monitor = {0, 0, 0, 0}, m_monitorWork = {0, 0, 0, 0};
    RECT m_spanArea = {0, 0, 0, 0};
    SIZE m_placedFor = {0, 0};  // the area the window's size was made for
    std::string m_path;
    DisplayStyle m_style = kStyleCentre;       // requested
    DisplayStyle m_shownStyle = kStyleCentre;  // of the picture shown
    static std::string s_lastPath;
};
