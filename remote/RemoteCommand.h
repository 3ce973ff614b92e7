#pragma once
// A command from the command line travels to the running copy's tray window
// as WM_COPYDATA: dwData kRemoteCommandTag, the data UTF-16 strings each
// ended by a zero (the command word, then its arguments).  The tray window's
// answer is the command's exit code.
#include <windows.h>

#include <string>
#include <vector>

#include "remote/CommandLine.h"

constexpr ULONG_PTR kRemoteCommandTag = 0x54565243;  // "TVRC"
// Bounds on what the receiver takes from another process.
constexpr size_t kRemoteCommandMaxBytes = 4u << 20;
constexpr size_t kRemoteCommandMaxArguments = 10000;

// Exit codes of tavrin.exe with a command.
enum RemoteResult : int {
    kRemoteDone = 0,       // carried out
    kRemoteRefused = 1,    // not (or not wholly) carried out; a message says why
    kRemoteUsage = 2,      // the arguments are wrong
    kRemoteNotReached = 3, // no running Tavrin could be started or reached
    kRemoteBusy = 4,       // a dialog or box of Tavrin's is open
    kRemoteNotReady = 5,   // Tavrin is still starting (the sender tries again)
};

// The bytes of a parsed command (kNext, kApply, kAdd, kList).
std::vector<wchar_t> EncodeRemoteCommand(const ParsedCommand& command);
// The command back from bytes of another process; false when they are not one.
bool DecodeRemoteCommand(ULONG_PTR tag, const void* data, size_t size, ParsedCommand* command);

// The whole client side: parse problems are shown here; otherwise the
// running Tavrin is found (or started and waited for) and given the command.
// Files are made absolute first: the running copy has another current folder.
int RunRemoteCommand(const ParsedCommand& command, const wchar_t* trayClassName);
