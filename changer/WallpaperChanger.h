#pragma once
// "次の壁紙" and the automatic change: which entry comes next, trying the
// next one when a picture cannot be decoded, and when the automatic change
// falls due.  Every change goes through the tray window's own apply, so it
// is an ordinary change (effect, temporary file, selection, post-change
// command).
#include <windows.h>

#include <functional>
#include <set>
#include <string>

#include "changer/AutoChangeSettings.h"
#include "changer/AutoChangeTimer.h"
#include "changer/NextWallpaperOrder.h"
#include "list/CWallPaperData.h"
#include "util/WorkInProgress.h"

class AppContext;

// One "next" that steps several monitors: each picture is tried once for
// all of them, and at most one box says that nothing could be shown.
struct NextAttempt {
    std::set<std::string> cannotShow;  // paths that did not decode in this action
    bool nothingShown = false;         // some step found nothing to show
};

class WallpaperChanger {
public:
    using ApplyFn = std::function<bool(const CWallPaperData&)>;
    using BlockedFn = std::function<bool()>;
    using ClockFn = std::function<uint64_t()>;

    // `window` gets WM_TIMER `timerId` and passes it to Look; `apply` makes
    // one change; `work` counts the window's running work (a dialog or box
    // open), which a change waits for and which a change itself is.
    WallpaperChanger(AppContext& context, HWND window, UINT_PTR timerId, ApplyFn apply, WorkInProgress* work);
    ~WallpaperChanger();

    // The next entry in the chosen order that can be shown.  A picture that
    // does not decode is passed over without a box; when none can be shown,
    // one box says so (for the automatic change once, until a change works).
    // `shownElsewhere`: keys (WallpaperKey) that other monitors show.
    // `currentKey`: what the target shows now (default: the wallpaper of all monitors).
    // `attempt`: one step of several; the box is then left to ReportNothingShown.
    bool Next(bool automatic, const std::set<std::string>& shownElsewhere = {},
              const std::string* currentKey = nullptr, NextAttempt* attempt = nullptr);
    // The one box of a several-step "next" in which a step found nothing.
    void ReportNothingShown(bool automatic, const NextAttempt& attempt);
    // "Next" as the menu, the timer and the command line ask for it: the
    // owner's action when it set one (a step on every monitor), else Next.
    bool ChangeNext(bool automatic) { return m_nextAction ? m_nextAction(automatic) : Next(automatic); }
    void SetNextAction(std::function<bool(bool automatic)> action) { m_nextAction = std::move(action); }
    // A change was made, by whoever: the interval counts from here.
    void NoteChange();
    // Makes a due automatic change when nothing stands in the way, then sets
    // the timer for the next look.  Called by the timer, when the program's
    // work has returned and when the computer wakes up.
    void Look();

    // The menu's commands of the change; false for any other command.
    bool HandleMenuCommand(UINT command);
    // Puts the radio mark on the interval and the tick on the order.
    void MarkMenu(HMENU menu) const;

    const AutoChangeSettings& settings() const { return m_settings; }
    NextWallpaperOrder& order() { return m_order; }
    // Tests replace the clock and what stands in the way.
    void SetClock(ClockFn clock) { m_clock = std::move(clock); }
    void SetBlocked(BlockedFn blocked) { m_blocked = std::move(blocked); }

private:
    bool CanShow(const CWallPaperData& entry);
    void Schedule(uint32_t delayMs);

    AppContext& m_context;
    HWND m_window;
    UINT_PTR m_timerId;
    ApplyFn m_apply;
    WorkInProgress* m_work;
    BlockedFn m_blocked;
    ClockFn m_clock;
    std::function<bool(bool)> m_nextAction;
    AutoChangeSettings m_settings;
    AutoChangeTimer m_timer;
    NextWallpaperOrder m_order;
    bool m_failureReported = false;
    bool m_looking = false;
};
