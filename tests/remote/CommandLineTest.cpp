// The command line of tavrin.exe.
#include <gtest/gtest.h>

#include "remote/CommandLine.h"

namespace {
ParsedCommand Parse(std::vector<std::wstring> args) { return ParseCommandLine(args); }
}  // namespace

TEST(CommandLineTest, TheFourCommands) {
    EXPECT_EQ(ParsedCommand::kNone, Parse({}).kind);
    EXPECT_EQ(ParsedCommand::kNext, Parse({L"/next"}).kind);
    EXPECT_EQ(ParsedCommand::kNext, Parse({L"-NEXT"}).kind) << "either prefix, any case";
    EXPECT_EQ(ParsedCommand::kList, Parse({L"/List"}).kind);

    ParsedCommand apply = Parse({L"/apply", L"\u591c\u666f \u2160"});  // 夜景 Ⅰ, one argument with a blank
    EXPECT_EQ(ParsedCommand::kApply, apply.kind);
    EXPECT_EQ(L"\u591c\u666f \u2160", apply.name);

    ParsedCommand add = Parse({L"/add", L"a.bmp", L"C:\\pics\\b c.jpg"});
    EXPECT_EQ(ParsedCommand::kAdd, add.kind);
    EXPECT_EQ((std::vector<std::wstring>{L"a.bmp", L"C:\\pics\\b c.jpg"}), add.files);
}

TEST(CommandLineTest, ProblemsAreNamed) {
    struct Case { std::vector<std::wstring> args; const char* named; };
    const Case cases[] = {
        {{L"/shuffle"}, "不明な引数です: /shuffle"},
        {{L"next"}, "不明な引数です: next"},
        {{L"/"}, "不明な引数です: /"},
        {{L"/apply"}, "/apply の後に壁紙の表示名がありません。"},
        {{L"/apply", L""}, "/apply の後に壁紙の表示名がありません。"},
        {{L"/apply", L"a", L"b"}, "余分な引数です: b"},
        {{L"/add"}, "/add の後に追加する画像ファイルがありません。"},
        {{L"/add", L""}, "/add の後に追加する画像ファイルがありません。"},
        {{L"/next", L"now"}, "余分な引数です: now"},
        {{L"/list", L"/next"}, "余分な引数です: /next"},
    };
    for (const Case& c : cases) {
        ParsedCommand parsed = Parse(c.args);
        EXPECT_EQ(ParsedCommand::kInvalid, parsed.kind) << c.named;
        EXPECT_EQ(std::string(c.named) + "\n" + kCommandLineUsage, parsed.problem);
    }
}
