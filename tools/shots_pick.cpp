// Pictures of the picture pickers for the documentation: draws demo
// pictures (and a demo archive) in C:\壁紙, opens one picker as the program
// does, picks something so the preview shows, and once the dialog is on the
// screen saves its window as a BMP and closes it.
//   shots-pick DIALOG OUTPUT.bmp [PLUGIN-FOLDER]
//   DIALOG: image-file, folder-import or archive-select (which needs the
//   folder of a tar and a Netpbm plug-in)
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "image/CBMPFileDialog.h"
#include "image/FolderImportDialog.h"
#include "list/AppContext.h"
#include "plugin/CArcFileSelectDlg.h"
#include "plugin/CSPIControl.h"

namespace {
const char* const kDemoFolder = "C:\\\x95\xc7\x8e\x86\\";  // the folder 壁紙 at the root of C:

struct Shot {
    HWND (*find)() = nullptr;
    void (*prepare)(HWND) = nullptr;
    std::wstring output;
    int ticks = 0;
    bool saved = false;
} g_shot;
Dialog* g_dialog = nullptr;
FileDialog* g_fileDialog = nullptr;

COLORREF Blend(COLORREF from, COLORREF to, int t) {
    return RGB((GetRValue(from) * (255 - t) + GetRValue(to) * t) / 255,
               (GetGValue(from) * (255 - t) + GetGValue(to) * t) / 255,
               (GetBValue(from) * (255 - t) + GetBValue(to) * t) / 255);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    CloseHandle(f);
    return put == bytes.size();
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
            COLORREF c = Blend(from, to, (x + y) * 255 / (width + height));
            char* p = &bytes[54 + y * row + x * 3];
            p[0] = (char)GetBValue(c);
            p[1] = (char)GetGValue(c);
            p[2] = (char)GetRValue(c);
        }
    return bytes;
}

std::string DemoPpm(int width, int height, COLORREF from, COLORREF to) {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = Blend(from, to, (x * 2 + y) * 255 / (width * 2 + height));
            bytes += (char)GetRValue(c);
            bytes += (char)GetGValue(c);
            bytes += (char)GetBValue(c);
        }
    return bytes;
}

// A ustar archive of stored members.
std::string DemoTar(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string tar;
    for (const auto& m : members) {
        char header[512] = {};
        snprintf(header, 100, "%s", m.first.c_str());
        snprintf(header + 100, 8, "%07o", 0644);
        snprintf(header + 108, 8, "%07o", 0);
        snprintf(header + 116, 8, "%07o", 0);
        snprintf(header + 124, 12, "%011o", (unsigned)m.second.size());
        snprintf(header + 136, 12, "%011o", 1765000000u);
        header[156] = '0';
        memcpy(header + 257, "ustar\0" "00", 8);
        memset(header + 148, ' ', 8);
        unsigned sum = 0;
        for (unsigned char c : header) sum += c;
        snprintf(header + 148, 8, "%06o", sum);
        tar.append(header, 512);
        tar += m.second;
        tar.append((512 - m.second.size() % 512) % 512, '\0');
    }
    tar.append(1024, '\0');
    return tar;
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
    std::string pixels(row * h, '\0');
    GetDIBits(memory, bitmap, 0, h, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    std::string bytes(reinterpret_cast<char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<char*>(&info), sizeof(info));
    bytes += pixels;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    CloseHandle(f);
    return put == bytes.size();
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

void SelectListViewRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND hwnd = g_shot.find ? g_shot.find() : nullptr;
    if (!hwnd || !IsWindowVisible(hwnd)) return;
    ++g_shot.ticks;
    if (g_shot.ticks == 3 && g_shot.prepare) g_shot.prepare(hwnd);
    if (g_shot.ticks == 12 && !g_shot.saved) {  // drawn and settled
        SetForegroundWindow(hwnd);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (g_shot.ticks == 15 && !g_shot.saved) {
        g_shot.saved = SaveWindowPicture(hwnd, g_shot.output);
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

HWND DialogWindow() { return g_dialog ? g_dialog->hwnd() : nullptr; }
HWND FileDialogWindow() { return g_fileDialog ? g_fileDialog->dialogWindow() : nullptr; }

void SelectSunset(HWND dialog) {
    HWND list = FindDescendant(dialog, L"SysListView32");
    int n = list ? (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
    for (int i = 0; i < n; ++i) {
        wchar_t text[260] = {};
        LVITEMW item = {};
        item.pszText = text;
        item.cchTextMax = 260;
        SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)i, (LPARAM)&item);
        if (wcsstr(text, L"夕焼け")) {
            SelectListViewRow(list, i);
            return;
        }
    }
}

void SelectSecondFile(HWND dialog) {
    auto* import = static_cast<FolderImportDialog*>(g_dialog);
    HWND list = import->fileList().hwnd();
    import->fileList().SetCheck(2, CheckListBox::kUnchecked);
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), (LPARAM)list);
    SetFocus(list);
}

void SelectSecondMember(HWND dialog) {
    HWND list = FindDescendant(dialog, L"SysListView32");
    SelectListViewRow(list, 1);
    SetFocus(list);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    std::wstring which = argv[1];
    g_shot.output = argv[2];
    std::string pluginFolder = argc > 3 ? ToCp932(argv[3]) : std::string();

    std::string folder = kDemoFolder;
    CreateDirectoryW(ToWide(folder).c_str(), nullptr);
    WriteFileBytes(folder + "夕焼け.bmp", DemoBmp(160, 120, RGB(250, 120, 40), RGB(40, 30, 120)));
    WriteFileBytes(folder + "森.bmp", DemoBmp(160, 120, RGB(30, 110, 40), RGB(200, 230, 120)));
    WriteFileBytes(folder + "tiles.bmp", DemoBmp(64, 64, RGB(200, 200, 220), RGB(60, 60, 90)));
    WriteFileBytes(folder + "雪山.bmp", DemoBmp(160, 120, RGB(240, 245, 255), RGB(80, 120, 200)));
    WriteFileBytes(folder + "湖.bmp", DemoBmp(160, 120, RGB(90, 160, 220), RGB(20, 40, 80)));
    WriteFileBytes(folder + "旅の写真.tar",
                   DemoTar({{"北海道/流氷.ppm", DemoPpm(120, 90, RGB(230, 240, 255), RGB(40, 90, 170))},
                            {"北海道/花畑.ppm", DemoPpm(120, 90, RGB(250, 200, 230), RGB(120, 40, 140))},
                            {"沖縄/海.ppm", DemoPpm(120, 90, RGB(60, 200, 220), RGB(10, 60, 120))},
                            {"メモ.txt", "旅の記録"}}));

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", folder + "List.tvl");
    profile.WriteString("Settings", "DeskCalPath", "");
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    if (!pluginFolder.empty()) {
        profile.WriteInt("Settings", "EnableSPI", 1);
        profile.WriteString("Settings", "SPIPath", pluginFolder);
    }
    DeleteFileW(ToWide(folder + "List.tvl").c_str());
    AppContext context(profile);

    SetTimer(nullptr, 0, 100, &OnTick);
    if (which == L"image-file") {
        SetCurrentDirectoryW(ToWide(folder).c_str());
        CBMPFileDialog dialog(true, "", "", OFN_EXPLORER | OFN_HIDEREADONLY,
                              context.cache().pluginHost().GetOpenFilter(true), nullptr);
        dialog.SetContext(&context);
        g_fileDialog = &dialog;
        g_shot.find = &FileDialogWindow;
        g_shot.prepare = &SelectSunset;
        dialog.DoModal();
    } else if (which == L"folder-import") {
        FolderImportDialog dialog(context);
        dialog.SetFolder(folder);
        g_dialog = &dialog;
        g_shot.find = &DialogWindow;
        g_shot.prepare = &SelectSecondFile;
        dialog.DoModal(nullptr);
    } else if (which == L"archive-select") {
        CArcFileSelectDlg dialog(context, folder + "旅の写真.tar");
        g_dialog = &dialog;
        g_shot.find = &DialogWindow;
        g_shot.prepare = &SelectSecondMember;
        dialog.DoModal(nullptr);
    } else {
        return 2;
    }
    context.list().SetPath(std::string());  // the demo list is not kept
    return g_shot.saved ? 0 : 1;
}
