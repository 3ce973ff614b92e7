#pragma once
// The system services the settings dialog uses: the open-file dialog, the
// folder chooser, the module snapshot of this process and the shell's
// properties sheet.  Each is one free function so tests can stand in for it.
#include <windows.h>

#include <string>
#include <vector>

// filter: "text|pattern|...||" in code page 932.  On OK, *path is the chosen
// full path (the file need not exist).  False when cancelled.
bool ChooseFileToOpen(HWND owner, const std::string& filter, std::string* path);

// The shell's folder chooser over file-system folders, starting at the root.
// False when cancelled or when the choice has no file-system path.
bool ChooseFileSystemFolder(HWND owner, const std::string& title, std::string* path);

struct LoadedModule {
    std::string name;  // module name, code page 932
    std::string path;  // full path, code page 932
};
// The modules of the running process in snapshot order; false when no
// snapshot could be taken.
bool SnapshotModules(std::vector<LoadedModule>* modules);

// Opens the shell's properties sheet of a file.
void ShowFileProperties(HWND owner, const std::string& path);

// The filter in the form the system dialog wants: parts separated by NULs,
// ending in two.  Split after conversion, since a bar byte can be the
// second byte of a double-byte character.
std::wstring FileDialogFilter(const std::string& filter);
