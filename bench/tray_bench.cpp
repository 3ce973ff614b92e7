// Benchmarks of the main job, each against a baseline in the same run:
//   the wallpaper menu with 1,000 entries  vs  the same items inserted with bare Win32 calls;
//   Synchronize over 10,000 listed and cached paths  vs  building one sorted index of the keys;
//   applying a 1920x1080 picture with plug-ins on  vs  one WriteFile of the same BMP bytes plus the system call.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/TrayWindow.h"
#include "desktop/WallPaperApplier.h"
#include "image/BitmapFileImage.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "res/resource.h"
#include "tests/image/TestPictures.h"

namespace {
using Clock = std::chrono::steady_clock;

double Best(int rounds, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

void Report(const char* what, double ours, double baseline, double goal) {
    std::printf("%s: %.2f ms against %.2f ms, ratio %.2fx (goal at most %.1fx)\n", what, ours * 1e3, baseline * 1e3,
                ours / baseline, goal);
}

}  // namespace

int main() {
    RecordingMessageSink quiet;
    SetMessageSink(&quiet);
    wchar_t tempW[MAX_PATH];
    GetTempPathW(MAX_PATH, tempW);
    std::string dir = ToCp932(tempW) + "tavrin-bench\\";
    CreateDirectoryW(ToWide(dir).c_str(), nullptr);

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", "");
    profile.WriteString("Settings", "DeskCalPath", "");
    TrayWindow tray(profile);
    if (!tray.Create()) return 1;
    AppContext& context = *tray.context();

    // 1. The menu with 1,000 entries.
    for (int i = 0; i < 1000; ++i)
        context.list().Append(std::make_unique<CWallPaperData>("\x95\xc7\x8e\x86 " + std::to_string(i),
                                                               "C:\\Pictures\\w" + std::to_string(i) + ".bmp", i % 3));
    HINSTANCE instance = GetModuleHandleW(nullptr);
    std::vector<std::wstring> names;
    for (const auto& e : context.list().entries()) names.push_back(ToWide(e->m_strName));
    double menu = Best(20, [&] {
        HMENU m = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAYMENU));
        tray.InsertWallpaperItems(GetSubMenu(m, 0));
        DestroyMenu(m);
    });
    double bare = Best(20, [&] {
        HMENU m = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAYMENU));
        HMENU popup = GetSubMenu(m, 0);
        UINT id = 300;
        for (const std::wstring& n : names) InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, id++, n.c_str());
        DestroyMenu(m);
    });
    Report("menu with 1,000 entries", menu, bare, 2.0);

    // 2. Synchronize: 10,000 listed paths, every one cached.
    context.list().Clear();
    const int kPictures = 10000;
    std::string tiny = dir + "tiny.bmp";
    WriteTestBitmap(tiny, 1, 1, Gradient);
    std::vector<std::string> keys;
    for (int i = 0; i < kPictures; ++i) {
        // Each path is its own cache entry; all name the same small file.
        std::string path = dir + "sub" + std::to_string(i) + "\\..\\tiny.bmp";
        context.list().Append(std::make_unique<CWallPaperData>("n", path, 0));
        context.cache().Load(path);
        keys.push_back(path);
    }
    if (context.cache().count() != (size_t)kPictures) {
        std::printf("setup failed: %zu pictures cached\n", context.cache().count());
        return 1;
    }
    double sync = Best(10, [&] { context.cache().Synchronize(); });
    double index = Best(10, [&] {
        std::vector<std::string> sorted = keys;
        std::sort(sorted.begin(), sorted.end());
    });
    Report("Synchronize over 10,000 listed and cached paths", sync, index, 5.0);
    context.cache().UnloadAll();
    context.list().Clear();

    // 3. Applying a 1920x1080 picture with plug-ins on (the conversion path).
    std::string big = dir + "big.bmp";
    WriteTestBitmap(big, 1920, 1080, Gradient);
    context.settings().programDirectory = dir;
    context.cache().Load(big);
    context.settings().enableSPI = true;
    WallPaperApplier applier(context);
    CWallPaperData entry("big", big, kStyleCentre);
    std::string image;
    {
        WindowDC desktop(GetDesktopWindow());
        UniqueBitmap copy(CreateCompatibleBitmap(desktop.get(), 1920, 1080));
        BuildBitmapFileImage(desktop.get(), copy.get(), &image);
    }
    std::wstring rawPath = ToWide(dir + "raw.bmp");
    double apply = Best(10, [&] { applier.Apply(entry); });
    double raw = Best(10, [&] {
        HANDLE f = CreateFileW(rawPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put;
        WriteFile(f, image.data(), (DWORD)image.size(), &put, nullptr);
        CloseHandle(f);
        std::vector<wchar_t> buffer(rawPath.begin(), rawPath.end());
        buffer.resize(MAX_PATH + 1, L'\0');
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, buffer.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    });
    Report("apply 1920x1080 with plug-ins on", apply, raw, 1.3);

    context.settings().enableSPI = false;
    context.cache().UnloadAll();
    DeleteFileW(ToWide(big).c_str());
    DeleteFileW(ToWide(tiny).c_str());
    DeleteFileW(rawPath.c_str());
    DeleteFileW(ToWide(dir + "TVTemp.bmp").c_str());
    RemoveDirectoryW(ToWide(dir).c_str());
    DestroyWindow(tray.hwnd());
    return 0;
}
