#include "changer/AutoChangeSettings.h"

#include "settings/AppSettings.h"

void AutoChangeSettings::Load(ProfileStore& profile) {
    // Values from outside: negative ones mean off, huge ones are cut to a week.
    int32_t stored = profile.GetInt(AppSettings::kSection, "AutoChangeMinutes", 0);
    minutes = stored <= 0 ? 0 : static_cast<uint32_t>(stored) > kLongestMinutes ? kLongestMinutes : stored;
    randomOrder = profile.GetInt(AppSettings::kSection, "RandomOrder", 0) != 0;
    int32_t seconds = profile.GetInt(AppSettings::kSection, "AutoChangeTestSeconds", 0);
    testSeconds = seconds <= 0 ? 0 : seconds > 86400 ? 86400 : seconds;
}

void AutoChangeSettings::Save(ProfileStore& profile) const {
    profile.WriteInt(AppSettings::kSection, "AutoChangeMinutes", static_cast<int32_t>(minutes));
    profile.WriteInt(AppSettings::kSection, "RandomOrder", randomOrder ? 1 : 0);
}

uint64_t AutoChangeSettings::IntervalMs() const {
    if (minutes == 0) return 0;
    return testSeconds ? uint64_t(testSeconds) * 1000 : uint64_t(minutes) * 60 * 1000;
}
