// Opens the settings dialog on the program's own list and settings (kept in
// memory: nothing is written) and saves pictures of it, folded and expanded,
// as BMP files in the folder named on the command line.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "list/AppContext.h"
#include "res/resource.h"
#include "ui/SettingsDialog.h"

namespace {
std::wstring g_folder;
SettingsDialog* g_dialog = nullptr;
int g_stage = 0;
bool g_ok = true;

bool SaveWindowPicture(HWND hwnd, const std::wstring& file) {
    RECT r;
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    DWORD stride = ((w * 3 + 3) / 4) * 4, size = stride * h;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
    header.bfSize = header.bfOffBits + size;
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = out != INVALID_HANDLE_VALUE && WriteFile(out, &header, sizeof(header), &written, nullptr) &&
              WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr) &&
              WriteFile(out, bits, size, &written, nullptr);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

void CALLBACK Step(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = g_dialog ? g_dialog->hwnd() : nullptr;
    if (!dialog || !IsWindowVisible(dialog)) return;
    switch (g_stage++) {
    case 0:  // let it paint
        SetForegroundWindow(dialog);
        break;
    case 1:
        g_ok &= SaveWindowPicture(dialog, g_folder + L"\\settings-folded.bmp");
        SendMessageW(GetDlgItem(dialog, IDC_SET_FOLD_BUTTON), BM_CLICK, 0, 0);
        break;
    case 2:
        break;
    case 3:
        g_ok &= SaveWindowPicture(dialog, g_folder + L"\\settings-expanded.bmp");
        KillTimer(nullptr, id);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        break;
    default:
        break;
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    g_folder = argv[1];
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    MemoryProfile profile;
    profile.WriteString("Settings", "DeskCalPath", "");
    profile.WriteString("Settings", "SPIPath", ProgramDirectory() + "plugins");
    profile.WriteInt("Settings", "EnableSPI", 1);
    profile.WriteBinary("Settings", "Ports", {1, 0});
    AppContext context(profile);
    {
        SettingsDialog dialog(context);
        g_dialog = &dialog;
        SetTimer(nullptr, 0, 700, &Step);
        dialog.DoModal(nullptr);
        g_dialog = nullptr;
    }
    context.list().SetPath("");  // the program's list file stays as it was
    return g_ok && g_stage >= 4 ? 0 : 1;
}
