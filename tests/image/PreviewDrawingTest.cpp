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

TEST(PreviewDrawing, FitAndFillKeepThePicturesAspectInTheControlOtherStylesStretch) {
    HWND control = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 120, 60, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, control);
    HDC screen = GetDC(nullptr);
    // A square picture, red on the left half and blue on the right.
    UniqueBitmap picture(CreateCompatibleBitmap(screen, 40, 40));
    {
        UniqueMemoryDC memory(CreateCompatibleDC(screen));
        ScopedSelect select(memory.get(), picture.get());
        RECT left = {0, 0, 20, 40}, right = {20, 0, 40, 40};
        UniqueBrush red(CreateSolidBrush(RGB(255, 0, 0))), blue(CreateSolidBrush(RGB(0, 0, 255)));
        FillRect(memory.get(), &left, red.get());
        FillRect(memory.get(), &right, blue.get());
    }
    ReleaseDC(nullptr, screen);
    auto pixel = [&](int x, int y) {
        HDC dc = GetDC(control);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(control, dc);
        return c;
    };
    const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);

    DrawDialogPreview(control, 120, 60, picture.get(), false, kStyleFit);  // 60 x 60 in the middle
    EXPECT_EQ(desktop, pixel(5, 30));
    EXPECT_EQ(RGB(255, 0, 0), pixel(35, 30));
    EXPECT_EQ(RGB(0, 0, 255), pixel(85, 30));
    EXPECT_EQ(desktop, pixel(115, 30));
    DrawDialogPreview(control, 120, 60, picture.get(), false, kStyleFill);  // covers it: both halves reach the edges
    EXPECT_EQ(RGB(255, 0, 0), pixel(0, 0));
    EXPECT_EQ(RGB(0, 0, 255), pixel(119, 59));
    DrawDialogPreview(control, 120, 60, picture.get(), false, kStyleCentre);  // the dialogs' rule: stretched whole
    EXPECT_EQ(RGB(255, 0, 0), pixel(0, 30));
    EXPECT_EQ(RGB(0, 0, 255), pixel(119, 30));
    DestroyWindow(control);
}
