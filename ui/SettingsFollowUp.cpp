#include "ui/SettingsFollowUp.h"

#include "framework/UserMessages.h"
#include "ui/PreviewWindow.h"
#include "context/AppContext.h"
#include "plugin/CSPIControl.h"

namespace {
const char* const kKeptOldList =
    "リストファイル[%s]に現在のリストを保存できなかったため、リストファイルを切り替えませんでした。";
const char* const kCannotOpenNew = "リストファイル[%s]を開けなかったため、元のリストファイルを使い続けます。";

std::string Format(const char* pattern, const std::string& path) {
    std::string text = pattern;
    size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}
}  // namespace

bool SwitchListFile(AppContext& context) {
    AppSettings& settings = context.settings();
    WallPaperList& list = context.list();
    const std::string oldPath = list.path();
    const std::string newPath = settings.listFilePath;

    // An empty list that cannot be saved loses nothing (its file, if any, was
    // kept as it was); a list with entries must reach its file first.
    if (!list.Save() && !list.entries().empty()) {
        ShowAppMessage(Format(kKeptOldList, oldPath));
        settings.listFilePath = oldPath;
        settings.Save();
        return false;
    }
    list.SetPath(newPath);
    if (!list.Load()) {
        // Empty path or a file that cannot be opened: back to the old file,
        // which was just written.
        ShowAppMessage(Format(kCannotOpenNew, newPath));
        list.SetPath(oldPath);
        list.Load();
        settings.listFilePath = oldPath;
        settings.Save();
        context.cache().Synchronize();
        return false;
    }
    context.cache().Synchronize();
    return true;
}

void AfterSettingsDialog(AppContext& context, PreviewWindow& preview, bool listPathChanged) {
    preview.SetHalftone(context.settings().enableHalfTone);
    context.settings().Save();
    context.cache().pluginHost().ReloadFromSettings();
    if (listPathChanged) SwitchListFile(context);
}
