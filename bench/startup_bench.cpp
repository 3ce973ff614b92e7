// Start-up benchmark: tavrin.exe against the least tray program (bare_tray.exe,
// a hidden window and Shell_NotifyIconW with the same manifest), started in
// turn, N rounds in one run.  Each start is timed until its icon is in the
// notification area; the working set is read once it has settled.  Tavrin
// runs on a private, empty list with a fresh profile, so it does no
// wallpaper work.  Usage: startup_bench.exe [rounds [plug-in folder [photo]]];
// with a folder, plug-ins are on and read from there, as after an
// installation.  With "photo", a 4000x3000 JPEG is the selected wallpaper
// (fitted): Tavrin is started once with its wallpaper file of the last run
// still current and once with that file's stamp removed before each start,
// so the picture is decoded and drawn again as every start used to.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/footprint/ProcessFootprint.h"
#include "framework/Handles.h"
#include "tests/wic/WicPictures.h"

namespace {
constexpr const wchar_t* kProfileKey = L"Software\\Vandrel Software\\Tavrin";
constexpr UINT kIconId = 100;
// Modules that only Tavrin's dialogs and rare commands need.
constexpr const char* kDialogModules[] = {"comdlg32.dll", "ole32.dll", "version.dll", "shlwapi.dll", "comctl32.dll"};

struct Program {
    const char* name;
    std::wstring exe;
    const wchar_t* windowClass;
    std::vector<double> startMs;
    std::vector<double> windowMs;  // until its window exists
    std::vector<double> workingSetMiB;
    std::vector<std::string> modules;  // from the last start
    std::function<void()> before = nullptr;  // run before each start
};

std::wstring Widen(const std::string& utf8) {
    wchar_t buf[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, buf, MAX_PATH * 2 - 1);
    return buf;
}

double Now() {
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Best(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

void SetProfileString(const wchar_t* name, const std::wstring& value) {
    std::wstring key = std::wstring(kProfileKey) + L"\\Settings";
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void SetProfileInt(const wchar_t* name, DWORD value) {
    std::wstring key = std::wstring(kProfileKey) + L"\\Settings";
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof(value));
}

// One start: false when the program did not show its icon or did not end.
bool StartOnce(Program& p, bool keepModules) {
    if (p.before) p.before();
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring line = L"\"" + p.exe + L"\"";
    double t0 = Now();
    if (!CreateProcessW(p.exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("%s: cannot start (error %lu)\n", p.name, GetLastError());
        return false;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    HWND window = nullptr;
    bool shown = false;
    double windowAt = 0;
    while (Now() - t0 < 20000 && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        if (!window && (window = FindProcessWindow(pi.dwProcessId, p.windowClass)) != nullptr) windowAt = Now() - t0;
        if (window && TrayIconShown(window, kIconId)) { shown = true; break; }
        Sleep(2);
    }
    double started = Now() - t0;
    if (!shown) {
        std::printf("%s: no icon within 20 s\n", p.name);
        TerminateProcess(process.get(), 1);
        return false;
    }
    // Let the start finish (queued messages, deferred work) before reading the memory.
    DWORD_PTR answer;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    Sleep(400);
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    SIZE_T bytes = WorkingSetBytes(process.get());
    if (keepModules) p.modules = LoadedModules(pi.dwProcessId);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) {
        std::printf("%s: did not end after WM_CLOSE\n", p.name);
        TerminateProcess(process.get(), 1);
        return false;
    }
    p.startMs.push_back(started);
    p.windowMs.push_back(windowAt);
    p.workingSetMiB.push_back(static_cast<double>(bytes) / (1024.0 * 1024.0));
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (rounds < 1 || rounds > 1000) rounds = 10;

    // A private folder with an empty list, and a fresh profile naming it.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"tavrin-startup-bench";
    CreateDirectoryW(dir.c_str(), nullptr);
    std::wstring list = dir + L"\\List.tvl";
    {
        UniqueFile file(CreateFileW(list.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), "\0\0", 2, &written, nullptr) || written != 2) {
            std::printf("cannot write %ls\n", list.c_str());
            return 1;
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    SetProfileString(L"ConfPath", list);
    SetProfileString(L"DeskCalPath", L"");
    const bool plugins = argc > 2;
    if (plugins) {
        SetProfileInt(L"EnableSPI", 1);
        SetProfileString(L"SPIPath", Widen(argv[2]));
    }

    Program tavrin{"tavrin.exe", Widen(std::string(TAVRIN_BIN_DIR) + "/tavrin.exe"), L"TavrinTrayWindow", {}, {}, {}, {}};
    Program bare{"bare_tray.exe", Widen(std::string(TAVRIN_TEST_BIN_DIR) + "/bare_tray.exe"), L"TavrinBareTray",
                 {}, {}, {}, {}};
    Program decoding = tavrin;
    decoding.name = "tavrin.exe, decoding";
    std::wstring photo;
    if (plugins && argc > 3 && std::string(argv[3]) == "photo") {
        photo = dir + L"\\photo.jpg";
        const std::string jpeg = EncodePicture(Container::Jpeg, MakeImage(4000, 3000, Smooth));
        UniqueFile file(CreateFileW(photo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (jpeg.empty() || !file || !WriteFile(file.get(), jpeg.data(), (DWORD)jpeg.size(), &written, nullptr) ||
            written != jpeg.size()) {
            std::printf("cannot write %ls\n", photo.c_str());
            return 1;
        }
        SetProfileString(L"SelectedWallPaper", photo);
        SetProfileInt(L"ViewStyle", 3);
        decoding.before = [] {
            std::wstring key = std::wstring(kProfileKey) + L"\\Settings";
            RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"WallpaperFileStamp");
        };
    }
    const bool withPhoto = !photo.empty();

    // One start of each to warm the file cache, not counted.
    bool ok = StartOnce(bare, false) && StartOnce(tavrin, false) && (!withPhoto || StartOnce(decoding, false));
    for (Program* p : {&bare, &tavrin, &decoding}) {
        p->startMs.clear(); p->windowMs.clear(); p->workingSetMiB.clear();
    }
    // The ratio of the two starts of one round: both met the same load of a
    // shared machine, so the median of these swings less than either time.
    std::vector<double> roundRatios;
    for (int i = 0; ok && i < rounds; ++i) {
        bool last = i == rounds - 1;
        // Alternate which goes first, so neither always follows the other.
        if (i % 2 == 0) ok = StartOnce(tavrin, last) && StartOnce(bare, last);
        else ok = StartOnce(bare, last) && StartOnce(tavrin, last);
        if (ok && withPhoto) ok = StartOnce(decoding, last) && StartOnce(tavrin, false);
        if (ok) roundRatios.push_back(tavrin.startMs.back() / bare.startMs.back());
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    if (withPhoto) {
        DeleteFileW(photo.c_str());
        DeleteFileW(Widen(std::string(TAVRIN_BIN_DIR) + "/TVTemp.bmp").c_str());
    }
    DeleteFileW(list.c_str());
    RemoveDirectoryW(dir.c_str());
    if (!ok) return 1;

    double tMed = Median(tavrin.startMs), bMed = Median(bare.startMs);
    double tBest = Best(tavrin.startMs), bBest = Best(bare.startMs);
    double tMem = Median(tavrin.workingSetMiB), bMem = Median(bare.workingSetMiB);
    const char* setting = withPhoto ? "start-up with plug-ins and a 4000x3000 photo fitted, its file current"
                          : plugins ? "start-up with plug-ins" : "start-up";
    if (withPhoto) {
        const double dMed = Median(decoding.startMs), dMem = Median(decoding.workingSetMiB);
        std::printf("start-up with the same photo decoded and drawn again (its file's stamp removed): %.0f ms "
                    "(median), %.2fx the bare program, %.2fx the start with the file current; working set %.1f MiB\n",
                    dMed, dMed / Median(bare.startMs), dMed / Median(tavrin.startMs), dMem);
    }
    std::printf("%s, %d rounds: until the icon is there %.0f ms against %.0f ms (median), ratio %.2fx; "
                "best %.0f ms against %.0f ms, ratio %.2fx; median of the rounds' ratios %.2fx (goal at most 1.1x)\n",
                setting, rounds, tMed, bMed, tMed / bMed, tBest, bBest, tBest / bBest, Median(roundRatios));
    std::printf("%s, until the window exists: %.0f ms against %.0f ms (median)\n", setting,
                Median(tavrin.windowMs), Median(bare.windowMs));
    std::printf("%s, working set after start: %.1f MiB against %.1f MiB (median), %+.1f MiB "
                "(goal at most +5 MiB)\n", setting, tMem, bMem, tMem - bMem);
    std::string extra, dialogOnly;
    for (const std::string& m : tavrin.modules)
        if (!HasModule(bare.modules, m.c_str()) && m != "tavrin.exe") extra += " " + m;
    for (const char* m : kDialogModules)
        if (HasModule(tavrin.modules, m)) dialogOnly += std::string(" ") + m;
    std::printf("%s, modules loaded in tavrin.exe and not in bare_tray.exe (%zu against %zu):%s\n", setting,
                tavrin.modules.size(), bare.modules.size(), extra.empty() ? " none" : extra.c_str());
    std::printf("%s, modules of dialogs loaded at start:%s\n", setting, dialogOnly.empty() ? " none" : dialogOnly.c_str());
    return 0;
}
