// Walking the tray menu of 60 photos of 4000 x 3000 from top to bottom, one
// key every 50 ms, in the real tavrin.exe (plug-ins on through tvwic.spi,
// the preview on), against decoding one of those photos once through the
// plug-in host in this process, measured in the same run.  Reports, for
// each round (a fresh Tavrin each time):
//  - from the last key until the preview shows the bottom photo, as a
//    multiple of one decode (goal: at most 2);
//  - the resident memory peak of the walk above the program's resident
//    memory at start, against the cache's budget (goal: at most the budget
//    plus 64 MiB).
// Then a walk that rests on every photo long enough for its preview, for
// the memory peak when every photo is decoded.  Runs inside a Wine virtual
// desktop (scripts/bench starts it there).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/AppSettings.h"
#include "tests/e2e/TavrinDriver.h"
#include "framework/Handles.h"
#include "framework/Profile.h"
#include "framework/UserMessages.h"
#include "plugin/CSPIControl.h"
#include "tests/wic/PhotoLibrary.h"
#include "tests/win/TestSupport.h"
#include "tests/plugin/TestPluginExtension.h"

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }
constexpr int kPhotos = 60;
constexpr int kKeyMs = 50;
constexpr double kMiB = 1 << 20;

// Starts Tavrin on the photo list; false when it did not come up.
bool StartTavrin(TavrinDriver& tavrin, const std::string& list, const std::string& plugins) {
    tavrin.SetString("ConfPath", list);
    tavrin.SetString("DeskCalPath", "");
    tavrin.SetInt("EnableSPI", 1);
    tavrin.SetString("SPIPath", plugins);
    return tavrin.Start();
}

bool BottomPhotoShown(const TavrinDriver& tavrin) {
    HWND preview = FindVisiblePreview(tavrin.ProcessId());
    return preview && IsBottomPhotoColour(ColourAtMiddle(preview));
}
}  // namespace

int main() {
    TempDir dir;
    const std::string plugins = dir.File("spi");
    CreateDirectoryW(W(plugins).c_str(), nullptr);
    if (!CopyFileW(W(std::string(TAVRIN_BIN_DIR) + "/plugins/tvwic" SPI_EXT).c_str(), W(plugins + "\\tvwic" SPI_EXT).c_str(),
                   FALSE)) {
        std::printf("tvwic" SPI_EXT " not found in bin/plugins\n");
        return 1;
    }
    const std::string list = dir.File("List.tvl");
    if (!WritePhotoLibrary(dir.path(), list, kPhotos, 4000, 3000)) {
        std::printf("cannot write the photos\n");
        return 1;
    }

    // The baseline: one photo decoded into a screen bitmap, best of 5.
    double decodeMs = 1e9;
    {
        MemoryProfile profile;
        AppSettings settings(profile);
        settings.enableSPI = true;
        settings.spiPath = plugins;
        ScopedMessageRecorder messages;
        CSPIControl host(&settings);
        for (int round = 0; round < 6; ++round) {
            auto t0 = Clock::now();
            UniqueBitmap bitmap(host.LoadPicture(dir.File("photo001.jpg")));
            auto t1 = Clock::now();
            if (!bitmap) {
                std::printf("the photo does not decode\n");
                return 1;
            }
            if (round > 0) decodeMs = std::min(decodeMs, Ms(t0, t1));  // round 0 warms up
        }
    }
    std::printf("menu walk: %d photos of 4000x3000, one key every %d ms; one decode %.0f ms (best of 5)\n", kPhotos,
                kKeyMs, decodeMs);

    const double budgetMiB = AppSettings::kDefaultPictureCacheMiB;
    int status = 0;
    std::vector<double> ratios;
    for (int round = 0; round < 3; ++round) {
        TavrinDriver tavrin;
        if (!StartTavrin(tavrin, list, plugins) || !tavrin.OpenMenu()) {
            std::printf("Tavrin did not start or open its menu\n");
            return 1;
        }
        uint64_t atStart = 0, now = 0, peak = 0;
        ResidentMemory(tavrin.process(), &atStart, &peak);
        // Keys at fixed times, as a held arrow key would come.
        const auto walkStart = Clock::now();
        Clock::time_point lastKey;
        for (int i = 0; i < kPhotos; ++i) {
            const auto due = walkStart + std::chrono::milliseconds(i * kKeyMs);
            while (Clock::now() < due) Sleep(1);
            PostMessageW(tavrin.menuWindow(), WM_KEYDOWN, VK_DOWN, 0);
            lastKey = Clock::now();
        }
        // Polled every 20 ms: reading the screen more often takes the time
        // of a core away from the program being measured.
        bool seen = WaitFor([&] { return BottomPhotoShown(tavrin); }, 30000);
        const auto shown = Clock::now();
        ResidentMemory(tavrin.process(), &now, &peak);
        const double afterLast = Ms(lastKey, shown);
        const double aboveStart = (peak - atStart) / kMiB;
        ratios.push_back(afterLast / decodeMs);
        std::printf("  round %d: walk %.0f ms; bottom photo shown %.0f ms after the last key = %.2f decodes "
                    "(goal <= 2)%s; resident %.0f MiB at start, peak %.0f MiB: %.0f MiB above start against a "
                    "budget of %.0f MiB (goal <= %.0f)\n",
                    round + 1, Ms(walkStart, lastKey), afterLast, afterLast / decodeMs, seen ? "" : " NOT SEEN",
                    atStart / kMiB, peak / kMiB, aboveStart, budgetMiB, budgetMiB + 64);
        if (!seen) status = 1;

        if (round == 2) {
            // Back to the top and down again, resting on every photo.
            tavrin.Escape();
            tavrin.WaitMenuClosed();
            tavrin.Settle();
            tavrin.OpenMenu();
            for (int i = 0; i < kPhotos; ++i) {
                PostMessageW(tavrin.menuWindow(), WM_KEYDOWN, VK_DOWN, 0);
                Sleep(std::max(400, int(decodeMs * 2)));
            }
            WaitFor([&] { return BottomPhotoShown(tavrin); }, 30000);
            ResidentMemory(tavrin.process(), &now, &peak);
            std::printf("  resting on every photo: resident peak %.0f MiB, %.0f MiB above start (budget %.0f MiB)\n",
                        peak / kMiB, (peak - atStart) / kMiB, budgetMiB);
        }
        tavrin.Escape();
        tavrin.WaitMenuClosed();
        tavrin.Stop();
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("  after the last key: best %.2f, median %.2f decodes (goal <= 2)\n", ratios.front(), ratios[1]);
    return status;
}
