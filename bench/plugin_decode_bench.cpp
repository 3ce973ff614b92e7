// Decoding one 1920x1080 picture through the plug-in host (LoadPicture:
// head read, plug-in search, every plug-in call under the fault guard, block
// checks, bitmap) against calling the same plug-in directly (IsSupported,
// GetPicture, CreateDIBitmap), in the same run.  Reports the best and the
// median of several rounds of each, and their ratios.  Then the guard alone:
// one small plug-in call (GetPluginInfo) made directly and under the guard.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/plugin/TestPictures.h"
#include "settings/AppSettings.h"
#include "framework/Handles.h"
#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/CSPIControl.h"
#include "plugin/PluginGuard.h"
#include "util/PathPieces.h"
#include "tests/plugin/TestPluginExtension.h"

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

typedef int(__stdcall* IsSupportedFn)(LPSTR, DWORD_PTR);
typedef int(__stdcall* GetPluginInfoFn)(int, LPSTR, int);
typedef int(__stdcall* GetPictureFn)(LPSTR, LONG_PTR, unsigned int, HLOCAL*, HLOCAL*, SPIProgressCallback, LONG_PTR);
int __stdcall NoProgress(int, int, LONG_PTR) { return 0; }

// The plain way: what a program would do with just this one plug-in.
HBITMAP DecodeDirectly(IsSupportedFn isSupported, GetPictureFn getPicture, const std::string& path) {
    char head[2049] = {};
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    ReadFile(f, head, 2048, &got, nullptr);
    CloseHandle(f);
    std::string name = path;
    if (isSupported(&name[0], reinterpret_cast<DWORD_PTR>(head)) != 1) return nullptr;
    HLOCAL info = nullptr, bits = nullptr;
    if (getPicture(&name[0], 0, 0, &info, &bits, &NoProgress, 0) != 0) return nullptr;
    auto* bi = static_cast<BITMAPINFO*>(LocalLock(info));
    void* rows = LocalLock(bits);
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateDIBitmap(screen, &bi->bmiHeader, CBM_INIT, rows, bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    LocalUnlock(info);
    LocalUnlock(bits);
    LocalFree(info);
    LocalFree(bits);
    return bmp;
}

// Seconds per call of GetPluginInfo(0), directly or under the guard: the
// best of several batches.
double SmallCallSeconds(GetPluginInfoFn getInfo, bool guarded) {
    const int kCalls = 200000;
    char text[16];
    double best = 1e9;
    volatile int sink = 0;
    for (int batch = 0; batch < 15; ++batch) {
        auto t0 = Clock::now();
        if (guarded) {
            auto call = [&] { return getInfo(0, text, sizeof(text)); };
            PluginGuard::Fault fault;
            for (int i = 0; i < kCalls; ++i) {
                int r = 0;
                PluginGuard::Run(call, &r, &fault);
                sink = sink + r;
            }
        } else {
            for (int i = 0; i < kCalls; ++i) sink = sink + getInfo(0, text, sizeof(text));
        }
        auto t1 = Clock::now();
        double each = Seconds(t0, t1) / kCalls;
        if (each < best) best = each;
    }
    return best;
}
}  // namespace

int main() {
    const int kRounds = 41;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string dir = ToCp932(temp) + "tavrin-plugin-bench\\";
    CreateDirectoryW(ToWide(dir).c_str(), nullptr);
    std::string plugin = dir + "pnm" SPI_EXT;
    if (!CopyFileW(ToWide(std::string(TAVRIN_TEST_SPI_DIR) + "/pnm" SPI_EXT).c_str(), ToWide(plugin).c_str(), FALSE)) {
        std::printf("test plug-in pnm" SPI_EXT " not found in the tests' spi folder\n");
        return 1;
    }
    std::string picture = dir + "bench.ppm";
    {
        std::string bytes = MakePpm(1920, 1080);
        HANDLE f = CreateFileW(ToWide(picture).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
        CloseHandle(f);
    }

    MemoryProfile profile;
    AppSettings settings(profile);
    settings.enableSPI = true;
    settings.spiPath = dir;
    RecordingMessageSink messages;
    SetMessageSink(&messages);
    std::vector<double> hostTimes, directTimes;
    {
        CSPIControl host(&settings);
        HMODULE direct = LoadLibraryW(ToWide(plugin).c_str());  // the same module the host holds
        auto isSupported = reinterpret_cast<IsSupportedFn>(reinterpret_cast<void*>(GetProcAddress(direct, "IsSupported")));
        auto getPicture = reinterpret_cast<GetPictureFn>(reinterpret_cast<void*>(GetProcAddress(direct, "GetPicture")));
        if (host.GetPluginCount() != 1 || !isSupported || !getPicture) {
            std::printf("plug-in did not load\n");
            return 1;
        }
        for (int round = 0; round < kRounds; ++round) {
            // Alternate the order so neither side always runs on a warm cache.
            for (int side = 0; side < 2; ++side) {
                bool hostFirst = (round % 2) == 0;
                bool runHost = (side == 0) == hostFirst;
                auto t0 = Clock::now();
                HBITMAP bmp = runHost ? host.LoadPicture(picture) : DecodeDirectly(isSupported, getPicture, picture);
                auto t1 = Clock::now();
                if (!bmp) {
                    std::printf("decode failed (%s)\n", runHost ? "host" : "direct");
                    return 1;
                }
                DeleteObject(bmp);
                (runHost ? hostTimes : directTimes).push_back(Seconds(t0, t1));
            }
        }
        auto getInfo = reinterpret_cast<GetPluginInfoFn>(reinterpret_cast<void*>(GetProcAddress(direct, "GetPluginInfo")));
        if (getInfo) {
            double plain = SmallCallSeconds(getInfo, false);
            double guarded = SmallCallSeconds(getInfo, true);
            std::printf("one GetPluginInfo call, best of 15 batches of 200000\n");
            std::printf("  direct %.1f ns, guarded %.1f ns, guard adds %.1f ns per call\n", plain * 1e9,
                        guarded * 1e9, (guarded - plain) * 1e9);
        }
        FreeLibrary(direct);
    }
    SetMessageSink(nullptr);
    DeleteFileW(ToWide(picture).c_str());
    DeleteFileW(ToWide(plugin).c_str());
    RemoveDirectoryW(ToWide(dir).c_str());

    std::sort(hostTimes.begin(), hostTimes.end());
    std::sort(directTimes.begin(), directTimes.end());
    double bestHost = hostTimes.front(), bestDirect = directTimes.front();
    double medianHost = hostTimes[hostTimes.size() / 2], medianDirect = directTimes[directTimes.size() / 2];
    std::printf("decode 1920x1080 PPM, %d rounds each\n", kRounds);
    std::printf("  best:   direct %.2f ms, host %.2f ms, host/direct %.3f (overhead %+.1f %%)\n", bestDirect * 1000,
                bestHost * 1000, bestHost / bestDirect, (bestHost / bestDirect - 1.0) * 100.0);
    std::printf("  median: direct %.2f ms, host %.2f ms, host/direct %.3f (overhead %+.1f %%)\n", medianDirect * 1000,
                medianHost * 1000, medianHost / medianDirect, (medianHost / medianDirect - 1.0) * 100.0);
    std::printf("  goal: host overhead under 5 %%\n");
    return 0;
}
