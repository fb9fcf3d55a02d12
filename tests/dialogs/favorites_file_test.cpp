// The favourites file: its exact bytes, damaged files, and many favourites.
#include <gtest/gtest.h>

#include "dialogs/favorites.h"
#include "dialogs/info_dialogs.h"

namespace {

std::string Utf16z(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    out += std::string(2, '\0');
    return out;
}

std::string Header(unsigned count) {
    std::string h(
        "A\0F\0"
        "0\0\0\0",
        8);
    h += static_cast<char>(count & 0xFF);
    h += static_cast<char>(count >> 8);
    h += std::string(32, '\0');
    return h;
}

std::string Record(const std::string& name, const std::string& folder) {
    std::string r;
    const std::string n = Utf16z(name);
    const std::string f = Utf16z(folder);
    r += static_cast<char>(n.size());
    r += '\0';
    r += n;
    r += static_cast<char>(f.size());
    r += '\0';
    r += f;
    return r;
}

}  // namespace

TEST(FavoritesFile, OneFavoriteIsTheSixtyEightByteExample) {
    const std::string bytes = FavoritesStore::Serialize({{"Pics", "\\Pics"}});
    ASSERT_EQ(bytes.size(), 68u);
    std::string expected = Header(1);
    expected += std::string("\x0A\x00", 2) + Utf16z("Pics");
    expected += std::string("\x0C\x00", 2) + Utf16z("\\Pics");
    EXPECT_EQ(bytes, expected);
    const auto back = FavoritesStore::Parse(bytes);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, "Pics");
    EXPECT_EQ(back[0].folder, "\\Pics");
}

TEST(FavoritesFile, EmptyListIsTheBareHeader) {
    EXPECT_EQ(FavoritesStore::Serialize({}), Header(0));
    EXPECT_TRUE(FavoritesStore::Parse(Header(0)).empty());
}

// Damaged files keep the whole records before the damage.
TEST(FavoritesFile, DamagedFilesKeepTheWholeRecordsBeforeTheDamage) {
    const std::string one = Record("One", "\\One");
    const std::string good = one + Record("Two", "\\Two");
    std::string wrongSignature = Header(1) + Record("a", "\\a");
    wrongSignature[4] = '1';  // "AF1"
    std::string cut = Header(2) + good;
    cut.resize(cut.size() - 3);
    const struct {
        const char* what;
        std::string bytes;
        size_t count;
    } cases[] = {
        {"wrong signature", wrongSignature, 0},
        {"short header", Header(1).substr(0, 41), 0},
        {"count larger than the records", Header(9) + good, 2},
        {"last record cut in its folder", cut, 1},
        {"cut inside a length field", Header(2) + one + "\x08", 1},
        // Name fields hold at most 256 bytes, folder fields 520.
        {"name too long",
         Header(2) + one + "\2\1" + std::string(258, 'x') + Record("", "\\x").substr(2), 1},
        {"folder too long", Header(1) + std::string("\2\0a\0\n\2", 6) + std::string(522, 'y'), 0},
        {"odd length", Header(1) + std::string("\3\0abc", 5), 0},
    };
    for (const auto& c : cases) {
        const auto parsed = FavoritesStore::Parse(c.bytes);
        EXPECT_EQ(parsed.size(), c.count) << c.what;
        EXPECT_EQ(parsed.empty() ? "One" : parsed[0].name, "One") << c.what;
    }
}

TEST(FavoritesFile, FieldsAtTheirLimitsAreRead) {
    const std::string name(127, 'n');
    const std::string folder = "\\" + std::string(258, 'f');
    const auto back = FavoritesStore::Parse(FavoritesStore::Serialize({{name, folder}}));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, name);
    EXPECT_EQ(back[0].folder, folder);
}

TEST(FavoritesFile, HundredAndOneFavoritesRoundTripInOrder) {
    std::vector<Favorite> many;
    for (int i = 0; i < 101; ++i)
        many.push_back({"Fav " + std::to_string(i), "\\F" + std::to_string(i)});
    const auto back = FavoritesStore::Parse(FavoritesStore::Serialize(many));
    ASSERT_EQ(back.size(), 101u);
    EXPECT_EQ(back[100].name, "Fav 100");
    EXPECT_EQ(back[57].folder, "\\F57");
}

TEST(FavoritesStoreTest, AddKeepsNamesToWhatTheFileHoldsAndInsertsInPlace) {
    FavoritesStore store;
    store.Add(-1, std::string(200, 'a'), "\\A");
    EXPECT_EQ(store.Get(0)->name.size(), 127u);
    // A character outside the basic plane counts two units and is never split.
    store.Add(0, std::string(126, 'b') + "\xF0\x9F\x93\xB7", "\\B");
    EXPECT_EQ(store.Get(0)->name, std::string(126, 'b'));
    store.Add(1, "", "\\C");
    EXPECT_EQ(store.Count(), 3);
    EXPECT_EQ(store.Get(1)->folder, "\\C");
    EXPECT_EQ(store.Get(2)->folder, "\\A");
    EXPECT_EQ(store.Get(3), nullptr);
    store.modified = true;
    store.Clear();
    EXPECT_EQ(store.Count(), 0);
    EXPECT_FALSE(store.modified);
}

TEST(FavoritesMenuText, AccessKeysFiveToNineThenBareNames) {
    EXPECT_EQ(FavoriteMenuText(0, "Pics"), "&5 Pics");
    EXPECT_EQ(FavoriteMenuText(4, "Pics"), "&9 Pics");
    EXPECT_EQ(FavoriteMenuText(5, "Pics"), "Pics");
}

TEST(NumberFormat, ThousandsAndDecimals) {
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(1000000), "1,000,000");
    // Beyond 32 bits the groups go on.
    EXPECT_EQ(FormatThousands(68719476736LL), "68,719,476,736");
    EXPECT_EQ(FormatThousands(-1234), "-1,234");
    EXPECT_EQ(FormatDecimal(1234.5, 2), "1,234.50");
    EXPECT_EQ(FormatDecimal(0.04, 1), "0.0");
    EXPECT_EQ(FormatDecimal(1023.999, 2), "1,024.00");
    EXPECT_EQ(FormatDecimal(1.23456, 3), "1.235");
    EXPECT_EQ(FormatDecimal(2.25, 7), "2.3");  // other counts mean one decimal
    EXPECT_EQ(FormatDecimal(1048576 / 1024.0, 2), "1,024.00");
    EXPECT_EQ(FormatDecimal(500 / 1024.0, 2), "0.49");
}

TEST(NumberFormat, MegabytesAndBars) {
    EXPECT_EQ(FormatMegabytes(33554432), "32.0MB");
    EXPECT_EQ(FormatMegabytes(8388608), "8.0MB");
    EXPECT_EQ(FormatMegabytes(0), "0.0MB");
    // 64-bit figures: sixteen gigabytes are not 0 MB.
    EXPECT_EQ(FormatMegabytes(16ull << 30), "16.0GB");
    EXPECT_EQ(FreeBarWidth(100, 8388608, 33554432), 25);
    EXPECT_EQ(FreeBarWidth(71, 1, 3), 23);
    EXPECT_EQ(FreeBarWidth(71, 5, 0), 0);
    EXPECT_EQ(FreeBarWidth(71, (40ull << 30), (64ull << 30)), 44);
}
