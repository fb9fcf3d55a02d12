// The registry of the current user (HKEY_CURRENT_USER), kept as a REGEDIT4 text file in the
// device file system:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Maker\program\Section]
//   "Count"=dword:0000000a
//   "Folder"="\\My Documents\\\"quoted\""
//
// The store reads and writes REG_DWORD and REG_SZ values. Key paths are relative to
// HKEY_CURRENT_USER ("Software\\Maker\\program\\Section"); key paths and value names compare
// case-insensitively and keep the case they were first written with. Values keep their
// insertion order. Lines of other programs that the store does not understand (hex: values,
// other value types, comments inside a key, sections of other hives) are kept byte for
// byte and written back in place.
//
// The whole registry is held in memory with an index, so loading and each change are linear
// in the file's size. Every change rewrites the file atomically (temporary file, then
// rename). A change whose write fails is undone, so memory and file agree. A file that
// exists but cannot be read is never written during the run: changes then live in memory
// only (and report failure), so other programs' keys are not lost.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/os/registry_table.h"

namespace plat {

class Registry {
  public:
    static constexpr const char* kDefaultPath = "\\Windows\\registry.reg";

    Registry();
    ~Registry();
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
    // False after a Load that found the file unreadable: nothing is written this run.
    bool Writable() const { return writable_; }

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

    using Value = RegistryValue;
    using Key = RegistryKey;
    using Table = RegistryTable;

  private:
    bool Store(const std::string& keyPath, Value value);
    const Value* Lookup(const std::string& keyPath, const std::string& name) const;
    bool Write();
    void ReportWriteFailure();

    mutable std::mutex mutex_;
    std::string path_ = kDefaultPath;
    std::unique_ptr<Table> table_;
    bool writable_ = true;
    bool reported_ = false;
};

}  // namespace plat
