#pragma once
// The ordered, owning list of registered wallpapers and its list file.
#include <memory>
#include <string>

#include "list/CWallPaperData.h"
#include "list/ListFileCodec.h"

class WallPaperList {
public:
    WallPaperList() = default;
    // Saves to the list file when a path is set.
    ~WallPaperList();
    WallPaperList(const WallPaperList&) = delete;
    WallPaperList& operator=(const WallPaperList&) = delete;

    const std::string& path() const { return m_path; }
    void SetPath(const std::string& path) { m_path = path; }

    // Replaces the entries with the file's.  False only when the path is
    // empty or the file cannot be opened.  A damaged or unreadable file is
    // reported, its bytes are kept beside it (see BackupPath) and the list
    // stays empty.  A leftover of an interrupted save goes.
    bool Load();
    // Writes the whole list in place of the file.  False, with a message,
    // when it cannot be written; the previous file then stays as it was.
    // Every save (at exit, at the end of the log-on, after an edit) comes
    // here, and here a list that was never read refuses to write over a
    // file: one that could not be opened at load, or that appeared since
    // (a network folder connected later).  With entries the refusal is
    // reported; an empty list goes quietly.
    bool Save();

    WallPaperEntries& entries() { return m_entries; }
    const WallPaperEntries& entries() const { return m_entries; }
    size_t size() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }
    CWallPaperData* Append(std::unique_ptr<CWallPaperData> entry);
    CWallPaperData* InsertFront(std::unique_ptr<CWallPaperData> entry);

    // First entry, from the front, whose display name (or image path)
    // equals `text` byte for byte.
    CWallPaperData* FindByDisplayName(const std::string& text) const;
    CWallPaperData* FindByImagePath(const std::string& text) const;

    // Where the bytes of a damaged list file are kept: "<list file>.bak",
    // or "<list file>.bak2" ... when an older, different backup is there.
    const std::string& lastBackupPath() const { return m_backupPath; }

private:
    bool ReadListFile();
    bool KeepDamagedFile(const std::string* bytes);

    std::string m_path;
    WallPaperEntries m_entries;
    std::string m_backupPath;
    // Set when the file was not read and could not be backed up: saving over it would lose it.
    bool m_protectFile = false;
    // Set when the file could not be opened at load: saving over a file that
    // is there at save time would lose it.
    bool m_notRead = false;
};
