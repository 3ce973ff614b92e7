// A command's journey from the command line to the running copy.
#include <gtest/gtest.h>

#include <thread>

#include "framework/Handles.h"
#include "remote/CommandLine.h"
#include "remote/RemoteCommand.h"

namespace {
ParsedCommand Parse(std::vector<std::wstring> args) { return ParseCommandLine(args); }

// Whether another thread gets the turn within `waitMs` (a mutex is owned by a thread).
bool OtherThreadGetsTurn(HANDLE mutex, DWORD waitMs) {
    bool owned = false;
    std::thread([&] { owned = MutexOwnership(mutex, waitMs).owned(); }).join();
    return owned;
}
}  // namespace

TEST(RemoteCommandTest, TravelsWholeAndRefusesWhatIsNotACommand) {
    ParsedCommand add = Parse({L"/add", L"C:\\\u58c1\u7d19\\a.bmp", L"D:\\b.png"});
    std::vector<wchar_t> bytes = EncodeRemoteCommand(add);
    ParsedCommand back;
    ASSERT_TRUE(DecodeRemoteCommand(kRemoteCommandTag, bytes.data(), bytes.size() * 2, &back));
    EXPECT_EQ(ParsedCommand::kAdd, back.kind);
    EXPECT_EQ(add.files, back.files);

    bytes = EncodeRemoteCommand(Parse({L"/apply", L"\u8d64"}));
    ASSERT_TRUE(DecodeRemoteCommand(kRemoteCommandTag, bytes.data(), bytes.size() * 2, &back));
    EXPECT_EQ(ParsedCommand::kApply, back.kind);
    EXPECT_EQ(L"\u8d64", back.name);
    bytes = EncodeRemoteCommand(Parse({L"/next"}));
    ASSERT_TRUE(DecodeRemoteCommand(kRemoteCommandTag, bytes.data(), bytes.size() * 2, &back));
    EXPECT_EQ(ParsedCommand::kNext, back.kind);

    // From another process anything may come.
    const wchar_t unterminated[] = {L'n', L'e', L'x', L't'};
    const wchar_t unknown[] = L"format\0C:\\";
    const wchar_t missing[] = L"apply";
    const wchar_t next[] = L"next";
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag, unterminated, sizeof(unterminated), &back));
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag, unknown, sizeof(unknown), &back));
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag, missing, sizeof(missing), &back));
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag + 1, next, sizeof(next), &back)) << "another tag";
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag, next, sizeof(next) - 1, &back)) << "odd size";
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag, nullptr, 10, &back));
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag, next, 0, &back));
    std::vector<wchar_t> many;
    for (size_t i = 0; i < kRemoteCommandMaxArguments + 5; ++i) many.insert(many.end(), {L'a', L'\0'});
    many.insert(many.begin(), {L'a', L'd', L'd', L'\0'});
    EXPECT_FALSE(DecodeRemoteCommand(kRemoteCommandTag, many.data(), many.size() * 2, &back)) << "too many files";
    EXPECT_TRUE(EncodeRemoteCommand(Parse({L"/bad"})).empty());
}

TEST(RemoteCommandTest, TheStartTurnIsOneCommandsAtATimeAndFreeAgainWhenItsOwnerEnds) {
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, L"Local\\VandrelSoftware.Tavrin.TestStarting"));
    ASSERT_TRUE(mutex);
    {
        MutexOwnership turn(mutex.get(), 1000);
        ASSERT_TRUE(turn.owned());
        EXPECT_FALSE(OtherThreadGetsTurn(mutex.get(), 50)) << "the second command waits, for a bounded time";
    }
    EXPECT_TRUE(OtherThreadGetsTurn(mutex.get(), 0)) << "given back at the end of the turn";

    // A command that ended (or was ended) during its turn, without giving it back.
    std::thread([&] { WaitForSingleObject(mutex.get(), 1000); }).join();
    {
        MutexOwnership turn(mutex.get(), 1000);
        EXPECT_TRUE(turn.owned()) << "an abandoned turn is taken";
    }
    EXPECT_TRUE(OtherThreadGetsTurn(mutex.get(), 0)) << "and given back";
    EXPECT_FALSE(MutexOwnership(nullptr, 0).owned());
}
