#include "tools/ShotSupport.h"

#include <commctrl.h>

#include "framework/TextBridge.h"

namespace {
bool WriteWide(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    CloseHandle(f);
    return ok && put == bytes.size();
}

DialogShot* g_shot = nullptr;

// Every 100 ms: prepare on the third tick the dialog is seen, bring it to
// the front and redraw it on the twelfth, save and close it on the fifteenth.
void CALLBACK OnShotTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_shot || g_shot->saved) return;
    HWND hwnd = g_shot->find ? g_shot->find() : nullptr;
    if (!hwnd || !IsWindowVisible(hwnd)) return;
    ++g_shot->ticks;
    if (g_shot->ticks == 3 && g_shot->prepare) g_shot->prepare(hwnd);
    if (g_shot->ticks == 12) {
        SetForegroundWindow(hwnd);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (g_shot->ticks == 15) {
        RECT part = {}, other = {};
        HWND also = g_shot->also ? g_shot->also() : nullptr;
        if (also && GetWindowRect(hwnd, &part) && GetWindowRect(also, &other)) {
            UnionRect(&part, &part, &other);
            g_shot->saved = SaveScreenPicture(part, g_shot->output);
        } else {
            g_shot->saved = SaveWindowPicture(hwnd, g_shot->output);
        }
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (g_shot->closeWithOk) PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM param) {
    wchar_t cls[16] = {};
    if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 16) && lstrcmpW(cls, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

COLORREF BlendColour(COLORREF from, COLORREF to, int t) {
    return RGB((GetRValue(from) * (255 - t) + GetRValue(to) * t) / 255,
               (GetGValue(from) * (255 - t) + GetGValue(to) * t) / 255,
               (GetBValue(from) * (255 - t) + GetBValue(to) * t) / 255);
}

std::string DemoBmp(int width, int height, COLORREF from, COLORREF to) {
    int row = (width * 3 + 3) & ~3;
    std::string bytes(54 + row * height, '\0');
    auto* file = reinterpret_cast<BITMAPFILEHEADER*>(&bytes[0]);
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(&bytes[sizeof(BITMAPFILEHEADER)]);
    file->bfType = 0x4D42;
    file->bfOffBits = 54;
    file->bfSize = (DWORD)bytes.size();
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = width;
    info->biHeight = height;
    info->biPlanes = 1;
    info->biBitCount = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = BlendColour(from, to, (x + y) * 255 / (width + height));
            char* p = &bytes[54 + y * row + x * 3];
            p[0] = (char)GetBValue(c);
            p[1] = (char)GetGValue(c);
            p[2] = (char)GetRValue(c);
        }
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) { return WriteWide(ToWide(path), bytes); }

bool SaveWindowPicture(HWND hwnd, const std::wstring& path) {
    RECT r;
    return GetWindowRect(hwnd, &r) && SaveScreenPicture(r, path);
}

bool SaveScreenPicture(const RECT& r, const std::wstring& path) {
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    int row = (w * 3 + 3) & ~3;
    std::string pixels(row * h, '\0');
    int rows = GetDIBits(memory, bitmap, 0, h, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != h) return false;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    std::string bytes(reinterpret_cast<char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<char*>(&info), sizeof(info));
    bytes += pixels;
    return WriteWide(path, bytes);
}

HWND FindThreadDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
    HWND child = nullptr;
    while ((child = FindWindowExW(parent, child, nullptr, nullptr)) != nullptr) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (lstrcmpiW(name, className) == 0) return child;
        if (HWND found = FindDescendant(child, className)) return found;
    }
    return nullptr;
}

void SetListViewRowState(HWND list, int row, UINT mask, UINT state) {
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

void StartDialogShot(DialogShot& shot) {
    g_shot = &shot;
    SetTimer(nullptr, 0, 100, &OnShotTick);
}
