#include <gtest/gtest.h>

#include "util/Cp932Convert.h"
#include "util/PathPieces.h"

TEST(PathPieces, SplitsDriveDirectoryNameAndExtension) {
    PathParts p = SplitPath("C:\\Program Files\\Tavrin\\tavrin.exe");
    EXPECT_EQ("C:", p.drive);
    EXPECT_EQ("\\Program Files\\Tavrin\\", p.directory);
    EXPECT_EQ("tavrin", p.name);
    EXPECT_EQ(".exe", p.extension);
    EXPECT_EQ("tavrin.exe", FileNameOf("C:\\Program Files\\Tavrin\\tavrin.exe"));
    EXPECT_EQ(".lzh", ExtensionOf(".lzh"));
    EXPECT_EQ("", ExtensionOf("C:\\dir.d\\noext"));
    EXPECT_EQ(".gz", ExtensionOf("a.tar.gz"));
    EXPECT_EQ("name", FileNameOf("name"));
}

TEST(PathPieces, DoubleByteCharactersWithABackslashByteStayWhole) {
    // "表" is 95 5C and "ソ" is 83 5C: the 5C is no separator there.
    const std::string path = "C:\\\x95\x5c\\\x83\x5c\x83\x74\x83\x67.bmp";
    PathParts p = SplitPath(path);
    EXPECT_EQ("\\\x95\x5c\\", p.directory);
    EXPECT_EQ("\x83\x5c\x83\x74\x83\x67", p.name);
    EXPECT_EQ("\x83\x5c\x83\x74\x83\x67.bmp", FileNameOf(path));
    EXPECT_EQ("\x95\x5c.BMP", FileNameOf("\x95\x5c.BMP"));
}

TEST(PathPieces, LowerCaseLeavesDoubleByteCharactersAlone) {
    // "Ａ" is 82 60, and 0x82 0x41 would break if the trail byte were folded.
    EXPECT_EQ("c:\\a.bmp\x82\x60", LowerCp932("C:\\A.BMP\x82\x60"));
    EXPECT_EQ("\x83\x41", LowerCp932("\x83\x41"));  // ア: trail byte 'A' is not a letter here
}

TEST(Cp932Convert, RoundTripsJapaneseThroughUtf8) {
    std::string utf8;
    ASSERT_TRUE(Cp932ToUtf8("\x95\xc7\x8e\x86 Tavrin 2.0\x83\xc0", &utf8));
    EXPECT_EQ("\xe5\xa3\x81\xe7\xb4\x99 Tavrin 2.0\xce\xb2", utf8);  // 壁紙 ... β
    std::string back;
    ASSERT_TRUE(Utf8ToCp932(utf8, &back));
    EXPECT_EQ("\x95\xc7\x8e\x86 Tavrin 2.0\x83\xc0", back);
    EXPECT_FALSE(Utf8ToCp932("\xf0\x9f\x98\x80", &back));  // an emoji has no code page 932 form
}

TEST(PathPieces, SplitKeepsDoubleByteCharactersAndDropsEmptyPieces) {
    // "表" (95 5C) holds the backslash byte.
    std::vector<std::string> names = SplitCp932("a.spi\\\\\x95\x5c.spi\\b\\", '\\');
    ASSERT_EQ(3u, names.size());
    EXPECT_EQ("a.spi", names[0]);
    EXPECT_EQ("\x95\x5c.spi", names[1]);
    EXPECT_EQ("b", names[2]);
    std::vector<std::string> rows = SplitCp932("Bitmap|*.bmp||\x83\x7c|*.ppm", '|');
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ("*.bmp", rows[1]);
    EXPECT_EQ("\x83\x7c", rows[2]);  // "ポ": its second byte is the bar
    EXPECT_TRUE(SplitCp932("", ' ').empty());
    EXPECT_TRUE(SplitCp932("   ", ' ').empty());
    // A lead byte at the very end is kept as it is.
    EXPECT_EQ(std::vector<std::string>({"x", "\x95"}), SplitCp932("x \x95", ' '));
}
