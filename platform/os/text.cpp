#include "platform/os/text.h"

#include <cstdio>

namespace plat {

std::vector<char32_t> DecodeUtf8(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (i + extra >= s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += 1 + extra;
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
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80             ? 1
                     : (c & 0xE0) == 0xC0 ? 2
                     : (c & 0xF0) == 0xE0 ? 3
                     : (c & 0xF8) == 0xF0 ? 4
                                          : 1;
        size_t k = 1;
        while (k < len && i + k < s.size() &&
               (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80) {
            ++k;
        }
        i += k;
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

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return CompareNoCase(a, b) == 0;
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
