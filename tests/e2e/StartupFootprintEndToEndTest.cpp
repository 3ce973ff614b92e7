// What the real tavrin.exe loads at start: no more system libraries than the
// least tray program loads, and what its dialogs need arrives with them.
#include <gtest/gtest.h>

#include "ProcessFootprint.h"
#include "TavrinDriver.h"
#include "TestSupport.h"
#include "app/TrayWindow.h"
#include "res/resource-list.h"

namespace {
// Libraries that only dialogs and rare commands use.
constexpr const char* kDialogModules[] = {"comctl32.dll", "comdlg32.dll", "ole32.dll", "shlwapi.dll", "version.dll"};

// The modules of bare_tray.exe (a hidden window and its icon) once its icon is there.
std::vector<std::string> BareTrayModules() {
    std::wstring exe = W(std::string(TAVRIN_TEST_BIN_DIR) + "/bare_tray.exe");
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<std::string> modules;
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return modules;
    HWND window = nullptr;
    if (WaitFor([&] {
            window = FindProcessWindow(pi.dwProcessId, L"TavrinBareTray");
            return window && TrayIconShown(window, kTrayIconId);  // bare_tray uses the same id
        }, 15000))
        modules = LoadedModules(pi.dwProcessId);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return modules;
}

HWND OtherDialog(TavrinDriver& tavrin, HWND besides) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == tavrin.ProcessId() && w != besides && IsWindowVisible(w)) found = w;
        }
        return found != nullptr;
    });
    return found;
}

struct StartupFootprint : ::testing::Test {
    TempDir dir;
    TavrinDriver tavrin;
    void SetUp() override {
        tavrin.SetString("ConfPath", dir.File("List.tvl"));
        tavrin.SetString("DeskCalPath", "");
    }
};
}  // namespace

TEST_F(StartupFootprint, DialogLibrariesLoadWithTheFirstDialogNotAtStart) {
    std::vector<std::string> bare = BareTrayModules();
    ASSERT_FALSE(bare.empty()) << "bare_tray.exe did not show its icon";
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(WaitFor([&] { return TrayIconShown(tavrin.tray(), kTrayIconId); }));
    std::vector<std::string> atStart = LoadedModules(tavrin.ProcessId());
    ASSERT_TRUE(HasModule(atStart, "user32.dll")) << "the module list of tavrin.exe could not be read";
    for (const char* m : kDialogModules)
        EXPECT_TRUE(!HasModule(atStart, m) || HasModule(bare, m)) << m << " is loaded at start";

    // The list dialog brings the common controls: its list view is there.
    ASSERT_TRUE(tavrin.ChooseItem(4));  // the greyed placeholder, 次の壁紙, 自動切替, then リスト表示(&L)
    HWND list = tavrin.FindOwnWindow(L"#32770", L"\u58c1\u7d19\u30ea\u30b9\u30c8");  // 壁紙リスト
    ASSERT_NE(nullptr, list);
    EXPECT_NE(nullptr, FindWindowExW(list, nullptr, L"SysListView32", nullptr));
    EXPECT_TRUE(HasModule(LoadedModules(tavrin.ProcessId()), "comctl32.dll"));
    PostMessageW(list, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(list); }));

    // The entry dialog's "..." opens the open-file dialog from comdlg32.
    ASSERT_TRUE(tavrin.ChooseItem(5));  // 追加(&A)
    HWND entry = tavrin.FindOwnWindow(L"#32770", L"\u65b0\u898f\u8ffd\u52a0");  // 新規追加
    ASSERT_NE(nullptr, entry);
    PostMessageW(GetDlgItem(entry, IDC_ENTRY_BROWSE), BM_CLICK, 0, 0);
    HWND open = OtherDialog(tavrin, entry);
    ASSERT_NE(nullptr, open) << "no open-file dialog";
    EXPECT_TRUE(HasModule(LoadedModules(tavrin.ProcessId()), "comdlg32.dll"));
    PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(open); }));
    PostMessageW(entry, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(entry); }));
    EXPECT_TRUE(tavrin.Stop());
}
