#pragma once
// The program's arguments.  With none it starts as the tray program; with
// one of these it hands the command to the running copy:
//   /next            the next wallpaper
//   /apply NAME      the first entry whose display name is NAME
//   /add FILE...     pictures added to the list
//   /list            the list dialog
// A switch may start with "/" or "-", in any letter case.
#include <string>
#include <vector>

struct ParsedCommand {
    enum Kind { kNone, kNext, kApply, kAdd, kList, kInvalid };
    Kind kind = kNone;
    std::wstring name;                // kApply
    std::vector<std::wstring> files;  // kAdd, as given
    std::string problem;              // kInvalid: the message for the user, code page 932
};

// `args` without the program's own name.
ParsedCommand ParseCommandLine(const std::vector<std::wstring>& args);

// The arguments of this process (GetCommandLineW), without the program's name.
std::vector<std::wstring> ProcessArguments();

// How the command line is used, for messages.
extern const char* const kCommandLineUsage;
