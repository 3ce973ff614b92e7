#pragma once
// Driving modal dialogs of this thread from inside their own message loop:
// a thread timer waits until the dialog is up, then runs the test's actions
// as a user would (clicks, ticks, selections), which end by closing it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/Profile.h"
#include "context/AppContext.h"
#include "win/TestSupport.h"

// Runs `act` with the window `find` returns once that window is visible.
// Call before the modal call; when the dialog is not up within `timeoutMs`
// the test fails and the window found (if any) is cancelled.
void WhenShown(std::function<HWND()> find, std::function<void(HWND)> act, DWORD timeoutMs = 15000);

void ClickButton(HWND dialog, int id);
// A left click at (x, y) of a control's client area.
void ClickAt(HWND control, int x, int y);
// A click on the text of a list box row (selects it) or on its tick box.
void ClickListBoxRow(HWND listBox, int row);
void ClickListBoxTick(HWND listBox, int row);
// Selects a combo box row as the user would, with the notification.
void ChooseComboRow(HWND dialog, int comboId, int row);
// Selects and focuses a list view row (the control sends its notifications).
void SelectListViewRow(HWND listView, int row);
std::string ListViewRowText(HWND listView, int row);
// The colour (0xRRGGBB) at (x, y) of a control's client area as drawn now.
uint32_t ControlPixel(HWND dialog, HWND control, int x, int y);

// An AppContext on a profile in memory, its list file in a test folder;
// plug-ins on with `fixtures` installed in a plug-in folder of its own.
struct PickContext {
    explicit PickContext(bool pluginsOn = false, std::initializer_list<const char*> fixtures = {});
    TempDir dir;
    TempDir plugins;
    MemoryProfile profile;
    std::unique_ptr<AppContext> context;
    int Count(const std::string& path) const;
};
