// Pictures of the management dialogs for the documentation: a picture cache
// with demo pictures drawn on the spot (in C:\画像キャッシュ), demo plug-ins
// copied from a folder, and one dialog opened as the program opens it; once
// it is on screen the dialog's window is saved as a BMP and closed.
//   shots-manage cache OUTPUT.bmp
//   shots-manage plugins|status OUTPUT.bmp PLUGIN_FOLDER
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "image/PictureCacheDialog.h"
#include "list/AppContext.h"
#include "plugin/CSPIControl.h"
#include "plugin/PluginDialogs.h"
#include "res/resource.h"

namespace {
const char* const kDemoFolder = "C:\\画像キャッシュ\\";

struct Shot {
    std::wstring output;
    void (*prepare)(HWND) = nullptr;
    HWND dialog = nullptr;
    int ticks = 0;
    bool saved = false;
} g_shot;

bool WriteDemoPicture(const std::string& path, int width, int height, COLORREF from, COLORREF to) {
    int row = (width * 3 + 3) & ~3;
    std::vector<char> bytes(54 + row * height, 0);
    auto* file = reinterpret_cast<BITMAPFILEHEADER*>(bytes.data());
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(bytes.data() + sizeof(BITMAPFILEHEADER));
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

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
    wchar_t cls[16];
    if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 16) && std::wstring(cls) == L"#32770") {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_shot.dialog) EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&g_shot.dialog));
    HWND hwnd = g_shot.dialog;
    if (!hwnd || !IsWindow(hwnd)) return;
    ++g_shot.ticks;
    if (g_shot.ticks == 2 && g_shot.prepare) g_shot.prepare(hwnd);
    if (g_shot.ticks == 12 && !g_shot.saved) {  // drawn and settled
        SetForegroundWindow(hwnd);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (g_shot.ticks == 15 && !g_shot.saved) {
        g_shot.saved = SaveWindowPicture(hwnd, g_shot.output);
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // the status dialog has only OK
    }
}

void SetRowState(HWND list, int row, UINT mask, UINT state) {
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

// One row ticked, another selected so the preview shows.
void PrepareCache(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_CACHE_LIST);
    SetRowState(list, 2, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
    SetRowState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
}

// The image plug-in with its own configuration dialog selected.
void PreparePlugins(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_SPI_LIST);
    int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    SetRowState(list, rows - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
}

int ShowCache(AppContext& context) {
    struct Demo { const char* file; int w, h; COLORREF from, to; int loads; };
    const Demo demo[] = {
        {"夕焼け.bmp", 320, 240, RGB(250, 120, 40), RGB(40, 30, 120), 1},
        {"森.bmp", 200, 150, RGB(30, 110, 40), RGB(200, 230, 120), 3},
        {"雪山.bmp", 400, 300, RGB(240, 245, 255), RGB(80, 120, 200), 2},
        {"タイル.bmp", 64, 64, RGB(200, 200, 220), RGB(60, 60, 90), 1},
    };
    for (const Demo& d : demo) {
        std::string path = std::string(kDemoFolder) + d.file;
        WriteDemoPicture(path, d.w, d.h, d.from, d.to);
        for (int i = 0; i < d.loads; ++i) context.cache().Load(path);
    }
    g_shot.prepare = &PrepareCache;
    ShowPictureCacheDialog(context, nullptr);
    return 0;
}

// Copies the demo plug-ins from `from` into the demo folder.
std::string InstallPlugins(const std::wstring& from) {
    std::string folder = std::string(kDemoFolder) + "spi\\";
    CreateDirectoryW(ToWide(folder).c_str(), nullptr);
    for (const wchar_t* name : {L"mg_verfall.spi", L"mg_plain.spi", L"mg_arc.spi", L"mg_arc2.spi"})
        CopyFileW((from + L"\\" + name).c_str(), (ToWide(folder) + name).c_str(), FALSE);
    return folder;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    std::wstring which = argv[1];
    g_shot.output = argv[2];
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CreateDirectoryW(ToWide(kDemoFolder).c_str(), nullptr);

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", std::string(kDemoFolder) + "List.tvl");
    profile.WriteString("Settings", "DeskCalPath", "");
    if (argc >= 4) {
        profile.WriteInt("Settings", "EnableSPI", 1);
        profile.WriteString("Settings", "SPIPath", InstallPlugins(argv[3]));
        profile.WriteString("Settings", "DisableSPIs", "mg_arc2.spi");
    }
    AppContext context(profile);
    SetTimer(nullptr, 0, 100, &OnTick);
    if (which == L"cache") {
        ShowCache(context);
    } else if (which == L"plugins" && argc >= 4) {
        g_shot.prepare = &PreparePlugins;
        context.cache().pluginHost().ShowSettingDialog(nullptr);
    } else if (which == L"status" && argc >= 4) {
        CSPIControl& host = context.cache().pluginHost();
        for (int i = 0; i < host.GetPluginCount(); ++i)
            if (host.GetFileName(i) == "mg_verfall.spi") ShowPluginStatus(host, i, nullptr);
    } else {
        return 2;
    }
    context.list().SetPath(std::string());  // the demo list is not kept
    return g_shot.saved ? 0 : 1;
}
