// "次の壁紙(&N)", the automatic change and the command line, on the real
// tavrin.exe driven from outside.
#include <gtest/gtest.h>

#include <algorithm>

#include "../image/TestPictures.h"
#include "e2e/TavrinFixture.h"
#include "TavrinDriver.h"
#include "TestSupport.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"
#include "util/Cp932Convert.h"

namespace {
struct CommandRun {
    PROCESS_INFORMATION pi = {};
    ~CommandRun() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    // The exit code, or -1 when it did not end in time.
    int Wait(DWORD ms = 60000) {
        if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        return static_cast<int>(code);
    }
};

struct BoxSearch { DWORD pid; HWND found; };
BOOL CALLBACK FindBox(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = {}, title[16] = {};
    GetClassNameW(hwnd, cls, 16);
    GetWindowTextW(hwnd, title, 16);
    if (pid == s->pid && !wcscmp(cls, L"#32770") && !wcscmp(title, L"Tavrin") && IsWindowVisible(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The text of the box "Tavrin" of process `pid`, answered with OK; empty when none showed.
std::string AnswerBoxOf(DWORD pid, DWORD ms = 10000) {
    BoxSearch s = {pid, nullptr};
    if (!WaitFor([&] {
            s.found = nullptr;
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
            return s.found != nullptr;
        }, ms))
        return std::string();
    std::string text = ControlText(GetDlgItem(s.found, 0xFFFF));
    PostMessageW(s.found, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(s.found); });
    return text;
}

// A balloon shows as a tooltip window of the notification area's process.
struct BalloonSearch { std::string text; bool found; };
BOOL CALLBACK FindBalloon(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<BalloonSearch*>(lp);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (!wcscmp(cls, L"tooltips_class32") && IsWindowVisible(hwnd) && ControlText(hwnd) == s->text) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}
bool BalloonShows(const std::string& text, DWORD ms) {
    BalloonSearch s = {text, false};
    return WaitFor([&] {
        EnumWindows(FindBalloon, reinterpret_cast<LPARAM>(&s));
        return s.found;
    }, ms);
}

// Every process started inside a job joins it.
JOBOBJECT_BASIC_ACCOUNTING_INFORMATION ProcessesOf(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr);
    return info;
}

std::vector<std::string> SavedNames(const std::string& file) {
    std::string bytes = ReadBytes(file);
    WallPaperEntries entries;
    std::vector<std::string> names;
    if (DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &entries) != ListDecodeResult::Ok) return {"?"};
    for (const auto& e : entries) names.push_back(e->m_strName);
    return names;
}

struct AutoChangeEndToEnd : TavrinFixtureNoPreview {
    std::string Picture(const std::string& name) {
        std::string path = dir.File(name);
        WriteTestBitmap(path, 16, 16, Gradient);
        return path;
    }
    // Front of the list first; the menu shows the last one at the top.
    void WriteList(const std::vector<std::string>& paths) {
        WallPaperEntries entries;
        for (const std::string& path : paths) {
            auto e = std::make_unique<CWallPaperData>(path.substr(path.rfind('\\') + 1), path, kStyleCentre);
            e->m_bInUse = true;
            entries.push_back(std::move(e));
        }
        WriteBytes(list, EncodeListFile(entries));
    }
    // tavrin.exe with arguments, started from here (in this desktop).
    bool Run(const std::wstring& args, CommandRun* run, DWORD flags = 0) {
        std::wstring exe = W(std::string(TAVRIN_BIN_DIR) + "/tavrin.exe");
        std::wstring line = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        return CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &run->pi);
    }
    // The same, held before its first instruction inside `job`, which every process it starts joins too.
    bool RunHeld(const std::wstring& args, HANDLE job, CommandRun* run) {
        return Run(args, run, CREATE_SUSPENDED) && AssignProcessToJobObject(job, run->pi.hProcess);
    }
    int RunAndWait(const std::wstring& args) {
        CommandRun run;
        return Run(args, &run) ? run.Wait() : -2;
    }
};
}  // namespace

TEST_F(AutoChangeEndToEnd, NextFromTheMenuAndTheCommandsOfARunningTavrin) {
    std::string a = Picture("a.bmp"), b = Picture("b.bmp"), c = Picture("c.bmp");
    WriteList({a, b, c});
    tavrin.SetString("SelectedWallPaper", a);
    ASSERT_TRUE(tavrin.Start());
    EXPECT_EQ(a, DesktopWallpaper());

    // The menu: c, b, a, the separator, "次の壁紙(&N)".  After a (the bottom) comes c.
    ASSERT_TRUE(tavrin.ChooseItem(4));
    EXPECT_EQ(c, DesktopWallpaper());
    EXPECT_EQ(0, RunAndWait(L"/next"));
    EXPECT_EQ(b, DesktopWallpaper());
    EXPECT_EQ(0, RunAndWait(L"/apply a.bmp"));
    EXPECT_EQ(a, DesktopWallpaper());

    // A name that is not in the list: the running Tavrin says so, nothing changes.
    {
        CommandRun run;
        ASSERT_TRUE(Run(L"/apply \"no such name\"", &run));
        EXPECT_EQ(1, run.Wait());
        EXPECT_EQ("表示名[no such name]の壁紙はリストにありません。", AnswerBoxOf(tavrin.ProcessId()));
        EXPECT_EQ(a, DesktopWallpaper());
    }

    // Two pictures and a text file, with paths relative to the command's folder.
    std::string p1 = Picture("new 1.bmp"), p2 = Picture("new2.bmp"), txt = dir.File("notes.txt");
    WriteBytes(txt, "text");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(W(dir.path()).c_str());
    {
        CommandRun run;
        ASSERT_TRUE(Run(L"/add \"new 1.bmp\" notes.txt " + W(p2), &run));
        EXPECT_EQ(1, run.Wait()) << "not everything was added";
        EXPECT_EQ((std::vector<std::string>{"new2.bmp", "new 1.bmp", "a.bmp", "b.bmp", "c.bmp"}), SavedNames(list))
            << "saved at once, at the bottom of the list";
        EXPECT_EQ("次のファイルは追加しませんでした。\n" + txt + " (画像ファイルではありません)",
                  AnswerBoxOf(tavrin.ProcessId()));
    }
    SetCurrentDirectoryW(previous);

    // Problems of the command line itself are told by the command, which changes nothing.
    {
        CommandRun run;
        ASSERT_TRUE(Run(L"/shuffle", &run));
        std::string text = AnswerBoxOf(run.pi.dwProcessId);
        EXPECT_EQ(0u, text.find("不明な引数です: /shuffle")) << text;
        EXPECT_EQ(2, run.Wait());
    }
    {
        CommandRun run;
        ASSERT_TRUE(Run(L"/add", &run));
        EXPECT_EQ(0u, AnswerBoxOf(run.pi.dwProcessId).find("/add の後に追加する画像ファイルがありません。"));
        EXPECT_EQ(2, run.Wait());
    }
    EXPECT_EQ(5u, SavedNames(list).size());
    EXPECT_EQ(a, DesktopWallpaper());
    EXPECT_TRUE(tavrin.Stop());
}

TEST_F(AutoChangeEndToEnd, TheAutomaticChangeAtTheTestInterval) {
    std::string a = Picture("a.bmp"), b = Picture("b.bmp");
    WriteList({a, b});
    tavrin.SetString("SelectedWallPaper", b);
    tavrin.SetInt("AutoChangeMinutes", 15);
    tavrin.SetInt("AutoChangeTestSeconds", 2);  // 2 seconds instead of 15 minutes
    ASSERT_TRUE(tavrin.Start());
    EXPECT_EQ(b, DesktopWallpaper());
    DWORD started = GetTickCount();
    ASSERT_TRUE(WaitFor([&] { return DesktopWallpaper() == a; }, 15000)) << "no automatic change";
    EXPECT_GE(GetTickCount() - started, 1000u) << "the change came before its interval";
    EXPECT_TRUE(WaitFor([&] { return DesktopWallpaper() == b; }, 15000)) << "no second automatic change";
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(15u, tavrin.GetInt("AutoChangeMinutes", 0));
}

TEST_F(AutoChangeEndToEnd, ACommandStartsTavrinWhenNoneRuns) {
    WriteList({Picture("a.bmp")});
    ASSERT_EQ(nullptr, FindWindowW(L"TavrinTrayWindow", nullptr));
    EXPECT_EQ(0, RunAndWait(L"/list"));
    HWND tray = FindWindowW(L"TavrinTrayWindow", nullptr);
    ASSERT_NE(nullptr, tray) << "Tavrin was not started";
    DWORD pid = 0;
    GetWindowThreadProcessId(tray, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    HWND dialog = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (dialog = FindWindowW(L"#32770", L"\u58c1\u7d19\u30ea\u30b9\u30c8")) != nullptr; }))
        << "the list dialog did not open";
    if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return !IsWindow(dialog); });
    PostMessageW(tray, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 15000));
    CloseHandle(process);
}

// Two pictures sent to Tavrin from the shell at once (two Send To choices):
// both commands are under way before either could start Tavrin.  A few
// rounds, since which gets where first is the scheduler's choice.
TEST_F(AutoChangeEndToEnd, TwoCommandsAtOnceStartOneTavrinThatCarriesOutBoth) {
    const std::string a = Picture("a.bmp"), sent1 = Picture("sent1.bmp"), sent2 = Picture("sent2.bmp");
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        WriteList({a});
        ASSERT_EQ(nullptr, FindWindowW(L"TavrinTrayWindow", nullptr));
        UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
        ASSERT_TRUE(job);
        CommandRun first, second;
        ASSERT_TRUE(RunHeld(L"/add " + W(sent1), job.get(), &first));
        ASSERT_TRUE(RunHeld(L"/add " + W(sent2), job.get(), &second));
        ResumeThread(first.pi.hThread);
        ResumeThread(second.pi.hThread);
        EXPECT_EQ(0, first.Wait());
        EXPECT_EQ(0, second.Wait());

        std::vector<std::string> names = SavedNames(list);
        std::sort(names.begin(), names.end());
        EXPECT_EQ((std::vector<std::string>{"a.bmp", "sent1.bmp", "sent2.bmp"}), names) << "both were added";
        EXPECT_EQ(3u, ProcessesOf(job.get()).TotalProcesses) << "the two commands and one Tavrin";
        HWND tray = FindWindowW(L"TavrinTrayWindow", nullptr);
        ASSERT_NE(nullptr, tray);

        if (round == 3) {
            // A second Tavrin tells the first before it ends; the first has
            // handled that once it answers; Wine's notification area shows
            // the balloon about 2 seconds later.
            WaitFor([&] { return ProcessesOf(job.get()).ActiveProcesses <= 1; }, 10000);
            DWORD_PTR answer;
            SendMessageTimeoutW(tray, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
            EXPECT_FALSE(BalloonShows("Tavrin はすでに起動しています。", 4000)) << "the balloon of a second start";
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(tray, &pid);
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
        PostMessageW(tray, WM_CLOSE, 0, 0);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 15000));
    }
}
