#pragma once
// "次の壁紙 (Tavrin)" on the desktop's own right-click menu: a verb of the
// desktop background in the user's own classes (no administrator needed),
// running the program with /next.  Setup registers the same key.
#include <string>

// Under HKEY_CURRENT_USER.
constexpr const char* kDesktopVerbKey = "Software\\Classes\\DesktopBackground\\Shell\\TavrinNextWallpaper";
constexpr const char* kDesktopVerbText = "\x8e\x9f\x82\xcc\x95\xc7\x8e\x86 (Tavrin)";  // 次の壁紙 (Tavrin)

// The verb's command for the program at `exePath`: "exePath" /next.
std::string DesktopVerbCommand(const std::string& exePath);

// Whether the verb is registered and runs the program at `exePath`.
bool DesktopVerbRunsProgram(const std::string& exePath);
// Registers the verb (text, icon, command) for the program at `exePath`.
bool RegisterDesktopVerb(const std::string& exePath);
// Removes the verb; true when it is gone (also when it was never there).
bool RemoveDesktopVerb();
// The running program's own path, code page 932.
std::string ThisProgramPath();
