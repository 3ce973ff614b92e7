#include "app/PostChangeCommand.h"

#include <windows.h>

#include <vector>

#include "settings/DeskCal.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "util/PathPieces.h"

namespace {
const size_t kMaxCommand = 1023;
const size_t kMaxPiece = 259;

// The last process started; kept so that a second change does not start another.
UniqueHandle g_lastProcess;

// Cuts to at most `limit` bytes without splitting a double-byte character.
std::string Cut(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t i = 0;
    while (i < limit) {
        size_t n = (IsCp932LeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
        if (i + n > limit) break;
        i += n;
    }
    return text.substr(0, i);
}
}  // namespace

bool PathNamesSomething(const std::string& path) {
    if (path.empty()) return false;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(ToWide(path).c_str(), &fd));
    return static_cast<bool>(find);
}

std::string BuildPostChangeCommandLine(const std::string& command,
                                       const std::function<bool(const std::string&)>& exists) {
    std::string text = Cut(command, kMaxCommand);
    if (!text.empty() && text[0] == '"') return text;
    size_t programEnd = std::string::npos;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && IsCp932LeadByte(text[i]) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if ((i == text.size() || text[i] == ' ') && i > 0 && exists(text.substr(0, i))) programEnd = i;
    }
    if (programEnd == std::string::npos) programEnd = text.size();
    std::string program = Cut(text.substr(0, programEnd), kMaxPiece);
    std::string arguments = programEnd < text.size() ? text.substr(programEnd + 1) : std::string();
    return "\"" + program + "\" " + Cut(arguments, kMaxPiece);
}

bool RunPostChangeCommand(const std::string& command) {
    if (g_lastProcess) {
        DWORD code = 0;
        if (GetExitCodeProcess(g_lastProcess.get(), &code) && code == STILL_ACTIVE) return false;
    }
    if (FindWindowW(ToWide(kDeskCalWindowClass).c_str(), nullptr)) return true;

    g_lastProcess.reset();
    if (command.empty()) return false;  // nothing to start
    std::wstring line = ToWide(BuildPostChangeCommandLine(command, &PathNamesSomething));
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    g_lastProcess.reset(pi.hProcess);
    return true;
}

HANDLE LastPostChangeProcess() { return g_lastProcess.get(); }
