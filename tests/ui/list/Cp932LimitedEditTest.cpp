#include <gtest/gtest.h>

#include "ModalScript.h"
#include "framework/Cp932LimitedEdit.h"
#include "framework/TextBridge.h"

namespace {
struct LimitedEdit : ::testing::Test {
    HWND edit = nullptr;
    Cp932LimitedEdit limit;
    void SetUp() override {
        edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 20, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, edit);
        ASSERT_TRUE(limit.Attach(edit, 128));
    }
    void TearDown() override { DestroyWindow(edit); }
    std::string Text() const { return GetWindowTextCp932(edit); }
    void SetClipboard(const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
    }
};
}  // namespace

TEST(Cp932Bytes, CountsDoubleByteCharactersTwiceAndCutsBetweenCharacters) {
    EXPECT_EQ(0u, Cp932LimitedEdit::ByteLength(L""));
    EXPECT_EQ(5u, Cp932LimitedEdit::ByteLength(L"a\u3042b\uff71"));  // a あ b ｱ (half-width kana: one byte)
    EXPECT_EQ(L"ab\u3042", Cp932LimitedEdit::FittingHead(L"ab\u3042\u3044", 5));
    EXPECT_EQ(L"ab", Cp932LimitedEdit::FittingHead(L"ab\u3042\u3044", 3));
    EXPECT_EQ(L"line", Cp932LimitedEdit::FittingHead(L"line\r\nnext", 100));
}

TEST_F(LimitedEdit, TypingStopsAt128SingleByteCharacters) {
    TypeText(edit, std::string(130, 'a'));
    EXPECT_EQ(std::string(128, 'a'), Text());
}

TEST_F(LimitedEdit, TypingStopsAt64DoubleByteCharacters) {
    std::string text;
    for (int i = 0; i < 70; ++i) text += "あ";
    TypeText(edit, text);
    EXPECT_EQ(128u, Text().size());
    EXPECT_EQ(64u, ToWide(Text()).size());
    // With one byte left, a double-byte character does not fit, a single one does.
    SetWindowTextW(edit, std::wstring(127, L'x').c_str());
    SendMessageW(edit, EM_SETSEL, 127, 127);
    TypeText(edit, "あb");
    EXPECT_EQ(std::string(127, 'x') + "b", Text());
}

TEST_F(LimitedEdit, TypingOverASelectionCountsWhatItReplaces) {
    SetWindowTextW(edit, std::wstring(64, L'\u3042').c_str());  // full: 128 bytes
    SendMessageW(edit, EM_SETSEL, 0, 1);                        // one あ selected
    TypeText(edit, "い");
    EXPECT_EQ("い", Text().substr(0, 2));
    EXPECT_EQ(128u, Text().size());
}

TEST_F(LimitedEdit, PasteTakesOnlyWhatFitsAndRefusesWhatCannotBeStored) {
    std::wstring many(100, L'\u3042');
    SetClipboard(many);
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(64u, ToWide(Text()).size()) << "100 double-byte characters pasted, 64 taken";
    SetWindowTextW(edit, L"");
    SetClipboard(L"caf\u00e9\u20ac");  // é and € have no code page 932 form
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ("", Text());
    SendMessageW(edit, WM_CHAR, 0x00e9, 1);
    EXPECT_EQ("", Text());
}

TEST_F(LimitedEdit, TextSetByTheProgramIsNotCut) {
    std::wstring longText(200, L'z');
    SetWindowTextW(edit, longText.c_str());
    EXPECT_EQ(200u, Text().size());
}

// A longer value set by the program stays editable: deleting always works,
// inserting only when the result fits, and a paste that cannot insert
// anything leaves the selection where it was instead of deleting it.
TEST_F(LimitedEdit, OverTheLimitDeletingWorksAndNothingIsInserted) {
    SetWindowTextW(edit, std::wstring(200, L'z').c_str());
    SendMessageW(edit, EM_SETSEL, 0, 2);
    SetClipboard(L"y");
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(std::string(200, 'z'), Text()) << "the paste took nothing and deleted nothing";
    TypeText(edit, "a");
    EXPECT_EQ(std::string(200, 'z'), Text());
    SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(std::string(198, 'z'), Text());
    SendMessageW(edit, EM_SETSEL, 0, 100);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    EXPECT_EQ(std::string(98, 'z'), Text());
    // Within the limit again, typing and pasting take what fits.
    SendMessageW(edit, EM_SETSEL, 98, 98);
    SetClipboard(std::wstring(40, L'y'));
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(std::string(98, 'z') + std::string(30, 'y'), Text());
}
