#include "remote/RemoteCommand.h"

#include "remote/SingleInstance.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"

namespace {
const char* const kNotReachedMessage = "Tavrin を起動できなかったか、応答がないため、コマンドを実行できませんでした。";
const char* const kBusyMessage = "Tavrin はダイアログかメッセージを表示中です。閉じてからやり直してください。";
// Starting the program (its list, its plug-ins, the wallpaper of the last run) may take a while.
constexpr DWORD kStartWaitMs = 30000;
// A change may decode a large picture through a plug-in.
constexpr UINT kAnswerWaitMs = 120000;

const wchar_t* WordOf(ParsedCommand::Kind kind) {
    switch (kind) {
    case ParsedCommand::kNext: return L"next";
    case ParsedCommand::kApply: return L"apply";
    case ParsedCommand::kAdd: return L"add";
    case ParsedCommand::kList: return L"list";
    default: return nullptr;
    }
}

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    if (n == 0 || n >= full.size()) return path;
    full.resize(n);
    return full;
}

bool StartTavrin() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size()));
        if (n == 0) return false;
        if (n < exe.size()) { exe.resize(n); break; }
        if (exe.size() > 32768) return false;
        exe.resize(exe.size() * 2);
    }
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool InstanceIsStarting() {
    UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    DWORD error = GetLastError();
    return static_cast<bool>(mutex) || error == ERROR_ACCESS_DENIED;
}

DWORD StartTimeLeft(DWORD begin) {
    const DWORD spent = GetTickCount() - begin;
    return spent < kStartWaitMs ? kStartWaitMs - spent : 0;
}

// The running Tavrin's window; when none runs or starts, this starts one
// (once per command: `started`) and waits for its window.  Null when none
// showed in the time.
HWND FindOrStartTavrin(const wchar_t* trayClassName, DWORD begin, bool* started) {
    if (HWND tray = FindWindowW(trayClassName, nullptr)) return tray;
    // One command at a time, so that the second finds the copy the first started.
    UniqueHandle startMutex(CreateMutexW(nullptr, FALSE, kStartMutexName));
    MutexOwnership turn(startMutex.get(), StartTimeLeft(begin));
    // Another command kept its turn past the time: its start failed, this one would too.
    // Without the name at all the instance mutex alone guards the start.
    if (startMutex && !turn.owned()) return FindWindowW(trayClassName, nullptr);
    for (;;) {
        if (HWND tray = FindWindowW(trayClassName, nullptr)) return tray;
        if (!*started && !InstanceIsStarting()) *started = StartTavrin();
        if (StartTimeLeft(begin) == 0) return nullptr;
        Sleep(100);
    }
}
}  // namespace

std::vector<wchar_t> EncodeRemoteCommand(const ParsedCommand& command) {
    std::vector<wchar_t> bytes;
    auto put = [&](const std::wstring& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(L'\0');
    };
    const wchar_t* word = WordOf(command.kind);
    if (!word) return bytes;
    put(word);
    if (command.kind == ParsedCommand::kApply) put(command.name);
    for (const std::wstring& file : command.files) put(file);
    return bytes;
}

bool DecodeRemoteCommand(ULONG_PTR tag, const void* data, size_t size, ParsedCommand* command) {
    if (tag != kRemoteCommandTag || !data || size == 0 || size > kRemoteCommandMaxBytes || size % sizeof(wchar_t))
        return false;
    const wchar_t* text = static_cast<const wchar_t*>(data);
    const size_t count = size / sizeof(wchar_t);
    if (text[count - 1] != L'\0') return false;
    std::vector<std::wstring> parts;
    for (size_t at = 0; at < count;) {
        std::wstring part(text + at);
        at += part.size() + 1;
        parts.push_back(std::move(part));
        if (parts.size() > kRemoteCommandMaxArguments + 1) return false;
    }
    // The words are the command line's switches: one parser for both.
    parts[0] = L"/" + parts[0];
    ParsedCommand parsed = ParseCommandLine(parts);
    if (parsed.kind == ParsedCommand::kNone || parsed.kind == ParsedCommand::kInvalid) return false;
    *command = std::move(parsed);
    return true;
}

int RunRemoteCommand(const ParsedCommand& parsed, const wchar_t* trayClassName) {
    if (parsed.kind == ParsedCommand::kInvalid) {
        ShowAppMessage(parsed.problem);
        return kRemoteUsage;
    }
    if (parsed.kind == ParsedCommand::kNone) return kRemoteUsage;
    ParsedCommand command = parsed;
    for (std::wstring& file : command.files) file = FullPath(file);
    std::vector<wchar_t> data = EncodeRemoteCommand(command);

    HWND tray = nullptr;
    bool started = false;
    const DWORD begin = GetTickCount();
    for (;;) {
        if (!tray) tray = FindOrStartTavrin(trayClassName, begin, &started);
        if (tray) {
            DWORD pid = 0;
            GetWindowThreadProcessId(tray, &pid);
            AllowSetForegroundWindow(pid);  // the list dialog comes to the front
            COPYDATASTRUCT copy = {kRemoteCommandTag, static_cast<DWORD>(data.size() * sizeof(wchar_t)), data.data()};
            DWORD_PTR answer = kRemoteNotReached;
            if (!SendMessageTimeoutW(tray, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                                     SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer))
                answer = kRemoteNotReached;
            // A window that went away (the program was ending) is looked for again.
            if (answer == kRemoteNotReached && !IsWindow(tray)) tray = nullptr;
            else if (answer != kRemoteNotReady) {
                if (answer == kRemoteBusy) ShowAppMessage(kBusyMessage);
                if (answer == kRemoteNotReached) break;
                return static_cast<int>(answer);
            }
        }
        if (StartTimeLeft(begin) == 0) break;
        Sleep(100);
    }
    ShowAppMessage(kNotReachedMessage);
    return kRemoteNotReached;
}
