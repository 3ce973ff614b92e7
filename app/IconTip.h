#pragma once
// The notification icon's tip: "Tavrin", and after " - " the display names
// of the wallpapers shown, one per monitor when the monitors show their own.
// Code page 932 text, kept within the tip's length without ever cutting a
// double-byte character in half.
#include <cstddef>
#include <string>
#include <vector>

// The tip's length in bytes, as the system's ANSI tip holds it (64 with the end).
constexpr size_t kIconTipBytes = 63;

// `names`: the display names in the monitors' order (empty ones are left
// out).  None: just "Tavrin".  Several: joined by " / ".  A text too long
// for `maxBytes` ends in "…" at the last whole character that fits.
std::string IconTipText(const std::vector<std::string>& names, size_t maxBytes = kIconTipBytes);
