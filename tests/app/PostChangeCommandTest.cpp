#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "app/PostChangeCommand.h"

namespace {
std::function<bool(const std::string&)> Existing(std::set<std::string> names) {
    return [names](const std::string& p) { return names.count(p) > 0; };
}
}  // namespace

TEST(PostChangeCommand, TheLongestExistingPrefixIsTheProgram) {
    auto exists = Existing({"C:\\Program Files\\Cal\\cal.exe"});
    EXPECT_EQ("\"C:\\Program Files\\Cal\\cal.exe\" -x", BuildPostChangeCommandLine("C:\\Program Files\\Cal\\cal.exe -x", exists));
    // Both a folder and a longer file exist: the longer one wins.
    auto both = Existing({"C:\\Program", "C:\\Program Files\\Cal\\cal.exe"});
    EXPECT_EQ("\"C:\\Program Files\\Cal\\cal.exe\" -x -y",
              BuildPostChangeCommandLine("C:\\Program Files\\Cal\\cal.exe -x -y", both));
    EXPECT_EQ("\"C:\\Program\" Files\\x.exe", BuildPostChangeCommandLine("C:\\Program Files\\x.exe", both));
}

TEST(PostChangeCommand, NothingExistingQuotesTheWholeCommand) {
    auto none = Existing({});
    EXPECT_EQ("\"C:\\no such\\cal.exe -x\" ", BuildPostChangeCommandLine("C:\\no such\\cal.exe -x", none));
    EXPECT_EQ("\"already quoted\" arg", BuildPostChangeCommandLine("\"already quoted\" arg", none));
}

TEST(PostChangeCommand, LongPiecesAreCut) {
    std::string program(300, 'p');
    std::string line = BuildPostChangeCommandLine(program + " " + std::string(2000, 'a'), Existing({program}));
    EXPECT_EQ("\"" + std::string(259, 'p') + "\" " + std::string(259, 'a'), line);
}

TEST(PostChangeCommand, StartsTheProgramWithItsArgumentButNotTwice) {
    TempDir dir;
    // An unquoted program path with a space in it.
    std::string folder = dir.File("Cal Tools");
    CreateDirectoryW(W(folder).c_str(), nullptr);
    std::string program = folder + "\\waiter.exe";
    ASSERT_TRUE(CopyFileW(W(std::string(TAVRIN_TEST_BIN_DIR) + "/waiter.exe").c_str(), W(program).c_str(), FALSE));
    EXPECT_TRUE(PathNamesSomething(program));
    EXPECT_FALSE(PathNamesSomething(folder + "\\nothing.exe"));

    std::string out = dir.File("args.txt");
    ASSERT_TRUE(RunPostChangeCommand(program + " " + out + " 30000"));
    HANDLE first = LastPostChangeProcess();
    ASSERT_NE(nullptr, first);
    // A first start in a new prefix can take seconds; the program writes its file whole at once.
    for (int i = 0; i < 1200 && ReadBytes(out).empty(); ++i) Sleep(25);
    EXPECT_EQ(out + "\n30000\n", ReadBytes(out));
    EXPECT_FALSE(RunPostChangeCommand(program + " " + dir.File("second.txt") + " 0")) << "the first one still runs";
    EXPECT_EQ(first, LastPostChangeProcess());
    TerminateProcess(first, 0);
    WaitForSingleObject(first, 10000);

    // While DeskCal's window is there nothing starts, and that counts as success.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"TDeskcalForm";
    RegisterClassW(&wc);
    HWND deskcal = CreateWindowW(L"TDeskcalForm", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, deskcal);
    EXPECT_TRUE(RunPostChangeCommand(program + " " + dir.File("third.txt") + " 0"));
    DestroyWindow(deskcal);
    EXPECT_FALSE(PathExists(dir.File("third.txt")));

    EXPECT_FALSE(RunPostChangeCommand("")) << "an empty command starts nothing";
    EXPECT_EQ(nullptr, LastPostChangeProcess());
}
