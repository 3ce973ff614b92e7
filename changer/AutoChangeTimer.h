#pragma once
// When the automatic change falls due.  The interval counts from the last
// change, whoever made it.  A change that fell due while the program could
// not make it (the computer slept, the session was locked, a dialog or box
// was open, a full-screen program ran) is made once when it can, not once
// per interval missed.  Times are milliseconds of a clock that runs on
// through sleep.  Standard C++ only.
#include <cstdint>

// The intervals the menu offers, in minutes; 0 means no automatic change.
constexpr uint32_t kAutoChangeMinutes[] = {0, 15, 60, 180, 1440};
constexpr int kAutoChangeChoices = sizeof(kAutoChangeMinutes) / sizeof(kAutoChangeMinutes[0]);
// The menu position of `minutes`, or -1 for a value the menu does not offer.
int AutoChangeChoiceOf(uint32_t minutes);

class AutoChangeTimer {
public:
    // While the change waits for the program to become free, it looks again this often.
    static constexpr uint32_t kBlockedRetryMs = 5000;
    // The longest single wait, so a clock that jumps is noticed within a minute.
    static constexpr uint32_t kLongestWaitMs = 60000;

    // 0 turns the change off.
    void SetInterval(uint64_t intervalMs) { m_interval = intervalMs; }
    uint64_t interval() const { return m_interval; }
    bool enabled() const { return m_interval != 0; }

    // A wallpaper change was made (by anyone) at `now`.
    void NoteChange(uint64_t now) { m_last = now; }
    bool Due(uint64_t now) const;
    // How long to wait before looking again; `blocked`: a due change cannot be made now.
    uint32_t NextLookIn(uint64_t now, bool blocked) const;

private:
    uint64_t m_interval = 0;
    uint64_t m_last = 0;
};
