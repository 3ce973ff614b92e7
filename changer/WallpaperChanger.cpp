#include "changer/WallpaperChanger.h"

#include <algorithm>
#include <vector>

#include "changer/ForegroundState.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "context/AppContext.h"
#include "res/resource.h"
#include "util/PathPieces.h"

namespace {
const char* const kNothingToShow = "次の壁紙に切り替えられませんでした。\n使用中の壁紙に、表示できる画像がありません。";

// Swallows the boxes of a decode that is only a try.
class QuietMessages : public MessageSink {
public:
    QuietMessages() : m_previous(SetMessageSink(this)) {}
    ~QuietMessages() override { SetMessageSink(m_previous); }
    int Show(HWND, const std::string&, UINT) override { return IDOK; }

private:
    MessageSink* m_previous;
};
}  // namespace

WallpaperChanger::WallpaperChanger(AppContext& context, HWND window, UINT_PTR timerId, ApplyFn apply,
                                   WorkInProgress* work)
    : m_context(context), m_window(window), m_timerId(timerId), m_apply(std::move(apply)), m_work(work),
      m_clock([] { return static_cast<uint64_t>(GetTickCount64()); }),
      m_order(GetTickCount() ^ GetCurrentProcessId()) {
    m_blocked = [this] { return (m_work && m_work->busy()) || SessionIsLocked() || FullScreenProgramInFront(); };
    m_settings.Load(m_context.settings().profile());
    m_order.SetShuffled(m_settings.randomOrder);
    m_timer.SetInterval(m_settings.IntervalMs());
    m_timer.NoteChange(m_clock());  // the start counts as a change
    Look();
}

WallpaperChanger::~WallpaperChanger() {
    if (m_window) KillTimer(m_window, m_timerId);
}

bool WallpaperChanger::CanShow(const CWallPaperData& entry) {
    // Without plug-ins only bitmaps can be shown (the menu greys the others).
    if (!m_context.settings().enableSPI && LowerCp932(entry.m_strPath).find(".bmp") == std::string::npos) return false;
    QuietMessages quiet;
    return m_context.cache().Load(entry.m_strPath);
}

bool WallpaperChanger::Next(bool automatic, const std::set<std::string>& shownElsewhere,
                            const std::string* currentKey, NextAttempt* attempt) {
    // Decoding and the box run message loops: the window's other work waits.
    WorkScope changing(m_work);
    // The entries in use as the list and the menu show them: the last entry first.
    std::vector<CWallPaperData> shown;
    std::vector<std::string> keys;
    const WallPaperEntries& entries = m_context.list().entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!(*it)->m_bInUse) continue;
        shown.push_back(**it);  // copies: the list may change while applying
        keys.push_back(WallpaperKey((*it)->m_strPath, (*it)->m_nStyle));
    }
    const AppSettings& settings = m_context.settings();
    std::vector<size_t> candidates =
        m_order.Candidates(keys, currentKey ? *currentKey : WallpaperKey(settings.selectedWallPaper, settings.viewStyle),
                           shownElsewhere);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const CWallPaperData& entry = shown[candidates[i]];
        // A picture on an unreachable share costs a long wait: one try per action.
        if (attempt && attempt->cannotShow.count(entry.m_strPath)) continue;
        if (!CanShow(entry)) {
            if (attempt) attempt->cannotShow.insert(entry.m_strPath);
            continue;
        }
        m_order.Taken(i);
        bool applied = m_apply(entry);
        if (applied) m_failureReported = false;
        return applied;  // a failure after the decode was reported by the apply
    }
    if (attempt) {
        attempt->nothingShown = true;
        return false;
    }
    NextAttempt alone;
    alone.nothingShown = true;
    ReportNothingShown(automatic, alone);
    return false;
}

void WallpaperChanger::ReportNothingShown(bool automatic, const NextAttempt& attempt) {
    if (!attempt.nothingShown) return;
    if (!automatic || !m_failureReported) ShowAppMessage(kNothingToShow);
    if (automatic) m_failureReported = true;
}

void WallpaperChanger::NoteChange() { m_timer.NoteChange(m_clock()); }

void WallpaperChanger::Schedule(uint32_t delayMs) {
    if (!m_window) return;
    if (!m_timer.enabled()) {
        KillTimer(m_window, m_timerId);
        return;
    }
    SetTimer(m_window, m_timerId, std::max<uint32_t>(delayMs, USER_TIMER_MINIMUM), nullptr);
}

void WallpaperChanger::Look() {
    if (m_looking) return;  // the change's own work returning
    m_looking = true;
    uint64_t now = m_clock();
    bool due = m_timer.Due(now);
    bool blocked = due && m_blocked && m_blocked();
    if (due && !blocked) {
        ChangeNext(true);
        // Also after a failure: the next try is an interval away, not at once.
        m_timer.NoteChange(m_clock());
        now = m_clock();
    }
    Schedule(m_timer.NextLookIn(now, blocked));
    m_looking = false;
}

bool WallpaperChanger::HandleMenuCommand(UINT command) {
    if (command == ID_NEXT_WALLPAPER) {
        ChangeNext(false);
        return true;
    }
    if (command >= ID_AUTO_CHANGE_FIRST && command < ID_AUTO_CHANGE_FIRST + kAutoChangeChoices) {
        m_settings.minutes = kAutoChangeMinutes[command - ID_AUTO_CHANGE_FIRST];
        m_settings.Save(m_context.settings().profile());
        m_timer.SetInterval(m_settings.IntervalMs());
        // Switched on now: the first change is one interval away.
        m_timer.NoteChange(m_clock());
        Look();
        return true;
    }
    if (command == ID_RANDOM_ORDER) {
        m_settings.randomOrder = !m_settings.randomOrder;
        m_settings.Save(m_context.settings().profile());
        m_order.SetShuffled(m_settings.randomOrder);
        return true;
    }
    return false;
}

void WallpaperChanger::MarkMenu(HMENU menu) const {
    int choice = AutoChangeChoiceOf(m_settings.minutes);
    for (int i = 0; i < kAutoChangeChoices; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        info.fType = MFT_STRING | MFT_RADIOCHECK;
        info.fState = i == choice ? MFS_CHECKED : MFS_UNCHECKED;
        SetMenuItemInfoW(menu, ID_AUTO_CHANGE_FIRST + i, FALSE, &info);
    }
    CheckMenuItem(menu, ID_RANDOM_ORDER, MF_BYCOMMAND | (m_settings.randomOrder ? MF_CHECKED : MF_UNCHECKED));
}
