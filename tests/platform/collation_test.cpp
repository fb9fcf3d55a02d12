// The order of names in the grid and the folder tree: case-insensitive, punctuation before
// digits before letters, accented letters with their base letter.
#include "platform/os/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

Strings Sorted(Strings names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return plat::CollateNoCase(a, b) < 0;
    });
    return names;
}

int Sign(int n) {
    return (n > 0) - (n < 0);
}

TEST(NameOrder, PunctuationThenDigitsThenLettersWithAccentsBesideTheirBase) {
    // "école" sorts with the e's, not after z.
    const Strings expected = {"_under", "~tilde",     "0zero", "apple",
                              "eagle",  "\u00e9cole", "fig",   "zebra"};
    EXPECT_EQ(Sorted({"zebra", "\u00e9cole", "fig", "~tilde", "apple", "0zero", "eagle", "_under"}),
              expected);
    EXPECT_EQ(Sorted({"eagle", "fig", "_under", "zebra", "~tilde", "0zero", "apple", "\u00e9cole"}),
              expected);
    EXPECT_EQ(Sorted({"b.jpg", "C.jpg", "a.jpg", "D.jpg", "B2.jpg"}),
              (Strings{"a.jpg", "b.jpg", "B2.jpg", "C.jpg", "D.jpg"}));
}

TEST(NameOrder, PairsCompareWithoutCaseAndWithAccentsAndSeparatorsOnlyBreakingTies) {
    const struct {
        const char* a;
        const char* b;
        int sign;  // of comparing a with b; the other way round gives the opposite
    } pairs[] = {
        // Code-point order would put every capital before every small letter.
        {"apple.jpg", "Banana.jpg", -1},
        {"Zoo", "zoom", -1},
        {"b", "A", 1},
        {"IMG_0001.JPG", "img_0001.jpg", 0},
        {"\u00c9COLE", "\u00e9cole", 0},
        // e before é before f; the accent decides only between otherwise equal names.
        {"e", "\u00e9", -1},
        {"\u00e9", "f", -1},
        {"\u00e9a", "eb", -1},
        // Ligatures are spelled out: "æ" sorts as "ae", "ß" as "ss".
        {"ad", "\u00e6", -1},
        {"\u00e6", "af", -1},
        {"stra\u00dfe", "strasz", -1},
        // Hyphens and apostrophes are left out first: "co-op" sorts beside "coop", after it.
        {"coop", "co-op", -1},
        {"co-op", "cop", -1},
        {"its", "it's", -1},
        // A shorter name that is the start of a longer one comes first.
        {"pic", "pic1", -1},
        {"", "a", -1},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(Sign(plat::CollateNoCase(p.a, p.b)), p.sign) << p.a << " / " << p.b;
        EXPECT_EQ(Sign(plat::CollateNoCase(p.b, p.a)), -p.sign) << p.b << " / " << p.a;
    }
}

}  // namespace
