#pragma once
// The command started after a wallpaper change (typically the desktop
// calendar DeskCal, which draws itself over the new wallpaper).
#include <windows.h>

#include <functional>
#include <string>

// Makes the command line: a command that starts with a double quote is used
// as it is; otherwise the longest prefix, cut at a space or at the end, that
// names an existing file or folder is the program (the whole text when none
// does), and the rest after one space its arguments.  The result quotes the
// program: "program" arguments.  Program and arguments keep at most 259 bytes,
// the command at most 1023.
std::string BuildPostChangeCommandLine(const std::string& command,
                                       const std::function<bool(const std::string&)>& exists);

// Whether `path` names something on disk (a wildcard that matches counts).
bool PathNamesSomething(const std::string& path);

// Starts the command unless the one started last still runs (false) or
// DeskCal's window is there (true).  True when a process was started.
bool RunPostChangeCommand(const std::string& command);

// The process the command started last (still owned here), or null.
HANDLE LastPostChangeProcess();
