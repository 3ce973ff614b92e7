// The real tavrin.exe while a message box of its own is open: the box's
// message loop still delivers the icon's clicks and an exit.
#include <gtest/gtest.h>

#include "TavrinDriver.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"

namespace {
constexpr WPARAM kExitCommand = 32773;  // 終了(&X)

struct BusyEndToEnd : ::testing::Test {
    TempDir dir;
    TavrinDriver tavrin;
    std::string list, missing;
    void SetUp() override {
        list = dir.File("List.tvl");
        missing = dir.File("gone.bmp");
        tavrin.SetString("ConfPath", list);
        tavrin.SetString("DeskCalPath", "");
        tavrin.SetString("SelectedWallPaper", "");
        tavrin.SetString("SPIPath", dir.path());
        tavrin.SetInt("EnableSPI", 0);
        tavrin.SetInt("EnableHalfTone", 0);
    }
    bool MenuOpen() {
        HWND w = FindWindowW(L"#32768", nullptr);
        return w && IsWindowVisible(w);
    }
};
}  // namespace

TEST_F(BusyEndToEnd, ExitChosenUnderTheApplierBoxEndsTheProgramOnceTheBoxIsAnswered) {
    WallPaperEntries entries;
    entries.push_back(std::make_unique<CWallPaperData>("gone", missing, kStyleCentre));
    const std::string bytes = EncodeListFile(entries);
    WriteBytes(list, bytes);
    tavrin.SetInt("EnableHalfTone", 1);
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.ChooseItem(1));
    std::string text;
    ASSERT_TRUE(tavrin.WaitMessageBox(&text));
    EXPECT_NE(std::string::npos, text.find(missing)) << text;

    // Under the box a right click opens no menu, and the exit waits.
    PostMessageW(tavrin.tray(), 0x800C, 100, WM_RBUTTONUP);
    tavrin.Settle();
    EXPECT_FALSE(MenuOpen());
    PostMessageW(tavrin.tray(), WM_COMMAND, kExitCommand, 0);
    tavrin.Settle();
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(tavrin.process(), 200));

    tavrin.AnswerMessageBox();
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(tavrin.process(), 15000));
    DWORD code = 1;
    GetExitCodeProcess(tavrin.process(), &code);
    EXPECT_EQ(0u, code) << "ended normally";
    EXPECT_EQ(bytes, ReadBytes(list)) << "saved at the end";
    EXPECT_EQ("", tavrin.GetString("SelectedWallPaper")) << "a change that failed selects nothing";
}

TEST_F(BusyEndToEnd, MissingPictureOfTheLastRunGivesOneBoxAndTheProgramRuns) {
    tavrin.SetInt("EnableSPI", 1);
    tavrin.SetString("SelectedWallPaper", missing);
    ASSERT_TRUE(tavrin.Start());
    std::string text;
    ASSERT_TRUE(tavrin.WaitMessageBox(&text));
    EXPECT_NE(std::string::npos, text.find("LoadPicture")) << text;
    tavrin.AnswerMessageBox();
    EXPECT_FALSE(tavrin.WaitMessageBox(&text, 500)) << "a second box: " << text;
    ASSERT_TRUE(tavrin.OpenMenu());
    tavrin.Escape();
    EXPECT_TRUE(tavrin.WaitMenuClosed());
    EXPECT_TRUE(tavrin.Stop());
}
