// The preview rectangle the dialogs invalidate, and the placeholder drawn
// when there is no picture.
#include <windows.h>
#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "image/PreviewDrawing.h"

TEST(PreviewDrawing, TheRectangleIsTheControlsPlaceInTheClientAreaNotOnTheScreen) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_CAPTION | WS_BORDER, 100, 80, 300, 200,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, parent);
    HWND control = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_ETCHEDFRAME, 20, 30, 40, 50, parent, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, control);
    RECT r = PreviewRectIn(parent, control);
    EXPECT_EQ(20, r.left);
    EXPECT_EQ(30, r.top);
    EXPECT_EQ(60, r.right);
    EXPECT_EQ(80, r.bottom);
    DestroyWindow(parent);
    RECT none = PreviewRectIn(nullptr, nullptr);
    EXPECT_EQ(0, none.right - none.left);
}

TEST(PreviewDrawing, ThePlaceholderIsButtonFaceAndNeverEmpty) {
    HDC screen = GetDC(nullptr);
    UniqueBitmap face(CreateButtonFaceBitmap(screen, 6, 4));
    UniqueBitmap tiny(CreateButtonFaceBitmap(screen, 0, -3));
    ASSERT_TRUE(face);
    ASSERT_TRUE(tiny);
    BITMAP info = {};
    ASSERT_TRUE(GetObjectW(tiny.get(), sizeof(info), &info));
    EXPECT_EQ(1, info.bmWidth);
    EXPECT_EQ(1, info.bmHeight);
    UniqueMemoryDC memory(CreateCompatibleDC(screen));
    {
        ScopedSelect select(memory.get(), face.get());
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(memory.get(), 5, 3));
    }
    ReleaseDC(nullptr, screen);
}
