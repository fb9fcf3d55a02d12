// Memory and storage figures of the host, standing in for the phone's memory status and
// store information.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

struct MemoryStatus {
    uint64_t totalPhys = 0;   // bytes
    uint64_t availPhys = 0;   // bytes
    uint32_t memoryLoad = 0;  // percent in use, 0-100
};
// From /proc/meminfo (MemTotal, MemAvailable).
bool GetMemoryStatus(MemoryStatus* status);
// Parses meminfo text (exposed for tests).
bool ParseMemInfo(const std::string& text, MemoryStatus* status);

struct StoreInfo {
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;  // free to this user
};
// Size and free space of the host file system holding the device path.
bool GetStoreInfo(const std::string& devicePath, StoreInfo* info);

// The storage card is the device folder "\Storage Card" when it exists as a folder.
bool StorageCardFolder(std::string* devicePath);

}  // namespace plat
