#include "platform/os/text.h"

#include <cstdio>

namespace plat {

namespace {

// Decodes the code point starting at s[i] strictly: overlong forms, surrogates, values past
// U+10FFFF, stray continuation bytes and cut sequences are invalid. Returns the number of
// bytes taken (one for an invalid byte, which decodes as U+FFFD).
size_t DecodeOne(std::string_view s, size_t i, char32_t* cp) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    size_t extra = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        extra = 1;
        value = c & 0x1F;
        minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        value = c & 0x0F;
        minimum = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        extra = 3;
        value = c & 0x07;
        minimum = 0x10000;
    } else {
        *cp = 0xFFFD;
        return 1;
    }
    if (i + extra >= s.size()) {
        *cp = 0xFFFD;
        return 1;
    }
    for (size_t k = 1; k <= extra; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
            *cp = 0xFFFD;
            return 1;
        }
        value = (value << 6) | (cc & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) {
        *cp = 0xFFFD;
        return 1;
    }
    *cp = value;
    return 1 + extra;
}

}  // namespace

std::vector<char32_t> DecodeUtf8(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t cp = 0;
        i += DecodeOne(s, i, &cp);
        out.push_back(cp);
    }
    return out;
}

std::string ValidUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t cp = 0;
        const size_t n = DecodeOne(s, i, &cp);
        if (cp == 0xFFFD && n == 1) {
            AppendUtf8(&out, cp);
        } else {
            out.append(s.substr(i, n));
        }
        i += n;
    }
    return out;
}

void AppendUtf8(std::string* out, char32_t cp) {
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (cp >> 18));
        *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string EncodeUtf8(const std::u32string& cps) {
    std::string out;
    for (char32_t cp : cps) {
        AppendUtf8(&out, cp);
    }
    return out;
}

int Utf16Length(std::string_view utf8) {
    int n = 0;
    for (char32_t cp : DecodeUtf8(utf8)) {
        n += cp >= 0x10000 ? 2 : 1;
    }
    return n;
}

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (char32_t cp : DecodeUtf8(utf8)) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string FromUtf16(std::u16string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        AppendUtf8(&out, cp);
    }
    return out;
}

std::vector<size_t> CodePointOffsets(std::string_view s) {
    std::vector<size_t> offsets;
    size_t i = 0;
    while (i < s.size()) {
        offsets.push_back(i);
        char32_t cp = 0;
        i += DecodeOne(s, i, &cp);
    }
    offsets.push_back(s.size());
    return offsets;
}

char32_t FoldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c < 0x80)
        return c;
    // Latin-1 supplement (except the multiplication sign).
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    // Latin Extended-A: pairs of upper/lower case.
    if (c >= 0x100 && c <= 0x17F) {
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
            return (c % 2 == 1) ? c + 1 : c;
        }
        if (c == 0x178)
            return 0xFF;
        return (c % 2 == 0) ? c + 1 : c;
    }
    // Greek.
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 32;
    // Cyrillic.
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::vector<char32_t> x = DecodeUtf8(a);
    const std::vector<char32_t> y = DecodeUtf8(b);
    const size_t n = x.size() < y.size() ? x.size() : y.size();
    for (size_t i = 0; i < n; ++i) {
        const char32_t p = FoldCase(x[i]);
        const char32_t q = FoldCase(y[i]);
        if (p != q) {
            return p < q ? -1 : 1;
        }
    }
    if (x.size() == y.size())
        return 0;
    return x.size() < y.size() ? -1 : 1;
}

std::string FoldUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (static_cast<unsigned char>(c) < 0x80) {  // the common case, without decoding
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t n = DecodeOne(s, i, &cp);
        if (cp == 0xFFFD && n == 1) {
            out += s[i];  // an invalid byte stays itself, so different bytes stay different
        } else {
            AppendUtf8(&out, FoldCase(cp));
        }
        i += n;
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    // ASCII texts compare without building folded copies.
    size_t i = 0;
    for (; i < a.size() && i < b.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            break;
        }
        const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(x) != lower(y)) {
            return false;
        }
    }
    if (i == a.size() && i == b.size()) {
        return true;
    }
    return FoldUtf8(a.substr(i)) == FoldUtf8(b.substr(i));
}

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        ++i;
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        bool zero = false;
        int width = 0;
        if (format[i] == '0') {
            zero = true;
            ++i;
        }
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            width = width * 10 + (format[i] - '0');
            ++i;
        }
        while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) {
            ++i;
        }
        if (i >= format.size()) {
            break;
        }
        const char conv = format[i];
        std::string piece = "?";
        if (next != args.end()) {
            const FormatArg& arg = *next++;
            char buf[64];
            if ((conv == 's' || conv == 'S') && arg.IsText()) {
                piece = arg.Text();
            } else if ((conv == 'd' || conv == 'i') && !arg.IsText()) {
                std::snprintf(buf, sizeof buf, "%lld", arg.Number());
                piece = buf;
            } else if (conv == 'u' && !arg.IsText()) {
                std::snprintf(buf, sizeof buf, "%llu",
                              static_cast<unsigned long long>(arg.Number()));
                piece = buf;
            } else if ((conv == 'x' || conv == 'X') && !arg.IsText()) {
                std::snprintf(buf, sizeof buf, conv == 'x' ? "%llx" : "%llX",
                              static_cast<unsigned long long>(arg.Number()));
                piece = buf;
            }
        }
        const int len = Utf16Length(piece);
        if (len < width) {
            piece.insert(0, static_cast<size_t>(width - len), zero ? '0' : ' ');
        }
        out += piece;
    }
    return out;
}

}  // namespace plat
