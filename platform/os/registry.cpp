#include "platform/os/registry.h"

#include <cstdio>
#include <string_view>
#include <unordered_map>

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

class Registry::Table {
  public:
    std::vector<Key> keys;

    void Reserve(size_t expectedKeys) {
        keys.reserve(expectedKeys);
        keyIndex_.reserve(expectedKeys);
        valueIndex_.reserve(expectedKeys * 2);
    }
    Key* Find(std::string_view path) {
        const auto it = keyIndex_.find(FoldUtf8(path));
        return it == keyIndex_.end() ? nullptr : &keys[it->second];
    }
    // The key `path`, appended when new (*added tells which).
    Key& Get(const std::string& path, bool* added = nullptr) {
        const auto [it, isNew] = keyIndex_.emplace(FoldUtf8(path), keys.size());
        if (isNew) {
            keys.push_back(Key{path, {}, {}});
        }
        if (added) {
            *added = isNew;
        }
        return keys[it->second];
    }
    // Removes the last key (undoing a Get that added it).
    void PopKey() {
        Unindex(keys.back());
        keyIndex_.erase(FoldUtf8(keys.back().path));
        keys.pop_back();
    }
    void AddForeignSection(std::string header) { keys.push_back(Key{{}, {}, std::move(header)}); }
    Value* FindValue(const Key& key, std::string_view name) {
        const auto it = valueIndex_.find(ValueId(key, name));
        return it == valueIndex_.end() ? nullptr : &keys[IndexOf(key)].values[it->second];
    }
    // Stores `value`: replaces a value of the same name in place (keeping the name's first
    // spelling), or appends it. Lines not understood are always appended.
    void Put(Key& key, Value value) {
        if (!value.named) {
            key.values.push_back(std::move(value));
            return;
        }
        const auto [it, isNew] = valueIndex_.emplace(ValueId(key, value.name), key.values.size());
        if (isNew) {
            key.values.push_back(std::move(value));
        } else {
            Value& old = key.values[it->second];
            value.name = old.name;
            old = std::move(value);
        }
    }
    // Removes the value at `position` of `key`.
    void Erase(Key& key, size_t position) {
        Unindex(key);
        key.values.erase(key.values.begin() + static_cast<std::ptrdiff_t>(position));
        Index(key);
    }
    void Insert(Key& key, size_t position, Value value) {
        Unindex(key);
        key.values.insert(key.values.begin() + static_cast<std::ptrdiff_t>(position),
                          std::move(value));
        Index(key);
    }
    void Clear() {
        keys.clear();
        keyIndex_.clear();
        valueIndex_.clear();
    }

  private:
    size_t IndexOf(const Key& key) const { return static_cast<size_t>(&key - keys.data()); }
    // One index for the values of all keys: the key's position and the folded name.
    std::string ValueId(const Key& key, std::string_view name) const {
        std::string id = std::to_string(IndexOf(key));
        id += '\0';
        id += FoldUtf8(name);
        return id;
    }
    void Unindex(const Key& key) {
        for (const Value& v : key.values) {
            if (v.named) {
                valueIndex_.erase(ValueId(key, v.name));
            }
        }
    }
    void Index(const Key& key) {
        for (size_t i = 0; i < key.values.size(); ++i) {
            if (key.values[i].named) {
                valueIndex_.emplace(ValueId(key, key.values[i].name), i);
            }
        }
    }

    std::unordered_map<std::string, size_t> keyIndex_;
    std::unordered_map<std::string, size_t> valueIndex_;
};

namespace {

void ParseInto(const std::string& bytes, Registry::Table* table);

}  // namespace

std::vector<Registry::Key> ParseRegistryText(const std::string& bytes) {
    Registry::Table table;
    ParseInto(bytes, &table);
    return std::move(table.keys);
}

namespace {

void ParseInto(const std::string& bytes, Registry::Table* table) {
    const std::string text = AsUtf8(bytes);
    table->Reserve(text.size() / 128);
    constexpr size_t kNone = static_cast<size_t>(-1);
    size_t current = kNone;  // index of the open section; kNone outside any
    bool foreignSection = false;
    size_t continuedValue = kNone;  // a kept value whose line ended in "\"
    auto keep = [&](Registry::Value value) {
        Registry::Key& key = table->keys[current];
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
            Registry::Value& v = table->keys[current].values[continuedValue];
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
                keep(Registry::Value{{}, false, 0, {}, std::string(rawLine), false});
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
        Registry::Value value;
        const LineKind kind = ParseValueLine(line, terminated, &value);
        if (kind == LineKind::kValue) {
            keep(std::move(value));
        } else if (kind == LineKind::kForeign && terminated) {
            value.raw = std::string(rawLine);
            const std::string name = value.name;
            keep(std::move(value));
            if (endsWithBackslash) {
                // Put appends or replaces in place; find where the value now is.
                Registry::Key& key = table->keys[current];
                continuedValue =
                    static_cast<size_t>(table->FindValue(key, name) - key.values.data());
            }
        } else if (kind == LineKind::kBad) {
            keepAsWritten();
        }
    }
}

}  // namespace

std::string SerializeRegistry(const std::vector<Registry::Key>& keys) {
    std::string out = "REGEDIT4\n";
    for (const Registry::Key& key : keys) {
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
        for (const Registry::Value& v : key.values) {
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

Registry::Registry() : table_(std::make_unique<Table>()) {}
Registry::~Registry() = default;

Registry& Registry::Instance() {
    static Registry registry;
    return registry;
}

bool Registry::Load(const std::string& devicePath) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = devicePath;
    table_->Clear();
    writable_ = true;
    reported_ = false;
    // The settings are the program's own: never written to the user's mounted card.
    if (!DeviceFs::IsValidPath(devicePath) || DeviceFs::IsOnCard(devicePath)) {
        writable_ = false;
        return false;
    }
    if (!DeviceFs::Present(devicePath)) {
        return true;
    }
    std::string bytes;
    if (!DeviceFs::ReadAll(devicePath, &bytes)) {
        // Rewriting it would destroy every other program's keys: leave it alone this run.
        writable_ = false;
        std::fprintf(stderr,
                     "velloran: cannot read the settings file %s; using defaults, and no "
                     "settings will be saved this run\n",
                     devicePath.c_str());
        return false;
    }
    ParseInto(bytes, table_.get());
    return true;
}

void Registry::ReportWriteFailure() {
    if (!reported_) {
        reported_ = true;
        std::fprintf(stderr, "velloran: cannot write the settings file %s\n", path_.c_str());
    }
}

bool Registry::Write() {
    if (!writable_) {
        return false;
    }
    const size_t slash = path_.rfind('\\');
    if (slash != std::string::npos && slash > 0) {
        DeviceFs::CreateFolders(path_.substr(0, slash));
    }
    if (!DeviceFs::WriteAtomic(path_, SerializeRegistry(table_->keys))) {
        ReportWriteFailure();
        return false;
    }
    return true;
}

bool Registry::CreateKey(const std::string& keyPath) {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    bool added = false;
    table_->Get(path, &added);
    if (!added) {
        return true;
    }
    if (!Write()) {
        if (writable_) {
            table_->PopKey();
        }
        return false;
    }
    return true;
}

bool Registry::KeyExists(const std::string& keyPath) const {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (table_->Find(path)) {
        return true;
    }
    for (const Key& k : table_->keys) {
        if (!k.path.empty() && IsSelfOrParent(path, k.path)) {
            return true;
        }
    }
    return false;
}

const Registry::Value* Registry::Lookup(const std::string& keyPath, const std::string& name) const {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return nullptr;
    }
    const Key* key = table_->Find(path);
    const Value* v = key ? table_->FindValue(*key, name) : nullptr;
    return v && v->raw.empty() ? v : nullptr;
}

bool Registry::GetDword(const std::string& keyPath, const std::string& name, uint32_t* out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Value* v = Lookup(keyPath, name);
    if (!v || !v->isDword) {
        return false;
    }
    *out = v->dword;
    return true;
}

bool Registry::GetString(const std::string& keyPath, const std::string& name,
                         std::string* out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Value* v = Lookup(keyPath, name);
    if (!v || v->isDword) {
        return false;
    }
    *out = v->text;
    return true;
}

bool Registry::Store(const std::string& keyPath, Value value) {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path) || !ValidName(value.name)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    bool addedKey = false;
    Key& key = table_->Get(path, &addedKey);
    const Value* existing = table_->FindValue(key, value.name);
    const bool hadValue = existing != nullptr;
    const Value before = hadValue ? *existing : Value{};
    table_->Put(key, std::move(value));
    if (Write()) {
        return true;
    }
    if (writable_) {
        // Undo, so memory and file agree.
        if (hadValue) {
            table_->Put(key, before);
        } else {
            table_->Erase(key, key.values.size() - 1);
        }
        if (addedKey) {
            table_->PopKey();
        }
    }
    return false;
}

bool Registry::SetDword(const std::string& keyPath, const std::string& name, uint32_t value) {
    return Store(keyPath, Value{name, true, value, {}, {}, true});
}

bool Registry::SetString(const std::string& keyPath, const std::string& name,
                         const std::string& text) {
    if (!ValidText(text)) {
        return false;
    }
    return Store(keyPath, Value{name, false, 0, text, {}, true});
}

bool Registry::DeleteValue(const std::string& keyPath, const std::string& name) {
    std::string path;
    if (!NormalizeKeyPath(keyPath, &path)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Key* key = table_->Find(path);
    const Value* v = key ? table_->FindValue(*key, name) : nullptr;
    if (!v) {
        return false;
    }
    const size_t position = static_cast<size_t>(v - key->values.data());
    Value before = *v;
    table_->Erase(*key, position);
    if (Write()) {
        return true;
    }
    if (writable_) {
        table_->Insert(*key, position, std::move(before));
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
    if (const Key* key = table_->Find(path)) {
        for (const Value& v : key->values) {
            if (v.named && v.raw.empty()) {
                names.push_back(v.name);
            }
        }
    }
    return names;
}

std::string Registry::Serialize() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return SerializeRegistry(table_->keys);
}

}  // namespace plat
