#include "platform/os/system_info.h"

#include <sys/statvfs.h>

#include <cstdlib>
#include <cstring>

#include "platform/os/device_fs.h"

namespace plat {
namespace {

// The kB figure of the line starting with `field` ("MemTotal:"), or false.
bool FieldKb(const std::string& text, const char* field, uint64_t* kb) {
    const size_t len = std::strlen(field);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (text.compare(start, len, field) == 0) {
            const std::string line = text.substr(start + len, end - start - len);
            char* after = nullptr;
            const unsigned long long v = std::strtoull(line.c_str(), &after, 10);
            if (after == line.c_str()) {
                return false;
            }
            *kb = v;
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

bool ParseMemInfo(const std::string& text, MemoryStatus* status) {
    uint64_t total = 0;
    uint64_t avail = 0;
    if (!FieldKb(text, "MemTotal:", &total) || total == 0) {
        return false;
    }
    if (!FieldKb(text, "MemAvailable:", &avail)) {
        // Kernels before 3.14: free memory plus what the page cache would give back.
        uint64_t free = 0, buffers = 0, cached = 0;
        if (!FieldKb(text, "MemFree:", &free)) {
            return false;
        }
        FieldKb(text, "Buffers:", &buffers);
        FieldKb(text, "Cached:", &cached);
        avail = free + buffers + cached;
    }
    if (avail > total) {
        avail = total;
    }
    status->totalPhys = total * 1024;
    status->availPhys = avail * 1024;
    status->memoryLoad = static_cast<uint32_t>((total - avail) * 100 / total);
    return true;
}

bool GetMemoryStatus(MemoryStatus* status) {
    FilePtr f(std::fopen("/proc/meminfo", "r"));
    if (!f) {
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
        text.append(buffer, n);
    }
    return ParseMemInfo(text, status);
}

bool GetStoreInfo(const std::string& devicePath, StoreInfo* info) {
    const std::string host = DeviceFs::ToHost(devicePath);
    if (host.empty()) {
        return false;
    }
    struct statvfs st {};
    if (::statvfs(host.c_str(), &st) != 0) {
        return false;
    }
    const uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    info->totalBytes = static_cast<uint64_t>(st.f_blocks) * unit;
    info->freeBytes = static_cast<uint64_t>(st.f_bavail) * unit;
    return true;
}

bool StorageCardFolder(std::string* devicePath) {
    static const std::string kCard = "\\Storage Card";
    if (!DeviceFs::IsFolder(kCard)) {
        return false;
    }
    *devicePath = kCard;
    return true;
}

}  // namespace plat
