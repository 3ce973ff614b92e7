// The picture pickers inside the real tavrin.exe, opened from its tray menu
// and driven from this process as a user would: clicks, typed text, keys.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "TavrinDriver.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"
#include "plugin/TestPictures.h"
#include "res/resource.h"
#include "util/Cp932Convert.h"
#include "util/PathPieces.h"
#include "plugin/TestPluginExtension.h"

namespace {
// Menu positions from the top with an empty list: the placeholder, "次の壁紙(&N)",
// "自動切替(&T)", then the dialogs.
constexpr int kListItem = 4;
constexpr int kAddItem = 5;

struct FindDialog {
    DWORD pid;
    int childId;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM param) {
    auto* f = reinterpret_cast<FindDialog*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (pid != f->pid || lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    if (f->childId && !GetDlgItem(hwnd, f->childId)) return TRUE;
    if (f->title) {
        wchar_t text[256] = {};
        SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, (LPARAM)text, SMTO_NORMAL, 2000, nullptr);
        if (lstrcmpW(text, f->title) != 0) return TRUE;
    }
    f->found = hwnd;
    return FALSE;
}

// A visible dialog of the program that has control `childId` (and the title, when given).
HWND WaitDialog(TavrinDriver& t, int childId, const wchar_t* title = nullptr, DWORD ms = 10000) {
    FindDialog f = {t.ProcessId(), childId, title, nullptr};
    WaitFor([&] {
        f.found = nullptr;
        EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&f));
        return f.found != nullptr;
    }, ms);
    return f.found;
}

bool WaitGone(HWND dialog) { return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000); }

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void SetText(HWND control, const std::string& text) {
    std::wstring wide = ToWide(text);
    SendMessageTimeoutW(control, WM_SETTEXT, 0, (LPARAM)wide.c_str(), SMTO_NORMAL, 2000, nullptr);
}

std::vector<std::string> ListBoxTexts(HWND list) {
    std::vector<std::string> texts;
    int n = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        wchar_t text[512] = {};
        SendMessageW(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        texts.push_back(ToCp932(text));
    }
    return texts;
}

WallPaperEntries ReadList(const std::string& file) {
    std::string bytes = ReadBytes(file);
    WallPaperEntries entries;
    DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &entries);
    return entries;
}

std::string FixturePlugin(const std::string& name) {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    PathParts parts = SplitPath(ToCp932(std::wstring(exe, n)));
    return parts.drive + parts.directory + "spi\\" + name;
}

// The text of a tree item of another process: the item record and its text
// buffer live in that process.
std::string RemoteTreeText(HANDLE process, HWND tree, HTREEITEM item) {
    const size_t chars = 260;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(TVITEMW) + chars * sizeof(wchar_t), MEM_COMMIT,
                                  PAGE_READWRITE);
    if (!remote) return {};
    TVITEMW record = {};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    record.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(TVITEMW));
    record.cchTextMax = (int)chars;
    wchar_t text[260] = {};
    if (WriteProcessMemory(process, remote, &record, sizeof(record), nullptr) &&
        SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)remote))
        ReadProcessMemory(process, record.pszText, text, sizeof(text) - sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return ToCp932(text);
}

// Walks the folder chooser's tree down a path, expanding as a user would,
// and selects the last folder.  Each step is the child whose text equals the
// piece, or (for the drive) holds it.
bool ChooseInTree(HANDLE process, HWND tree, const std::vector<std::string>& steps) {
    HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    for (const std::string& step : steps) {
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
        HTREEITEM child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)item);
        HTREEITEM match = nullptr;
        for (; child && !match; child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child)) {
            std::string text = RemoteTreeText(process, tree, child);
            if (lstrcmpiW(W(text).c_str(), W(step).c_str()) == 0 ||
                (step.size() == 2 && step[1] == ':' && text.find(step) != std::string::npos))
                match = child;
        }
        if (!match) return false;
        item = match;
    }
    return SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item) != 0;
}

// "C:\a\b\" as the tree shows it: My Computer, then the drive, then each folder.
std::vector<std::string> TreeSteps(const std::string& path) {
    std::vector<std::string> steps = {"My Computer"};
    std::string piece;
    for (char c : path) {
        if (c == '\\') {
            if (!piece.empty()) steps.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty()) steps.push_back(piece);
    return steps;
}

struct PickEndToEnd : ::testing::Test {
    TempDir dir;
    TempDir plugins;
    TavrinDriver tavrin;
    std::string list;
    void SetUp() override {
        list = dir.File("List.tvl");
        WriteBytes(list, std::string("\x00\x00", 2));
        tavrin.SetString("ConfPath", list);
        tavrin.SetString("DeskCalPath", "");
        for (const char* spi : {"tar" SPI_EXT, "pnm" SPI_EXT})
            CopyFileW(W(FixturePlugin(spi)).c_str(), W(plugins.File(spi)).c_str(), FALSE);
        tavrin.SetString("SPIPath", plugins.path());
        tavrin.SetInt("EnableSPI", 1);
    }
};
}  // namespace

TEST_F(PickEndToEnd, AnArchiveMemberChosenFromTheAddCommandEndsUpInTheListFile) {
    std::string archive = dir.File("set.tar");
    WriteBytes(archive, MakeTar({{"pics/x.ppm", MakePpm(6, 4), 1700000000u}, {"top.pgm", MakePgm(3, 3), 0}}));
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.ChooseItem(kAddItem));
    HWND entry = WaitDialog(tavrin, IDC_ENTRY_BROWSE);
    ASSERT_TRUE(entry) << "the entry dialog did not open";

    // "..." opens the image file dialog; the archive's path is typed into it.
    Click(entry, IDC_ENTRY_BROWSE);
    HWND files = WaitDialog(tavrin, cmb1);
    ASSERT_TRUE(files) << "the image file dialog did not open";
    HWND name = GetDlgItem(files, edt1) ? GetDlgItem(files, edt1) : GetDlgItem(files, cmb13);
    ASSERT_TRUE(name);
    SetText(name, archive);
    Click(files, IDOK);

    // The archive opens the member chooser; the keyboard picks the first row.
    HWND members = WaitDialog(tavrin, IDC_ARC_LIST, L"select archived file");
    ASSERT_TRUE(members) << "the archived-file dialog did not open";
    EXPECT_EQ(archive, ControlText(GetDlgItem(members, IDC_ARC_PATH)));
    HWND rows = GetDlgItem(members, IDC_ARC_LIST);
    EXPECT_EQ(2, (int)SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0));
    PostMessageW(rows, WM_KEYDOWN, VK_HOME, 0);
    // The rows show the archive backwards: the first row is its last member.
    EXPECT_TRUE(WaitFor([&] { return ControlText(GetDlgItem(members, IDC_ARC_FILENAME)) == "top.pgm"; }));
    EXPECT_EQ(0u, ControlText(GetDlgItem(members, IDC_ARC_DETAILS)).find("Name:top.pgm\r\n"));
    Click(members, IDOK);
    ASSERT_TRUE(WaitGone(members));

    EXPECT_TRUE(WaitFor([&] { return ControlText(GetDlgItem(entry, IDC_ENTRY_PATH)) == archive + "|top.pgm"; }));
    EXPECT_EQ("top.pgm", ControlText(GetDlgItem(entry, IDC_ENTRY_NAME)));
    Click(entry, IDOK);
    ASSERT_TRUE(WaitGone(entry));
    tavrin.Settle();

    // Saved at once, before the program ends.
    WallPaperEntries saved = ReadList(list);
    ASSERT_EQ(1u, saved.size());
    EXPECT_EQ(archive + "|top.pgm", saved[0]->m_strPath);
    EXPECT_EQ("top.pgm", saved[0]->m_strName);
    EXPECT_TRUE(tavrin.Stop());
}

TEST_F(PickEndToEnd, AFolderImportedFromTheListDialogAddsTheTickedPictures) {
    TempDir pictures;
    std::string folder = pictures.path().substr(0, pictures.path().size() - 1);
    const std::vector<std::string> names = {"a.ppm", "b.ppm", "c.pgm"};
    WriteBytes(pictures.File("a.ppm"), MakePpm(4, 4));
    WriteBytes(pictures.File("b.ppm"), MakePpm(4, 4));
    WriteBytes(pictures.File("c.pgm"), MakePgm(3, 3));
    WriteBytes(pictures.File("d.txt"), "not a picture");

    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.ChooseItem(kListItem));
    HWND listDialog = WaitDialog(tavrin, IDC_LIST_ADD_FOLDER);
    ASSERT_TRUE(listDialog) << "the list dialog did not open";
    Click(listDialog, IDC_LIST_ADD_FOLDER);
    HWND chooser = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        HWND w = WaitDialog(tavrin, IDOK, nullptr, 200);
        if (w && w != listDialog && !GetDlgItem(w, IDC_LIST_ADD_FOLDER)) chooser = w;
        return chooser != nullptr;
    }, 10000)) << "the folder chooser did not open";
    HWND tree = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        tree = FindWindowExW(chooser, nullptr, L"SysTreeView32", nullptr);
        return tree && SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 0;
    }));
    ASSERT_TRUE(ChooseInTree(tavrin.process(), tree, TreeSteps(folder))) << folder;
    Click(chooser, IDOK);

    HWND import = WaitDialog(tavrin, IDC_IMPORT_FILES);
    ASSERT_TRUE(import) << "the folder import did not open (chooser gave another folder?)";
    HWND rows = GetDlgItem(import, IDC_IMPORT_FILES);
    std::vector<std::string> texts = ListBoxTexts(rows);
    EXPECT_EQ(names, texts);
    // Untick b.ppm by a click on its tick box.
    int row = -1;
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == names[1]) row = (int)i;
    ASSERT_GE(row, 0);
    int height = (int)SendMessageW(rows, LB_GETITEMHEIGHT, 0, 0);
    int top = (int)SendMessageW(rows, LB_GETTOPINDEX, 0, 0);
    LPARAM point = MAKELPARAM(height / 2, (row - top) * height + height / 2);
    PostMessageW(rows, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(rows, WM_LBUTTONUP, 0, point);
    tavrin.Settle();
    Click(import, IDOK);
    ASSERT_TRUE(WaitGone(import));
    Click(listDialog, IDOK);
    ASSERT_TRUE(WaitGone(listDialog));
    tavrin.Settle();

    WallPaperEntries saved = ReadList(list);
    std::vector<std::string> paths;
    for (const auto& e : saved) paths.push_back(e->m_strPath);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ((std::vector<std::string>{pictures.File("a.ppm"), pictures.File("c.pgm")}), paths);
    EXPECT_TRUE(tavrin.Stop());
}
