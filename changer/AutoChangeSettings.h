#pragma once
// The automatic change's settings, beside the others in section "Settings":
//   "AutoChangeMinutes"     the interval in minutes; absent or 0: no automatic change
//   "RandomOrder"           1: "next" takes a shuffled order; absent or 0: list order
//   "AutoChangeTestSeconds" for tests only: when not 0 and an interval is set,
//                           the interval is this many seconds instead
// They are written as soon as the menu changes them.
#include <cstdint>

#include "framework/Profile.h"

struct AutoChangeSettings {
    static constexpr uint32_t kLongestMinutes = 7 * 1440;  // a week

    uint32_t minutes = 0;
    bool randomOrder = false;
    uint32_t testSeconds = 0;

    void Load(ProfileStore& profile);
    void Save(ProfileStore& profile) const;
    // The interval in milliseconds; 0 when off.
    uint64_t IntervalMs() const;
};
