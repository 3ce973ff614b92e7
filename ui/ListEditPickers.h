#pragma once
// The pickers that the list-editing dialogs open: the image file dialog
// (and, for an archive, the choice of a picture inside it) and the import
// of many pictures from a folder or dropped files.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "list/CWallPaperData.h"

class AppContext;

struct PictureChoice {
    std::string path;         // a file path, or "archive|member"
    std::string displayName;  // the file name, or the name the archive choice proposes
};

// Runs the image file dialog with the host's open filter (archives too);
// for an archive an enabled plug-in lists, the archived-file dialog follows.
// False, with `choice` untouched, when either is cancelled.  `owner` is
// disabled while they are open, so nothing behind them changes meanwhile.
bool ChoosePicture(AppContext& context, HWND owner, PictureChoice* choice);

// Runs the folder import dialog on a folder (when `files` is empty) or on
// the given files.  The entries it made, in its list's order; none when it
// was cancelled.
std::vector<std::unique_ptr<CWallPaperData>> ImportPictures(AppContext& context, HWND owner,
                                                            const std::string& folder,
                                                            const std::vector<std::string>& files);
