// Pictures of the list-editing dialogs for the documentation: builds a
// demo list (pictures drawn on the spot in C:\壁紙), opens one dialog as the
// program does, and once it is on screen saves the dialog's window as a BMP
// and closes it.
//   shots-list DIALOG OUTPUT.bmp      DIALOG: list, entry-add or entry-edit
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "list/AppContext.h"
#include "ui/WallpaperEntryDialog.h"
#include "ui/WallpaperListDialog.h"

namespace {
const char* const kDemoFolder = "C:\\\x95\xc7\x8e\x86\\";  // the folder 壁紙 at the root of C:

struct Shot {
    Dialog* dialog = nullptr;
    std::wstring output;
    void (*prepare)(Dialog*) = nullptr;
    int ticks = 0;
    bool saved = false;
} g_shot;

bool WriteDemoPicture(const std::string& path, int width, int height, COLORREF from, COLORREF to) {
    int row = (width * 3 + 3) & ~3;
    std::vector<char> bytes(54 + row * height, 0);
    BITMAPFILEHEADER* file = reinterpret_cast<BITMAPFILEHEADER*>(bytes.data());
    BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(bytes.data() + sizeof(BITMAPFILEHEADER));
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
            int t = (x + y) * 255 / (width + height);
            char* p = &bytes[54 + y * row + x * 3];
            p[0] = (char)((GetBValue(from) * (255 - t) + GetBValue(to) * t) / 255);
            p[1] = (char)((GetGValue(from) * (255 - t) + GetGValue(to) * t) / 255);
            p[2] = (char)((GetRValue(from) * (255 - t) + GetRValue(to) * t) / 255);
        }
    HANDLE f = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    CloseHandle(f);
    return put == bytes.size();
}

// The window as it is on the screen, as a 24-bit BMP file.
bool SaveWindowPicture(HWND hwnd, const std::wstring& path) {
    RECT r;
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
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
    std::vector<char> pixels(row * h);
    GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    WriteFile(f, &file, sizeof(file), &put, nullptr);
    WriteFile(f, &info, sizeof(info), &put, nullptr);
    WriteFile(f, pixels.data(), (DWORD)pixels.size(), &put, nullptr);
    CloseHandle(f);
    return true;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND hwnd = g_shot.dialog ? g_shot.dialog->hwnd() : nullptr;
    if (!hwnd || !IsWindowVisible(hwnd)) return;
    ++g_shot.ticks;
    if (g_shot.ticks == 2 && g_shot.prepare) g_shot.prepare(g_shot.dialog);
    if (g_shot.ticks == 12 && !g_shot.saved) {  // drawn and settled
        SetForegroundWindow(hwnd);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (g_shot.ticks == 15 && !g_shot.saved) {
        g_shot.saved = SaveWindowPicture(hwnd, g_shot.output);
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

void SelectSecondRow(Dialog* dialog) {
    auto* list = static_cast<WallpaperListDialog*>(dialog);
    list->rows().SelectItem(1);
    SetFocus(list->rows().hwnd());
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3) return 2;
    std::wstring which = argv[1];
    g_shot.output = argv[2];

    CreateDirectoryW(ToWide(kDemoFolder).c_str(), nullptr);
    struct Demo { const char* name; const char* file; DisplayStyle style; bool inUse; COLORREF from, to; };
    const Demo demo[] = {
        {"夕焼けの海", "夕焼け.bmp", kStyleStretch, true, RGB(250, 120, 40), RGB(40, 30, 120)},
        {"森の小道", "森.bmp", kStyleCentre, true, RGB(30, 110, 40), RGB(200, 230, 120)},
        {"タイル模様", "tiles.bmp", kStyleTile, false, RGB(200, 200, 220), RGB(60, 60, 90)},
        {"雪山", "雪山.bmp", kStyleStretch, true, RGB(240, 245, 255), RGB(80, 120, 200)},
    };

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", std::string(kDemoFolder) + "List.tvl");
    profile.WriteString("Settings", "DeskCalPath", "");
    DeleteFileW(ToWide(std::string(kDemoFolder) + "List.tvl").c_str());
    AppContext context(profile);
    for (const Demo& d : demo) {
        std::string path = std::string(kDemoFolder) + d.file;
        WriteDemoPicture(path, 160, 120, d.from, d.to);
        auto entry = std::make_unique<CWallPaperData>(d.name, path, d.style);
        entry->m_bInUse = d.inUse;
        // Front insertion: the list holds the demo in reverse, the dialog shows it in order.
        context.list().InsertFront(std::move(entry));
    }

    SetTimer(nullptr, 0, 100, &OnTick);
    if (which == L"list") {
        WallpaperListDialog dialog(context);
        g_shot.dialog = &dialog;
        g_shot.prepare = &SelectSecondRow;
        dialog.DoModal(nullptr);
    } else if (which == L"entry-add" || which == L"entry-edit") {
        WallpaperEntryDialog dialog(context);
        if (which == L"entry-edit") {
            dialog.SetEditMode(true);
            dialog.SetValues(demo[0].name, std::string(kDemoFolder) + demo[0].file, demo[0].style);
        }
        g_shot.dialog = &dialog;
        dialog.DoModal(nullptr);
    } else {
        return 2;
    }
    context.list().SetPath(std::string());  // the demo list is not kept
    return g_shot.saved ? 0 : 1;
}
