#include <gtest/gtest.h>

#include "plugin/ArchiveMemberPath.h"

TEST(ArchiveMemberPath, SplitsAtTheFirstBar) {
    ArchiveMemberPath p = SplitArchiveMemberPath("C:\\a\\pics.lzh|dir/x.jpg|more");
    EXPECT_TRUE(p.hasBar);
    EXPECT_EQ("C:\\a\\pics.lzh", p.archive);
    EXPECT_EQ("dir/x.jpg|more", p.member);
}

TEST(ArchiveMemberPath, NoBarOrEmptyMember) {
    ArchiveMemberPath whole = SplitArchiveMemberPath("C:\\a\\pics.lzh");
    EXPECT_FALSE(whole.hasBar);
    EXPECT_EQ("C:\\a\\pics.lzh", whole.archive);
    EXPECT_EQ("", whole.member);
    ArchiveMemberPath trailing = SplitArchiveMemberPath("C:\\a\\pics.lzh|");
    EXPECT_TRUE(trailing.hasBar);
    EXPECT_EQ("", trailing.member);
    EXPECT_EQ("", SplitArchiveMemberPath("").archive);
}

TEST(ArchiveMemberPath, SecondByteOfADoubleByteCharacterIsNoBar) {
    // "ポ" is 0x83 0x7C in code page 932; 0x7C is the bar's byte.
    const std::string po = "\x83\x7C";
    ArchiveMemberPath p = SplitArchiveMemberPath("C:\\" + po + ".lzh|" + po + ".jpg");
    EXPECT_EQ("C:\\" + po + ".lzh", p.archive);
    EXPECT_EQ(po + ".jpg", p.member);
    EXPECT_FALSE(SplitArchiveMemberPath("C:\\" + po).hasBar);
}

TEST(ArchiveMemberPath, MakeJoinsWithABar) {
    EXPECT_EQ("C:\\p.lzh|d/x.jpg", MakeArchiveMemberPath("C:\\p.lzh", "d/x.jpg"));
    ArchiveMemberPath back = SplitArchiveMemberPath(MakeArchiveMemberPath("C:\\p.lzh", "d/x.jpg"));
    EXPECT_EQ("C:\\p.lzh", back.archive);
    EXPECT_EQ("d/x.jpg", back.member);
}
