// The device's single-root file system, mapped onto a folder of the host (the device root).
//
// Device paths use "\" as root and separator and hold at most 259 UTF-16 units. Components
// "." and "..", empty components inside a path, names containing "/" and control characters
// are refused. Every path is resolved beneath the device root one component at a time: a
// symbolic link is followed only while its target stays beneath the root, and one that
// leaves it counts as absent (not listed, opened, written or deleted). A component not found
// by its exact name is matched case-insensitively, as the phone's file system does.
//
// A second host folder can be mounted as "\Storage Card"; the same rules hold inside it,
// with that folder as the limit.
//
// Listings hold only regular files and folders (links resolved) whose names a device path
// can express; nothing else (FIFOs, devices, sockets) is ever opened. Writes never go
// through an existing name: a new file is created exclusively under a temporary name,
// synced, and renamed into place.
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
    // Mounts the host folder `hostFolder` as "\Storage Card" (the device root's own
    // "Storage Card", if any, is hidden while mounted); "" unmounts. False when it is not a
    // folder (nothing is mounted then).
    static bool MountCard(const std::string& hostFolder);
    // Host folder of the mounted card, "" when none.
    static const std::string& CardRoot();
    // True when `devicePath` lies on the mounted card (or is its mount point).
    static bool IsOnCard(const std::string& devicePath);

    // True when `devicePath` is a well-formed device path (see the header comment).
    static bool IsValidPath(const std::string& devicePath);
    // Host path of a device path (of a link's target once resolved), or "" when the path is
    // refused or does not resolve beneath its root. For handing paths to outside programs.
    static std::string ToHost(const std::string& devicePath);

    // Metadata of a file or folder; false when it does not exist or the path is refused.
    static bool Stat(const std::string& devicePath, FileInfo* info);
    static bool Exists(const std::string& devicePath) { return Stat(devicePath, nullptr); }
    // True when any entry, reachable or not, holds the name (a link leaving the root, a
    // FIFO...): what a delete must not take for "already gone".
    static bool Present(const std::string& devicePath);
    static bool IsFolder(const std::string& devicePath);
    // The entries of a folder (no "." or ".."), in no particular order; false if not a folder.
    static bool List(const std::string& devicePath, std::vector<FileInfo>* entries);

    // Opens a regular file: mode "rb" reads it; "wb" creates a new file under the name
    // (whatever was there, a link included, is replaced, never written through). Null when
    // refused, when it is not a regular file, or when the host refuses.
    static FilePtr Open(const std::string& devicePath, const char* mode);
    // Reads a whole regular file of at most `maxBytes` bytes.
    static bool ReadAll(const std::string& devicePath, std::string* bytes,
                        uint64_t maxBytes = kMaxReadAllBytes);
    static constexpr uint64_t kMaxReadAllBytes = 256ull << 20;
    // Writes `bytes` to `devicePath` + ".xxx" and renames it over `devicePath` when complete.
    static bool WriteAtomic(const std::string& devicePath, const std::string& bytes);

    // Deletes a file or an empty folder. A link is removed itself, never its target. False
    // (nothing changed) when the entry is absent, unreachable, or the host refuses.
    static bool Remove(const std::string& devicePath);
    // Deletes a folder with everything in it (or a single entry). Links inside are removed
    // themselves, never followed. False when something could not be removed.
    static bool RemoveTree(const std::string& devicePath);
    // Replaces `to` atomically when it exists (a link at `to` is replaced, not followed).
    static bool Rename(const std::string& from, const std::string& to);
    // Creates the folder and any missing parents.
    static bool CreateFolders(const std::string& devicePath);
};

}  // namespace plat
