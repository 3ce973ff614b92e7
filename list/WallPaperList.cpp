#include "list/WallPaperList.h"

#include <windows.h>

#include <cstdio>

#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "util/Cp932Convert.h"
#include "util/FileIO.h"

namespace {

const char* const kReadFailedMessage = "リストファイル[%s]の読み込みに失敗しました。";
const char* const kFormatFaultMessage =
    "リストファイル[%s]は壊れています。\nフォーマット異常のため読み込みデータを初期化しました。";
const char* const kFileFaultMessage =
    "リストファイル[%s]は壊れています。\nファイル異常のため読み込みデータを初期化しました。";
const char* const kSaveFailedMessage = "リストファイル[%s]の保存に失敗しました。";
const char* const kProtectedMessage =
    "リストファイル[%s]を読み込めなかったため、上書きせずに残しました。\n一覧の変更は保存されていません。";

std::string Format(const char* pattern, const std::string& path) {
    std::string text = pattern;
    size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

void Report(const char* pattern, const std::string& path) {
    ShowAppMessage(Format(pattern, path), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

WallPaperList::~WallPaperList() {
    if (!m_path.empty()) Save();
}

CWallPaperData* WallPaperList::Append(std::unique_ptr<CWallPaperData> entry) {
    m_entries.push_back(std::move(entry));
    return m_entries.back().get();
}

CWallPaperData* WallPaperList::InsertFront(std::unique_ptr<CWallPaperData> entry) {
    m_entries.insert(m_entries.begin(), std::move(entry));
    return m_entries.front().get();
}

CWallPaperData* WallPaperList::FindByDisplayName(const std::string& text) const {
    for (const auto& e : m_entries)
        if (e->m_strName == text) return e.get();
    return nullptr;
}

CWallPaperData* WallPaperList::FindByImagePath(const std::string& text) const {
    for (const auto& e : m_entries)
        if (e->m_strPath == text) return e.get();
    return nullptr;
}

bool WallPaperList::KeepDamagedFile(const std::string* bytes) {
    std::string original;
    if (!bytes) {
        // Could not be read as a whole: try once more for the copy.
        if (ReadWholeFile(m_path, &original) != FileReadStatus::Ok) return false;
        bytes = &original;
    }
    for (int n = 1; n <= 99; ++n) {
        std::string candidate = m_path + ".bak" + (n == 1 ? std::string() : std::to_string(n));
        if (FileExists(candidate)) {
            std::string existing;
            if (ReadWholeFile(candidate, &existing) == FileReadStatus::Ok && existing == *bytes) {
                m_backupPath = candidate;  // already kept
                return true;
            }
            continue;
        }
        DWORD error = 0;
        if (WriteFileAtomically(candidate, *bytes, &error)) {
            m_backupPath = candidate;
            return true;
        }
        return false;
    }
    return false;
}

bool WallPaperList::Load() {
    if (m_path.empty()) return false;
    m_entries.clear();
    m_backupPath.clear();
    m_protectFile = false;

    std::string bytes;
    FileReadStatus status = ReadFileCreatingIt(m_path, &bytes);
    if (status == FileReadStatus::OpenFailed) {
        // A file that exists but cannot be opened (locked, no access) must not
        // be replaced by the empty list later.
        m_protectFile = FileExists(m_path);
        return false;
    }
    if (status != FileReadStatus::Ok) {
        m_protectFile = !KeepDamagedFile(nullptr);
        Report(status == FileReadStatus::TooLarge ? kReadFailedMessage : kFileFaultMessage, m_path);
        return true;
    }
    if (bytes.empty()) return true;

    ListDecodeResult result = DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &m_entries);
    if (result != ListDecodeResult::Ok) {
        m_entries.clear();
        m_protectFile = !KeepDamagedFile(&bytes);
        Report(result == ListDecodeResult::OutOfMemory ? kReadFailedMessage : kFormatFaultMessage, m_path);
    }
    return true;
}

bool WallPaperList::Save() {
    if (m_path.empty()) return false;
    if (m_protectFile) {
        // Nothing of the user's is lost while the list is still empty.
        if (!m_entries.empty()) Report(kProtectedMessage, m_path);
        return false;
    }
    DWORD error = 0;
    auto produce = [this](const FileChunkWriter& write) { return EncodeListFile(m_entries, write); };
    if (!WriteFileAtomically(m_path, produce, &error)) {
        Report(kSaveFailedMessage, m_path);
        return false;
    }
    return true;
}
