#pragma once
// The shell's folder chooser: file-system folders only, from the shell's
// root (the desktop).
#include <windows.h>

#include <string>

// Shows the chooser owned by `owner` with `title` (code page 932) above its
// tree.  Returns the chosen folder as code page 932 (short form where code
// page 932 cannot write the name), or an empty string when the user
// cancelled or chose something that has no file-system path.
std::string ChooseFolder(HWND owner, const std::string& title);
