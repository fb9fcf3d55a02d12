#include "platform/os/registry.h"

#include <cstdio>
#include <string_view>

#include "platform/os/device_fs.h"
#include "platform/os/text.h"

namespace plat {
namespace {

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

}  // namespace

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
    ParseRegistryInto(bytes, table_.get());
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
    if (!NormalizeKeyPath(keyPath, &path) || !ValidRegistryName(value.name)) {
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
    if (!ValidRegistryText(text)) {
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
