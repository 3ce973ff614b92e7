#pragma once
// The running copy's side of a command from the command line.  It runs
// while the sender waits; its result is the sender's exit code (RemoteCommand.h).
#include <functional>
#include <string>
#include <vector>

#include "remote/CommandLine.h"
#include "list/CWallPaperData.h"

class AppContext;
class WallpaperChanger;

struct RemoteCommandActions {
    std::function<bool(const CWallPaperData&)> apply;  // a menu choice: apply, then the post-change command
    std::function<void()> openList;                     // the list dialog, after the answer
};

int CarryOutRemoteCommand(const ParsedCommand& command, AppContext& context, WallpaperChanger& changer,
                          const RemoteCommandActions& actions);

// Each picture file becomes an entry at the bottom of the list as the list
// dialog shows it (the front of the list), in the given order: display name
// its file name, style stretch, in use; the same files are taken as when
// they are dropped on the list dialog.  The list is saved at once when
// something was added.  Returns the refused files, each with its reason.
std::vector<std::string> AddPictureFiles(AppContext& context, const std::vector<std::wstring>& files, bool* saved);
