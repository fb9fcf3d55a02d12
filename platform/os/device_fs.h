// The device's single-root file system, mapped onto a folder of the host (the device root).
//
// Device paths use "\" as root and separator and hold at most 259 UTF-16 units. Components
// "." and "..", empty components inside a path and names containing "/" are refused, so no
// device path reaches outside the device root.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace plat {

constexpr int kMaxPath = 259;

struct FileInfo {
    std::string name;  // last component ("\" for the root)
    bool isFolder = false;
    uint64_t size = 0;           // bytes; 0 for folders
    int64_t lastWriteTime = 0;   // seconds since 1970 (UTC)
    int64_t lastWriteNanos = 0;  // sub-second part, for stable ordering
    bool readOnly = false;
    bool hidden = false;  // names starting with "." count as hidden
};

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f)
            std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class DeviceFs {
  public:
    // The process-wide device root (set once by the host before the system starts).
    static void SetRoot(const std::string& hostFolder);
    static const std::string& Root();

    // True when `devicePath` is a well-formed device path (see the header comment).
    static bool IsValidPath(const std::string& devicePath);
    // Host path of a device path, or "" when the device path is refused.
    static std::string ToHost(const std::string& devicePath);

    // Metadata of a file or folder; false when it does not exist or the path is refused.
    static bool Stat(const std::string& devicePath, FileInfo* info);
    static bool Exists(const std::string& devicePath) { return Stat(devicePath, nullptr); }
    static bool IsFolder(const std::string& devicePath);
    // The entries of a folder (no "." or ".."), in no particular order; false if not a folder.
    static bool List(const std::string& devicePath, std::vector<FileInfo>* entries);

    // fopen on the mapped path; null when refused or when the host refuses.
    static FilePtr Open(const std::string& devicePath, const char* mode);
    static bool ReadAll(const std::string& devicePath, std::string* bytes);
    // Writes `bytes` to `devicePath` + ".xxx" and renames it over `devicePath` when complete.
    static bool WriteAtomic(const std::string& devicePath, const std::string& bytes);

    static bool Remove(const std::string& devicePath);
    // Replaces `to` atomically when it exists.
    static bool Rename(const std::string& from, const std::string& to);
    // Creates the folder and any missing parents.
    static bool CreateFolders(const std::string& devicePath);
};

}  // namespace plat
