#include "list/WallPaperList.h"

#include <windows.h>

#include <cstdio>
#include <new>

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
    for (int n = 1; n <= 99; ++n) {
        std::string candidate = m_path + ".bak" + (n == 1 ? std::string() : std::to_string(n));
        if (FileExists(candidate)) {
            bool same = false;
            if (bytes) {
                std::string existing;
                same = ReadWholeFile(candidate, &existing) == FileReadStatus::Ok && existing == *bytes;
            } else {
                same = FilesHaveSameBytes(candidate, m_path);
            }
            if (same) {
                m_backupPath = candidate;  // already kept
                return true;
            }
            continue;
        }
        // Bytes not in memory (too large, or memory ran out) are copied
        // from the file a piece at a time.
        DWORD error = 0;
        bool kept = bytes ? WriteFileAtomically(candidate, *bytes, &error)
                          : CopyFileAtomically(m_path, candidate, &error);
        if (kept) m_backupPath = candidate;
        return kept;
    }
    return false;
}

bool WallPaperList::Load() {
    if (m_path.empty()) return false;
    m_entries.clear();
    m_backupPath.clear();
    m_protectFile = false;
    m_notRead = false;
    RemoveLeftoverTemporary(m_path);
    try {
        return ReadListFile();
    } catch (const std::bad_alloc&) {
        // Memory ran out somewhere on the way: nothing was read, so nothing
        // may be written over the file.
        m_entries.clear();
        m_protectFile = true;
        Report(kReadFailedMessage, m_path);
        return true;
    }
}

bool WallPaperList::ReadListFile() {
    std::string bytes;
    FileReadStatus status = ReadFileCreatingIt(m_path, &bytes);
    if (status == FileReadStatus::OpenFailed) {
        // Whatever kept the file from opening (locked, no access, a folder
        // not there yet), the list was never read: it must not replace a
        // file that is, or comes, there.
        m_notRead = true;
        return false;
    }
    if (status != FileReadStatus::Ok) {
        bytes.clear();
        bytes.shrink_to_fit();
        m_protectFile = !KeepDamagedFile(nullptr);
        bool memory = status == FileReadStatus::TooLarge || status == FileReadStatus::OutOfMemory;
        Report(memory ? kReadFailedMessage : kFileFaultMessage, m_path);
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
    if (m_protectFile || (m_notRead && FileExists(m_path))) {
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
