// The order of names in the grid and the folder tree: case-insensitive, punctuation before
// digits before letters, accented letters with their base letter.
#include "platform/os/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return plat::CollateNoCase(a, b) < 0;
    });
    return names;
}

TEST(NameOrder, PunctuationThenDigitsThenLettersWithAccentsBesideTheirBase) {
    // "école" (U+00E9) sorts with the e's, not after z.
    const std::vector<std::string> expected = {"_under",
                                               "~tilde",
                                               "0zero",
                                               "apple",
                                               "eagle",
                                               "\xC3\xA9"
                                               "cole",
                                               "fig",
                                               "zebra"};
    EXPECT_EQ(Sorted({"zebra",
                      "\xC3\xA9"
                      "cole",
                      "fig", "~tilde", "apple", "0zero", "eagle", "_under"}),
              expected);
    EXPECT_EQ(Sorted({"eagle", "fig", "_under", "zebra", "~tilde", "0zero", "apple",
                      "\xC3\xA9"
                      "cole"}),
              expected);
}

TEST(NameOrder, CaseNeverCounts) {
    // Code-point order would put every capital before every small letter.
    EXPECT_LT(plat::CollateNoCase("apple.jpg", "Banana.jpg"), 0);
    EXPECT_GT(plat::CollateNoCase("Banana.jpg", "apple.jpg"), 0);
    EXPECT_LT(plat::CollateNoCase("Zoo", "zoom"), 0);
    EXPECT_GT(plat::CollateNoCase("b", "A"), 0);
    EXPECT_EQ(plat::CollateNoCase("IMG_0001.JPG", "img_0001.jpg"), 0);
    EXPECT_EQ(plat::CollateNoCase("\xC3\x89"
                                  "COLE",
                                  "\xC3\xA9"
                                  "cole"),
              0);  // ÉCOLE and école
    EXPECT_EQ(Sorted({"b.jpg", "C.jpg", "a.jpg", "D.jpg", "B2.jpg"}),
              (std::vector<std::string>{"a.jpg", "b.jpg", "B2.jpg", "C.jpg", "D.jpg"}));
}

TEST(NameOrder, AccentsAndSeparatorsOnlyBreakTies) {
    // e before é before f; the accent decides only between otherwise equal names.
    EXPECT_LT(plat::CollateNoCase("e", "\xC3\xA9"), 0);
    EXPECT_LT(plat::CollateNoCase("\xC3\xA9", "f"), 0);
    EXPECT_LT(plat::CollateNoCase("\xC3\xA9"
                                  "a",
                                  "eb"),
              0);
    // Ligatures are spelled out: "æ" sorts as "ae", "ß" as "ss".
    EXPECT_LT(plat::CollateNoCase("ad", "\xC3\xA6"), 0);
    EXPECT_LT(plat::CollateNoCase("\xC3\xA6", "af"), 0);
    EXPECT_LT(plat::CollateNoCase("stra\xC3\x9F"
                                  "e",
                                  "strasz"),
              0);
    // Hyphens and apostrophes are left out first: "co-op" sorts beside "coop", after it.
    EXPECT_LT(plat::CollateNoCase("coop", "co-op"), 0);
    EXPECT_LT(plat::CollateNoCase("co-op", "cop"), 0);
    EXPECT_LT(plat::CollateNoCase("its", "it's"), 0);
    // A shorter name that is the start of a longer one comes first.
    EXPECT_LT(plat::CollateNoCase("pic", "pic1"), 0);
    EXPECT_LT(plat::CollateNoCase("", "a"), 0);
}

}  // namespace
