#include <gtest/gtest.h>

#include <vector>

#include "framework/Handles.h"
#include "image/CDIBitmap.h"

namespace {
// The screen's context, for the device the bitmaps are made for.
struct ScreenDC : WindowDC {
    ScreenDC() : WindowDC(nullptr) {}
};

void ExpectEmpty(const CDIBitmap& dib) {
    EXPECT_TRUE(dib.empty());
    EXPECT_EQ(nullptr, dib.handle());
    EXPECT_EQ(nullptr, dib.m_hSection);
    EXPECT_EQ(nullptr, dib.m_pBits);
    EXPECT_EQ(nullptr, dib.m_pTopRow);
    EXPECT_EQ(0, dib.m_nWidth);
    EXPECT_EQ(0, dib.m_nHeight);
    EXPECT_EQ(0, dib.m_nRowStep);
    BITMAP info;
    EXPECT_EQ(0, dib.GetBitmapInfo(&info));
}

void WritePixel(CDIBitmap& dib, int x, int y, BYTE blue, BYTE green, BYTE red) {
    BYTE* p = dib.m_pTopRow + y * dib.m_nRowStep + 3 * x;
    p[0] = blue;
    p[1] = green;
    p[2] = red;
}
}  // namespace

TEST(CDIBitmapLayout, RowLengthsAndSectionSizes) {
    struct Case { int32_t w, h; uint32_t row, size; };
    const Case cases[] = {{1, 1, 4, 4}, {5, 3, 16, 48}, {640, 2, 1920, 3840}, {2, 7, 8, 56}, {3, 1, 12, 12}};
    ScreenDC screen;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        EXPECT_EQ(c.row, CDIBitmap::RowLength(c.w));
        EXPECT_EQ(c.size, CDIBitmap::SectionSize(c.w, c.h));

        CDIBitmap dib;
        ASSERT_TRUE(dib.Create(screen.get(), c.w, c.h));
        EXPECT_EQ(c.w, dib.m_nWidth);
        EXPECT_EQ(c.h, dib.m_nHeight);
        EXPECT_EQ(-static_cast<int32_t>(c.row), dib.m_nRowStep);
        EXPECT_EQ(dib.m_pBits + (c.h - 1) * c.row, dib.m_pTopRow);

        // The system's own description agrees: same row length and size,
        // same pixel memory.
        DIBSECTION section = {};
        ASSERT_EQ(static_cast<int>(sizeof(section)), GetObjectW(dib.handle(), sizeof(section), &section));
        EXPECT_EQ(static_cast<LONG>(c.row), section.dsBm.bmWidthBytes);
        EXPECT_EQ(c.size, section.dsBmih.biSizeImage);
        EXPECT_EQ(dib.m_pBits, section.dsBm.bmBits);
        EXPECT_EQ(dib.m_hSection, section.dshSection);
        EXPECT_EQ(0u, section.dsOffset);

        // The pixels live in the section: a view of it sees a write through m_pBits.
        BYTE* view = static_cast<BYTE*>(MapViewOfFile(dib.m_hSection, FILE_MAP_WRITE, 0, 0, c.size));
        ASSERT_NE(nullptr, view);
        dib.m_pBits[c.size - 1] = 0x5A;
        view[0] = 0xA5;
        EXPECT_EQ(0x5A, view[c.size - 1]);
        EXPECT_EQ(0xA5, dib.m_pBits[0]);
        UnmapViewOfFile(view);
    }
    EXPECT_EQ(0u, CDIBitmap::RowLength(0));
    EXPECT_EQ(0u, CDIBitmap::RowLength(-4));
    EXPECT_EQ(0u, CDIBitmap::SectionSize(5, 0));
    EXPECT_EQ(0u, CDIBitmap::SectionSize(40000, 40000)) << "4.8 GB does not fit in 32 bits";
}

TEST(CDIBitmapLayout, FiveByThreeBottomRowStartsTheMemory) {
    ScreenDC screen;
    CDIBitmap dib;
    ASSERT_TRUE(dib.Create(screen.get(), 5, 3));
    EXPECT_EQ(dib.m_pBits + 32, dib.m_pTopRow);
    EXPECT_EQ(dib.m_pBits, dib.m_pTopRow + 2 * dib.m_nRowStep);
    BITMAP info;
    ASSERT_EQ(static_cast<int>(sizeof(DIBSECTION)), dib.GetBitmapInfo(&info));
    EXPECT_EQ(0, info.bmType);
    EXPECT_EQ(5, info.bmWidth);
    EXPECT_EQ(3, info.bmHeight);
    EXPECT_EQ(16, info.bmWidthBytes);
    EXPECT_EQ(1, info.bmPlanes);
    EXPECT_EQ(24, info.bmBitsPixel);
    EXPECT_EQ(dib.m_pBits, info.bmBits);
}

TEST(CDIBitmapDrawing, PixelWrittenByAddressAppearsInAWindow) {
    ASSERT_TRUE(RegisterClassExW([] {
        static WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TavrinDibTestWindow";
        return &wc;
    }()) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"TavrinDibTestWindow", L"", WS_POPUP | WS_VISIBLE, 40, 30, 64,
                                  48, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);

    WindowDC client(window);
    CDIBitmap dib;
    ASSERT_TRUE(dib.Create(client.get(), 64, 48));
    // Corners and a middle pixel, each a colour of its own.
    const POINT spots[] = {{0, 0}, {63, 0}, {7, 5}, {0, 47}, {63, 47}};
    for (BYTE i = 0; i < 5; ++i) WritePixel(dib, spots[i].x, spots[i].y, 0x11 * (i + 1), 0x22, 0x33);
    {
        UniqueMemoryDC memory(CreateCompatibleDC(client.get()));
        ScopedSelect selected(memory.get(), dib.handle());
        ASSERT_TRUE(BitBlt(client.get(), 0, 0, 64, 48, memory.get(), 0, 0, SRCCOPY));
    }
    GdiFlush();
    for (BYTE i = 0; i < 5; ++i)
        EXPECT_EQ(RGB(0x33, 0x22, 0x11 * (i + 1)), GetPixel(client.get(), spots[i].x, spots[i].y)) << int(i);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(client.get(), 8, 5));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(client.get(), 7, 42)) << "rows are not upside down";
    DestroyWindow(window);
}

TEST(CDIBitmapLifetime, CreatingTwiceHoldsOnlyTheSecond) {
    ScreenDC screen;
    CDIBitmap dib;
    ASSERT_TRUE(dib.Create(screen.get(), 640, 480));
    const HBITMAP first = dib.handle();
    ASSERT_TRUE(dib.Create(screen.get(), 5, 3));
    EXPECT_NE(first, dib.handle());
    EXPECT_EQ(0u, GetObjectType(first)) << "the first bitmap was deleted";
    BITMAP info;
    ASSERT_NE(0, dib.GetBitmapInfo(&info));
    EXPECT_EQ(5, info.bmWidth);
    EXPECT_EQ(3, info.bmHeight);
    EXPECT_EQ(5, dib.m_nWidth);
    EXPECT_EQ(3, dib.m_nHeight);

    // Each 4096 by 1024 bitmap takes 12 MB of address space: 200 of them
    // would overflow a 32-bit process if re-creating kept the old ones.
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(dib.Create(screen.get(), 4096, 1024)) << "round " << i;
    dib.m_pTopRow[0] = 1;  // the memory of the last one is there
}

TEST(CDIBitmapLifetime, ReleaseAndDestructionFreeEverything) {
    ScreenDC screen;
    HBITMAP handle = nullptr;
    {
        CDIBitmap dib;
        ASSERT_TRUE(dib.Create(screen.get(), 8, 8));
        handle = dib.handle();
        dib.Release();
        ExpectEmpty(dib);
        EXPECT_EQ(0u, GetObjectType(handle));
        dib.Release();  // twice is harmless
        ASSERT_TRUE(dib.Create(screen.get(), 8, 8));
        handle = dib.handle();
    }
    EXPECT_EQ(0u, GetObjectType(handle));
}

TEST(CDIBitmapLifetime, BadSizesFailAndLeaveTheObjectEmpty) {
    ScreenDC screen;
    CDIBitmap dib;
    ExpectEmpty(dib);  // as constructed
    EXPECT_FALSE(dib.Create(screen.get(), 10, 0));
    ExpectEmpty(dib);

    // A failed re-creation also lets go of what was held before.
    ASSERT_TRUE(dib.Create(screen.get(), 10, 10));
    const HBITMAP held = dib.handle();
    EXPECT_FALSE(dib.Create(screen.get(), 10, 0));
    ExpectEmpty(dib);
    EXPECT_EQ(0u, GetObjectType(held));

    EXPECT_FALSE(dib.Create(screen.get(), 0, 10));
    ExpectEmpty(dib);
    // A negative height would store rows top-down, against the layout.
    EXPECT_FALSE(dib.Create(screen.get(), 10, -10));
    ExpectEmpty(dib);
    EXPECT_FALSE(dib.Create(screen.get(), -10, 10));
    ExpectEmpty(dib);
    EXPECT_FALSE(dib.Create(screen.get(), 40000, 40000));
    ExpectEmpty(dib);
}
