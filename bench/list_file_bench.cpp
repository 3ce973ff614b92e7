// List file benchmark: saving and loading 100,000 entries through the list,
// against writing and reading the same bytes raw, in the same run.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "list/WallPaperList.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

void RawWrite(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put;
    WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    FlushFileBuffers(f);
    CloseHandle(f);
}

std::string RawRead(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    GetFileSizeEx(f, &size);
    std::string bytes((size_t)size.QuadPart, '\0');
    DWORD got;
    ReadFile(f, &bytes[0], (DWORD)bytes.size(), &got, nullptr);
    CloseHandle(f);
    return bytes;
}
}  // namespace

int main() {
    const int kEntries = 100000, kRounds = 7;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string dir = ToCp932(temp);
    std::string listPath = dir + "tavrin-bench.tvl";
    std::wstring rawPath = ToWide(dir + "tavrin-bench.raw");

    WallPaperList list;
    for (int i = 0; i < kEntries; ++i) {
        std::string n = std::to_string(i);
        auto e = std::make_unique<CWallPaperData>("\x95\xc7\x8e\x86 " + n, "C:\\Pictures\\wallpapers\\" + n + ".bmp",
                                                  i % 3);
        list.Append(std::move(e));
    }
    list.SetPath(listPath);
    std::string bytes = EncodeListFile(list.entries());

    double best = 1e9, bestRaw = 1e9, bestSave = 1e9, bestLoad = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        auto t0 = Clock::now();
        list.Save();
        auto tSaved = Clock::now();
        list.Load();
        auto t1 = Clock::now();
        bestSave = std::min(bestSave, Seconds(t0, tSaved));
        bestLoad = std::min(bestLoad, Seconds(tSaved, t1));
        RawWrite(rawPath, bytes);
        std::string back = RawRead(rawPath);
        auto t2 = Clock::now();
        if (list.size() != (size_t)kEntries || back.size() != bytes.size()) {
            std::fprintf(stderr, "benchmark run went wrong\n");
            return 1;
        }
        best = std::min(best, Seconds(t0, t1));
        bestRaw = std::min(bestRaw, Seconds(t1, t2));
    }
    std::printf("list file, %d entries (%zu bytes): save+load %.1f ms (save %.1f, load %.1f), "
                "raw write+read %.1f ms, ratio %.2fx\n",
                kEntries, bytes.size(), best * 1e3, bestSave * 1e3, bestLoad * 1e3, bestRaw * 1e3, best / bestRaw);
    list.SetPath("");
    DeleteFileW(ToWide(listPath).c_str());
    DeleteFileW(rawPath.c_str());
    return 0;
}
