#include "PhotoLibrary.h"

#include <psapi.h>

#include <cstdio>
#include <memory>

#include "WicPictures.h"
#include "list/ListFileCodec.h"
#include "win/TestSupport.h"

namespace {
uint32_t Magenta(int, int) { return 0xFF000000u | (GetRValue(kBottomPhotoColour) << 16) | GetBValue(kBottomPhotoColour); }

struct PreviewSearch { DWORD pid; HWND found; };

BOOL CALLBACK FindPreview(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<PreviewSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    if (wcscmp(cls, L"#32770") == 0 && (ex & WS_EX_TOOLWINDOW) && (ex & WS_EX_TOPMOST)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

bool WritePhotoLibrary(const std::string& folder, const std::string& listFile, int count, int width, int height) {
    std::string smooth, flat;
    {
        smooth = EncodePicture(Container::Jpeg, MakeImage(width, height, Smooth));
        flat = EncodePicture(Container::Jpeg, MakeImage(width, height, Magenta));
    }
    if (smooth.empty() || flat.empty()) return false;
    WallPaperEntries entries;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "photo%03d.jpg", i);
        const std::string path = folder + "\\" + name;
        WriteBytes(path, i == 0 ? flat : smooth);
        auto entry = std::make_unique<CWallPaperData>(name, path, kStyleStretch);
        entry->m_bInUse = true;
        entries.push_back(std::move(entry));
    }
    WriteBytes(listFile, EncodeListFile(entries));
    return true;
}

bool IsBottomPhotoColour(COLORREF c) {
    return c != CLR_INVALID && GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) > 200;
}

bool ResidentMemory(HANDLE process, uint64_t* now, uint64_t* peak) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return false;
    *now = counters.WorkingSetSize;
    *peak = counters.PeakWorkingSetSize;
    return counters.WorkingSetSize != 0;
}

HWND FindVisiblePreview(DWORD processId) {
    PreviewSearch search = {processId, nullptr};
    EnumWindows(FindPreview, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

COLORREF ColourAtMiddle(HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) return CLR_INVALID;
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return c;
}
