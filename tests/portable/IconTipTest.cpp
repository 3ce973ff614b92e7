#include <gtest/gtest.h>

#include "app/IconTip.h"
#include "util/PathPieces.h"

namespace {
// Code page 932 bytes, written out: the native compilers keep UTF-8.
const std::string kSunset = "\x97\x5b\x8f\xc4\x82\xaf";  // 夕焼け
const std::string kSea = "\x8a\x43";                     // 海
const std::string kTable = "\x95\x5c";                   // 表: its second byte is the backslash
const std::string kEllipsis = "\x81\x63";                // …

// Whether `text` ends on a whole character (no lead byte left alone).
bool EndsWhole(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) i += IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == text.size();
}
}  // namespace

TEST(IconTip, NamesTheWallpapersShownWithinTheTipsLength) {
    // Nothing selected, or nothing with a name: the product alone.
    EXPECT_EQ("Tavrin", IconTipText({}));
    EXPECT_EQ("Tavrin", IconTipText({"", ""}));
    EXPECT_EQ("Tavrin - " + kSunset, IconTipText({kSunset}));
    // One name per monitor; a monitor showing nothing is left out.
    EXPECT_EQ("Tavrin - " + kSunset + " / " + kSea, IconTipText({kSunset, "", kSea}));

    // Too long: as much as fits in whole characters, then "…", never over the limit.
    std::string names;
    for (int i = 0; i < 40; ++i) names += kTable;
    for (size_t limit : {kIconTipBytes, size_t{20}}) {
        for (const std::string& prefix : {std::string(), std::string("a")}) {
            SCOPED_TRACE(std::to_string(limit) + prefix);
            const std::string tip = IconTipText({prefix + names}, limit);
            EXPECT_LE(tip.size(), limit);
            EXPECT_GE(tip.size() + 1, limit);
            EXPECT_TRUE(EndsWhole(tip));
            EXPECT_EQ(kEllipsis, tip.substr(tip.size() - 2));
            EXPECT_EQ(0u, tip.rfind("Tavrin - " + prefix + kTable + kTable, 0));
        }
    }
    const std::string both = IconTipText({kSunset, names});
    EXPECT_EQ(0u, both.rfind("Tavrin - " + kSunset + " / " + kTable, 0));
    EXPECT_LE(both.size(), kIconTipBytes);
    // Limits below the ellipsis still give whole characters.
    EXPECT_EQ(kEllipsis, IconTipText({"x"}, 2));
    EXPECT_EQ("T", IconTipText({"x"}, 1));
}
