#include "platform/os/registry.h"

#include <cstdio>
#include <string_view>

#include "platform/os/device_fs.h"
#include "platform/os/text.h"

namespace plat {
namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER";

// Strips outer separators; refuses empty paths, empty components and control characters.
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

bool ValidName(std::string_view name) {
    return name.find('\0') == std::string_view::npos;
}

bool ValidText(std::string_view text) {
    return text.find('\0') == std::string_view::npos;
}

// True when `path` names `key` itself or one of its parents.
bool IsSelfOrParent(std::string_view path, std::string_view key) {
    if (key.size() < path.size()) {
        return false;
    }
    if (key.size() > path.size() && key[path.size()] != '\\') {
        return false;
    }
    return EqualsNoCase(path, key.substr(0, path.size()));
}

template <typename Keys>
auto FindKey(Keys& keys, std::string_view path) -> decltype(&keys[0]) {
    for (auto& k : keys) {
        if (EqualsNoCase(k.path, path)) {
            return &k;
        }
    }
    return nullptr;
}

template <typename Values>
auto FindValue(Values& values, std::string_view name) -> decltype(&values[0]) {
    for (auto& v : values) {
        if (EqualsNoCase(v.name, name)) {
            return &v;
        }
    }
    return nullptr;
}

Registry::Key& KeyFor(std::vector<Registry::Key>* keys, const std::string& path) {
    if (Registry::Key* k = FindKey(*keys, path)) {
        return *k;
    }
    keys->push_back(Registry::Key{path, {}});
    return keys->back();
}

// Stores `value` under its name: replaces an existing value in place (keeping the name's
// first spelling), or appends it.
void PutValue(Registry::Key* key, Registry::Value value) {
    if (Registry::Value* old = FindValue(key->values, value.name)) {
        value.name = old->name;
        *old = std::move(value);
    } else {
        key->values.push_back(std::move(value));
    }
}

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
LineKind ParseValueLine(std::string_view line, bool terminated, Registry::Value* value) {
    size_t pos = 0;
    if (line[0] == '@') {
        value->name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, &pos, &value->name) || !ValidName(value->name)) {
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
            !ValidText(value->text)) {
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

std::vector<Registry::Key> ParseRegistryText(const std::string& bytes) {
    const std::string text = AsUtf8(bytes);
    std::vector<Registry::Key> keys;
    std::string current;  // key path of the open section; "" outside HKEY_CURRENT_USER
    bool continued = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated) {
            end = text.size();
        }
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const bool endsWithBackslash = !line.empty() && line.back() == '\\';
        if (continued) {
            continued = endsWithBackslash;
            continue;
        }
        size_t lead = 0;
        SkipBlanks(line, &lead);
        line.remove_prefix(lead);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            current.clear();
            const size_t close = line.rfind(']');
            if (close == std::string_view::npos || !OnlyBlanksFrom(line, close + 1)) {
                continue;
            }
            const std::string_view inner = line.substr(1, close - 1);
            if (inner.size() > kHive.size() && inner[kHive.size()] == '\\' &&
                EqualsNoCase(inner.substr(0, kHive.size()), kHive)) {
                std::string path;
                if (NormalizeKeyPath(inner.substr(kHive.size() + 1), &path)) {
                    KeyFor(&keys, path);
                    current = path;
                }
            }
            continue;
        }
        if (line[0] != '"' && line[0] != '@') {
            continue;
        }
        Registry::Value value;
        const LineKind kind = ParseValueLine(line, terminated, &value);
        if (kind == LineKind::kForeign) {
            continued = endsWithBackslash;
        } else if (kind == LineKind::kValue && !current.empty()) {
            PutValue(&KeyFor(&keys, current), std::move(value));
        }
    }
    return keys;
}

std::string SerializeRegistry(const std::vector<Registry::Key>& keys) {
    std::string out = "REGEDIT4\n";
    for (const Registry::Key& key : keys) {
        out += "\n[";
        out += kHive;
        out += '\\';
        out += key.path;
        out += "]\n";
        for (const Registry::Value& v : key.values) {
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

Registry& Registry::Instance() {
    static Registry registry;
    return registry;
}

bool Registry::Load(const std::string& devicePath) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = devicePath;
    keys_.clear();
    if (!DeviceFs::IsValidPath(devicePath)) {
        return false;
    }
    if (!DeviceFs::Exists(devicePath)) {
        return true;
    }
    std::string bytes;
    if (!DeviceFs::ReadAll(devicePath, &bytes)) {
        return false;
    }
    keys_ = ParseRegistryText(bytes);
    return true;
}

bool Registry::Commit(std::vector<Key> next) {
    const size_t slash = path_.rfind('\\');
    if (slash != std::string::npos && slash > 0) {
        DeviceFs::CreateFolders(path_.substr(0, slash));
    }
    if (!DeviceFs::WriteAtomic(path_, SerializeRegistry(next))) {
        return false;
    }
    keys_ = std::move(next);
    return true;
}

bool Registry::CreateKey(const std::string& keyPath) {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (FindKey(keys_, path)) {
        return true;
    }
    std::vector<Key> next = keys_;
    next.push_back(Key{path, {}});
    return Commit(std::move(next));
}

bool Registry::KeyExists(const std::string& keyPath) const {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Key& k : keys_) {
        if (IsSelfOrParent(path, k.path)) {
            return true;
        }
    }
    return false;
}

bool Registry::GetDword(const std::string& keyPath, const std::string& name, uint32_t* out) const {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const Key* key = FindKey(keys_, path);
    const Value* v = key ? FindValue(key->values, name) : nullptr;
    if (!v || !v->isDword) {
        return false;
    }
    *out = v->dword;
    return true;
}

bool Registry::GetString(const std::string& keyPath, const std::string& name,
                         std::string* out) const {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const Key* key = FindKey(keys_, path);
    const Value* v = key ? FindValue(key->values, name) : nullptr;
    if (!v || v->isDword) {
        return false;
    }
    *out = v->text;
    return true;
}

bool Registry::SetDword(const std::string& keyPath, const std::string& name, uint32_t value) {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path) || !ValidName(name)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Key> next = keys_;
    PutValue(&KeyFor(&next, path), Value{name, true, value, {}});
    return Commit(std::move(next));
}

bool Registry::SetString(const std::string& keyPath, const std::string& name,
                         const std::string& text) {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path) || !ValidName(name) || !ValidText(text)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Key> next = keys_;
    PutValue(&KeyFor(&next, path), Value{name, false, 0, text});
    return Commit(std::move(next));
}

bool Registry::DeleteValue(const std::string& keyPath, const std::string& name) {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Key> next = keys_;
    Key* key = FindKey(next, path);
    if (!key) {
        return false;
    }
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (EqualsNoCase(it->name, name)) {
            key->values.erase(it);
            return Commit(std::move(next));
        }
    }
    return false;
}

std::vector<std::string> Registry::ValueNames(const std::string& keyPath) const {
    std::vector<std::string> names;
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return names;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (const Key* key = FindKey(keys_, path)) {
        for (const Value& v : key->values) {
            names.push_back(v.name);
        }
    }
    return names;
}

std::string Registry::Serialize() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return SerializeRegistry(keys_);
}

}  // namespace plat
