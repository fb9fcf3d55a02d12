// The registry of the current user (HKEY_CURRENT_USER), kept as a REGEDIT4 text file in the
// device file system:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Maker\program\Section]
//   "Count"=dword:0000000a
//   "Folder"="\\My Documents\\\"quoted\""
//
// Only REG_DWORD and REG_SZ values exist. Key paths are relative to HKEY_CURRENT_USER
// ("Software\\Maker\\program\\Section"); key paths and value names compare case-insensitively
// and keep the case they were first written with. Values keep their insertion order.
//
// The whole registry is held in memory; every change rewrites the file atomically (temporary
// file, then rename). A change whose write fails is undone, so memory and file agree.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace plat {

class Registry {
  public:
    static constexpr const char* kDefaultPath = "\\Windows\\registry.reg";

    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The process-wide registry.
    static Registry& Instance();

    // Reads the registry file at `devicePath`, which is also where later changes are written.
    // A missing file gives an empty registry. Lines that do not parse (damaged, truncated or
    // of another value type) are skipped; everything else is kept. False only when the file
    // exists but cannot be read, or the path is refused; the registry is then empty.
    bool Load(const std::string& devicePath = kDefaultPath);
    const std::string& Path() const { return path_; }

    bool CreateKey(const std::string& keyPath);
    // True for a key that holds values or was created, and for its parents.
    bool KeyExists(const std::string& keyPath) const;

    // False when the key or value is missing or the value has the other type.
    bool GetDword(const std::string& keyPath, const std::string& name, uint32_t* out) const;
    bool GetString(const std::string& keyPath, const std::string& name, std::string* out) const;
    // Create the key when needed; a value of the other type is replaced in place.
    bool SetDword(const std::string& keyPath, const std::string& name, uint32_t value);
    bool SetString(const std::string& keyPath, const std::string& name, const std::string& text);
    // False when there was no such value, or the file could not be written.
    bool DeleteValue(const std::string& keyPath, const std::string& name);
    // The names of a key's values, in insertion order.
    std::vector<std::string> ValueNames(const std::string& keyPath) const;

    // The file text for the current contents (what a write stores).
    std::string Serialize() const;

    struct Value {
        std::string name;
        bool isDword = false;
        uint32_t dword = 0;
        std::string text;
    };
    struct Key {
        std::string path;
        std::vector<Value> values;
    };

  private:
    bool Commit(std::vector<Key> next);

    mutable std::mutex mutex_;
    std::string path_ = kDefaultPath;
    std::vector<Key> keys_;
};

// Parses REGEDIT4 text into keys (exposed for tests and fuzzing). Never fails: what does not
// parse is left out.
std::vector<Registry::Key> ParseRegistryText(const std::string& text);
std::string SerializeRegistry(const std::vector<Registry::Key>& keys);

}  // namespace plat
