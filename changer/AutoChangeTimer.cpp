#include "changer/AutoChangeTimer.h"

#include <algorithm>

int AutoChangeChoiceOf(uint32_t minutes) {
    for (int i = 0; i < kAutoChangeChoices; ++i)
        if (kAutoChangeMinutes[i] == minutes) return i;
    return -1;
}

bool AutoChangeTimer::Due(uint64_t now) const {
    // A clock behind the last change (the tick count never is) is not due.
    return m_interval != 0 && now >= m_last && now - m_last >= m_interval;
}

uint32_t AutoChangeTimer::NextLookIn(uint64_t now, bool blocked) const {
    if (!m_interval) return kLongestWaitMs;
    if (Due(now)) return blocked ? kBlockedRetryMs : 0;
    uint64_t left = now < m_last ? m_interval : m_interval - (now - m_last);
    return static_cast<uint32_t>(std::min<uint64_t>(left, kLongestWaitMs));
}
