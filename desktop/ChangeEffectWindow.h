#pragma once
// The playful wallpaper-change effect: a topmost window over the work area
// shows a still of the screen as it was, turns it into the new wallpaper's
// look in 29 dot steps (timer 7), then, where windows can be translucent,
// fades out (timer 8) and closes.  The window owns itself: it deletes its
// object when it is gone.
//
// Use:  (new ChangeEffectWindow(picture, style, halftone))->Create();
// Create is called once.  Whatever it returns, the caller must not touch the
// object afterwards: on failure it has already deleted itself, on success it
// deletes itself after its window is destroyed.  The destructor is private,
// so no one else can delete it.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "desktop/DotTransition.h"
#include "image/MonitorLayout.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "image/CDIBitmap.h"
#include "list/DisplayStyle.h"
#include "util/LayeredWindowLoader.h"

class ChangeEffectWindow : public Window {
public:
    static constexpr const wchar_t* kClassName = L"TavrinWallChangeEffect";
    static constexpr const char* kTitle = "Tavrin WallChangeEffectingWnd";
    static constexpr UINT_PTR kDotTimer = 7;
    static constexpr UINT_PTR kFadeTimer = 8;
    static constexpr UINT kTickMilliseconds = 1;
    static constexpr int kFirstAlpha = 255;
    static constexpr int kAlphaStep = 10;

    // Seams for tests; the program leaves them empty.
    struct Hooks {
        // Instead of asking the system whether windows can be translucent.
        std::optional<bool> systemSupportsLayers;
        // Called with every opacity the fade sets, right after setting it.
        std::function<void(BYTE alpha)> opacitySet;
        // Called from the destructor.
        std::function<void()> deleted;
    };

    // picture: the new wallpaper's picture, owned by the picture cache and
    // never deleted here; it is read only while Create runs (the new look is
    // drawn then), so the caller holds it in the cache for that long.
    // style: any named style (span shows the main screen's part of the
    // picture spread over all monitors); an unknown one leaves the new look
    // black.  halftone: stretch with halftone scaling.
    ChangeEffectWindow(HBITMAP picture, DisplayStyle style, bool halftone, Hooks hooks = {});

    // Before Create: cover this monitor's work area (screen coordinates)
    // and draw the new look at the monitor's size, instead of the main screen.
    void CoverMonitor(const monitor_layout::Rect& monitor, const monitor_layout::Rect& work);

    // Reads the work area and opens the window over it.  False when no
    // window was made (no picture, or the system refused); the object is
    // then already deleted.
    bool Create();

    // What the effect is made of, for tests.
    const RECT& workArea() const { return m_workArea; }
    const CDIBitmap& shownImage() const { return m_shown.bitmap; }
    const CDIBitmap& targetImage() const { return m_target.bitmap; }
    // The next dot step, 0 to 29.
    unsigned step() const { return m_step; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    // A bitmap selected into its own memory context.
    struct SelectedImage {
        CDIBitmap bitmap;
        UniqueMemoryDC dc;
        HGDIOBJ previous = nullptr;

        bool Make(HDC compatibleWith, int32_t width, int32_t height);
        void Release();
        dot_transition::PixelImage pixels() const;
    };

    enum class Phase { Dots, Fade, Closing };

    ~ChangeEffectWindow() override;

    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);

    void DrawTarget(HDC pictureDC, int pictureWidth, int pictureHeight);
    void DotStep();
    void FadeStep();
    void Close();

    static const MessageEntry<ChangeEffectWindow> kMessages[];

    HBITMAP m_picture;
    DisplayStyle m_style;
    bool m_halftone;
    RECT m_workArea = {0, 0, 0, 0};
    // Set by CoverMonitor: the monitor's size and work area.
    bool m_onMonitor = false;
    SIZE m_monitorSize = {0, 0};
    SelectedImage m_shown;
    SelectedImage m_target;
    unsigned m_step = 0;
    int m_alpha = 0;  // signed: the fade ends when it drops to 0 or below
    Phase m_phase = Phase::Dots;
    std::unique_ptr<LayeredWindowLoader> m_layers;
    Hooks m_hooks;
    bool m_ownsItself = false;  // from the moment the window exists
};
