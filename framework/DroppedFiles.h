#pragma once
// The files dropped on a window from the shell (WM_DROPFILES).  The drop
// handle is released when the object goes.  Everything about a drop comes
// from outside: paths of any length, folders, names that code page 932
// cannot write.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

class DroppedFiles {
public:
    explicit DroppedFiles(HDROP drop) : m_drop(drop) {}
    ~DroppedFiles();
    DroppedFiles(const DroppedFiles&) = delete;
    DroppedFiles& operator=(const DroppedFiles&) = delete;

    // Every dropped path, in drop order, as the shell gave it.
    std::vector<std::wstring> Paths() const;

private:
    HDROP m_drop;
};

// The paths that name readable files, in order, as code page 932: folders,
// paths whose attributes cannot be read (gone, too long, no access) and
// names code page 932 cannot write even in their short form are left out.
std::vector<std::string> ReadableFilesOnly(const std::vector<std::wstring>& paths);
