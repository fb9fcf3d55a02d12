// The registry file: REGEDIT4 text read into keys and written back.
#include <cstdio>
#include <string_view>

#include "platform/os/registry_table.h"
#include "platform/os/text.h"

namespace plat {
namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER";

void AppendQuoted(std::string* out, std::string_view s) {
    *out += '"';
    for (const char c : s) {
        switch (c) {
            case '\\':
                *out += "\\\\";
                break;
            case '"':
                *out += "\\\"";
                break;
            case '\n':
                *out += "\\n";
                break;
            case '\r':
                *out += "\\r";
                break;
            default:
                *out += c;
        }
    }
    *out += '"';
}

// Reads a quoted string starting at line[*pos] == '"'; leaves *pos after the closing quote.
// An unknown escape is kept as written, as regedit does.
bool ReadQuoted(std::string_view line, size_t* pos, std::string* out) {
    out->clear();
    size_t i = *pos + 1;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < line.size()) {
            const char e = line[i + 1];
            if (e == '\\' || e == '"') {
                *out += e;
            } else if (e == 'n') {
                *out += '\n';
            } else if (e == 'r') {
                *out += '\r';
            } else {
                *out += c;
                *out += e;
            }
            i += 2;
            continue;
        }
        *out += c;
        ++i;
    }
    return false;  // no closing quote: a cut line
}

void SkipBlanks(std::string_view line, size_t* pos) {
    while (*pos < line.size() && (line[*pos] == ' ' || line[*pos] == '\t')) {
        ++*pos;
    }
}

bool OnlyBlanksFrom(std::string_view line, size_t pos) {
    SkipBlanks(line, &pos);
    return pos == line.size();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

enum class LineKind { kValue, kForeign, kBad };

// Parses `"name"=...` or `@=...`. A foreign value type (hex:, hex(2):...) is reported so that
// its continuation lines can be skipped.
LineKind ParseValueLine(std::string_view line, bool terminated, RegistryValue* value) {
    size_t pos = 0;
    if (line[0] == '@') {
        value->name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, &pos, &value->name) || !ValidRegistryName(value->name)) {
        return LineKind::kBad;
    }
    SkipBlanks(line, &pos);
    if (pos >= line.size() || line[pos] != '=') {
        return LineKind::kBad;
    }
    ++pos;
    SkipBlanks(line, &pos);
    if (pos < line.size() && line[pos] == '"') {
        if (!ReadQuoted(line, &pos, &value->text) || !OnlyBlanksFrom(line, pos) ||
            !ValidRegistryText(value->text)) {
            return LineKind::kBad;
        }
        value->isDword = false;
        return LineKind::kValue;
    }
    constexpr std::string_view kDword = "dword:";
    if (line.size() - pos >= kDword.size() &&
        EqualsNoCase(line.substr(pos, kDword.size()), kDword)) {
        pos += kDword.size();
        uint32_t v = 0;
        size_t digits = 0;
        for (int d; pos < line.size() && (d = HexDigit(line[pos])) >= 0; ++pos, ++digits) {
            v = (v << 4) | static_cast<uint32_t>(d);
            if (digits == 8) {
                return LineKind::kBad;
            }
        }
        // Hand-written files may use fewer digits, but an unterminated last line with fewer
        // than eight was probably cut short.
        if (digits == 0 || (!terminated && digits != 8) || !OnlyBlanksFrom(line, pos)) {
            return LineKind::kBad;
        }
        value->isDword = true;
        value->dword = v;
        value->text.clear();
        return LineKind::kValue;
    }
    return LineKind::kForeign;
}

// Text of the file as UTF-8: a UTF-16LE file (as written by newer regedit versions) is
// converted; a UTF-8 byte-order mark is dropped.
std::string AsUtf8(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        return FromUtf16(units);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return bytes.substr(3);
    }
    return bytes;
}

}  // namespace

bool NormalizeKeyPath(std::string_view in, std::string* out) {
    while (!in.empty() && in.front() == '\\') {
        in.remove_prefix(1);
    }
    while (!in.empty() && in.back() == '\\') {
        in.remove_suffix(1);
    }
    if (in.empty() || in.find("\\\\") != std::string_view::npos) {
        return false;
    }
    for (const char c : in) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    out->assign(in);
    return true;
}

bool ValidRegistryName(std::string_view name) {
    return name.find('\0') == std::string_view::npos;
}

bool ValidRegistryText(std::string_view text) {
    return text.find('\0') == std::string_view::npos;
}

std::vector<RegistryKey> ParseRegistryText(const std::string& bytes) {
    RegistryTable table;
    ParseRegistryInto(bytes, &table);
    return std::move(table.keys);
}

void ParseRegistryInto(const std::string& bytes, RegistryTable* table) {
    const std::string text = AsUtf8(bytes);
    table->Reserve(text.size() / 128);
    constexpr size_t kNone = static_cast<size_t>(-1);
    size_t current = kNone;  // index of the open section; kNone outside any
    bool foreignSection = false;
    size_t continuedValue = kNone;  // a kept value whose line ended in "\"
    auto keep = [&](RegistryValue value) {
        RegistryKey& key = table->keys[current];
        table->Put(key, std::move(value));
    };
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated) {
            end = text.size();
        }
        const std::string_view rawLine(text.data() + start, end - start);
        std::string_view line = rawLine;
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const bool endsWithBackslash = !line.empty() && line.back() == '\\';
        if (continuedValue != kNone && line.find_first_not_of(" \t") == std::string_view::npos) {
            continuedValue = kNone;  // a blank line ends a value's continuation lines
            continue;
        }
        if (continuedValue != kNone) {
            RegistryValue& v = table->keys[current].values[continuedValue];
            v.raw += '\n';
            v.raw += rawLine;
            if (!endsWithBackslash) {
                continuedValue = kNone;
            }
            continue;
        }
        size_t lead = 0;
        SkipBlanks(line, &lead);
        line.remove_prefix(lead);
        if (line.empty()) {
            continue;
        }
        // Lines kept as written; an unterminated last line was probably cut short: dropped.
        auto keepAsWritten = [&]() {
            if (terminated) {
                keep(RegistryValue{{}, false, 0, {}, std::string(rawLine), false});
            }
        };
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            if (close == std::string_view::npos || !OnlyBlanksFrom(line, close + 1)) {
                if (current != kNone) {
                    keepAsWritten();
                }
                continue;
            }
            const std::string_view inner = line.substr(1, close - 1);
            std::string path;
            if (inner.size() > kHive.size() && inner[kHive.size()] == '\\' &&
                EqualsNoCase(inner.substr(0, kHive.size()), kHive) &&
                NormalizeKeyPath(inner.substr(kHive.size() + 1), &path)) {
                current = static_cast<size_t>(&table->Get(path) - table->keys.data());
                foreignSection = false;
            } else {
                table->AddForeignSection(std::string(rawLine));
                current = table->keys.size() - 1;
                foreignSection = true;
            }
            continue;
        }
        if (current == kNone) {
            continue;  // before the first section: the REGEDIT4 line and stray text
        }
        if (foreignSection || (line[0] != '"' && line[0] != '@')) {
            keepAsWritten();
            continue;
        }
        RegistryValue value;
        const LineKind kind = ParseValueLine(line, terminated, &value);
        if (kind == LineKind::kValue) {
            keep(std::move(value));
        } else if (kind == LineKind::kForeign && terminated) {
            value.raw = std::string(rawLine);
            const std::string name = value.name;
            keep(std::move(value));
            if (endsWithBackslash) {
                // Put appends or replaces in place; find where the value now is.
                RegistryKey& key = table->keys[current];
                continuedValue =
                    static_cast<size_t>(table->FindValue(key, name) - key.values.data());
            }
        } else if (kind == LineKind::kBad) {
            keepAsWritten();
        }
    }
}

std::string SerializeRegistry(const std::vector<RegistryKey>& keys) {
    std::string out = "REGEDIT4\n";
    for (const RegistryKey& key : keys) {
        out += '\n';
        if (!key.rawHeader.empty()) {
            out += key.rawHeader;
            out += '\n';
        } else {
            out += '[';
            out += kHive;
            out += '\\';
            out += key.path;
            out += "]\n";
        }
        for (const RegistryValue& v : key.values) {
            if (!v.raw.empty()) {
                out += v.raw;
                out += '\n';
                // A last line ending in "\" would take the next line as its continuation.
                std::string_view last(v.raw);
                if (!last.empty() && last.back() == '\r') {
                    last.remove_suffix(1);
                }
                if (!last.empty() && last.back() == '\\') {
                    out += '\n';
                }
                continue;
            }
            if (v.name.empty()) {
                out += '@';
            } else {
                AppendQuoted(&out, v.name);
            }
            out += '=';
            if (v.isDword) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "dword:%08x", v.dword);
                out += hex;
            } else {
                AppendQuoted(&out, v.text);
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace plat
