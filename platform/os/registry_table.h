// The registry's keys and values in memory, their index by folded key path and value name,
// and the REGEDIT4 text they are read from and written to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/os/text.h"

namespace plat {

struct RegistryValue {
    std::string name;
    bool isDword = false;
    uint32_t dword = 0;
    std::string text;
    // A line (with its continuation lines) kept as written: a value of another type (then
    // `name` is its name) or a line not understood (then `named` is false).
    std::string raw;
    bool named = true;
};

struct RegistryKey {
    std::string path;
    std::vector<RegistryValue> values;
    // A section of another hive, kept as written: its header line; `path` is empty.
    std::string rawHeader;
};

// Strips outer separators; refuses empty paths, empty components and control characters.
bool NormalizeKeyPath(std::string_view in, std::string* out);
bool ValidRegistryName(std::string_view name);
bool ValidRegistryText(std::string_view text);

// Keys with an index by folded path, and values by key and folded name.
class RegistryTable {
  public:
    std::vector<RegistryKey> keys;

    void Reserve(size_t expectedKeys) {
        keys.reserve(expectedKeys);
        keyIndex_.reserve(expectedKeys);
        valueIndex_.reserve(expectedKeys * 2);
    }
    RegistryKey* Find(std::string_view path) {
        const auto it = keyIndex_.find(FoldUtf8(path));
        return it == keyIndex_.end() ? nullptr : &keys[it->second];
    }
    // The key `path`, appended when new (*added tells which).
    RegistryKey& Get(const std::string& path, bool* added = nullptr) {
        const auto [it, isNew] = keyIndex_.emplace(FoldUtf8(path), keys.size());
        if (isNew) {
            keys.push_back(RegistryKey{path, {}, {}});
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
    void AddForeignSection(std::string header) {
        keys.push_back(RegistryKey{{}, {}, std::move(header)});
    }
    RegistryValue* FindValue(const RegistryKey& key, std::string_view name) {
        const auto it = valueIndex_.find(ValueId(key, name));
        return it == valueIndex_.end() ? nullptr : &keys[IndexOf(key)].values[it->second];
    }
    // Stores `value`: replaces a value of the same name in place (keeping the name's first
    // spelling), or appends it. Lines not understood are always appended.
    void Put(RegistryKey& key, RegistryValue value) {
        if (!value.named) {
            key.values.push_back(std::move(value));
            return;
        }
        const auto [it, isNew] = valueIndex_.emplace(ValueId(key, value.name), key.values.size());
        if (isNew) {
            key.values.push_back(std::move(value));
        } else {
            RegistryValue& old = key.values[it->second];
            value.name = old.name;
            old = std::move(value);
        }
    }
    // Removes the value at `position` of `key`.
    void Erase(RegistryKey& key, size_t position) {
        Unindex(key);
        key.values.erase(key.values.begin() + static_cast<std::ptrdiff_t>(position));
        Index(key);
    }
    void Insert(RegistryKey& key, size_t position, RegistryValue value) {
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
    size_t IndexOf(const RegistryKey& key) const { return static_cast<size_t>(&key - keys.data()); }
    // One index for the values of all keys: the key's position and the folded name.
    std::string ValueId(const RegistryKey& key, std::string_view name) const {
        std::string id = std::to_string(IndexOf(key));
        id += '\0';
        id += FoldUtf8(name);
        return id;
    }
    void Unindex(const RegistryKey& key) {
        for (const RegistryValue& v : key.values) {
            if (v.named) {
                valueIndex_.erase(ValueId(key, v.name));
            }
        }
    }
    void Index(const RegistryKey& key) {
        for (size_t i = 0; i < key.values.size(); ++i) {
            if (key.values[i].named) {
                valueIndex_.emplace(ValueId(key, key.values[i].name), i);
            }
        }
    }

    std::unordered_map<std::string, size_t> keyIndex_;
    std::unordered_map<std::string, size_t> valueIndex_;
};

// Adds what `bytes` (a registry file) holds to `table`.
void ParseRegistryInto(const std::string& bytes, RegistryTable* table);

// Parses REGEDIT4 text into keys (exposed for tests and fuzzing). Never fails: what does not
// parse is left out.
std::vector<RegistryKey> ParseRegistryText(const std::string& text);
std::string SerializeRegistry(const std::vector<RegistryKey>& keys);

}  // namespace plat
