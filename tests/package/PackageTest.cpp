// The shipped program as a user gets it: started from where the installer
// or the portable zip put it, inside a Wine virtual desktop.  The script
// tests/package/run.sh installs, reinstalls and uninstalls around these
// tests and passes the paths in the environment:
//   TAVRIN_PKG_EXE        the tavrin.exe under test
//   TAVRIN_PKG_JPEG       a JPEG picture (empty when the picture plug-in is not shipped)
//   TAVRIN_PKG_JPEG_SIZE  its size, "WxH"
//   TAVRIN_PKG_SKIP_WHY   why the JPEG check is skipped
//   TAVRIN_PKG_SETUP      the installer (tests of installing over a running Tavrin)
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"
#include "res/resource.h"

namespace {
const wchar_t* const kSettingsKey = L"Software\\Vandrel Software\\Tavrin\\Settings";

std::wstring Env(const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

bool WaitFor(const std::function<bool()>& condition, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(25);
    }
    return true;
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return "<missing>";
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

// Every value of the settings key: name -> type and bytes.
std::map<std::wstring, std::string> SettingsSnapshot() {
    std::map<std::wstring, std::string> values;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key)) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256, type = 0, size = 4096;
        BYTE data[4096];
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &size)) break;
        values[name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size);
    }
    RegCloseKey(key);
    return values;
}

std::wstring DesktopWallpaper() {
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, buf, &size))
        return L"<none>";
    return buf;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteAll(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool KeyExists(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key)) return false;
    RegCloseKey(key);
    return true;
}

// Runs a command line to its end (within a minute) in this desktop; its exit
// code, or -1 when it could not start or did not end.
long RunToEnd(const std::wstring& exe, const std::wstring& arguments) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    long result = -1;
    DWORD code = 0;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0 && GetExitCodeProcess(pi.hProcess, &code))
        result = static_cast<long>(code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return result;
}

// One started copy of the program.
class Program {
public:
    explicit Program(const std::wstring& exe) : m_exe(exe) {}
    ~Program() {
        if (!m_pi.hProcess) return;
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_pi.hProcess, 1);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    bool Launch() {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring line = L"\"" + m_exe + L"\"";
        return CreateProcessW(m_exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, Folder(m_exe).c_str(),
                              &si, &m_pi) != FALSE;
    }
    // Starts it and waits for its tray window.
    bool Start() {
        if (!Launch()) return false;
        bool found = WaitFor([&] { return FindTray() || Ended(); }, 15000) && m_tray;
        if (found) Settle();
        return found;
    }
    bool Ended() const { return WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }
    HWND tray() const { return m_tray; }
    DWORD pid() const { return m_pi.dwProcessId; }

    // True while the notification area holds the program's icon: changing
    // nothing but its callback message to the same value only works on an
    // icon that exists.
    bool IconShown() const {
        NOTIFYICONDATAW data = {};
        data.cbSize = sizeof(data);
        data.hWnd = m_tray;
        data.uID = 100;
        data.uFlags = NIF_MESSAGE;
        data.uCallbackMessage = 0x800C;
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }
    void Settle() {
        DWORD_PTR r;
        SendMessageTimeoutW(m_tray, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r);
        Sleep(100);
    }
    HWND OpenMenu() {
        PostMessageW(m_tray, 0x800C, 100, WM_RBUTTONUP);
        HWND menu = nullptr;
        WaitFor([&] {
            HWND w = FindWindowW(L"#32768", nullptr);
            if (w && IsWindowVisible(w)) menu = w;
            return menu != nullptr;
        });
        return menu;
    }
    bool Stop() {
        PostMessageW(m_tray, WM_CLOSE, 0, 0);
        return WaitForSingleObject(m_pi.hProcess, 15000) == WAIT_OBJECT_0;
    }
    bool WaitForEnd(DWORD ms) const { return WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0; }
    // A visible dialog box of this process, or null.
    HWND Dialog() const {
        Find f = {m_pi.dwProcessId, nullptr};
        EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&f));
        return f.found;
    }

private:
    struct Find { DWORD pid; HWND found; };
    static BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
        auto* f = reinterpret_cast<Find*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        if (pid == f->pid && wcscmp(cls, L"TavrinTrayWindow") == 0) {
            f->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM lp) {
        auto* f = reinterpret_cast<Find*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        if (pid == f->pid && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
            f->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    bool FindTray() {
        Find f = {m_pi.dwProcessId, nullptr};
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
        m_tray = f.found;
        return m_tray != nullptr;
    }

    std::wstring m_exe;
    PROCESS_INFORMATION m_pi = {};
    HWND m_tray = nullptr;
};

struct Shipped : ::testing::Test {
    std::wstring exe = Env(L"TAVRIN_PKG_EXE");
    std::wstring list = Folder(exe) + L"List.tvl";
    void SetUp() override { ASSERT_FALSE(exe.empty()) << "TAVRIN_PKG_EXE is not set"; }
};

struct HelpWindow { HWND hwnd; std::wstring title; };
BOOL CALLBACK FindHelpWindow(HWND hwnd, LPARAM lp) {
    wchar_t cls[64] = {}, title[256] = {};
    GetClassNameW(hwnd, cls, 64);
    if (wcscmp(cls, L"HH Parent") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    GetWindowTextW(hwnd, title, 256);
    auto* found = reinterpret_cast<HelpWindow*>(lp);
    found->hwnd = hwnd;
    found->title = title;
    return FALSE;
}
}  // namespace

TEST_F(Shipped, StartsShowsItsIconAndSavesItsListBesideItselfAtExit) {
    Program tavrin(exe);
    ASSERT_TRUE(tavrin.Start());
    EXPECT_TRUE(tavrin.IconShown());
    ASSERT_TRUE(tavrin.Stop());
    EXPECT_EQ(0u, tavrin.ExitCode());
    EXPECT_FALSE(tavrin.IconShown()) << "the icon goes with the program (and the probe can tell)";
    EXPECT_NE("<missing>", ReadAll(list)) << "the list file lives beside the program";
}

TEST_F(Shipped, ASecondStartEndsAtOnceAndLeavesListAndSettingsAlone) {
    Program first(exe);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.IconShown());
    const std::string listBefore = ReadAll(list);
    const auto settingsBefore = SettingsSnapshot();
    FILETIME written = {};
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (GetFileAttributesExW(list.c_str(), GetFileExInfoStandard, &attributes)) written = attributes.ftLastWriteTime;

    Program second(exe);
    ASSERT_TRUE(second.Launch());
    EXPECT_TRUE(WaitFor([&] { return second.Ended(); }, 10000)) << "the second copy must end by itself";
    EXPECT_NE(0u, second.ExitCode());
    first.Settle();

    EXPECT_EQ(listBefore, ReadAll(list));
    ASSERT_TRUE(GetFileAttributesExW(list.c_str(), GetFileExInfoStandard, &attributes));
    EXPECT_EQ(0, CompareFileTime(&written, &attributes.ftLastWriteTime)) << "the list file was written";
    EXPECT_EQ(settingsBefore, SettingsSnapshot());
    EXPECT_TRUE(IsWindow(first.tray()));
    EXPECT_FALSE(first.Ended());
    EXPECT_TRUE(first.IconShown()) << "the running copy keeps its icon";
    ASSERT_TRUE(first.Stop());
}

TEST_F(Shipped, HelpFromTheMenuOpensTheHelpWindow) {
    Program tavrin(exe);
    ASSERT_TRUE(tavrin.Start());
    HWND menu = tavrin.OpenMenu();
    ASSERT_NE(nullptr, menu);
    PostMessageW(menu, WM_CHAR, L'h', 0);  // ヘルプ(&H)
    HelpWindow help = {nullptr, L""};
    EXPECT_TRUE(WaitFor([&] {
        EnumWindows(FindHelpWindow, reinterpret_cast<LPARAM>(&help));
        return help.hwnd != nullptr;
    }, 20000)) << "no help window appeared";
    if (help.hwnd) {
        EXPECT_EQ(0u, help.title.find(L"Tavrin")) << "the help file's own window title";
        PostMessageW(help.hwnd, WM_CLOSE, 0, 0);
        WaitFor([&] { return !IsWindow(help.hwnd); }, 5000);
    }
    ASSERT_TRUE(tavrin.Stop());
}

TEST_F(Shipped, AppliesAJpegThroughTheShippedPlugin) {
    const std::wstring jpeg = Env(L"TAVRIN_PKG_JPEG");
    if (jpeg.empty()) GTEST_SKIP() << ToCp932(Env(L"TAVRIN_PKG_SKIP_WHY"));
    int width = 0, height = 0;
    ASSERT_EQ(2, swscanf(Env(L"TAVRIN_PKG_JPEG_SIZE").c_str(), L"%dx%d", &width, &height));

    WallPaperEntries entries;
    entries.push_back(std::make_unique<CWallPaperData>("写真", ToCp932(jpeg), kStyleStretch));
    entries.back()->m_bInUse = true;
    std::string bytes = EncodeListFile(entries);
    FILE* f = _wfopen(list.c_str(), L"wb");
    ASSERT_NE(nullptr, f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);

    Program tavrin(exe);
    ASSERT_TRUE(tavrin.Start());
    HWND menu = tavrin.OpenMenu();
    ASSERT_NE(nullptr, menu);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    const std::wstring temp = Folder(exe) + L"TVTemp.bmp";
    EXPECT_TRUE(WaitFor([&] { return DesktopWallpaper() == temp; })) << ToCp932(DesktopWallpaper());
    std::string bmp = ReadAll(temp);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ("BM", bmp.substr(0, 2));
    const BITMAPINFOHEADER* info = reinterpret_cast<const BITMAPINFOHEADER*>(bmp.data() + 14);
    EXPECT_EQ(width, info->biWidth);
    EXPECT_EQ(height, std::abs(info->biHeight));
    ASSERT_TRUE(tavrin.Stop());
}

// Installing or uninstalling over a Tavrin that shows a dialog: it cannot end
// before the dialog is closed, so both must give up without changing
// anything, and succeed once the dialog is gone.
struct UpgradeOverADialog : Shipped {
    std::wstring setup = Env(L"TAVRIN_PKG_SETUP");
    std::wstring folder = Folder(exe);
    std::wstring uninstaller = folder + L"uninstall.exe";
    // The uninstaller runs in place and waits ("_?=" keeps it from copying
    // itself away), so its exit code is the uninstall's.
    std::wstring uninstallData = L"/S /REMOVEDATA _?=" + folder.substr(0, folder.size() - 1);
    const std::string readmeMark = "a read-me the installer has not replaced";
    static constexpr long kTavrinRuns = 3;
    void SetUp() override {
        Shipped::SetUp();
        ASSERT_FALSE(setup.empty()) << "TAVRIN_PKG_SETUP is not set";
        ASSERT_TRUE(Exists(uninstaller)) << "Tavrin is not installed in " << ToCp932(folder);
        ASSERT_TRUE(WriteAll(folder + L"Readme.txt", readmeMark));
    }
    // Starts Tavrin and opens its settings dialog from the tray window.
    void OpenSettings(Program& tavrin, HWND* dialog) {
        ASSERT_TRUE(tavrin.Start());
        PostMessageW(tavrin.tray(), WM_COMMAND, ID_SETTINGS, 0);
        ASSERT_TRUE(WaitFor([&] { return (*dialog = tavrin.Dialog()) != nullptr; })) << "no settings dialog";
    }
};

TEST_F(UpgradeOverADialog, SetupAndUninstallGiveUpUntouchedThenSucceedOnceItIsClosed) {
    Program tavrin(exe);
    HWND dialog = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenSettings(tavrin, &dialog));
    const std::string listBefore = ReadAll(list), exeBefore = ReadAll(exe);
    ASSERT_NE("<missing>", listBefore);
    const auto settingsBefore = SettingsSnapshot();
    ASSERT_FALSE(settingsBefore.empty());

    EXPECT_EQ(kTavrinRuns, RunToEnd(setup, L"/S")) << "a silent setup while Tavrin cannot end";
    EXPECT_EQ(readmeMark, ReadAll(folder + L"Readme.txt")) << "setup replaced a file while Tavrin ran";
    EXPECT_EQ(kTavrinRuns, RunToEnd(uninstaller, uninstallData)) << "a silent uninstall while Tavrin cannot end";
    EXPECT_EQ(exeBefore, ReadAll(exe));
    EXPECT_TRUE(Exists(uninstaller));
    EXPECT_EQ(readmeMark, ReadAll(folder + L"Readme.txt"));
    EXPECT_EQ(listBefore, ReadAll(list)) << "the list went while Tavrin ran";
    EXPECT_EQ(settingsBefore, SettingsSnapshot()) << "the settings went while Tavrin ran";
    EXPECT_TRUE(KeyExists(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrin"));
    EXPECT_FALSE(tavrin.Ended());
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays for the user to finish";

    // The user closes the dialog and tries again.
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(0, RunToEnd(setup, L"/S"));
    EXPECT_TRUE(tavrin.WaitForEnd(0)) << "setup went on before Tavrin had ended";
    EXPECT_NE(readmeMark, ReadAll(folder + L"Readme.txt")) << "setup left the read-me as it was";
    EXPECT_EQ(listBefore, ReadAll(list));

    // Uninstalling with the data over a running Tavrin: it ends first, so
    // nothing it writes on the way out comes back after the removal.
    Program again(exe);
    HWND second = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenSettings(again, &second));
    PostMessageW(second, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(second); }));
    EXPECT_EQ(0, RunToEnd(uninstaller, uninstallData));
    EXPECT_TRUE(again.WaitForEnd(0)) << "the uninstall went on before Tavrin had ended";
    Sleep(500);
    EXPECT_FALSE(Exists(exe));
    EXPECT_FALSE(Exists(list)) << "the list is back after the uninstall";
    EXPECT_TRUE(SettingsSnapshot().empty()) << "the settings are back after the uninstall";
    EXPECT_FALSE(KeyExists(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrin"));
}
