#include "platform/os/collation.h"

#include <cstdint>
#include <vector>

#include "platform/os/text.h"

namespace plat {

namespace {

// Primary weights, in the order the groups sort.
constexpr uint32_t kControlWeight = 1;
constexpr uint32_t kAsciiSymbolBase = 0x100;
constexpr uint32_t kOtherSymbolBase = 0x1000;  // + the code point
constexpr uint32_t kDigitBase = 0x200000;
constexpr uint32_t kLatinBase = 0x300000;
constexpr uint32_t kOtherLetterBase = 0x400000;  // + the folded code point

// ASCII punctuation and symbols in sorting order (hyphen and apostrophe are ignored).
constexpr std::string_view kAsciiSymbols = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

// Base letters of U+00C0..U+00FF and U+0100..U+017F: '*' spells out a ligature (below),
// '#' is a symbol (the multiplication and division signs).
constexpr std::string_view kLatin1Letters =
    "aaaaaa*ceeeeiiiidnooooo#ouuuuy**aaaaaa*ceeeeiiiidnooooo#ouuuuy*y";
constexpr std::string_view kLatinExtendedLetters =
    "aaaaaacc"
    "ccccccdd"
    "ddeeeeee"
    "eeeegggg"
    "gggghhhh"
    "iiiiiiii"
    "ii**jjkk"
    "klllllll"
    "lllnnnnn"
    "nnnnoooo"
    "oo**rrrr"
    "rrssssss"
    "sstttttt"
    "uuuuuuuu"
    "uuuuwwyy"
    "yzzzzzzs";

const char* Ligature(char32_t cp) {
    switch (cp) {
        case 0xC6:
        case 0xE6:
            return "ae";
        case 0xDE:
        case 0xFE:
            return "th";
        case 0xDF:
            return "ss";
        case 0x132:
        case 0x133:
            return "ij";
        case 0x152:
        case 0x153:
            return "oe";
        default:
            return nullptr;
    }
}

bool IsIgnored(char32_t cp) {
    return cp == '-' || cp == '\'' || cp == 0xAD;
}

bool IsCombiningMark(char32_t cp) {
    return cp >= 0x300 && cp <= 0x36F;
}

bool IsSymbol(char32_t cp) {
    return (cp >= 0x80 && cp <= 0xBF) || cp == 0xD7 || cp == 0xF7 ||
           (cp >= 0x2000 && cp <= 0x2BFF) || (cp >= 0x3000 && cp <= 0x303F) || cp == 0xFFFD;
}

// The sort key of a name: what the first comparison sees, then the tie breakers.
struct SortKey {
    std::vector<uint32_t> primary;
    std::vector<uint32_t> accents;  // one per primary weight; 0 for a plain letter
    std::vector<uint32_t> ignored;  // hyphens and apostrophes with their positions
};

void AddLetter(SortKey* key, char base, uint32_t accent) {
    key->primary.push_back(kLatinBase + static_cast<uint32_t>(base - 'a'));
    key->accents.push_back(accent);
}

void AddCodePoint(SortKey* key, char32_t cp) {
    if (IsIgnored(cp)) {
        key->ignored.push_back((static_cast<uint32_t>(key->primary.size()) << 8) |
                               static_cast<uint32_t>(cp & 0xFF));
        return;
    }
    if (IsCombiningMark(cp)) {
        if (!key->accents.empty()) {
            key->accents.back() += static_cast<uint32_t>(cp);
        }
        return;
    }
    const char32_t folded = FoldCase(cp);
    if (folded >= 'a' && folded <= 'z') {
        AddLetter(key, static_cast<char>(folded), 0);
        return;
    }
    if (cp >= '0' && cp <= '9') {
        key->primary.push_back(kDigitBase + static_cast<uint32_t>(cp - '0'));
        key->accents.push_back(0);
        return;
    }
    if (cp < 0x20 || cp == 0x7F) {
        key->primary.push_back(kControlWeight);
        key->accents.push_back(0);
        return;
    }
    if (cp < 0x80) {
        const size_t at = kAsciiSymbols.find(static_cast<char>(cp));
        key->primary.push_back(kAsciiSymbolBase + static_cast<uint32_t>(at));
        key->accents.push_back(0);
        return;
    }
    char base = 0;
    if (cp >= 0xC0 && cp <= 0xFF) {
        base = kLatin1Letters[cp - 0xC0];
    } else if (cp >= 0x100 && cp <= 0x17F) {
        base = kLatinExtendedLetters[cp - 0x100];
    }
    if (base == '*') {
        for (const char* p = Ligature(cp); *p; ++p) {
            AddLetter(key, *p, static_cast<uint32_t>(folded));
        }
        return;
    }
    if (base >= 'a' && base <= 'z') {
        AddLetter(key, base, static_cast<uint32_t>(folded));
        return;
    }
    if (base == '#' || IsSymbol(cp)) {
        key->primary.push_back(kOtherSymbolBase + static_cast<uint32_t>(cp));
    } else {
        key->primary.push_back(kOtherLetterBase + static_cast<uint32_t>(folded));
    }
    key->accents.push_back(0);
}

SortKey MakeKey(std::string_view name) {
    SortKey key;
    for (char32_t cp : DecodeUtf8(name)) {
        AddCodePoint(&key, cp);
    }
    return key;
}

int Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a < b) {
        return -1;
    }
    return b < a ? 1 : 0;
}

// Primary weights of the ASCII characters, 0 for the ignored ones.
struct AsciiWeights {
    uint32_t weight[128] = {};
    AsciiWeights() {
        for (char32_t c = 0; c < 128; ++c) {
            SortKey key;
            AddCodePoint(&key, c);
            weight[c] = key.primary.empty() ? 0 : key.primary.front();
        }
    }
};

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The first comparison of two ASCII names without building their keys (long folders are
// sorted with many comparisons). 0 when they weigh the same, so the tie breakers decide.
int ComparePrimaryAscii(std::string_view a, std::string_view b) {
    static const AsciiWeights table;
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && table.weight[static_cast<unsigned char>(a[i])] == 0) {
            ++i;
        }
        while (j < b.size() && table.weight[static_cast<unsigned char>(b[j])] == 0) {
            ++j;
        }
        if (i == a.size() || j == b.size()) {
            return i == a.size() ? (j == b.size() ? 0 : -1) : 1;
        }
        const uint32_t x = table.weight[static_cast<unsigned char>(a[i++])];
        const uint32_t y = table.weight[static_cast<unsigned char>(b[j++])];
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
}

}  // namespace

int CollateNoCase(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) {
        if (const int c = ComparePrimaryAscii(a, b)) {
            return c;
        }
    }
    const SortKey x = MakeKey(a);
    const SortKey y = MakeKey(b);
    if (const int c = Compare(x.primary, y.primary)) {
        return c;
    }
    if (const int c = Compare(x.accents, y.accents)) {
        return c;
    }
    return Compare(x.ignored, y.ignored);
}

}  // namespace plat
