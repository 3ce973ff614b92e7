#include "remote/RemoteCommandHandler.h"

#include <memory>

#include "remote/RemoteCommand.h"
#include "changer/WallpaperChanger.h"
#include "framework/DroppedFiles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "ui/FolderImportDialog.h"
#include "plugin/CSPIControl.h"
#include "context/AppContext.h"
#include "util/PathPieces.h"

namespace {
const char* const kNameNotListed = "表示名[%s]の壁紙はリストにありません。";
const char* const kFilesRefused = "次のファイルは追加しませんでした。";
const char* const kNotAPicture = "画像ファイルではありません";
const char* const kNotReadable = "ファイルが見つからないか、読めません";
constexpr size_t kRefusedShown = 20;

std::string Format(const char* pattern, const std::string& value) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, value);
    return text;
}
}  // namespace

std::vector<std::string> AddPictureFiles(AppContext& context, const std::vector<std::wstring>& files, bool* saved) {
    std::vector<std::string> refused;
    const std::string patterns = context.cache().pluginHost().GetImagePatterns();
    bool added = false;
    for (const std::wstring& file : files) {
        std::vector<std::string> readable = ReadableFilesOnly({file});
        if (readable.empty()) {
            refused.push_back(ToCp932(file) + " (" + kNotReadable + ")");
            continue;
        }
        std::vector<std::string> pictures = FolderImportDialog::FilterFiles(readable, patterns);
        if (pictures.empty()) {
            refused.push_back(readable[0] + " (" + kNotAPicture + ")");
            continue;
        }
        auto entry = std::make_unique<CWallPaperData>(FileNameOf(pictures[0]), pictures[0], kStyleStretch);
        entry->m_bInUse = true;
        context.list().InsertFront(std::move(entry));
        added = true;
    }
    // Saved before the synchronisation, which may decode every listed picture.
    *saved = !added || context.list().Save();
    if (added) context.cache().Synchronize();
    return refused;
}

int CarryOutRemoteCommand(const ParsedCommand& command, AppContext& context, WallpaperChanger& changer,
                          const RemoteCommandActions& actions) {
    switch (command.kind) {
    case ParsedCommand::kNext:
        return changer.ChangeNext(false) ? kRemoteDone : kRemoteRefused;
    case ParsedCommand::kApply: {
        // A name code page 932 cannot write names no entry.
        std::string name = ToCp932(command.name);
        const CWallPaperData* entry = ToWide(name) == command.name ? context.list().FindByDisplayName(name) : nullptr;
        if (!entry) {
            ShowAppMessage(Format(kNameNotListed, name));
            return kRemoteRefused;
        }
        CWallPaperData chosen = *entry;
        return actions.apply(chosen) ? kRemoteDone : kRemoteRefused;
    }
    case ParsedCommand::kAdd: {
        bool saved = false;
        std::vector<std::string> refused = AddPictureFiles(context, command.files, &saved);
        if (!refused.empty()) {
            std::string text = kFilesRefused;
            for (size_t i = 0; i < refused.size() && i < kRefusedShown; ++i) text += "\n" + refused[i];
            if (refused.size() > kRefusedShown) text += "\n...";
            ShowAppMessage(text);
        }
        return refused.empty() && saved ? kRemoteDone : kRemoteRefused;
    }
    case ParsedCommand::kList:
        actions.openList();
        return kRemoteDone;
    default:
        return kRemoteUsage;
    }
}
