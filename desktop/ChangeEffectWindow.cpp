#include "desktop/ChangeEffectWindow.h"

#include <algorithm>
#include <utility>

#include "image/LookDrawing.h"
#include "util/SystemVersion.h"

namespace {
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The wait cursor while the screen is captured and the new look drawn.
class WaitCursor {
public:
    WaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
private:
    HCURSOR m_previous;
};
}  // namespace

const MessageEntry<ChangeEffectWindow> ChangeEffectWindow::kMessages[] = {
    {WM_CREATE, &ChangeEffectWindow::OnCreate},
    {WM_PAINT, &ChangeEffectWindow::OnPaint},
    {WM_TIMER, &ChangeEffectWindow::OnTimer},
    {WM_DESTROY, &ChangeEffectWindow::OnDestroy},
};

ChangeEffectWindow::ChangeEffectWindow(HBITMAP picture, DisplayStyle style, bool halftone, Hooks hooks)
    : m_picture(picture), m_style(style), m_halftone(halftone), m_hooks(std::move(hooks)) {}

ChangeEffectWindow::~ChangeEffectWindow() {
    if (m_hooks.deleted) m_hooks.deleted();
}

void ChangeEffectWindow::CoverMonitor(const monitor_layout::Rect& monitor, const monitor_layout::Rect& work) {
    m_onMonitor = true;
    m_workArea = RECT{work.left, work.top, work.right, work.bottom};
    m_monitorSize = SIZE{monitor.width(), monitor.height()};
}

bool ChangeEffectWindow::Create() {
    if (hwnd()) return true;  // already open, and already its own owner
    if (m_onMonitor) {
        // The work area was given.
    } else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_workArea, 0)) {
        m_workArea = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    // The main screen's effect sits at the screen's top-left corner; one
    // monitor's over that monitor's work area.
    const int x = m_onMonitor ? m_workArea.left : 0, y = m_onMonitor ? m_workArea.top : 0;
    m_layers = std::make_unique<LayeredWindowLoader>(m_hooks.systemSupportsLayers.value_or(IsWindows2000OrLater()));

    const bool made = CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, kTitle, WS_POPUP | WS_VISIBLE, x, y,
                               Width(m_workArea), Height(m_workArea), nullptr, nullptr);
    // A window that failed in WM_CREATE is already gone; PostNcDestroy left
    // the object alone, so it is deleted here, exactly once.
    if (!made || !hwnd()) {
        delete this;
        return false;
    }
    m_ownsItself = true;
    return true;
}

LRESULT ChangeEffectWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchMessageTable(this, kMessages, message, wParam, lParam, &result)) return result;
    return Window::HandleMessage(message, wParam, lParam);
}

void ChangeEffectWindow::PostNcDestroy() {
    if (m_ownsItself) delete this;
}

LRESULT ChangeEffectWindow::OnCreate(WPARAM, LPARAM) {
    WaitCursor wait;
    if (!m_picture || Default() == -1) return -1;

    BITMAP picture = {};
    if (GetObjectW(m_picture, sizeof(picture), &picture) != sizeof(picture) || picture.bmWidth <= 0 ||
        picture.bmHeight <= 0)
        return -1;

    const int width = Width(m_workArea), height = Height(m_workArea);
    WindowDC client(hwnd());
    if (!client || !m_shown.Make(client.get(), width, height)) return -1;
    {
        // The screen as it is now, before the wallpaper changes.
        WindowDC desktop(GetDesktopWindow());
        const int x = m_onMonitor ? m_workArea.left : 0, y = m_onMonitor ? m_workArea.top : 0;
        if (!desktop || !BitBlt(m_shown.dc.get(), 0, 0, width, height, desktop.get(), x, y, SRCCOPY)) return -1;
    }

    UniqueMemoryDC pictureDC(CreateCompatibleDC(client.get()));
    if (!pictureDC) return -1;
    // A bitmap can be selected into one context only; the cache's picture
    // goes back out when this scope ends, and is never deleted here.
    ScopedSelect selected(pictureDC.get(), m_picture);
    if (!selected.ok() || !m_target.Make(client.get(), width, height)) return -1;
    DrawTarget(pictureDC.get(), picture.bmWidth, picture.bmHeight);

    InvalidateRect(hwnd(), nullptr, FALSE);
    m_step = 0;
    m_phase = Phase::Dots;
    // Without its timer the window would cover the screen for good.
    if (!SetTimer(hwnd(), kDotTimer, kTickMilliseconds, nullptr)) return -1;
    return 0;
}

void ChangeEffectWindow::DrawTarget(HDC pictureDC, int pictureWidth, int pictureHeight) {
    HDC dc = m_target.dc.get();
    const int screenWidth = m_onMonitor ? m_monitorSize.cx : GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = m_onMonitor ? m_monitorSize.cy : GetSystemMetrics(SM_CYSCREEN);
    const RECT whole = {0, 0, Width(m_workArea), Height(m_workArea)};

    switch (m_style) {
    case kStyleCentre:
        FillRect(dc, &whole, GetSysColorBrush(COLOR_BACKGROUND));
        // A picture larger than the screen gets a negative origin: its middle shows.
        BitBlt(dc, screenWidth / 2 - pictureWidth / 2, screenHeight / 2 - pictureHeight / 2, pictureWidth,
               pictureHeight, pictureDC, 0, 0, SRCCOPY);
        break;
    case kStyleTile: {
        // Tiles from the top-left corner.  After the first copy, the tiled
        // part is copied onto itself, doubling each time, so that a tiny
        // picture costs a few copies rather than one per tile.  Tiles that
        // would start outside the image are clipped away in any case.
        const int right = std::min(screenWidth, static_cast<int>(whole.right));
        const int bottom = std::min(screenHeight, static_cast<int>(whole.bottom));
        if (right <= 0 || bottom <= 0) break;
        BitBlt(dc, 0, 0, pictureWidth, pictureHeight, pictureDC, 0, 0, SRCCOPY);
        for (int done = pictureWidth; done < right; done *= 2)
            BitBlt(dc, done, 0, done, pictureHeight, dc, 0, 0, SRCCOPY);
        for (int done = pictureHeight; done < bottom; done *= 2)
            BitBlt(dc, 0, done, right, done, dc, 0, 0, SRCCOPY);
        break;
    }
    case kStyleStretch:
        if (m_halftone) {
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
        }
        StretchBlt(dc, 0, 0, screenWidth, screenHeight, pictureDC, 0, 0, pictureWidth, pictureHeight, SRCCOPY);
        break;
    case kStyleFit:
    case kStyleFill:
        // The look the program writes itself, at the screen's size.
        DrawLook(dc, screenWidth, screenHeight, pictureDC, pictureWidth, pictureHeight, m_style, m_halftone);
        break;
    case kStyleSpan: {
        // The main screen's part of the picture spread over all monitors:
        // the span look is drawn with the virtual screen's top-left corner
        // at its place relative to the main screen's.
        const int left = m_onMonitor ? 0 : GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = m_onMonitor ? 0 : GetSystemMetrics(SM_YVIRTUALSCREEN);
        int width = m_onMonitor ? screenWidth : GetSystemMetrics(SM_CXVIRTUALSCREEN);
        int height = m_onMonitor ? screenHeight : GetSystemMetrics(SM_CYVIRTUALSCREEN);
        if (width <= 0 || height <= 0) width = screenWidth, height = screenHeight;
        POINT before;
        SetViewportOrgEx(dc, left, top, &before);
        DrawLook(dc, width, height, pictureDC, pictureWidth, pictureHeight, m_style, m_halftone);
        SetViewportOrgEx(dc, before.x, before.y, nullptr);
        break;
    }
    default:
        break;  // a fresh section is zero: black
    }
    // The dot steps read these bytes directly: nothing may still be queued.
    GdiFlush();
}

LRESULT ChangeEffectWindow::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    if (!dc) return 0;
    BITMAP info;
    if (m_shown.dc && m_shown.bitmap.GetBitmapInfo(&info))
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, m_shown.dc.get(), 0, 0, SRCCOPY);
    EndPaint(hwnd(), &paint);
    return 0;
}

LRESULT ChangeEffectWindow::OnTimer(WPARAM id, LPARAM) {
    if (id == kDotTimer) {
        DotStep();
    } else if (id == kFadeTimer) {
        FadeStep();
    } else {
        return Default();
    }
    return 0;
}

void ChangeEffectWindow::DotStep() {
    // A tick left over after the last step, or any tick out of turn, is ignored.
    if (m_phase != Phase::Dots || m_step >= dot_transition::kStepCount) return;
    GdiFlush();  // painting may still be drawing from the shown image
    dot_transition::ApplyStep(m_step, m_target.pixels(), m_shown.pixels());
    InvalidateRect(hwnd(), nullptr, TRUE);

    if (++m_step < dot_transition::kStepCount) return;
    KillTimer(hwnd(), kDotTimer);
    if (!m_layers || !m_layers->Available()) {
        Close();
        return;
    }
    m_layers->MakeLayered(hwnd());
    m_alpha = kFirstAlpha;
    m_phase = Phase::Fade;
    if (!SetTimer(hwnd(), kFadeTimer, kTickMilliseconds, nullptr)) Close();
}

void ChangeEffectWindow::FadeStep() {
    if (m_phase != Phase::Fade) return;
    if (m_alpha > 0) {
        const BYTE alpha = static_cast<BYTE>(m_alpha);
        m_layers->SetOpacity(hwnd(), alpha);
        m_alpha -= kAlphaStep;
        if (m_hooks.opacitySet) m_hooks.opacitySet(alpha);
        return;
    }
    KillTimer(hwnd(), kFadeTimer);
    Close();
}

void ChangeEffectWindow::Close() {
    m_phase = Phase::Closing;
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

LRESULT ChangeEffectWindow::OnDestroy(WPARAM, LPARAM) {
    KillTimer(hwnd(), kDotTimer);
    KillTimer(hwnd(), kFadeTimer);
    m_shown.Release();
    m_target.Release();
    m_layers.reset();
    return Default();
}

bool ChangeEffectWindow::SelectedImage::Make(HDC compatibleWith, int32_t width, int32_t height) {
    Release();
    dc.reset(CreateCompatibleDC(compatibleWith));
    if (!dc || !bitmap.Create(compatibleWith, width, height)) {
        Release();
        return false;
    }
    previous = SelectObject(dc.get(), bitmap.handle());
    if (!previous || previous == HGDI_ERROR) {
        previous = nullptr;
        Release();
        return false;
    }
    return true;
}

void ChangeEffectWindow::SelectedImage::Release() {
    // The bitmap must be out of its context before it can be deleted.
    if (dc && previous) SelectObject(dc.get(), previous);
    previous = nullptr;
    dc.reset();
    bitmap.Release();
}

dot_transition::PixelImage ChangeEffectWindow::SelectedImage::pixels() const {
    dot_transition::PixelImage image;
    image.topRow = bitmap.m_pTopRow;
    image.rowStep = bitmap.m_nRowStep;
    image.width = bitmap.m_nWidth;
    image.height = bitmap.m_nHeight;
    return image;
}
