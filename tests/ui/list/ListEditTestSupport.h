#pragma once
// A context on a list of the test's own, and drops made as the shell makes them.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "framework/Profile.h"
#include "context/AppContext.h"

struct TestEntry { std::string name, path; DisplayStyle style; bool inUse; };

// The display names in a list file, front first ("<unreadable>" when it is not one).
std::vector<std::string> NamesInListFile(const std::string& file);

class ListEditContext {
public:
    // A context whose list file (in `dir`) holds `entries`, front first.
    ListEditContext(const TempDir& dir, const std::vector<TestEntry>& entries);
    AppContext& context() { return *m_context; }
    WallPaperList& list() { return m_context->list(); }
    MemoryProfile& profile() { return m_profile; }
    // The display names of the list, front first.
    std::vector<std::string> Names() const;
    std::vector<std::string> NamesOnDisk() const { return NamesInListFile(m_listFile); }

private:
    MemoryProfile m_profile;
    std::string m_listFile;
    std::unique_ptr<AppContext> m_context;
};

void WriteListFile(const std::string& file, const std::vector<TestEntry>& entries);
// A drop handle (as WM_DROPFILES carries) for the paths; the receiver frees it.
HDROP MakeDrop(const std::vector<std::wstring>& paths);
