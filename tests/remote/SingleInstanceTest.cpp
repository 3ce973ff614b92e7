#include <gtest/gtest.h>

#include "TestSupport.h"
#include "remote/SingleInstance.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"

namespace {
const wchar_t* const kTestMutex = L"Local\\VandrelSoftware.Tavrin.TestInstance";

struct BalloonCall { DWORD action; UINT id, flags; HWND hwnd; std::wstring info, title; };
std::vector<BalloonCall> g_calls;
BOOL WINAPI RecordBalloon(DWORD action, PNOTIFYICONDATAW data) {
    g_calls.push_back(BalloonCall{action, data->uID, data->uFlags, data->hWnd,
                                  (data->uFlags & NIF_INFO) ? data->szInfo : L"",
                                  (data->uFlags & NIF_INFO) ? data->szInfoTitle : L""});
    return TRUE;
}

// A window that counts the "already running" messages it receives.
int g_received = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == AlreadyRunningMessage()) { ++g_received; return 0; }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

TEST(SingleInstance, OnlyTheFirstHolderOfTheNameIsFirstUntilItEnds) {
    {
        SingleInstance first(kTestMutex);
        EXPECT_TRUE(first.IsFirst());
        SingleInstance second(kTestMutex);
        EXPECT_FALSE(second.IsFirst());
        SingleInstance third(kTestMutex);
        EXPECT_FALSE(third.IsFirst()) << "the second start's own handle must not make a third one first";
    }
    SingleInstance afterwards(kTestMutex);
    EXPECT_TRUE(afterwards.IsFirst()) << "the name is free again once every copy has ended";
}

TEST(SingleInstance, TheSecondStartFindsTheRunningWindowOrGivesUp) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavrinInstanceTestWindow";
    ASSERT_NE(0, RegisterClassW(&wc));
    EXPECT_FALSE(NotifyRunningInstance(L"TavrinInstanceTestWindow", 100)) << "no window yet";

    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(nullptr, hwnd);
    g_received = 0;
    EXPECT_TRUE(NotifyRunningInstance(L"TavrinInstanceTestWindow", 100));
    PumpMessages();
    EXPECT_EQ(1, g_received);
    DestroyWindow(hwnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST(SingleInstance, TheRunningTrayWindowSaysSoInABalloonFromItsIcon) {
    TempDir dir;
    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
    profile.WriteString("Settings", "DeskCalPath", "");
    g_calls.clear();
    TrayWindow::NotifyIconFn real = TrayWindow::s_notifyIcon;
    TrayWindow::s_notifyIcon = &RecordBalloon;
    {
        TrayWindow tray(profile);
        ASSERT_TRUE(tray.Create());
        ASSERT_EQ(1u, g_calls.size());  // the icon
        ASSERT_TRUE(NotifyRunningInstance(TrayWindow::kClassName, 1000));
        PumpMessages();
        ASSERT_EQ(2u, g_calls.size());
        const BalloonCall& tip = g_calls[1];
        EXPECT_EQ((DWORD)NIM_MODIFY, tip.action);
        EXPECT_EQ(tray.hwnd(), tip.hwnd);
        EXPECT_EQ(100u, tip.id);
        EXPECT_TRUE(tip.flags & NIF_INFO);
        EXPECT_EQ(ToWide("Tavrin はすでに起動しています。"), tip.info);
        EXPECT_EQ(L"Tavrin", tip.title);
        DestroyWindow(tray.hwnd());
    }
    TrayWindow::s_notifyIcon = real;
}
