// Applying a 4000x3000 photo fitted and filled on a 1920x1080 screen, against
// the same photo stretched with halftone scaling (which also scales to the
// screen), through the real applier, in one run.  Each side is the best of
// its rounds; the rounds alternate so that both see the same machine.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "desktop/WallPaperApplier.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "context/AppContext.h"
#include "tests/image/TestPictures.h"

namespace {
using Clock = std::chrono::steady_clock;

double Time(WallPaperApplier& applier, const CWallPaperData& entry) {
    auto t0 = Clock::now();
    applier.Apply(entry);
    return std::chrono::duration<double>(Clock::now() - t0).count();
}
}  // namespace

int main() {
    RecordingMessageSink quiet;
    SetMessageSink(&quiet);
    wchar_t tempW[MAX_PATH];
    GetTempPathW(MAX_PATH, tempW);
    std::string dir = ToCp932(tempW) + "tavrin-fit-bench\\";
    CreateDirectoryW(ToWide(dir).c_str(), nullptr);

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", "");
    AppContext context(profile);
    context.settings().programDirectory = dir;
    context.settings().enableHalfTone = true;
    const std::string photo = dir + "photo.bmp";
    WriteTestBitmap(photo, 4000, 3000, Gradient);
    if (!context.cache().Load(photo)) {
        std::printf("fit and fill: the 4000x3000 photo could not be loaded\n");
        return 1;
    }
    WallPaperApplier applier(context);
    const CWallPaperData stretch("photo", photo, kStyleStretch), fit("photo", photo, kStyleFit),
        fill("photo", photo, kStyleFill);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    if (width != 1920 || height != 1080) std::printf("(the screen is %dx%d, not 1920x1080)\n", width, height);

    Time(applier, stretch);  // warm-up: the first write makes the file
    double bestStretch = 1e9, bestFit = 1e9, bestFill = 1e9;
    for (int round = 0; round < 7; ++round) {
        bestStretch = std::min(bestStretch, Time(applier, stretch));
        bestFit = std::min(bestFit, Time(applier, fit));
        bestFill = std::min(bestFill, Time(applier, fill));
    }
    std::printf("apply 4000x3000 fitted on %dx%d: %.1f ms against %.1f ms stretched with halftone, ratio %.2fx "
                "(goal at most 1.1x)\n", width, height, bestFit * 1e3, bestStretch * 1e3, bestFit / bestStretch);
    std::printf("apply 4000x3000 filled on %dx%d: %.1f ms against %.1f ms stretched with halftone, ratio %.2fx "
                "(goal at most 1.1x)\n", width, height, bestFill * 1e3, bestStretch * 1e3, bestFill / bestStretch);

    context.cache().UnloadAll();
    DeleteFileW(ToWide(photo).c_str());
    DeleteFileW(ToWide(dir + "TVTemp.bmp").c_str());
    RemoveDirectoryW(ToWide(dir).c_str());
    return 0;
}
