#include <gtest/gtest.h>

#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "framework/Window.h"
#include "util/ExtensionFilter.h"
#include "util/FileIO.h"
#include "util/LayeredWindowLoader.h"
#include "util/SystemVersion.h"

TEST(ExtensionFilter, StarDotStarAcceptsEveryName) {
    EXPECT_TRUE(MatchesExtensionFilter("noextension", "*.*", " "));
    EXPECT_TRUE(MatchesExtensionFilter("", "*.*", ";"));
}

TEST(ExtensionFilter, TokensAtAnySeparatorMatchIgnoringCase) {
    EXPECT_TRUE(MatchesExtensionFilter("a.JPG", "*.bmp *.jpg", " "));
    EXPECT_FALSE(MatchesExtensionFilter("a.png", "*.bmp *.jpg", " "));
    EXPECT_TRUE(MatchesExtensionFilter("dir\\x.lzh", "*.zip;*.lzh", ";"));
    EXPECT_FALSE(MatchesExtensionFilter("x.lzh", "*.zip *.lzh", ";")) << "space is no separator here";
    EXPECT_TRUE(MatchesExtensionFilter("\x95\x5c.bmp", "*.bmp", " ")) << "a double-byte name";
    EXPECT_FALSE(MatchesExtensionFilter("a.bmp", "", " "));
    EXPECT_FALSE(MatchesExtensionFilter("a.bmp", "   ", " "));
}

TEST(LayeredWindowLoader, UnavailableBeforeWindows2000) {
    EXPECT_TRUE(IsWindows2000OrLater());
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hwnd);
    {
        LayeredWindowLoader old(false);
        EXPECT_FALSE(old.Available());
        old.MakeLayered(hwnd);
        EXPECT_EQ(0, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_FALSE(old.SetOpacity(hwnd, 128));
    }
    {
        LayeredWindowLoader loader;
        ASSERT_TRUE(loader.Available());
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
        loader.MakeLayered(hwnd);
        LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
        EXPECT_TRUE(ex & WS_EX_LAYERED);
        EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << "other extended styles stay";
        EXPECT_TRUE(loader.SetOpacity(hwnd, 128));
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
        EXPECT_EQ(128, alpha);
        EXPECT_EQ((DWORD)LWA_ALPHA, flags);
    }
    DestroyWindow(hwnd);
}

TEST(TextBridge, JapaneseWindowTitleReadsBackAsUnicode) {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hwnd);
    ASSERT_TRUE(SetWindowTextCp932(hwnd, "Tavrin 2.0β"));
    wchar_t buf[64];
    GetWindowTextW(hwnd, buf, 64);
    EXPECT_STREQ(L"Tavrin 2.0\u03b2", buf);
    EXPECT_EQ("Tavrin 2.0β", GetWindowTextCp932(hwnd));
    DestroyWindow(hwnd);
}

TEST(TextBridge, PathsOutsideCodePage932UseTheirShortForm) {
    TempDir dir;
    std::wstring name = ToWide(dir.path()) + L"caf\u00e9\u0101.bmp";  // ā has no code page 932 form
    HANDLE f = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    CloseHandle(f);
    EXPECT_FALSE(FitsCp932(name));
    std::string narrow = PathToCp932(name);
    EXPECT_EQ(std::string::npos, narrow.find('?'));
    EXPECT_TRUE(FileExists(narrow)) << narrow;
    EXPECT_EQ(dir.path() + "x.bmp", PathToCp932(ToWide(dir.path() + "x.bmp")));
}

TEST(FileIO, AtomicWriteReplacesTheWholeFile) {
    TempDir dir;
    const std::string path = dir.File("f.bin");
    WriteBytes(path, std::string(1000, 'o'));
    DWORD error = 0;
    ASSERT_TRUE(WriteFileAtomically(path, "new", &error));
    EXPECT_EQ("new", ReadBytes(path));
    EXPECT_FALSE(WriteFileAtomically(dir.File("no\\such\\dir\\f.bin"), "x", &error));
    EXPECT_NE(0u, error);
}

namespace {
class TableWindow : public Window {
public:
    int sized = 0, commands = 0;
    UINT defaultMessage = 0;
protected:
    LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override;
private:
    LRESULT OnUser(WPARAM w, LPARAM) { sized += (int)w; defaultMessage = current().message; return 7; }
    void OnCommand() { ++commands; }
    static const MessageEntry<TableWindow> kMessages[];
    static const CommandEntry<TableWindow> kCommands[];
};
const MessageEntry<TableWindow> TableWindow::kMessages[] = {{WM_USER + 5, &TableWindow::OnUser}};
const CommandEntry<TableWindow> TableWindow::kCommands[] = {{4321, &TableWindow::OnCommand}};

LRESULT TableWindow::HandleMessage(UINT m, WPARAM w, LPARAM l) {
    LRESULT r;
    if (DispatchMessageTable(this, kMessages, m, w, l, &r)) return r;
    if (m == WM_COMMAND && DispatchCommandTable(this, kCommands, LOWORD(w))) return 0;
    return Window::HandleMessage(m, w, l);
}
}  // namespace

TEST(Window, MessageAndCommandTablesDispatchToMembers) {
    TableWindow w;
    ASSERT_TRUE(w.CreateEx(0, L"TavrinTestTable", "t", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    EXPECT_EQ(&w, Window::FromHandle(w.hwnd()));
    EXPECT_EQ(7, SendMessageW(w.hwnd(), WM_USER + 5, 3, 0));
    EXPECT_EQ(3, w.sized);
    EXPECT_EQ((UINT)(WM_USER + 5), w.defaultMessage);
    SendMessageW(w.hwnd(), WM_COMMAND, 4321, 0);
    SendMessageW(w.hwnd(), WM_COMMAND, 4322, 0);
    EXPECT_EQ(1, w.commands);
    HWND h = w.hwnd();
    EXPECT_TRUE(w.Destroy());
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(nullptr, w.hwnd());
}
