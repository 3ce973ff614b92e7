#include "remote/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "framework/TextBridge.h"

const char* const kCommandLineUsage =
    "使い方: tavrin.exe [/next | /apply 表示名 | /add ファイル... | /list]";

namespace {
const char* const kUnknownArgument = "不明な引数です: ";
const char* const kExtraArgument = "余分な引数です: ";
const char* const kNameMissing = "/apply の後に壁紙の表示名がありません。";
const char* const kFileMissing = "/add の後に追加する画像ファイルがありません。";

std::wstring SwitchName(const std::wstring& arg) {
    if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) return std::wstring();
    std::wstring name = arg.substr(1);
    for (wchar_t& c : name)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return name;
}

ParsedCommand Invalid(const std::string& problem) {
    ParsedCommand parsed;
    parsed.kind = ParsedCommand::kInvalid;
    parsed.problem = problem + "\n" + kCommandLineUsage;
    return parsed;
}
}  // namespace

ParsedCommand ParseCommandLine(const std::vector<std::wstring>& args) {
    ParsedCommand parsed;
    if (args.empty()) return parsed;
    const std::wstring command = SwitchName(args[0]);
    if (command == L"next" || command == L"list") {
        if (args.size() > 1) return Invalid(kExtraArgument + ToCp932(args[1]));
        parsed.kind = command == L"next" ? ParsedCommand::kNext : ParsedCommand::kList;
    } else if (command == L"apply") {
        if (args.size() < 2 || args[1].empty()) return Invalid(kNameMissing);
        if (args.size() > 2) return Invalid(kExtraArgument + ToCp932(args[2]));
        parsed.kind = ParsedCommand::kApply;
        parsed.name = args[1];
    } else if (command == L"add") {
        for (size_t i = 1; i < args.size(); ++i)
            if (!args[i].empty()) parsed.files.push_back(args[i]);
        if (parsed.files.empty()) return Invalid(kFileMissing);
        parsed.kind = ParsedCommand::kAdd;
    } else {
        return Invalid(kUnknownArgument + ToCp932(args[0]));
    }
    return parsed;
}

std::vector<std::wstring> ProcessArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.push_back(argv[i]);
    LocalFree(argv);
    return args;
}
