#include "ui/PreviewWindow.h"

#include <cstring>

#include "image/LookDrawing.h"
#include "framework/Handles.h"
#include "image/CWallBitmapList.h"
#include "image/PreviewDrawing.h"
#include "image/PreviewLayout.h"
#include "context/AppContext.h"
#include "res/resource.h"

std::string PreviewWindow::s_lastPath;

namespace {
PreviewRect WorkArea() {
    RECT r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return PreviewRect{r.left, r.top, r.right, r.bottom};
}
}  // namespace

bool PostPreviewRequest(HWND preview, const std::string& path, DisplayStyle style) {
    char* copy = new char[path.size() + 1];
    std::memcpy(copy, path.c_str(), path.size() + 1);
    if (PostMessageW(preview, WM_PREVIEWPICTURE, reinterpret_cast<WPARAM>(copy), style)) return true;
    delete[] copy;
    return false;
}

void HidePreview(HWND preview) {
    ShowWindow(preview, SW_HIDE);
    PostMessageW(preview, WM_PREVIEWPICTURE, 0, 0);
}

PreviewWindow::PreviewWindow() : Dialog(IDD_PREVIEW) {}

PreviewWindow::~PreviewWindow() {
    // Requests still queued carry copies that must not leak.
    if (hwnd()) {
        MSG msg;
        while (PeekMessageW(&msg, hwnd(), WM_PREVIEWPICTURE, WM_PREVIEWPICTURE, PM_REMOVE))
            delete[] reinterpret_cast<char*>(msg.wParam);
    }
}

bool PreviewWindow::Create(AppContext* context, bool halftone) {
    m_context = context;
    m_halftone = halftone;
    return CreateModeless(nullptr);
}

void PreviewWindow::SetMonitor(const RECT& monitor, const RECT& work) {
    m_onMonitor = true;
    m_monitor = monitor;
    m_monitorWork = work;
    if (!hwnd()) return;
    // Measured again as at initialisation, at the monitor's aspect.
    PlaceFor(monitor.right - monitor.left, monitor.bottom - monitor.top);
    s_lastPath.clear();  // the next show moves it into the corner
}

void PreviewWindow::PlaceFor(int cx, int cy) {
    const PreviewRect work = m_onMonitor ? PreviewRect{m_monitorWork.left, m_monitorWork.top, m_monitorWork.right,
                                                       m_monitorWork.bottom}
                                         : WorkArea();
    PreviewRect r = InitialPreviewPlacement(cx, cy, work);
    SetWindowPos(hwnd(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    GetClientRect(hwnd(), &m_client);
    m_placedFor = SIZE{cx, cy};
}

SIZE PreviewWindow::LookArea(DisplayStyle style) const {
    if (style == kStyleSpan && m_spanArea.right > m_spanArea.left && m_spanArea.bottom > m_spanArea.top)
        return SIZE{m_spanArea.right - m_spanArea.left, m_spanArea.bottom - m_spanArea.top};
    if (m_onMonitor) return SIZE{m_monitor.right - m_monitor.left, m_monitor.bottom - m_monitor.top};
    return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

BOOL PreviewWindow::OnInitDialog() {
    PlaceFor(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    if (m_context) m_picture.Attach(hwnd(), &m_context->cache(), [this] { OnPictureReady(); });
    return FALSE;
}

bool PreviewWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_PREVIEWPICTURE:
        OnPreviewPicture(wParam, lParam);
        *result = 0;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        Paint(dc);
        EndPaint(hwnd(), &ps);
        *result = 0;
        return true;
    }
    default:
        return Dialog::HandleMessage(message, wParam, lParam, result);
    }
}

void PreviewWindow::OnPreviewPicture(WPARAM wParam, LPARAM lParam) {
    if (!wParam) {
        // Hidden: nothing is shown, so nothing is held or waited for.
        s_lastPath.clear();
        m_picture.Clear();
        return;
    }
    // Span over several monitors is previewed at the virtual screen's
    // aspect, every other style at the monitor's.
    const SIZE area = LookArea(static_cast<DisplayStyle>(lParam));
    const bool resized = area.cx != m_placedFor.cx || area.cy != m_placedFor.cy;
    if (resized) PlaceFor(area.cx, area.cy);
    int w = m_client.right - m_client.left, h = m_client.bottom - m_client.top;
    if (s_lastPath.empty() || resized) {
        const PreviewRect work = m_onMonitor ? PreviewRect{m_monitorWork.left, m_monitorWork.top, m_monitorWork.right,
                                                           m_monitorWork.bottom}
                                             : WorkArea();
        PreviewRect r = CornerPlacement(work, w, h);
        MoveWindow(hwnd(), r.left, r.top, w, h, TRUE);
    }
    m_style = static_cast<DisplayStyle>(lParam);
    char* copy = reinterpret_cast<char*>(wParam);
    m_path = copy;
    delete[] copy;

    // A new path adds a cache reference; the same path again does not.
    const bool newPath = m_path != s_lastPath;
    s_lastPath = m_path;
    // A stored preview serves when it is as large as this window draws it.
    const int cx = area.cx;
    const bool centred = m_style == kStyleCentre || m_style == kStyleTile;
    m_picture.SetNeed(PreviewNeed{w, h, centred && cx > 0 ? static_cast<double>(w) / cx : 0});
    if (m_picture.Request(m_path, newPath)) OnPictureReady();
}

void PreviewWindow::OnPictureReady() {
    m_shownStyle = m_style;
    ShowWindow(hwnd(), m_picture.bitmap() ? SW_SHOWNOACTIVATE : SW_HIDE);
    InvalidateRect(hwnd(), &m_client, TRUE);
}

void PreviewWindow::Paint(HDC dc) {
    if (m_path.empty() || !m_context) return;
    const int w = m_client.right - m_client.left, h = m_client.bottom - m_client.top;
    const int cx = m_onMonitor ? m_monitor.right - m_monitor.left : GetSystemMetrics(SM_CXSCREEN);
    const int cy = m_onMonitor ? m_monitor.bottom - m_monitor.top : GetSystemMetrics(SM_CYSCREEN);

    UniqueMemoryDC source(CreateCompatibleDC(dc));
    UniqueBitmap placeholder;
    HBITMAP picture = m_picture.bitmap();
    if (!picture) {
        placeholder.reset(CreateButtonFaceBitmap(dc, w, h));
        picture = placeholder.get();
    }
    BITMAP info = {};
    if (!source || !picture || !GetObjectW(picture, sizeof(info), &info)) return;
    if (info.bmHeight < 0) info.bmHeight = -info.bmHeight;
    ScopedSelect selectSource(source.get(), picture);
    // A stored preview is the picture reduced: the look is laid out at the
    // picture's own size and drawn from the preview's pixels.
    const PreviewSize full = placeholder ? PreviewSize{info.bmWidth, info.bmHeight} : m_picture.pictureSize();

    const DisplayStyle style = m_shownStyle;
    if (style == kStyleStretch) {
        if (m_halftone) {
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
        }
        StretchBlt(dc, 0, 0, w, h, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        return;
    }
    if (IsAspectStyle(style)) {
        // The window has the monitor's aspect: fitted or filled into it, the
        // picture looks as on the desktop.
        DrawLook(dc, w, h, source.get(), info.bmWidth, info.bmHeight, style, m_halftone);
        return;
    }
    if (style != kStyleCentre && style != kStyleTile) return;

    // The picture as the desktop would show it, reduced in the window's proportion.
    PreviewSize scaled = ScaledPictureSize(w, h, cx, cy, full.width, full.height);
    UniqueMemoryDC scaledDC(CreateCompatibleDC(dc));
    UniqueBitmap scaledBitmap(CreateCompatibleBitmap(dc, cx, cy));
    if (!scaledDC || !scaledBitmap) return;
    ScopedSelect selectScaled(scaledDC.get(), scaledBitmap.get());
    if (m_halftone) {
        SetStretchBltMode(scaledDC.get(), HALFTONE);
        SetBrushOrgEx(scaledDC.get(), 0, 0, nullptr);
    }
    StretchBlt(scaledDC.get(), 0, 0, scaled.width, scaled.height, source.get(), 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);

    if (style == kStyleCentre) {
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, GetSysColorBrush(COLOR_BACKGROUND));
        PreviewPoint at = CentreOrigin(w, h, scaled);
        BitBlt(dc, at.x, at.y, scaled.width, scaled.height, scaledDC.get(), 0, 0, SRCCOPY);
        return;
    }
    std::vector<PreviewPoint> tiles = TileOrigins(w, h, scaled);
    if (tiles.empty()) {
        // A tile under one pixel: the pattern is too fine to draw, so the
        // area shows the picture reduced to a single dot, spread over it.
        StretchBlt(scaledDC.get(), 0, 0, 1, 1, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        StretchBlt(dc, 0, 0, w, h, scaledDC.get(), 0, 0, 1, 1, SRCCOPY);
        return;
    }
    for (const PreviewPoint& at : tiles)
        BitBlt(dc, at.x, at.y, scaled.width, scaled.height, scaledDC.get(), 0, 0, SRCCOPY);
}
